#!/usr/bin/env python3
"""Searches for input that clears a stage of a full run, from its start through
its waves, its boss and the stage report into the next stage.

    clear_stage.py --program build/tolvarin --script whole_game_input.txt --stage 1 \\
                   --out whole_game_input.txt [--seed 1] [--jobs 3] [--progress best.txt]

--script is an input script of a full run from the title whose play reaches
the start of stage index --stage (it may go on a little into that stage: the
search begins from that play). The written script is the same run up to the
start of that stage, then the found play through the stage, the stage report
left with Z, and the first --enter-frames frames of the next stage (no keys),
so the same command with the next stage index extends it again.

The game is deterministic: the same input gives the same run. Candidates are
played as one-stage replays (--play): a replay that holds only this stage
starts in it with the seed, lives and counters the full run recorded there,
and plays the same frames as the full run, without playing the earlier stages
every time. The runner's status lines (--status-every 1) say how the run goes:
when a life is lost, how far the stage timeline is, the points, and whether
the stage report shows a clear. A found clear is checked by playing the whole
script from the title with --record: the replay must hold the next stage.

The search keeps the best play and branches new random moves (held 4 to 40
frames; Z always fires, tapped for full speed or held for the half-speed
dodge; now and then a missile, single or charged) from shortly before the
point where the best play loses its next life, going further back the longer
nothing better turns up. Better means: a clear (fewest lives lost, then the
shortest); else the later loss; then fewer lives lost; then further in the
stage timeline; then more points (every hit on an enemy scores, so this is
the damage done to a boss). A play that lives to the end of its input is
first polished for points at its end, then lengthened. When a loss cannot be
put off, it is accepted and the next one is searched, as long as at least
--keep-lives lives remain after it.
"""
import argparse
import concurrent.futures
import random
import sys
import time

from input_runs import (BIT, SCENE_PLAY, SCENE_STAGE_REPORT, Program, ScriptError, parse_script, read_script,
                        script_head, script_lines)

Z, X = BIT["Z"], BIT["X"]
DIRECTIONS = [0, BIT["Left"], BIT["Right"], BIT["Up"], BIT["Down"], BIT["Left"] | BIT["Up"],
              BIT["Right"] | BIT["Up"], BIT["Left"] | BIT["Down"], BIT["Right"] | BIT["Down"]]
# Z held longer than 15 frames halves the aircraft's speed; a release every
# 16th frame keeps the gun firing (it fires on for 30 frames) at full speed.
TAP_PERIOD = 16
MISSILE_CHANCE = 0.04
CHARGED_MISSILE_FRAMES = 32  # X held this long with two missiles or more: a double missile


def random_moves(rng, first_frame, length):
    """`length` input words for stage frames first_frame.. of random moves."""
    out = []
    frame = first_frame
    while len(out) < length:
        hold = rng.randint(4, 40)
        direction = rng.choice(DIRECTIONS)
        slow = rng.random() < 0.3
        missile = 0
        if rng.random() < MISSILE_CHANCE:
            missile = rng.choice([2, CHARGED_MISSILE_FRAMES])
            hold = max(hold, missile + 1)  # released (and launched) inside the move
        for k in range(hold):
            word = direction
            if slow or frame % TAP_PERIOD != TAP_PERIOD - 1:
                word |= Z
            if k < missile:
                word |= X
            out.append(word)
            frame += 1
    return out[:length]


class Outcome:
    """How a candidate's play went, up to the frame where it was decided."""

    def __init__(self):
        self.cleared = False
        self.end = 0            # stage frames played: the clear, the deciding loss or the end of the input
        self.losses = []        # stage frames of the lives lost
        self.lives = 0          # lives at `end`
        self.decided = False    # ended by a loss the search does not accept yet
        self.phases = 0         # timeline phase changes up to `end`
        self.script_frame = 0
        self.points = 0

    def key(self):
        if self.cleared:
            return (1, -len(self.losses), -self.end, 0, 0, 0)
        return (0, self.end, -len(self.losses), self.phases, self.script_frame, self.points)

    def describe(self):
        what = "clear" if self.cleared else ("loss" if self.decided else "end of input")
        return (f"{what} at stage frame {self.end}, {len(self.losses)} lives lost, {self.lives} left, "
                f"{self.phases} phase changes, {self.points} points")


