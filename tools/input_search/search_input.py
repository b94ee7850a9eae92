#!/usr/bin/env python3
"""Searches for scripted input that keeps the aircraft alive through a stage.

The game is deterministic: the same input words give the same run. The search
keeps one input and plays it headless (--no-draw) with --record; the replay's
header says how many frames the stage ran before it ended (a game over ends a
stage-select run). It then tries new moves from a point shortly before that
end, keeps the first input that lives longer, and goes on until the stage runs
past the goal. The found play is written as an input script (the format of
tools/sampledata/input_script.h) after the menu prefix.

    search_input.py --program build/tolvarin --prefix menus.txt --stage 1 \\
                    --goal 4200 --out found.txt [--seed 1] [--jobs 4]

The prefix script leads through the menus into the stage; the search adds Z
(fire) to every frame of the play and moves the aircraft. --start begins from
the play of an earlier search's script instead of random moves.
"""
import argparse
import concurrent.futures
import random
import sys

from input_runs import BIT, Program, parse_script, read_script, script_lines

# The moves tried: none, the four directions and the diagonals, each with Z.
MOVES = [0, BIT["Left"], BIT["Right"], BIT["Up"], BIT["Down"], BIT["Left"] | BIT["Up"],
         BIT["Right"] | BIT["Up"], BIT["Left"] | BIT["Down"], BIT["Right"] | BIT["Down"]]


def write_script(path, prefix_path, play, comment):
    """The prefix script as it stands, then the play run-length coded."""
    lines = [read_script(prefix_path).rstrip("\n"), "# " + comment] + script_lines(play)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def stage_frames(program, words, stage):
    """Frames the stage ran when the input was played through: the replay's
    input count of the stage (0 when no replay was written)."""
    _, replay = program.run_script(words, record=True, status=False)
    return len(replay.streams[stage]) if replay else 0


def random_play(rng, length):
    """Moves held for 8 to 40 frames each, Z always held."""
    out = []
    while len(out) < length:
        out += [BIT["Z"] | rng.choice(MOVES)] * rng.randint(8, 40)
    return out[:length]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", required=True)
    ap.add_argument("--prefix", required=True, help="input script through the menus into the stage")
    ap.add_argument("--stage", type=int, required=True, help="stage index whose frames are counted")
    ap.add_argument("--goal", type=int, required=True, help="stage frames to reach")
    ap.add_argument("--out", required=True)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--jobs", type=int, default=4)
    ap.add_argument("--tries", type=int, default=4000, help="runs at the most")
    ap.add_argument("--start", help="an earlier search's script (same prefix) to begin from")
    args = ap.parse_args()

    rng = random.Random(args.seed)
    prefix = parse_script(read_script(args.prefix))
    total = len(prefix) + args.goal + 400
    play = random_play(rng, total - len(prefix))
    if args.start:
        play = parse_script(read_script(args.start))[len(prefix):]
        play += random_play(rng, max(0, total - len(prefix) - len(play)))
    runners = [Program(args.program) for _ in range(args.jobs)]
    try:
        # The stage starts a few frames into the play (after the menus' fades):
        # play index = stage frame + lead.
        lead = 600 - stage_frames(runners[0], prefix + [BIT["Z"]] * 600, args.stage)
        best = stage_frames(runners[0], prefix + play, args.stage)
        tries = 0
        print(f"start: {best} stage frames", flush=True)
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            while best < args.goal and tries < args.tries:
                candidates = []
                for _ in range(args.jobs):
                    back = rng.randint(60, 700)
                    cut = max(0, min(len(play), best + lead - back))
                    candidates.append(play[:cut] + random_play(rng, len(play) - cut))
                results = list(pool.map(lambda job: stage_frames(job[0], prefix + job[1], args.stage),
                                        zip(runners, candidates)))
                tries += len(candidates)
                i = max(range(len(results)), key=lambda k: results[k])
                if results[i] > best:
                    best, play = results[i], candidates[i]
                    print(f"try {tries}: {best} stage frames", flush=True)
        write_script(args.out, args.prefix, play,
                     f"The play, found by tools/input_search/search_input.py (seed {args.seed}): "
                     f"{best} frames of stage index {args.stage}.")
        print(f"{best} stage frames after {tries} runs; written to {args.out}")
        return 0 if best >= args.goal else 1
    finally:
        for r in runners:
            r.close()


if __name__ == "__main__":
    sys.exit(main())
