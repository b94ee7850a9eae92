#include "game/patterns/stage_numbers.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "game/patterns/stage_registry.h"

namespace {

const char* RuleName(NumbersRule rule) {
    switch (rule) {
        case NumbersRule::kSpawnedKindHasRow: return "spawned kind";
        case NumbersRule::kStateHasBody: return "state";
        case NumbersRule::kActionHasRow: return "action";
        case NumbersRule::kSpriteKindHasLook: return "sprite kind";
    }
    return "number";
}

class Checker {
public:
    explicit Checker(const StageNumbers& n) : n_(n) {}

    std::vector<std::string> Run() {
        CheckTables();
        CheckKinds();
        CheckSpawns();
        CheckWrites();
        ReportStaleExceptions();
        return std::move(problems_);
    }

private:
    void Problem(const std::string& text) {
        problems_.push_back("stage index " + std::to_string(n_.stageIndex) + ": " + text);
    }

    // A missing row unless the stage lists the number as an exception.
    void Missing(NumbersRule rule, i32 number, const std::string& what) {
        for (std::size_t i = 0; i < n_.exceptions.size(); ++i) {
            if (n_.exceptions[i].rule == rule && n_.exceptions[i].number == number) {
                used_.insert(i);
                return;
            }
        }
        Problem(what);
    }

    bool HasKind(i32 kind) const {
        return std::any_of(n_.kinds.begin(), n_.kinds.end(), [&](const EnemyKindSpec& k) { return k.kind == kind; });
    }
    bool HasState(i32 state) const { return n_.behaviour && FindStateRow(*n_.behaviour, state) != nullptr; }
    bool HasAction(i32 action) const { return n_.actions && FindActionRow(*n_.actions, action) != nullptr; }
    bool HasLook(i32 spriteKind) const {
        return std::any_of(n_.looks.begin(), n_.looks.end(),
                           [&](const EnemyLook& l) { return spriteKind >= l.firstKind && spriteKind <= l.lastKind; });
    }

    void NeedState(i32 state, const std::string& from) {
        if (!HasState(state)) {
            Missing(NumbersRule::kStateHasBody, state,
                    "state " + std::to_string(state) + " (" + from + ") has no row in the behaviour table");
        }
    }
    void NeedAction(i32 action, const std::string& from) {
        if (action != 0 && !HasAction(action)) {
            Missing(NumbersRule::kActionHasRow, action,
                    "action " + std::to_string(action) + " (" + from + ") has no row in the action table");
        }
    }
    void NeedLook(i32 spriteKind, const std::string& from) {
        if (spriteKind != 0 && !HasLook(spriteKind)) {
            Missing(NumbersRule::kSpriteKindHasLook, spriteKind,
                    "sprite kind " + std::to_string(spriteKind) + " (" + from + ") has no look");
        }
    }

    // Rows with a function each, every id once.
    void CheckTables() {
        std::map<i32, int> states;
        if (n_.behaviour) {
            for (const StateRow& row : n_.behaviour->states) {
                if (++states[row.state] == 2) Problem("state " + std::to_string(row.state) + " has two rows");
                if (!row.body) Problem("state " + std::to_string(row.state) + " has no body");
            }
        }
        std::map<i32, int> actions;
        if (n_.actions) {
            for (const ActionRow& row : n_.actions->actions) {
                if (++actions[row.action] == 2) Problem("action " + std::to_string(row.action) + " has two rows");
                if (!row.run) Problem("action " + std::to_string(row.action) + " has no function");
            }
        }
        std::map<i32, int> kinds;
        for (const EnemyKindSpec& k : n_.kinds) {
            if (++kinds[k.kind] == 2) Problem("kind " + std::to_string(k.kind) + " has two rows");
        }
    }