def evaluate(program, replay, stage, play, accepted):
    """Plays `play` as the stage's input; stops at the clear or at the loss
    after `accepted` lost lives."""
    o = Outcome()
    seen = {"lives": None, "phase": None}

    def on_status(s):
        if s.scene == SCENE_STAGE_REPORT:
            o.cleared = s.lives > 0
            o.end, o.lives = s.stage_frame, s.lives
            return True
        if s.scene != SCENE_PLAY or s.stage != stage:
            return False
        if seen["phase"] is not None and s.phase != seen["phase"]:
            o.phases += 1
        seen["phase"] = s.phase
        o.end, o.lives, o.script_frame, o.points = s.stage_frame, s.lives, s.script_frame, s.points
        if seen["lives"] is not None and s.lives < seen["lives"]:
            o.losses.append(s.stage_frame)
            if len(o.losses) > accepted or s.lives == 0:
                o.decided = True
                seen["lives"] = s.lives
                return True
        seen["lives"] = s.lives
        return False

    program.play_replay(replay.one_stage(stage, play), on_status)
    return o


def first_stage_frame(statuses, stage):
    """The index of the input word of the stage's first play frame, or None."""
    for s in statuses:
        if s.scene == SCENE_PLAY and s.stage == stage and s.stage_frame == 1:
            return s.frame - 1
    return None


def full_run(program, words):
    statuses = []
    code, replay = program.run_script(words, record=True, on_status=lambda s: statuses.append(s) and False)
    return code, replay, statuses


def report_tail():
    """The stage report, left with Z (the report takes a press once it has
    opened), until the next stage has begun."""
    return ([0] * 29 + [Z]) * 60


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", required=True)
    ap.add_argument("--script", required=True, help="a full run from the title that reaches the stage")
    ap.add_argument("--stage", type=int, required=True, help="stage index to clear (0..4)")
    ap.add_argument("--out", required=True, help="where the extended script goes (may be --script)")
    ap.add_argument("--progress", help="writes the best play so far here (a script to go on from with --script)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--jobs", type=int, default=3)
    ap.add_argument("--tries", type=int, default=30000, help="candidate runs at the most")
    ap.add_argument("--keep-lives", type=int, default=2, help="lives that must remain after an accepted loss (1 or more)")
    ap.add_argument("--patience", type=int, default=240, help="runs without a better play before a loss is accepted")
    ap.add_argument("--chunk", type=int, default=600, help="frames a play that lives to its end is lengthened by")
    ap.add_argument("--polish", type=int, help="runs that try for more points at the end of a play that lives to its "
                    "end before it is lengthened (default: 3 per job; more for a boss that must be shot down)")
    ap.add_argument("--enter-frames", type=int, default=30, help="frames of the next stage the script ends with")
    args = ap.parse_args()

    rng = random.Random(args.seed)
    try:
        text = read_script(args.script)
        words = parse_script(text)
    except (OSError, ScriptError) as e:
        print(f"clear_stage.py: {args.script}: {e}", file=sys.stderr)
        return 2
    programs = [Program(args.program) for _ in range(max(1, args.jobs))]
    try:
        return search(args, rng, text, words, programs)
    finally:
        for p in programs:
            p.close()


