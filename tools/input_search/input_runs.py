"""Runs of the game program for the input searches: input scripts, replay
files and the runner's status lines.

Input scripts are the text form of tools/sampledata/input_script.h: one step a
line, a frame count and the keys held ("60 Z+Left", "1 -"), "repeat N" ... "end"
blocks, '#' comments. The program reads them as one little-endian 16-bit word
a frame (--input).

Replay files (game/shell/replay.h): a 716-byte header, then the input streams
of the stage slots in order, then a text summary nothing reads.

Status lines (--status-every N): "status <frame> scene <s> stage <i>
stage-frame <f> phase <p> script-frame <sf> lives <l> points <pts> score <s>".
"""
import os
import shutil
import struct
import subprocess
import tempfile

KEYS = ["Up", "Down", "Left", "Right", "Z", "X", "V", "C", "A", "S", "T"]
BIT = {name: 1 << i for i, name in enumerate(KEYS)}

SCENE_PLAY = 2
SCENE_STAGE_REPORT = 6

HEADER_SIZE = 716
STAGE_SLOTS = 20
PLAYED = 0x24        # 20 u8, one a stage slot
INPUT_COUNT = 0x38   # 20 u32
STAGE_SCORE = 0x88   # 20 u32
LIVES_AT_START = 0x128


class ScriptError(Exception):
    pass


def _keys_word(text, line_number):
    word = 0
    if text in ("", "-"):
        return 0
    for name in text.split("+"):
        if name not in BIT:
            raise ScriptError(f"line {line_number}: unknown key \"{name}\"")
        word |= BIT[name]
    return word


def script_steps(text):
    """The script's top-level steps in order: (the step's lines, its words).
    A repeat block is one step; comment lines and blank lines before a step
    belong to it."""
    steps = []
    pending = []
    stack = []  # open repeat blocks: (times, lines, words)
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.split("#", 1)[0].split()
        if not line:
            (stack[-1][1] if stack else pending).append(raw)
            continue
        if line[0] == "repeat":
            if len(line) != 2 or not line[1].isdigit():
                raise ScriptError(f"line {number}: repeat needs a count")
            stack.append((int(line[1]), [raw], []))
            continue
        if line[0] == "end":
            if not stack:
                raise ScriptError(f"line {number}: end without repeat")
            times, lines, words = stack.pop()
            lines.append(raw)
            words = words * times
            if stack:
                stack[-1][1].extend(lines)
                stack[-1][2].extend(words)
            else:
                steps.append((pending + lines, words))
                pending = []
            continue
        if len(line) > 2 or not line[0].isdigit():
            raise ScriptError(f"line {number}: not a step: {raw.strip()}")
        words = [_keys_word(line[1] if len(line) > 1 else "", number)] * int(line[0])
        if stack:
            stack[-1][1].append(raw)
            stack[-1][2].extend(words)
        else:
            steps.append((pending + [raw], words))
            pending = []
    if stack:
        raise ScriptError("a repeat block is not closed")
    return steps


def parse_script(text):
    """The words of an input script."""
    words = []
    for _, step in script_steps(text):
        words += step
    return words


def read_script(path):
    with open(path) as f:
        return f.read()


def script_lines(words):
    """Words as run-length coded script lines."""
    lines = []
    i = 0
    while i < len(words):
        j = i
        while j < len(words) and words[j] == words[i]:
            j += 1
        keys = "+".join(k for k in KEYS if words[i] & BIT[k]) or "-"
        lines.append(f"{j - i} {keys}")
        i = j
    return lines


def script_head(text, count):
    """The lines of the script's first `count` words: its own lines as long as
    whole steps fit, the step that is cut written out run-length coded."""
    lines = []
    taken = 0
    for step_lines, words in script_steps(text):
        if taken >= count:
            break
        if taken + len(words) <= count:
            lines += step_lines
            taken += len(words)
            continue
        lines += [l for l in step_lines if not l.split("#", 1)[0].strip()]  # its comments
        lines += script_lines(words[:count - taken])
        taken = count
    if taken < count:
        raise ScriptError(f"the script holds {taken} words, fewer than {count}")
    return lines