    // Each kind's tree: labels inside the part list, at most 20 links, every
    // part under at most one parent and never under itself, the core part a
    // root position; and its numbers' rows.
    void CheckKinds() {
        for (const EnemyKindSpec& k : n_.kinds) {
            const std::string name = "kind " + std::to_string(k.kind);
            const i32 count = static_cast<i32>(k.parts.size());
            std::vector<int> parents(k.parts.size(), 0);
            auto label = [&](i32 l, const std::string& where) {
                if (l < 0 || l >= count) {
                    Problem(name + ": " + where + " names part " + std::to_string(l) + " of " + std::to_string(count));
                    return false;
                }
                return true;
            };
            if (k.roots.size() > static_cast<std::size_t>(kPartLinks)) Problem(name + " has more than 20 roots");
            for (const i32 r : k.roots) {
                if (label(r, "its root list")) ++parents[static_cast<std::size_t>(r)];
            }
            for (std::size_t p = 0; p < k.parts.size(); ++p) {
                const PartSpec& part = k.parts[p];
                const std::string where = name + " part " + std::to_string(p);
                if (part.children.size() > static_cast<std::size_t>(kPartLinks)) {
                    Problem(where + " has more than 20 children");
                }
                for (const i32 c : part.children) {
                    if (label(c, "part " + std::to_string(p) + "'s children")) ++parents[static_cast<std::size_t>(c)];
                }
                NeedAction(part.action, where);
                NeedLook(part.spriteKind, where);
            }
            for (std::size_t p = 0; p < parents.size(); ++p) {
                if (parents[p] > 1) Problem(name + " part " + std::to_string(p) + " is linked more than once");
                if (parents[p] == 1 && UnderItself(k, static_cast<i32>(p))) {
                    Problem(name + " part " + std::to_string(p) + " lies under itself");
                }
            }
            if (k.corePart < -1 || k.corePart >= static_cast<i32>(k.roots.size())) {
                Problem(name + ": core part " + std::to_string(k.corePart) + " is not a root position");
            }
            if (k.state != 0) NeedState(k.state, name + "'s first state");
        }
    }

    static bool UnderItself(const EnemyKindSpec& k, i32 start) {
        std::vector<i32> todo = k.parts[static_cast<std::size_t>(start)].children;
        std::set<i32> seen;
        while (!todo.empty()) {
            const i32 p = todo.back();
            todo.pop_back();
            if (p == start) return true;
            if (p < 0 || p >= static_cast<i32>(k.parts.size()) || !seen.insert(p).second) continue;
            for (const i32 c : k.parts[static_cast<std::size_t>(p)].children) todo.push_back(c);
        }
        return false;
    }

    void CheckSpawns() {
        if (!n_.timeline) return;
        for (const TimelineSpawn& s : n_.timeline->spawns) {
            const std::string from = "spawned with kind " + std::to_string(s.kind);
            if (!HasKind(s.kind)) {
                Missing(NumbersRule::kSpawnedKindHasRow, s.kind,
                        "kind " + std::to_string(s.kind) + " (spawned by the timeline) has no row in the kind table");
            }
            NeedState(s.state, from);
        }
    }

    void CheckWrites() {
        if (n_.timeline) {
            for (const i32 s : n_.timeline->writesStates) NeedState(s, "written by the timeline");
            for (const i32 a : n_.timeline->writesActions) NeedAction(a, "written by the timeline");
        }
        if (n_.behaviour) {
            for (const i32 s : n_.behaviour->writesStates) NeedState(s, "written by the behaviours");
            for (const i32 a : n_.behaviour->writesActions) NeedAction(a, "written by the behaviours");
            for (const i32 k : n_.behaviour->writesSpriteKinds) NeedLook(k, "written by the behaviours");
        }
        if (n_.actions) {
            for (const i32 a : n_.actions->writesActions) NeedAction(a, "written by the actions");
            for (const i32 k : n_.actions->writesSpriteKinds) NeedLook(k, "written by the actions");
        }
    }

    void ReportStaleExceptions() {
        for (std::size_t i = 0; i < n_.exceptions.size(); ++i) {
            if (used_.count(i) != 0) continue;
            const NumbersException& e = n_.exceptions[i];
            Problem(std::string("the exception for ") + RuleName(e.rule) + " " + std::to_string(e.number) +
                    " matches nothing (" + e.reason + ")");
        }
    }

    const StageNumbers& n_;
    std::vector<std::string> problems_;
    std::set<std::size_t> used_;
};

}  // namespace

StageNumbers NumbersOfStage(i32 stageIndex) {
    StageNumbers n;
    n.stageIndex = stageIndex;
    if (stageIndex < 0 || stageIndex >= kStageCount) return n;
    const StageContent& stage = StageContents()[static_cast<std::size_t>(stageIndex)];
    n.kinds = stage.kinds;
    n.looks = stage.looks;
    n.behaviour = stage.behaviour;
    n.actions = stage.actions;
    n.timeline = stage.timeline;
    n.exceptions = stage.exceptions;
    return n;
}

std::vector<std::string> CheckStageNumbers(const StageNumbers& numbers) { return Checker(numbers).Run(); }