def search(args, rng, text, words, programs):
    stage = args.stage
    code, replay, statuses = full_run(programs[0], words)
    start = first_stage_frame(statuses, stage)
    if start is None and replay is not None:
        # A script that ends before the stage (in the report of the stage
        # before it, say): the report is left with Z and the stage begins.
        more = words + report_tail() + [0]
        code, replay, statuses = full_run(programs[0], more)
        start = first_stage_frame(statuses, stage)
        if start is not None:
            text = "\n".join([text.rstrip("\n"), "# The stage report, left with Z."] +
                             script_lines(more[len(words):start + 1])) + "\n"
            words = more[:start + 1]
    if replay is None or start is None or not replay.played(stage):
        print(f"clear_stage.py: the script's run does not reach stage index {stage} without a continue "
              f"(exit code {code})", file=sys.stderr)
        return 1
    if first_stage_frame(statuses, stage + 1) is not None:
        print(f"clear_stage.py: the script's run already enters stage index {stage + 1}", file=sys.stderr)
        return 1
    play = words[start:]
    recorded = replay.streams[stage]
    held = min(len(play), len(recorded))
    if recorded[:held] != play[:held]:
        print("clear_stage.py: the recorded stage input is not the script's play; the search cannot go on",
              file=sys.stderr)
        return 1
    play = play[:held]
    lives = replay.lives_at_start(stage)
    print(f"stage index {stage} starts at input word {start} with {lives} lives; "
          f"the script holds {len(play)} frames of it", flush=True)

    length = max(len(play), args.chunk)
    play = play + random_moves(rng, len(play), length - len(play))
    accepted = 0
    best = evaluate(programs[0], replay, stage, play, accepted)
    print(f"start: {best.describe()}", flush=True)
    tries = stall = polish = 0
    began = time.time()

    def save_progress():
        if args.progress:
            write_script(args.progress, text, start, play[:best.end], [],
                         f"The best play so far of stage index {stage} (clear_stage.py --seed {args.seed}, "
                         f"{tries} runs): {best.describe()}.", None)

    with concurrent.futures.ThreadPoolExecutor(len(programs)) as pool:
        while not best.cleared and tries < args.tries:
            at_end = not best.decided
            if at_end and polish >= (args.polish or 3 * len(programs)):
                # Lengthen a play that lives to its end.
                play = play + random_moves(rng, length, args.chunk)
                length += args.chunk
                best = evaluate(programs[0], replay, stage, play, accepted)
                polish = 0
                continue
            cuts = []
            for _ in programs:
                if at_end:
                    cuts.append(rng.randint(max(0, length - args.chunk), length - 1))
                else:
                    mean = min(40 + 3 * stall, 1500)
                    cuts.append(max(0, best.end - 4 - int(rng.expovariate(1.0 / mean))))
            candidates = [play[:cut] + random_moves(rng, cut, length - cut) for cut in cuts]
            outcomes = list(pool.map(lambda job: evaluate(job[0], replay, stage, job[1], accepted),
                                     zip(programs, candidates)))
            tries += len(candidates)
            if at_end:
                polish += len(candidates)
            i = max(range(len(outcomes)), key=lambda k: outcomes[k].key())
            if outcomes[i].key() > best.key():
                best, play = outcomes[i], candidates[i]
                stall = 0
                print(f"run {tries} ({time.time() - began:.0f} s): {best.describe()}", flush=True)
                save_progress()
            else:
                stall += len(candidates)
            if best.decided and stall >= args.patience and best.lives >= max(1, args.keep_lives):
                accepted += 1
                best = evaluate(programs[0], replay, stage, play, accepted)
                stall = 0
                print(f"run {tries}: the loss at stage frame {best.losses[accepted - 1]} is accepted; "
                      f"{best.describe()}", flush=True)

    if not best.cleared:
        save_progress()
        print(f"no clear after {tries} runs; the best: {best.describe()}", file=sys.stderr)
        return 1
    play = play[:best.end]
    print(f"cleared after {tries} runs ({time.time() - began:.0f} s): {best.describe()}", flush=True)

    # The report and the entry into the next stage, found by playing the
    # whole run from the title.
    tail = report_tail()
    code, replay, statuses = full_run(programs[0], words[:start] + play + tail)
    entry = first_stage_frame(statuses, stage + 1)
    if entry is None or replay is None:
        print(f"clear_stage.py: the full run with the found play does not enter stage index {stage + 1} "
              f"(exit code {code})", file=sys.stderr)
        return 1
    tail = tail[:entry - start - len(play)]
    entered = [0] * args.enter_frames
    result = words[:start] + play + tail + entered
    code, replay, statuses = full_run(programs[0], result)
    if (replay is None or not replay.played(stage + 1) or replay.streams[stage] != play
            or len(replay.streams[stage + 1]) != args.enter_frames):
        print("clear_stage.py: the written run does not record the found play and the next stage's start",
              file=sys.stderr)
        return 1
    write_script(args.out, text, start, play, tail,
                 f"Stage index {stage}, found by tools/input_search/clear_stage.py --stage {stage} "
                 f"--seed {args.seed} ({tries} runs): {len(play)} frames, {len(best.losses)} lives lost.",
                 (stage + 1, entered))
    print(f"written to {args.out}: {len(result)} frames; stage index {stage + 1} starts with "
          f"{replay.lives_at_start(stage + 1)} lives", flush=True)
    return 0


def write_script(path, text, start, play, tail, comment, entered):
    lines = script_head(text, start) + ["# " + comment] + script_lines(play)
    if tail:
        lines += ["# The stage report, left with Z."] + script_lines(tail)
    if entered:
        lines += [f"# The first frames of stage index {entered[0]}."] + script_lines(entered[1])
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    sys.exit(main())
