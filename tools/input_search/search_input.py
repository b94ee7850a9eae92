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
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

KEYS = ["Up", "Down", "Left", "Right", "Z", "X", "V", "C", "A", "S", "T"]
BIT = {name: 1 << i for i, name in enumerate(KEYS)}
HEADER_INPUT_COUNT = 0x38  # five u32, one a stage
HEADER_SIZE = 716

# The moves tried: none, the four directions and the diagonals, each with Z.
MOVES = [0, BIT["Left"], BIT["Right"], BIT["Up"], BIT["Down"], BIT["Left"] | BIT["Up"],
         BIT["Right"] | BIT["Up"], BIT["Left"] | BIT["Down"], BIT["Right"] | BIT["Down"]]


def parse_script(path):
    """The words of an input script (counts and keys; repeat blocks are not used here)."""
    words = []
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            count, _, keys = line.partition(" ")
            word = 0
            for key in keys.strip().split("+"):
                if key and key != "-":
                    word |= BIT[key]
            words += [word] * int(count)
    return words


def write_script(path, prefix_path, play, comment):
    """The prefix script as it stands, then the play run-length coded."""
    with open(prefix_path) as f:
        prefix = f.read().rstrip("\n")
    lines = [prefix, "# " + comment]
    i = 0
    while i < len(play):
        j = i
        while j < len(play) and play[j] == play[i]:
            j += 1
        keys = "+".join(k for k in KEYS if play[i] & BIT[k]) or "-"
        lines.append(f"{j - i} {keys}")
        i = j
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


class Runner:
    """A private program folder (hard links to the program and its archives)."""

    def __init__(self, program):
        self.dir = tempfile.mkdtemp(prefix="input-search-")
        build = os.path.dirname(os.path.abspath(program))
        for name in os.listdir(build):
            if name == "tolvarin" or (name.startswith("vsk") and name.endswith(".dat")):
                src, dst = os.path.join(build, name), os.path.join(self.dir, name)
                try:
                    os.link(src, dst)
                except OSError:
                    shutil.copy(src, dst)

    def stage_frames(self, words, stage):
        """Frames the stage ran when the input was played through."""
        tag = f"{os.getpid()}-{random.getrandbits(32)}"
        inp = os.path.join(self.dir, f"in-{tag}.bin")
        rpl = os.path.join(self.dir, f"run-{tag}.rpl")
        with open(inp, "wb") as f:
            f.write(struct.pack(f"<{len(words)}H", *words))
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy", XDG_RUNTIME_DIR=self.dir)
        subprocess.run([os.path.join(self.dir, "tolvarin"), "--headless", "--no-draw", "--frames",
                        str(len(words)), "--input", inp, "--record", rpl],
                       cwd=self.dir, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        frames = 0
        if os.path.exists(rpl):
            with open(rpl, "rb") as f:
                head = f.read(HEADER_SIZE)
            if len(head) >= HEADER_INPUT_COUNT + 20:
                frames = struct.unpack_from("<5I", head, HEADER_INPUT_COUNT)[stage]
            os.remove(rpl)
        os.remove(inp)
        return frames

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)


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
    prefix = parse_script(args.prefix)
    total = len(prefix) + args.goal + 400
    play = random_play(rng, total - len(prefix))
    if args.start:
        play = parse_script(args.start)[len(prefix):]
        play += random_play(rng, max(0, total - len(prefix) - len(play)))
    runners = [Runner(args.program) for _ in range(args.jobs)]
    try:
        # The stage starts a few frames into the play (after the menus' fades):
        # play index = stage frame + lead.
        lead = 600 - runners[0].stage_frames(prefix + [BIT["Z"]] * 600, args.stage)
        best = runners[0].stage_frames(prefix + play, args.stage)
        tries = 0
        print(f"start: {best} stage frames", flush=True)
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            while best < args.goal and tries < args.tries:
                candidates = []
                for _ in range(args.jobs):
                    back = rng.randint(60, 700)
                    cut = max(0, min(len(play), best + lead - back))
                    candidates.append(play[:cut] + random_play(rng, len(play) - cut))
                results = list(pool.map(lambda job: job[0].stage_frames(prefix + job[1], args.stage),
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
