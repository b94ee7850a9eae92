// The state hash the runner prints: 64-bit FNV-1a over the game state, field
// by field (never over padding or pointers), so two runs that reached the same
// state print the same hash. What tells a recording from its playback (the
// game mode, the live keys, the pause menu opened by the live key) is left
// out, so that the two can be compared frame by frame. Each byte also goes
// into the FNV-1a hash of its part of the state, so that a difference can be
// placed (the combined hash does not depend on the parts).
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "engine/core/random.h"
#include "game/play/play_overlays.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/stage_random.h"
#include "game/play/state_hash.h"
#include "game/shell/play_state.h"

namespace {

constexpr u64 kFnvOffset = 0xCBF29CE484222325ull;
constexpr u64 kFnvPrime = 0x100000001B3ull;

class StateHasher {
public:
    StateHasher() {
        for (u64& h : parts_.part) h = kFnvOffset;
    }
    // The part the bytes added from now on belong to.
    void Begin(StatePart part) { current_ = &parts_.part[static_cast<int>(part)]; }
    template <typename T>
    void Add(T value) {
        static_assert(std::is_arithmetic_v<T>);
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char b : bytes) {
            hash_ ^= b;
            hash_ *= kFnvPrime;
            *current_ ^= b;
            *current_ *= kFnvPrime;
        }
    }
    template <typename T, std::size_t N>
    void AddAll(const T (&values)[N]) {
        for (const T& v : values) Add(v);
    }
    void Add(const HitShape& s) {
        Add(s.halfWidth);
        Add(s.halfHeight);
        Add(s.radius);
    }
    // Lists are prefixed by their length so that moving an element from one
    // list to the next changes the hash.
    void Count(std::size_t n) { Add(static_cast<u64>(n)); }
    StateHashParts Value() const {
        StateHashParts v = parts_;
        v.combined = hash_;
        return v;
    }

private:
    u64 hash_ = kFnvOffset;
    StateHashParts parts_;
    u64* current_ = &parts_.part[static_cast<int>(StatePart::kScript)];
};

void AddGameState(StateHasher& h) {
    const GameState& g = g_GameState;
    h.Add(g.StageFinished);
    h.Add(g.PlayEndKind);
    h.Add(g.FrameCounter);
    h.Add(g.StageScriptFrame);
    h.Add(g.StageIndex);
    h.Add(g.StageScriptPhase);
    h.Add(g.Difficulty);
    h.Add(g.StartKind);
    h.Add(g.Continues);
    h.Add(g.BackgroundZoom);
    h.Add(g.FieldScrollX);
    h.Add(g.BackgroundScrollY);
    h.Add(g.BackgroundScrollX);
    h.Add(g.BackgroundSection);
    for (const StarPoint& s : g.StarField) {
        h.Add(s.x);
        h.Add(s.y);
    }
    h.Add(g.StarCount);
    for (u8 f : g.StoryFlags) h.Add(f);
    h.Add(g.BonusCount);
    h.Add(g.MissCount);
    h.Add(g.BossPhaseMissCount);
    h.Add(g.KillCountA);
    h.Add(g.KillCountB);
    h.Add(g.BottomPanelShift);
    h.Add(g.TopPanelShift);
    h.Add(g.GaugePanelSlide);
    h.Add(g.LevelDigitHeight);
    h.Add(g.ScreenShakeTimer);
    h.Add(g.StageRank);
    h.Add(g.StageBannerTimer);
    h.Add(g.BossSequenceFlag);
    h.Add(g.BossActiveFlag);
    h.Add(g.StageClearFade);
    h.Add(g.RankPoints);
    h.Add(g.MissionTimer.panelSlide);
    h.Add(g.MissionTimer.total);
    h.Add(g.MissionTimer.remaining);
    h.Add(g.MissionTimer.bonus);
    h.Add(g.MissionTimer.alpha);
}

void AddPlayer(StateHasher& h, const PlayerState& p) {
    for (i32 v :
         {p.present,      p.fireTimer,        p.fireHoldFrames,   p.bankFrames, p.missileStock,  p.missileCharge,
          p.coins,        p.cancelCount,      p.cancelShown,      p.levelTimer, p.levelTimerMax, p.shotLevel,
          p.RunScore,     p.StageScorePoints, p.stagePointsShown, p.lives,      p.blinkTimer,    p.extendCount,
          p.extendPoints, p.missileCooldown,  p.missileChargeUp}) {
        h.Add(v);
    }
    h.Add(p.x);
    h.Add(p.y);
    h.AddAll(p.keys);
}

void AddPrompts(StateHasher& h) {
    h.Add(g_ContinuePrompt.ContinuePromptActive);
    h.Add(g_ContinuePrompt.state);
    h.Add(g_ContinuePrompt.cursor);
    h.Add(g_ContinuePrompt.slideTimer);
}

