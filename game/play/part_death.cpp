#include "game/play/part_death.h"

#include <cstddef>
#include <initializer_list>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/kind_table.h"
#include "game/play/shots.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/story_flags.h"

namespace {

constexpr i32 kKeepMode = -0x7FFFFFFF;  // the part's action stays as it is

// The death of one sprite kind: death mode, burst size and spread, sound.
struct DeathRow {
    i32 mode;
    i32 count;
    f32 rx;
    f32 ry;
    i32 sound;
};

bool In(i32 v, i32 lo, i32 hi) { return v >= lo && v <= hi; }

DeathRow DeathRowOf(i32 kind) {
    if (kind == 10) return {kKeepMode, 10, 50, 50, 14};
    if (In(kind, 20, 24) || In(kind, 301, 303)) return {11, 10, 50, 50, 9};
    if (kind == 103 || kind == 111) return {13, 10, 50, 50, 14};
    if (kind == 106) return {11, 10, 50, 50, 14};
    if (kind == 110) return {0, 10, 50, 50, 9};
    if (kind == 112) return {11, 10, 50, 50, 9};
    if (kind == 141) return {kKeepMode, 10, 50, 50, 14};
    if (In(kind, 151, 153) || In(kind, 181, 184)) return {13, 10, 50, 50, 9};
    if (kind == 155) return {11, 10, 50, 50, 9};
    if (kind == 180) return {11, 30, 150, 100, 9};
    if (kind == 203 || kind == 220 || kind == 222) return {11, 10, 50, 50, 14};
    if (kind == 215) return {0, 10, 50, 50, 9};
    if (In(kind, 251, 256)) return {11, 10, 50, 50, 9};
    if (kind == 257 || kind == 258 || kind == 261) return {13, 10, 20, 50, 14};
    if (kind == 305 || kind == 306 || kind == 308) return {11, 10, 50, 50, 14};
    if (In(kind, 317, 319)) return {kKeepMode, 10, 50, 50, 9};
    if (kind == 338) return {13, 10, 20, 50, 14};
    if (In(kind, 341, 343)) return {11, 10, 50, 50, 14};
    if (In(kind, 344, 347)) return {11, 10, 50, 50, 14};
    if (kind == 360) return {11, 10, 50, 50, 9};
    if (kind == 361) return {11, 10, 50, 50, 9};
    if (In(kind, 362, 365)) return {13, 10, 50, 50, 14};
    if (kind == 366) return {380, 20, 50, 50, 9};
    if (kind == 380) return {11, 10, 50, 50, 14};
    if (kind == 390) return {11, 15, 50, 50, 14};
    if (In(kind, 391, 394)) return {13, 10, 50, 50, 14};
    if (kind == 410 || kind == 415) return {11, 10, 80, 80, 14};
    if (kind == 412 || kind == 413) return {13, 10, 50, 50, 14};
    if (kind == 416) return {13, 10, 30, 30, 14};
    if (kind == 438 || kind == 439 || In(kind, 446, 449)) return {13, 10, 20, 20, 14};
    if (kind == 441) return {11, 20, 80, 80, 9};
    if (In(kind, 442, 445)) return {11, 10, 50, 50, 9};
    if (kind == 451) return {kKeepMode, 10, 50, 50, 9};
    if (kind == 452 || In(kind, 493, 496) || In(kind, 501, 506)) return {13, 10, 50, 50, 14};
    if (kind == 497) return {14, 10, 50, 50, 14};
    if (kind == 510 || kind == 513 || kind == 516 || kind == 518) return {11, 10, 50, 50, 9};
    if (kind == 511 || kind == 512 || kind == 514 || kind == 515 || kind == 517 || kind == 519)
        return {11, 10, 50, 50, 14};
    if (kind == 531 || kind == 532 || kind == 535) return {11, 10, 50, 50, 9};
    if (kind == 533) return {11, 10, 50, 50, 14};
    if (kind == 536) return {14, 10, 80, 30, 14};
    if (In(kind, 591, 593)) return {11, 10, 50, 50, 9};
    if (kind == 1003) return {11, 15, 80, 80, 9};
    if (kind == 1004) return {11, 20, 100, 100, 9};
    if (kind == 1005) return {15, 10, 50, 50, 14};
    if (kind == 1006) return {13, 10, 20, 20, 14};
    if (kind == 1007) return {15, 15, 80, 80, 9};
    if (kind == 1008) return {13, 15, 20, 20, 14};
    if (kind == 1201) return {11, 10, 50, 50, 14};
    if (kind == 1202 || kind == 1203) return {13, 10, 50, 50, 14};
    return {0, 6, 50, 50, 14};
}

// N explosions of kind 10 spread around pos, delayed 0, 2, 4 ... frames.
void DebrisBurst(const f32 pos[2], i32 count, f32 rx, f32 ry) {
    for (i32 k = 0; k < count; ++k) {
        const f32 dx = RandomFloat(-rx, rx);
        const f32 dy = RandomFloat(-ry, ry);
        const f32 a = RandomFloat(-kPi, kPi);
        const f32 at[2] = {pos[0] + dx, pos[1] + dy};
        const i32 e = SpawnEffect(kEffectSpark, at, a, -1);
        if (e >= 0) g_EffectList[static_cast<std::size_t>(e)].age = -2 * k;
    }
}

// Ten smoke puffs of kind 16 flying out of `centre` and the wreck label 66 at
// `label`.
void Ring(const f32 centre[2], const f32 label[2]) {
    for (i32 i = 0; i < 10; ++i) {
        const f32 param = static_cast<f32>(static_cast<f64>(i) * 0.1 * static_cast<f64>(kTwoPi));
        SpawnEffect(kEffectWreckSpark, centre, param, -1);
    }
    SpawnEffect(kEffectWreckLabel, label, 0.0f, -1);
}

// The pool index of the enemy's root part r, -1 when it has none.
i32 RootOf(const Enemy& enemy, int r) {
    if (r < 0 || r >= kPartLinks) return kNoPart;
    return enemy.rootParts[r];
}

// The pool index of child c of the part at `index`, -1 when there is none.
i32 ChildOf(i32 index, int c) {
    const EnemyPart* part = PartAt(index);
    if (part == nullptr || c < 0 || c >= kPartLinks) return kNoPart;
    return part->children[c];
}

// The split of sprite kinds 317..319: the part comes back as kind 308 with two
// new children.
void SplitPart(EnemyPart* part) {
    part->state = 1;
    part->action = 1325;
    const i32 dying = part->spriteKind;
    part->spriteKind = 308;
    part->maxHp = 4000;
    part->hp = 4000;
    i32 newKind = 351;
    i32 newAction = 1311;
    f32 x = -13.0f;
    if (dying == 317) {
        newKind = 357;
        newAction = 1313;
        x = -18.0f;
    } else if (dying == 318) {
        newKind = 356;
        newAction = 1312;
        x = -18.0f;
    }
    // Both new parts or neither: a full pool leaves the part as it is.
    const i32 a = AllocateEnemyPart();
    if (a < 0) return;
    const i32 b = AllocateEnemyPart();
    if (b < 0) {
        g_EnemyPartPool[a].inUse = 0;
        return;
    }
    EnemyPart& pa = g_EnemyPartPool[a];
    pa.state = 1;
    pa.spriteKind = newKind;
    pa.action = newAction;
    pa.coinValue = 2;
    pa.scoreValue = 500;
    pa.timer = 0;
    pa.angle = 0.0f;
    pa.restAngle = 0.0f;
    pa.hitTimer = 0;
    pa.hitShape = HitShape{};
    pa.maxHp = 1200;
    pa.hp = 1200;
    for (i32& child : pa.children) child = kNoPart;
    EnemyPart& pb = g_EnemyPartPool[b];
    pb = pa;
    if (dying == 318) pb.timer = 50;
    pa.offsetX = x;
    pa.offsetY = -25.0f;
    pb.offsetX = x;
    pb.offsetY = 25.0f;
    part->children[0] = a;
    part->children[1] = b;
}

void RingAtEnemy(const Enemy& e) {
    const f32 centre[2] = {e.x, e.y};
    const f32 label[2] = {e.x, e.y - 30.0f};
    Ring(centre, label);
}

// ring(list): when every listed part has no hit points left.
bool AllSpent(std::initializer_list<i32> parts) {
    for (i32 p : parts)
        if (!PartSpent(p)) return false;
    return true;
}

void Defeat(i32 enemy, i32 state) {
    Enemy* e = EnemyAt(enemy);
    if (e == nullptr) return;
    e->corePart = kNoPart;
    e->state = state;
    e->age = 0;
}

void Banner() {
    const f32 at[2] = {320.0f, 220.0f};
    SpawnEffect(kEffectDefeatBonus, at, 0.0f, -1);
}

void Release(i32 enemy) { ReleaseEnemyParts(enemy); }

i32 Multiplier() { return GetScoreMultiplier(g_PlayerState[0].shotLevel); }
i32 Lives() { return g_PlayerState[0].lives; }

bool TalkAt(i32 event, i32 maxLine) {
    return g_TalkState.active != 0 && g_TalkState.eventId == event && g_TalkState.lineIndex <= maxLine;
}

void SetRootAction(i32 enemy, int r, i32 action) {
    const Enemy* e = EnemyAt(enemy);
    if (e == nullptr) return;
    EnemyPart* part = PartAt(RootOf(*e, r));
    if (part != nullptr) part->action = action;
}

void SetSpeed(i32 enemy, f32 speed) {
    Enemy* e = EnemyAt(enemy);
    if (e != nullptr) e->speed = speed;
}

// What the defeat of an enemy does once its parts are killed, by the spawn id
// it was made with: one routine per spawn id (ids that end alike share one).
class EnemyDefeat {
public:
    explicit EnemyDefeat(i32 index)
        : enemy(index), en(g_EnemyList[static_cast<std::size_t>(index)]), r0(RootOf(en, 0)) {}

