// The numbers that tie each stage's files together agree: every stage's
// tables as the game holds them, and copies of the first stage's with one
// row broken.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/patterns/stage_numbers.h"
#include "game/shell/stage_list.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& line : lines) s += line + "\n";
    return s;
}

bool Mentions(const std::vector<std::string>& problems, const std::string& text) {
    for (const std::string& p : problems) {
        if (p.find(text) != std::string::npos) return true;
    }
    return false;
}

TEST(StageNumbers, EveryStagesNumbersAgree) {
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        const std::vector<std::string> problems = CheckStageNumbers(NumbersOfStage(stage));
        EXPECT_TRUE(problems.empty()) << Joined(problems);
    }
}

TEST(StageNumbers, TheFirstStageHasContentInEveryTable) {
    // The check above would pass on empty tables: the first stage's are not.
    const StageNumbers n = NumbersOfStage(0);
    EXPECT_GE(n.kinds.size(), 12u);
    EXPECT_GE(n.looks.size(), 26u);
    EXPECT_GE(n.behaviour->states.size(), 22u);
    EXPECT_GE(n.actions->actions.size(), 27u);
    EXPECT_GE(n.timeline->spawns.size(), 15u);
}

// A copy of the first stage's tables that a case may break.
struct BrokenCopy {
    std::vector<EnemyKindSpec> kinds;
    std::vector<EnemyLook> looks;
    std::vector<StateRow> states;
    std::vector<i32> writesStates;
    std::vector<ActionRow> actions;
    std::vector<TimelineSpawn> spawns;
    std::vector<NumbersException> exceptions;
    BehaviourTable behaviour;
    ActionTable actionTable;
    TimelineNumbers timeline;

    BrokenCopy() {
        const StageNumbers n = NumbersOfStage(0);
        kinds.assign(n.kinds.begin(), n.kinds.end());
        looks.assign(n.looks.begin(), n.looks.end());
        states.assign(n.behaviour->states.begin(), n.behaviour->states.end());
        writesStates.assign(n.behaviour->writesStates.begin(), n.behaviour->writesStates.end());
        actions.assign(n.actions->actions.begin(), n.actions->actions.end());
        spawns.assign(n.timeline->spawns.begin(), n.timeline->spawns.end());
        behaviour = *n.behaviour;
        actionTable = *n.actions;
        timeline = *n.timeline;
    }
    std::vector<std::string> Check() {
        behaviour.states = states;
        behaviour.writesStates = writesStates;
        actionTable.actions = actions;
        timeline.spawns = spawns;
        return CheckStageNumbers({0, kinds, looks, &behaviour, &actionTable, &timeline, exceptions});
    }
    EnemyKindSpec& Kind(i32 kind) {
        for (EnemyKindSpec& k : kinds) {
            if (k.kind == kind) return k;
        }
        ADD_FAILURE() << "no kind " << kind;
        return kinds[0];
    }
};

TEST(StageNumbers, ABrokenCopyOfARowIsFoundAndNamed) {
    struct Case {
        const char* name;
        std::function<void(BrokenCopy&)> breakIt;
        const char* problem;
    };
    const Case cases[] = {
        {"a part's action", [](BrokenCopy& b) { b.Kind(51).parts[0].action = 9131; }, "action 9131 (kind 51 part 0)"},
        {"a part's sprite kind", [](BrokenCopy& b) { b.Kind(71).parts[2].spriteKind = 9102; },
         "sprite kind 9102 (kind 71 part 2)"},
        {"a spawned kind", [](BrokenCopy& b) { b.spawns[3].kind = 77; }, "kind 77 (spawned by the timeline)"},
        {"a spawned state", [](BrokenCopy& b) { b.spawns[0].state = 1101; }, "state 1101 (spawned with kind 1)"},
        {"a body's next state", [](BrokenCopy& b) { b.writesStates.push_back(184); },
         "state 184 (written by the behaviours)"},
        {"a kind's first state", [](BrokenCopy& b) { b.Kind(2).state = 119; }, "state 119 (kind 2's first state)"},
        {"a lost state row", [](BrokenCopy& b) { b.states.pop_back(); }, "state 193"},
        {"a lost action row", [](BrokenCopy& b) { b.actions.erase(b.actions.begin() + 3); }, "action 101"},
        {"a lost look", [](BrokenCopy& b) { b.looks.erase(b.looks.begin()); }, "sprite kind 101"},
        {"a state twice", [](BrokenCopy& b) { b.states.push_back(b.states[4]); }, "state 105 has two rows"},
        {"an action twice", [](BrokenCopy& b) { b.actions.push_back(b.actions[5]); }, "action 106 has two rows"},
        {"a kind twice", [](BrokenCopy& b) { b.kinds.push_back(b.kinds[0]); }, "kind 1 has two rows"},
        {"a body missing", [](BrokenCopy& b) { b.states[2].body = nullptr; }, "state 103 has no body"},
        // clang-format off
        {"a child label", [](BrokenCopy& b) { b.Kind(51).parts[2].children = {0, 3}; },
         "kind 51: part 2's children names part 3 of 3"},
        {"a root label", [](BrokenCopy& b) { b.Kind(71).roots = {2, -1}; }, "kind 71: its root list names part -1"},
        {"a part under itself", [](BrokenCopy& b) { b.Kind(51).parts[0].children = {2}; }, "lies under itself"},
        {"a part linked twice", [](BrokenCopy& b) { b.Kind(52).roots = {2, 3, 4, 2}; }, "linked more than once"},
        // clang-format on
        {"a core part", [](BrokenCopy& b) { b.Kind(52).corePart = 3; }, "core part 3 is not a root position"},
    };
    {
        BrokenCopy intact;
        EXPECT_TRUE(intact.Check().empty()) << Joined(intact.Check());
    }
    for (const Case& c : cases) {
        BrokenCopy copy;
        c.breakIt(copy);
        const std::vector<std::string> problems = copy.Check();
        EXPECT_TRUE(Mentions(problems, c.problem)) << c.name << ":\n" << Joined(problems);
        EXPECT_TRUE(Mentions(problems, "stage index 0: ")) << c.name;
    }
}

TEST(StageNumbers, AnExceptionLetsItsNumberThroughAndAStaleOneIsReported) {
    BrokenCopy copy;
    copy.Kind(51).parts[0].action = 9131;
    copy.exceptions = {{NumbersRule::kActionHasRow, 9131, "a test's deliberate gap"}};
    EXPECT_TRUE(copy.Check().empty()) << Joined(copy.Check());
    // The exception is for its rule only.
    copy.Kind(71).parts[2].spriteKind = 9131;
    EXPECT_TRUE(Mentions(copy.Check(), "sprite kind 9131"));
    // An exception that matches nothing.
    BrokenCopy stale;
    stale.exceptions = {{NumbersRule::kStateHasBody, 297, "dead content"}};
    const std::vector<std::string> problems = stale.Check();
    ASSERT_EQ(problems.size(), 1u) << Joined(problems);
    EXPECT_TRUE(Mentions(problems, "state 297 matches nothing (dead content)"));
}

}  // namespace