void AddEnemies(StateHasher& h) {
    h.Count(g_EnemyList.size());
    for (const Enemy& e : g_EnemyList) {
        h.Add(e.spawnId);
        h.Add(e.corePart);
        h.Add(e.active);
        h.Add(e.armoured);
        h.Add(e.counter);
        h.Add(e.age);
        h.Add(e.flag);
        h.Add(e.state);
        h.AddAll(e.rootParts);
        h.Add(e.layer);
        for (f32 v : {e.x, e.y, e.speed, e.heading, e.rotation, e.scale}) h.Add(v);
    }
    for (const EnemyPart& p : g_EnemyPartPool) {
        h.Add(p.inUse);
        if (!p.inUse) continue;
        h.Add(p.state);
        h.Add(p.spriteKind);
        h.Add(p.maxHp);
        h.Add(p.hp);
        h.Add(p.timer);
        h.Add(p.hitShape);
        for (f32 v : {p.restAngle, p.angle}) h.Add(v);
        h.Add(p.action);
        for (f32 v : {p.offsetX, p.offsetY, p.gaugeOffsetX, p.gaugeOffsetY}) h.Add(v);
        h.Add(p.coinValue);
        h.Add(p.scoreValue);
        h.Add(p.hitTimer);
        h.AddAll(p.children);
    }
}

void AddProjectiles(StateHasher& h) {
    h.Count(g_PlayerShotList.size());
    for (const PlayerShot& s : g_PlayerShotList) {
        for (i32 v : {s.owner, s.age, s.kind, s.damage, s.unused0, s.unused1}) h.Add(v);
        for (f32 v : {s.angle, s.heading, s.x, s.y}) h.Add(v);
        h.Add(s.consumeOnHit);
        h.Add(s.hitShape);
    }
    h.Count(g_EnemyBulletList.size());
    for (const EnemyBullet& b : g_EnemyBulletList) {
        for (i32 v : {b.unused0, b.unused1, b.kind, b.age}) h.Add(v);
        for (f32 v : {b.rotation, b.heading, b.speed, b.x, b.y}) h.Add(v);
        h.Add(b.hitShape);
    }
    h.Count(g_EnemyShellList.size());
    for (const EnemyShell& s : g_EnemyShellList) {
        for (i32 v : {s.unused0, s.hp, s.unused2, s.kind, s.age, s.strength}) h.Add(v);
        for (f32 v : {s.angle, s.heading, s.speed, s.x, s.y}) h.Add(v);
        h.Add(s.hitShape);
        h.Add(s.playerHitShape);
    }
    h.Count(g_PlayerMissileList.size());
    for (const PlayerMissile& m : g_PlayerMissileList) {
        for (i32 v : {m.unused0, m.owner, m.kind, m.age, m.power}) h.Add(v);
        for (f32 v : {m.angle, m.heading, m.speed, m.x, m.y}) h.Add(v);
        h.Add(m.hitShape);
    }
}

void AddOthers(StateHasher& h) {
    h.Count(g_EffectList.size());
    for (const Effect& e : g_EffectList) {
        for (i32 v : {e.age, e.kind, e.extra, e.layer}) h.Add(v);
        for (f32 v : {e.x, e.y, e.param, e.alpha, e.scale}) h.Add(v);
    }
    h.Count(g_CoinList.size());
    for (const Coin& c : g_CoinList) {
        for (i32 v : {c.age, c.attracted, c.kind}) h.Add(v);
        for (f32 v : {c.angle, c.speed, c.x, c.y}) h.Add(v);
    }
    // A marker's part by its pool slot, not its address.
    h.Count(g_TargetMarkerList.size());
    for (const TargetMarker& m : g_TargetMarkerList) {
        const bool inPool = m.part >= g_EnemyPartPool && m.part < g_EnemyPartPool + kEnemyPartPoolSize;
        h.Add(static_cast<i32>(inPool ? m.part - g_EnemyPartPool : -1));
        h.Add(m.partId);
        h.Add(m.timer);
    }
    h.Begin(StatePart::kScript);
    const TalkState& t = g_TalkState;
    for (i32 v : {t.active, t.eventId, t.priority, t.lineIndex, t.lineFrame, t.speechSheet}) h.Add(v);
    h.Count(t.lines.size());
}

void AddGenerators(StateHasher& h) {
    h.Add(RandomGetState());
    const StageRandom& r = g_StageRandomState;
    h.AddAll(r.state);
    for (i32 v : {r.index, r.seeded, r.cachedN, r.shift, r.spare}) h.Add(v);
    h.Add(r.scaledRange);
}

}  // namespace

const char* const kStatePartNames[kStatePartCount] = {"player", "enemies", "shots", "effects", "generators", "script"};

StateHashParts ComputeStateHashParts() {
    // The order of the combined hash: the play-state block, the players, the
    // continue prompt, the enemies and parts, the projectiles, the effects,
    // coins and markers, the talk, the generators.
    StateHasher h;
    h.Begin(StatePart::kScript);
    AddGameState(h);
    h.Begin(StatePart::kPlayer);
    for (const PlayerState& p : g_PlayerState) AddPlayer(h, p);
    h.Begin(StatePart::kScript);
    AddPrompts(h);
    h.Begin(StatePart::kEnemies);
    AddEnemies(h);
    h.Begin(StatePart::kShots);
    AddProjectiles(h);
    h.Begin(StatePart::kEffects);
    AddOthers(h);
    h.Begin(StatePart::kGenerators);
    AddGenerators(h);
    return h.Value();
}

u64 ComputeStateHash() { return ComputeStateHashParts().combined; }

std::string StateHashPartsText() {
    const StateHashParts parts = ComputeStateHashParts();
    std::string text;
    for (int i = 0; i < kStatePartCount; ++i) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(parts.part[i]));
        text += (i > 0 ? " " : "") + std::string(kStatePartNames[i]) + " " + hex;
    }
    return text;
}