    void Spawn10();
    void Spawn110();
    void Spawn111();
    void Spawn120();
    void Spawn150();
    void Spawn201();
    void Spawn202();
    void Spawn203();
    void Spawn210();
    void Spawn301();
    void Spawn302();
    void Spawn303();
    void Spawn306();
    void Spawn311To313();
    void Spawn380();
    void Spawn390();
    void Spawn411();
    void Spawn420();
    void Spawn421();
    void Spawn430();
    void Spawn490();
    void Spawn499And1001();
    void Spawn506();
    void Spawn507();
    void Spawn510To513();
    void Spawn580();
    void Spawn581();
    void Spawn582();
    void Spawn1051();
    void Spawn1071();

private:
    i32 root(int r) const { return RootOf(en, r); }

    const i32 enemy;
    const Enemy& en;
    const i32 r0;
    const f32 at240[2] = {320.0f, 240.0f};
};

void EnemyDefeat::Spawn10() {
    Defeat(enemy, 52);
    SpawnEffect(kEffectMissionComplete, at240, 0.0f, -1);
    StartTalkEvent(10);
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn110() {
    if (TalkAt(101, 3)) {
        StartTalkEvent(102);
        g_GameState.BonusCount += 1;
    } else {
        StartTalkEvent(103);
    }
    Defeat(enemy, 111);
    Banner();
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = Multiplier();
    AddScore((m + Lives() + 10) * 300 + m * n);
}

void EnemyDefeat::Spawn111() {
    if (AllSpent({root(0), root(1), root(2), ChildOf(r0, 0), ChildOf(r0, 1)})) RingAtEnemy(en);
    StartTalkEvent(g_EnemyList.size() == 1 ? 107 : 108);
    Defeat(enemy, 113);
    Banner();
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = Multiplier();
    AddScore((m + Lives() + 10) * 300 + m * n);
}

void EnemyDefeat::Spawn120() {
    g_GameState.KillCountA += 1;
    Release(enemy);
}

void EnemyDefeat::Spawn150() {
    Defeat(enemy, 152);
    PlaySoundEffect(9);
    if (g_EnemyList.size() >= 2) {
        for (const Enemy& other : g_EnemyList) {
            EnemyPart* part = PartAt(other.rootParts[0]);
            if (part == nullptr) continue;
            part->hitShape = HitShape{};
            part->action = 0;
        }
        StartTalkEvent(134);
    } else {
        StartTalkEvent(g_GameState.StoryFlags[kStoryBossFled] != 0 ? 133 : 131);
    }
}

void EnemyDefeat::Spawn201() {
    StartTalkEvent(205);
    Release(enemy);
    g_GameState.BonusCount += 1;
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn202() {
    if (AllSpent({root(0), root(1), root(2)})) {
        RingAtEnemy(en);
        PlaySoundEffect(9);
    }
    if (TalkAt(210, 1)) {
        StartTalkEvent(212);
        g_GameState.BonusCount += 1;
    } else {
        StartTalkEvent(211);
    }
    Defeat(enemy, 111);
    Banner();
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = Multiplier();
    AddScore(m * n + 400 * m + 300 * Lives() + 1000);
}

void EnemyDefeat::Spawn203() {
    g_GameState.KillCountB += 1;
    Release(enemy);
}

void EnemyDefeat::Spawn210() {
    Defeat(enemy, 299);
    SpawnEffect(kEffectMissionComplete, at240, 0.0f, -1);
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn301() {
    Defeat(enemy, 305);
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn302() {
    if (AllSpent({root(0), root(1), root(2), ChildOf(r0, 0)})) {
        RingAtEnemy(en);
        PlaySoundEffect(9);
    }
    Defeat(enemy, 312);
    SetSpeed(enemy, 0.0f);
}

void EnemyDefeat::Spawn303() {
    Defeat(enemy, 363);
    SetSpeed(enemy, 0.0f);
}

void EnemyDefeat::Spawn306() {
    Release(enemy);
    g_GameState.KillCountA += 1;
}

void EnemyDefeat::Spawn311To313() {
    const i32 r5 = root(5);
    bool spent =
        AllSpent({root(0), root(1), root(2), root(3), root(4), root(5), root(6), root(7), root(8), ChildOf(r5, 0)});
    if (en.spawnId != 312 && !PartSpent(ChildOf(r5, 1))) spent = false;
    if (spent) {
        const f32 centre[2] = {en.x, en.y - 130.0f};
        Ring(centre, centre);
    }
    Defeat(enemy, 305);
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn380() {
    Banner();
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = Multiplier();
    AddScore((m + Lives() + 10) * 300 + m * n);
    StartTalkEvent(311);
    Defeat(enemy, 111);
}

void EnemyDefeat::Spawn390() {
    if (AllSpent({root(0), root(1), root(2)})) RingAtEnemy(en);
    Defeat(enemy, 102);
    SetSpeed(enemy, 0.0f);
    Banner();
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = Multiplier();
    AddScore(2 * (m * n + 100 * m + 150 * Lives()) + 2500);
    PlaySoundEffect(9);
    g_GameState.BossActiveFlag = 1;
}

void EnemyDefeat::Spawn411() {
    Defeat(enemy, 409);
    SetSpeed(enemy, 0.0f);
    SetRootAction(enemy, 0, 11);
}

void EnemyDefeat::Spawn420() {
    if (AllSpent({root(0), root(1), root(2), root(3)})) RingAtEnemy(en);
    Defeat(enemy, 441);
    SetSpeed(enemy, 0.0f);
    PlaySoundEffect(9);
    ClearEnemyBulletsAndShells();
}

void EnemyDefeat::Spawn421() {
    if (AllSpent({root(0), root(1), root(2), root(3), root(4)})) RingAtEnemy(en);
    Defeat(enemy, 433);
    SetSpeed(enemy, 0.0f);
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn430() {
    if (AllSpent({root(0), root(1), root(2)})) {
        RingAtEnemy(en);
        PlaySoundEffect(9);
    }
    StartTalkEvent400(406);
    Defeat(enemy, 111);
    Banner();
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = Multiplier();
    AddScore((m + Lives() + 24) * 250 + m * n);
}

void EnemyDefeat::Spawn490() {
    Defeat(enemy, 419);
    SetRootAction(enemy, 0, 11);
    PlaySoundEffect(9);
}

void EnemyDefeat::Spawn499And1001() {
    Defeat(enemy, 1099);
    SetRootAction(enemy, 0, 11);
    PlaySoundEffect(9);
    RequestMusic(0);
    g_GameState.StageScriptPhase = 14;
}

void EnemyDefeat::Spawn506() {
    Defeat(enemy, 537);
    SetSpeed(enemy, 0.0f);
}

void EnemyDefeat::Spawn507() {
    if (AllSpent({root(0), root(1), root(2), root(3), root(4), root(5)})) RingAtEnemy(en);
    Release(enemy);
}

void EnemyDefeat::Spawn510To513() { Defeat(enemy, 511); }

void EnemyDefeat::Spawn580() { Defeat(enemy, 542); }

void EnemyDefeat::Spawn581() {
    StartTalkEvent500(537);
    Defeat(enemy, 542);
    g_GameState.BossActiveFlag = 1;
}

void EnemyDefeat::Spawn582() {
    StartTalkEvent500(538);
    Defeat(enemy, 542);
    g_GameState.BossActiveFlag = 1;
}

void EnemyDefeat::Spawn1051() {
    if (AllSpent({r0, ChildOf(r0, 0), ChildOf(r0, 1)})) RingAtEnemy(en);
    Release(enemy);
}

void EnemyDefeat::Spawn1071() {
    PlaySoundEffect(9);
    if (AllSpent({r0, ChildOf(r0, 0), ChildOf(r0, 1)})) RingAtEnemy(en);
    Release(enemy);
}

struct EnemyDefeatStep {
    i32 kind;  // the spawn id
    void (*run)(EnemyDefeat&);
};

// Every spawn id whose defeat does more than release the enemy, in ascending order.
constexpr EnemyDefeatStep kEnemyDefeatSteps[] = {
    {10, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn10>},
    {110, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn110>},
    {111, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn111>},
    {120, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn120>},
    {150, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn150>},
    {201, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn201>},
    {202, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn202>},
    {203, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn203>},
    {210, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn210>},
    {301, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn301>},
    {302, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn302>},
    {303, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn303>},
    {306, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn306>},
    {311, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn311To313>},
    {312, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn311To313>},
    {313, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn311To313>},
    {380, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn380>},
    {390, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn390>},
    {411, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn411>},
    {420, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn420>},
    {421, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn421>},
    {430, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn430>},
    {490, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn490>},
    {499, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn499And1001>},
    {506, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn506>},
    {507, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn507>},
    {510, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn510To513>},
    {511, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn510To513>},
    {512, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn510To513>},
    {513, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn510To513>},
    {580, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn580>},
    {581, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn581>},
    {582, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn582>},
    {1001, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn499And1001>},
    {1051, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn1051>},
    {1071, &CallMemberVoid<EnemyDefeat, &EnemyDefeat::Spawn1071>},
};

static_assert(SortedByKind(kEnemyDefeatSteps));

}  // namespace

void SpawnPartDeathEffects(i32 enemy, EnemyPart* part, const f32 pos[2], const f32* angle) {
    (void)angle;
    if (part == nullptr || pos == nullptr) return;
    part->state = -1;
    const i32 kind = part->spriteKind;
    const DeathRow row = DeathRowOf(kind);
    if (row.mode != kKeepMode) part->action = row.mode;

    const Enemy* owner = EnemyAt(enemy);

    // Extras that come before the burst.
    if (kind == 215 && owner != nullptr) {
        const i32 r0 = RootOf(*owner, 0);
        if (AllSpent({r0, RootOf(*owner, 1), RootOf(*owner, 2), RootOf(*owner, 3), ChildOf(r0, 0), ChildOf(r0, 1)}))
            RingAtEnemy(*owner);
    }
    if (kind == 1003) {
        bool spent = part->hp <= 0;
        for (int c = 0; c < 4; ++c)
            if (!PartSpent(part->children[c])) spent = false;
        if (spent) {
            const f32 label[2] = {pos[0], pos[1] - 30.0f};
            Ring(pos, label);
            g_GameState.KillCountB += 1;
        }
    }

    DebrisBurst(pos, row.count, row.rx, row.ry);

    // Extras after the burst, before the sound.
    if (In(kind, 20, 24) || In(kind, 301, 303)) {
        if (g_GameState.StoryFlags[kStoryTalk11PartDowned] == 0) StartTalkEvent(11);
    }
    if (kind == 141) {
        if (g_GameState.StageScriptPhase == 10 && g_GameState.StoryFlags[kStoryBossEscortDowned] == 0)
            StartTalkEvent(120);
    }
    if (kind == 451) g_GameState.ScreenShakeTimer = 50;
    if (In(kind, 317, 319)) SplitPart(part);

    PlaySoundEffect(row.sound);

    // Extras after the sound.
    if (In(kind, 344, 347) && owner != nullptr) {
        const EnemyPart* core = nullptr;
        if (owner->corePart >= 0 && owner->corePart < kPartLinks) core = PartAt(owner->rootParts[owner->corePart]);
        if (pos[1] < 150.0f && owner->corePart != kNoPart && part != core) {
            part->timer = 0;
            part->action = 339;
        }
    }
    if (kind == 361) {
        Enemy* e = EnemyAt(enemy);
        if (e != nullptr) {
            e->counter += 1;
            if (e->state == 1304) {
                part->action = 1308;
                part->timer = 0;
            }
        }
    }
    if (kind == 1003) {
        if (owner != nullptr && owner->corePart != kNoPart && part->hp <= 0) g_GameState.KillCountA += 1;
    }
}

void DestroyEnemy(i32 enemy) {
    Enemy* e = EnemyAt(enemy);
    if (e == nullptr) return;
    for (int r = 0; r < kPartLinks; ++r) {
        EnemyPart* part = PartAt(g_EnemyList[static_cast<std::size_t>(enemy)].rootParts[r]);
        if (part == nullptr) break;
        if (part->state != 1) continue;
        Enemy& self = g_EnemyList[static_cast<std::size_t>(enemy)];
        // The castle's root parts die alone: what they carry fights on while
        // it sinks.
        if (self.spawnId == 1001) {
            KillEnemyPartAlone(enemy, part, &self.x, &self.rotation);
        } else {
            KillEnemyPart(enemy, part, &self.x, &self.rotation);
        }
    }
    const EnemyDefeatStep* entry = FindKind(kEnemyDefeatSteps, g_EnemyList[static_cast<std::size_t>(enemy)].spawnId);
    if (entry == nullptr) {
        Release(enemy);
        return;
    }
    EnemyDefeat defeat(enemy);
    entry->run(defeat);
}
