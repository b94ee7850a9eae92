#pragma once
// A watch over a stage as it plays, beside the numbers check of its tables:
// every spawn's (kind, state) must be one the timeline declares, and every
// state, action and sprite kind seen on the field must have its row (or be
// one of the stage's exceptions). A flow test makes one, calls Look() after
// each frame and expects Problems() to be empty at its end.
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/patterns/stage_numbers.h"
#include "game/play/records.h"

namespace stage_test {

class NumbersAudit {
public:
    explicit NumbersAudit(i32 stageIndex) : numbers_(NumbersOfStage(stageIndex)) {
        current_ = this;
        SetSpawnObserver([](const SpawnOrder& order) { current_->spawns_.insert({order.kind, order.state}); });
    }
    ~NumbersAudit() {
        SetSpawnObserver(nullptr);
        current_ = nullptr;
    }
    NumbersAudit(const NumbersAudit&) = delete;
    NumbersAudit& operator=(const NumbersAudit&) = delete;

    void Look() {
        for (const Enemy& e : g_EnemyList) {
            states_.insert(e.state);
            for (const i32 root : e.rootParts) {
                if (root < 0 || root >= kEnemyPartPoolSize) break;
                LookAtTree(g_EnemyPartPool[root], 0);
            }
        }
    }

    std::vector<std::string> Problems() const {
        std::vector<std::string> problems;
        for (const auto& [kind, state] : spawns_) {
            bool declared = false;
            for (const TimelineSpawn& s : numbers_.timeline->spawns)
                declared = declared || (s.kind == kind && s.state == state);
            if (!declared)
                problems.push_back("a spawn of kind " + std::to_string(kind) + " in state " + std::to_string(state) +
                                   " that the timeline does not declare");
        }
        for (const i32 state : states_) {
            if (state != 0 && !FindStateRow(*numbers_.behaviour, state) && !Excepted(NumbersRule::kStateHasBody, state))
                problems.push_back("state " + std::to_string(state) + " seen without a row");
        }
        for (const i32 action : actions_) {
            if (action != 0 && !FindActionRow(*numbers_.actions, action) &&
                !Excepted(NumbersRule::kActionHasRow, action))
                problems.push_back("action " + std::to_string(action) + " seen without a row");
        }
        for (const i32 kind : spriteKinds_) {
            bool look = kind == 0;
            for (const EnemyLook& l : numbers_.looks) look = look || (kind >= l.firstKind && kind <= l.lastKind);
            if (!look && !Excepted(NumbersRule::kSpriteKindHasLook, kind))
                problems.push_back("sprite kind " + std::to_string(kind) + " seen without a look");
        }
        return problems;
    }

    // How much the watch saw (so a test knows it watched something).
    std::size_t SpawnsSeen() const { return spawns_.size(); }
    std::size_t StatesSeen() const { return states_.size(); }

private:
    void LookAtTree(const EnemyPart& part, int depth) {
        if (depth >= kEnemyPartPoolSize) return;
        actions_.insert(part.action);
        spriteKinds_.insert(part.spriteKind);
        for (const i32 child : part.children) {
            if (child < 0 || child >= kEnemyPartPoolSize) break;
            LookAtTree(g_EnemyPartPool[child], depth + 1);
        }
    }
    bool Excepted(NumbersRule rule, i32 number) const {
        for (const NumbersException& e : numbers_.exceptions) {
            if (e.rule == rule && e.number == number) return true;
        }
        return false;
    }

    static inline NumbersAudit* current_ = nullptr;
    StageNumbers numbers_;
    std::set<std::pair<i32, i32>> spawns_;
    std::set<i32> states_;
    std::set<i32> actions_;
    std::set<i32> spriteKinds_;
};

}  // namespace stage_test
