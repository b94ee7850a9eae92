#!/usr/bin/env python3
"""The random-draw check on small sources: what it must find and what it must
let pass. Run by ctest (python3 check_random_draws_test.py)."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import check_random_draws  # noqa: E402

# The generators and a few helpers as the game has them: the checker finds
# the helpers' draws by following their calls.
PRELUDE = """
i32 RandomNext();
u32 StageRandomNext(StageRandom* rng);
i32 RandomInt(i32 lo, i32 hi) {
    const i32 r1 = RandomNext();
    const i32 r2 = RandomNext();
    return r1 * r2 % (hi - lo + 1) + lo;
}
f32 RandomFloat(f32 lo, f32 hi) { return (hi - lo) * RandomNext() / 32767.0f + lo; }
u32 StageRandomBelow(StageRandom* rng, i32 n) { return StageRandomNext(rng) % n; }
namespace {
// Draws through another helper.
i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra) {
    Effect e{kind, pos[0], pos[1], param, extra};
    e.age = RandomInt(0, 7);
    g_EffectList.push_back(e);
    return 0;
}
struct Mover {
    Mover(i32 a, i32 b) : a_(a), b_{b} { Wander(); }
    void Wander() { x += RandomFloat(-1.0f, 1.0f); }
    i32 a_, b_;
    f32 x = 0;
};
}  // namespace
bool AtFrame(i32 frame);
i32 Pick(i32 a, i32 b);
"""

# (name, body, findings): a function body after the prelude and the kinds
# of finding expected in it, in order.
CASES = [
    # Two draws whose order the compiler chooses.
    ("two arguments", "Pick(RandomInt(0, 3), RandomInt(0, 3));", ["two draws"]),
    ("two operands", "const f32 v = RandomFloat(0, 1) + RandomFloat(0, 1);", ["two draws"]),
    ("two declarators", "i32 a = RandomInt(0, 1), b = StageRandomBelow(&g_StageRandomState, 4);", ["two draws"]),
    ("a helper and a draw", "Pick(SpawnEffect(1, p, 0, -1), RandomInt(0, 1));", ["two draws"]),
    ("a method that draws", "Pick(m.Wander(), RandomInt(0, 1));", ["two draws"]),
    ("braced list", "const f32 v[2] = {RandomFloat(0, 1), RandomFloat(0, 1)};", ["two draws"]),
    # Draws whose making depends on another operand.
    ("right of &&", "if (AtFrame(10) && SpawnEffect(1, p, 0, -1) < 0) return;", ["&& or ||"]),
    ("left of ||", "const bool b = RandomInt(0, 3) == 0 || AtFrame(3);", ["&& or ||"]),
    ("nested in &&", "if (x && Pick(RandomInt(0, 1), 2) > 0) y = 1;", ["&& or ||"]),
    ("?: condition", "const i32 v = RandomInt(0, 1) == 0 ? 3 : 4;", ["condition of a ?:"]),
    ("a while condition with ||", "while (a || StageRandomBelow(&g_StageRandomState, 2) == 0) ++a;",
     ["&& or ||"]),
    # What the rule allows.
    ("one a statement", "const i32 a = RandomInt(0, 1);\n    const i32 b = RandomInt(0, 1);", []),
    ("a draw as a drawing helper's argument", "SpawnEffect(kind, p, RandomFloat(-kPi, kPi), -1);", []),
    ("the branches of a ?:", "const f32 t = age % 300 == 0 ? RandomFloat(50, 150) : RandomFloat(140, 240);", []),
    ("a draw after an if head", "if (a && b) x = RandomInt(0, 3);\n    else y = RandomInt(0, 1);", []),
    ("an if head alone", "if (RandomInt(0, 3) == 0) Pick(1, 2);", []),
    ("for clauses", "for (i32 i = RandomInt(0, 3); i < 10; i += RandomInt(1, 2)) Pick(i, 0);", []),
    ("a condition beside the draw", "Pick(a && b, RandomInt(0, 1));", []),
    ("a condition inside the draw's argument", "x = RandomFloat(a > 0 && b ? 1.0f : 2.0f, 3.0f);", []),
    ("a lambda with one draw a statement",
     "const auto f = [&](i32 k) {\n        const i32 a = RandomInt(0, k);\n        return a + RandomInt(0, k);\n"
     "    };", []),
    ("deferred coordinates", "Spawn({.kind = 1, .x = StagePlus(170, 300), .y = StageMinus(50, 20)});", []),
    ("comments and strings",
     "// RandomInt(0, 1) + RandomInt(0, 1)\n    Log(\"RandomInt(0, 1) && RandomInt(0, 1)\");", []),
    ("a draw in a non-drawing call",
     "const i32 v = Pick(1, 2) && AtFrame(3);\n    const i32 w = RandomInt(0, 1);", []),
]


def run(body):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "case.cpp")
        with open(path, "w") as f:
            f.write(PRELUDE + "void Case() {\n    " + body + "\n}\n")
        findings, draws = check_random_draws.check([folder])
    return findings, draws


class CheckRandomDrawsTest(unittest.TestCase):
    def test_cases(self):
        for name, body, expected in CASES:
            with self.subTest(name):
                findings, _ = run(body)
                self.assertEqual(len(findings), len(expected), findings)
                for finding, kind in zip(findings, expected):
                    self.assertIn(kind, finding)
                    self.assertRegex(finding, r"case\.cpp:\d+: ")

    def test_the_drawing_functions_are_found_through_their_calls(self):
        _, draws = run("Pick(1, 2);")
        for name in ("RandomNext", "RandomInt", "RandomFloat", "StageRandomBelow", "SpawnEffect", "Wander",
                     "Mover"):
            self.assertIn(name, draws)
        for name in ("Pick", "AtFrame", "Case", "StagePlus"):
            self.assertNotIn(name, draws)

    def test_a_finding_names_its_line(self):
        findings, _ = run("Pick(1, 2);\n    Pick(\n        RandomInt(0, 1),\n        RandomInt(0, 1));")
        self.assertEqual(len(findings), 1)
        line = PRELUDE.count("\n") + 4  # the line of the first draw
        self.assertIn(f"case.cpp:{line}: two draws in one statement (RandomInt)", findings[0])

    def test_the_program_exits_1_on_a_finding_and_2_without_a_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "a.cpp"), "w") as f:
                f.write(PRELUDE + "void F() { Pick(RandomInt(0, 1), RandomInt(0, 1)); }\n")
            self.assertEqual(check_random_draws.main(["check", folder]), 1)
            os.remove(os.path.join(folder, "a.cpp"))
            self.assertEqual(check_random_draws.main(["check", folder]), 0)
            self.assertEqual(check_random_draws.main(["check", os.path.join(folder, "missing")]), 2)
            self.assertEqual(check_random_draws.main(["check"]), 2)


if __name__ == "__main__":
    unittest.main()
