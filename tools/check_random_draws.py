#!/usr/bin/env python3
"""Checks the rule that keeps replays bit-exact across compilers: one random
draw per statement, and no draw inside a `&&`, `||` or `?:` expression.

C++ leaves the order in which the operands of a call (or of `+`, `*`, ...)
are evaluated to the compiler, so two draws in one statement may come out in
a different order from gcc and from clang; a draw in an operand of `&&`, `||`
or `?:` is made or not depending on the other operand, which hides where the
sequence goes. Either changes a replay's run without changing its input.

A draw is a call of a function that advances one of the game's generators:
RandomNext (the engine generator) and StageRandomNext (the stage generator),
and every function whose body calls a draw, found here by following the calls
of every function defined under the folders checked (RandomInt, RandomFloat,
StageRandomBelow, ResolveSpawnCoord, the effect and spawn helpers, ...).
Functions are told apart by name alone, so one that shares its name with a
drawing function counts as drawing too. StagePlus, StageMinus and RandomRange
only describe a spawn coordinate: the spawn draws it later, x before y, so
they are not draws where they are written.

    check_random_draws.py [--list-draws] FOLDER...

Prints one line per finding ("file:line: ...") and exits 1 when there is
any, 0 when there is none. --list-draws prints the drawing functions found.
"""
import os
import re
import sys

# The generators' own steps; everything that calls them draws.
GENERATOR_STEPS = {"RandomNext", "StageRandomNext"}
# Coordinates resolved (and drawn) by the spawn, in a fixed order.
DEFERRED = {"StagePlus", "StageMinus", "RandomRange"}
# Words before a '(' that are not calls.
KEYWORDS = {"if", "while", "for", "switch", "return", "sizeof", "alignof", "decltype", "catch", "static_assert",
            "noexcept", "throw", "case", "default", "new", "delete", "operator", "typeid", "alignas"}
CONTROL_HEADS = {"if", "while", "for", "switch"}
# Words that may stand between a function's parameter list and its body.
QUALIFIERS = {"const", "noexcept", "override", "final", "mutable", "constexpr", "volatile", "&", "&&"}

TOKEN = re.compile(r"""
   (?P<ws>\s+)
  |(?P<comment>//[^\n]*|/\*.*?\*/)
  |(?P<pp>^[ \t]*\#(?:\\\n|[^\n])*)
  |(?P<raw>(?:u8|u|U|L)?R"(?P<delim>[^(\s"]*)\(.*?\)(?P=delim)")
  |(?P<string>(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*")
  |(?P<number>\.?\d(?:[eEpP][+-]|[\w.]|'(?=\w))*)
  |(?P<char>(?:u8|u|U|L)?'(?:\\.|[^'\\\n])+')
  |(?P<ident>[A-Za-z_]\w*)
  |(?P<op>&&|\|\||::|->|\.\.\.|<<=|>>=|[-+*/%&|^!=<>]=|<<|\+\+|--|\S)
""", re.S | re.M | re.X)


class Token:
    __slots__ = ("kind", "text", "line")

    def __init__(self, kind, text, line):
        self.kind, self.text, self.line = kind, text, line

    def __repr__(self):
        return self.text


def tokenize(text):
    """The tokens of a C++ source, without comments, preprocessor lines and
    the contents of string and character literals."""
    tokens = []
    pos, line = 0, 1
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m:  # cannot happen: \S matches any character left
            raise ValueError(f"line {line}: cannot read {text[pos:pos + 20]!r}")
        kind = m.lastgroup
        if kind == "delim":
            kind = "raw"
        piece = m.group(0)
        if kind in ("raw", "string", "char"):
            tokens.append(Token("literal", '""', line))
        elif kind in ("ident", "number", "op"):
            tokens.append(Token(kind, piece, line))
        line += piece.count("\n")
        pos = m.end()
    return tokens