class Replay:
    """A replay file: its header bytes and the input stream of every stage slot."""

    def __init__(self, data):
        if len(data) < HEADER_SIZE:
            raise ValueError("a replay file is at least 716 bytes")
        self.header = bytearray(data[:HEADER_SIZE])
        counts = struct.unpack_from(f"<{STAGE_SLOTS}I", self.header, INPUT_COUNT)
        self.streams = []
        at = HEADER_SIZE
        for n in counts:
            self.streams.append(list(struct.unpack_from(f"<{n}H", data, at)))
            at += 2 * n

    @classmethod
    def read(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    def played(self, stage):
        return self.header[PLAYED + stage] != 0

    def stage_score(self, stage):
        return struct.unpack_from("<I", self.header, STAGE_SCORE + 4 * stage)[0]

    def lives_at_start(self, stage):
        return struct.unpack_from("<I", self.header, LIVES_AT_START + 4 * stage)[0]

    def one_stage(self, stage, stream):
        """The bytes of a replay that plays only `stage` with the input `stream`:
        a playback starts at that stage with its recorded seed, lives and
        counters, and the earlier stages' scores (it skips their play)."""
        header = bytearray(self.header)
        for s in range(STAGE_SLOTS):
            header[PLAYED + s] = 1 if s == stage else 0
            struct.pack_into("<I", header, INPUT_COUNT + 4 * s, len(stream) if s == stage else 0)
        return bytes(header) + struct.pack(f"<{len(stream)}H", *stream)


class Status:
    """One status line."""
    __slots__ = ("frame", "scene", "stage", "stage_frame", "phase", "script_frame", "lives", "points", "score")

    def __init__(self, line):
        f = line.split()
        if len(f) != 18 or f[0] != "status":
            raise ValueError(f"not a status line: {line!r}")
        self.frame = int(f[1])
        values = dict(zip(f[2::2], (int(v) for v in f[3::2])))
        self.scene = values["scene"]
        self.stage = values["stage"]
        self.stage_frame = values["stage-frame"]
        self.phase = values["phase"]
        self.script_frame = values["script-frame"]
        self.lives = values["lives"]
        self.points = values["points"]
        self.score = values["score"]


class Program:
    """The game program in a private folder (hard links to the program and its
    archives), so that runs in parallel never share settings, saves or the
    single-copy lock."""

    def __init__(self, program):
        self.dir = tempfile.mkdtemp(prefix="input-search-")
        build = os.path.dirname(os.path.abspath(program))
        for name in os.listdir(build):
            if name == os.path.basename(program) or (name.startswith("vsk") and name.endswith(".dat")):
                src, dst = os.path.join(build, name), os.path.join(self.dir, name)
                try:
                    os.link(src, dst)
                except OSError:
                    shutil.copy(src, dst)
        self.exe = os.path.join(self.dir, os.path.basename(program))
        self.env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy", XDG_RUNTIME_DIR=self.dir)
        self.serial = 0

    def path(self, name):
        self.serial += 1
        return os.path.join(self.dir, f"{self.serial}-{name}")

    def run(self, args, on_status=None):
        """Runs the program headless without drawing; `on_status` (if given)
        sees every status line and ends the run early by returning True.
        Returns the exit code (None when ended early)."""
        proc = subprocess.Popen([self.exe, "--headless", "--no-draw"] + args, cwd=self.dir, env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        stopped = False
        try:
            for line in proc.stdout:
                if on_status and line.startswith("status ") and on_status(Status(line)):
                    stopped = True
                    break
        finally:
            if stopped:
                proc.kill()
            proc.stdout.close()
            code = proc.wait()
        return None if stopped else code

    def run_script(self, words, record=False, on_status=None, status=True):
        """Plays input words from the start of the program (with `status`, one
        status line a frame). Returns the exit code and, with `record`, the
        run's Replay (None when the program wrote none: no stage played, or a
        continue was used)."""
        inp = self.path("in.bin")
        with open(inp, "wb") as f:
            f.write(struct.pack(f"<{len(words)}H", *words))
        args = ["--frames", str(len(words)), "--input", inp] + (["--status-every", "1"] if status else [])
        rpl = self.path("run.rpl")
        if record:
            args += ["--record", rpl]
        code = self.run(args, on_status)
        os.remove(inp)
        replay = None
        if record and os.path.exists(rpl):
            replay = Replay.read(rpl)
            os.remove(rpl)
        return code, replay

    def play_replay(self, data, on_status=None):
        """Plays replay bytes back, one status line a frame."""
        rpl = self.path("play.rpl")
        with open(rpl, "wb") as f:
            f.write(data)
        code = self.run(["--play", rpl, "--status-every", "1"], on_status)
        os.remove(rpl)
        return code

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)