def matching(tokens, i):
    """The index of the bracket that closes (or opens) the one at i."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    back = {v: k for k, v in pairs.items()}
    open_, step = (tokens[i].text, 1) if tokens[i].text in pairs else (tokens[i].text, -1)
    close = pairs.get(open_) or back[open_]
    depth = 0
    j = i
    while 0 <= j < len(tokens):
        t = tokens[j].text
        if t == open_:
            depth += 1
        elif t == close:
            depth -= 1
            if depth == 0:
                return j
        j += step
    return -1


def is_call(tokens, i):
    t = tokens[i]
    return (t.kind == "ident" and t.text not in KEYWORDS and i + 1 < len(tokens) and tokens[i + 1].text == "(")


# ---- which functions draw ------------------------------------------------

def skip_qualifiers(tokens, j):
    """Back over the qualifiers and a trailing return type after a
    parameter list."""
    while j >= 0:
        if tokens[j].text in QUALIFIERS:
            j -= 1
        elif j >= 1 and tokens[j].kind == "ident" and tokens[j - 1].text == "->":
            j -= 2
        else:
            break
    return j


def function_name(tokens, brace):
    """The name of the function whose body opens at `brace`, or None when
    the brace opens something else (a class, a namespace, an initializer, a
    block of a statement)."""
    j = skip_qualifiers(tokens, brace - 1)
    if j >= 0 and tokens[j].text in (")", "}"):
        open_ = matching(tokens, j)
        if open_ >= 2 and tokens[open_ - 1].kind == "ident" and tokens[open_ - 2].text in (",", ":"):
            # A constructor's member initializers: back over them to the ':'.
            k = open_ - 1
            while k >= 0 and tokens[k].text != ":":
                k = matching(tokens, k) - 1 if tokens[k].text in (")", "}") else k - 1
            j = skip_qualifiers(tokens, k - 1)
    if j < 0 or tokens[j].text != ")":
        return None
    open_ = matching(tokens, j)
    if open_ < 1:
        return None
    name = tokens[open_ - 1]
    if name.kind != "ident" or name.text in KEYWORDS:
        return None
    return name.text


def collect_calls(files):
    """For every function defined in the files, the names it calls."""
    calls = {}
    for tokens in files.values():
        stack = []  # 'function' or 'other' per open brace
        current = []  # the names of the functions whose bodies are open
        for i, t in enumerate(tokens):
            if t.text == "{":
                name = None if "function" in stack else function_name(tokens, i)
                if name:
                    stack.append("function")
                    current.append(name)
                    calls.setdefault(name, set())
                else:
                    stack.append("other")
            elif t.text == "}":
                if stack and stack.pop() == "function":
                    current.pop()
            elif current and is_call(tokens, i):
                calls[current[-1]].add(t.text)
    return calls


def drawing_functions(calls):
    draws = set(GENERATOR_STEPS)
    changed = True
    while changed:
        changed = False
        for name, callees in calls.items():
            if name not in draws and callees & draws:
                draws.add(name)
                changed = True
    return draws


# ---- statements ----------------------------------------------------------

BLOCK_BEFORE = {")", "]", ";", "{", "}", ":", "else", "do", "try"} | QUALIFIERS


def statements(tokens):
    """The expressions of a file, each a list of tokens: every statement cut
    at ';' and at the braces of blocks, the parenthesized heads of if, while,
    for (each of its three clauses) and switch apart from what they govern."""
    out = []
    current = []
    depth = 0  # parentheses, brackets and initializer braces
    i = 0
    n = len(tokens)
    while i < n:
        t = tokens[i]
        if depth == 0 and t.text in CONTROL_HEADS and i + 1 < n and (
                tokens[i + 1].text == "(" or tokens[i + 1].text == "constexpr"):
            open_ = i + 1 if tokens[i + 1].text == "(" else i + 2
            close = matching(tokens, open_)
            if close < 0:
                break
            if current:
                out.append(current)
                current = []
            clause = []
            inner = 0
            for k in range(open_ + 1, close):
                x = tokens[k].text
                if x in "([{":
                    inner += 1
                elif x in ")]}":
                    inner -= 1
                if x == ";" and inner == 0:
                    out.append(clause)
                    clause = []
                else:
                    clause.append(tokens[k])
            out.append(clause)
            i = close + 1
            continue
        if t.text == ";":
            out.append(current)
            current = []
            depth = 0
        elif t.text == "{" and depth == 0 and (i == 0 or tokens[i - 1].text in BLOCK_BEFORE or starts_type(current)):
            out.append(current)
            current = []
        elif t.text == "}" and depth == 0:
            out.append(current)
            current = []
        else:
            if t.text in ("(", "[", "{"):
                depth += 1
            elif t.text in (")", "]", "}"):
                depth = max(0, depth - 1)
            current.append(t)
        i += 1
    out.append(current)
    return [s for s in out if s]


def starts_type(tokens):
    return any(t.text in ("struct", "class", "union", "enum", "namespace", "extern") for t in tokens[:3])


def enclosing(expr, pos):
    """The index of the bracket that opens the group around pos (-1: none)."""
    depth = 0
    j = pos - 1
    while j >= 0:
        x = expr[j].text
        if x in ")]}":
            depth += 1
        elif x in "([{":
            if depth == 0:
                return j
            depth -= 1
        j -= 1
    return -1


def stretch(expr, start, end, pos):
    """The tokens' indexes, at the level of pos, between the commas (or the
    ends start and end) that hold pos."""
    pieces, piece, depth = [], [], 0
    held = None
    for m in range(start, end):
        x = expr[m].text
        if depth == 0 and x == ",":
            pieces.append(piece)
            piece = []
            continue
        if depth == 0:
            piece.append(m)
        if m == pos:
            held = len(pieces)
        if x in "([{":
            depth += 1
        elif x in ")]}":
            depth -= 1
    pieces.append(piece)
    return pieces[held] if held is not None else []


def placement(expr, k):
    """Where the draw at k stands: whether it is in an operand of && or ||,
    or in the condition of a ?:, and on which side of each ?: it is in a
    branch of ({index of the '?': 'then' or 'else'})."""
    short_circuit = False
    in_condition = False
    sides = {}
    pos = k
    while True:
        open_ = enclosing(expr, pos)
        end = matching(expr, open_) if open_ >= 0 else len(expr)
        level = stretch(expr, open_ + 1, end if end >= 0 else len(expr), pos)
        texts = [expr[m].text for m in level]
        if "&&" in texts or "||" in texts:
            short_circuit = True
        if "?" in texts:
            question = next(m for m in level if expr[m].text == "?")
            if pos < question:
                in_condition = True
            else:
                # The ':' that closes this '?', counting nested ones.
                nested, colon = 0, None
                for m in level:
                    if m <= question:
                        continue
                    if expr[m].text == "?":
                        nested += 1
                    elif expr[m].text == ":":
                        if nested == 0:
                            colon = m
                            break
                        nested -= 1
                sides[question] = "then" if colon is None or pos < colon else "else"
        if open_ < 0:
            return short_circuit, in_condition, sides
        pos = open_


def exclusive(a, b, expr):
    """True when the draws at a and b never both run unordered: one is in
    the other's arguments (made before the other's body), or they stand on
    the two sides of one ?:."""
    for outer, inner in ((a, b), (b, a)):
        close = matching(expr, outer + 1)
        if outer + 1 < inner < close:
            return True
    sa, sb = placement(expr, a)[2], placement(expr, b)[2]
    return any(q in sb and sb[q] != side for q, side in sa.items())


def check_tokens(tokens, draws, path):
    findings = []
    for expr in statements(tokens):
        found = [k for k in range(len(expr)) if expr[k].text in draws and is_call(expr, k)]
        together = [(a, b) for i, a in enumerate(found) for b in found[i + 1:] if not exclusive(a, b, expr)]
        if together:
            names = ", ".join(sorted({expr[k].text for pair in together for k in pair}))
            findings.append(f"{path}:{expr[together[0][0]].line}: two draws in one statement ({names})")
        for k in found:
            short_circuit, in_condition, _ = placement(expr, k)
            if short_circuit:
                findings.append(f"{path}:{expr[k].line}: a draw ({expr[k].text}) in an operand of && or ||")
            elif in_condition:
                findings.append(f"{path}:{expr[k].line}: a draw ({expr[k].text}) in the condition of a ?:")
    return findings


def source_files(roots):
    for root in roots:
        if os.path.isfile(root):
            yield root
            continue
        for folder, dirs, names in os.walk(root):
            dirs.sort()
            for name in sorted(names):
                if name.endswith((".cpp", ".h", ".hpp", ".cc")):
                    yield os.path.join(folder, name)


def check(roots):
    """The findings under the folders, and the drawing functions."""
    files = {}
    for path in source_files(roots):
        with open(path, encoding="utf-8", errors="replace") as f:
            files[path] = tokenize(f.read())
    draws = drawing_functions(collect_calls(files)) - DEFERRED
    findings = []
    for path, tokens in files.items():
        findings += check_tokens(tokens, draws, path)
    return findings, draws


def main(argv):
    args = argv[1:]
    list_draws = "--list-draws" in args
    roots = [a for a in args if a != "--list-draws"]
    if not roots:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        print("usage: check_random_draws.py [--list-draws] FOLDER...", file=sys.stderr)
        return 2
    missing = [r for r in roots if not os.path.exists(r)]
    if missing:
        print(f"check_random_draws.py: no such file or folder: {', '.join(missing)}", file=sys.stderr)
        return 2
    findings, draws = check(roots)
    if list_draws:
        print("\n".join(sorted(draws)))
    for line in findings:
        print(line)
    if findings:
        print(f"{len(findings)} finding(s): one random draw per statement, none in an operand of &&, || or ?:",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
