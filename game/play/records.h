#pragma once
// The records of stage play: enemies and their sprite parts, the projectiles
// of both sides, effects, coins, talk lines and target markers, and the lists
// that hold them.
//
// Every record is a plain value copied in and out of its list. They live in
// memory only (nothing writes them to a file); the size checks below keep the
// field lists complete. Words that nothing in the game reads are kept, named
// unused*, so that each record keeps its full layout.
//
// Naming: a global instance is `g_` followed by the record's or list's name
// (g_EnemyList, g_EnemyPartPool, g_EffectList ...); the list type itself
// carries the plain name (EnemyList = std::vector<Enemy>). Fields keep the
// names the rest of the game uses for them.
#include <cstddef>
#include <vector>

#include "engine/core/types.h"
#include "game/shell/hit_shape.h"

// Ends every list of part indexes (Enemy::rootParts, EnemyPart::children) and
// marks an enemy without a core part.
constexpr i32 kNoPart = -1;
// Entries of Enemy::rootParts and EnemyPart::children.
constexpr int kPartLinks = 20;
// Slots of g_EnemyPartPool.
constexpr int kEnemyPartPoolSize = 300;

// One enemy of the field. A value-initialised Enemy is an empty one: no parts,
// no core part, scale 1; spawners fill every field they use.
struct Enemy {
    i32 spawnId = 0;         // enemy kind given by the spawner; DestroyEnemy switches on it
    i32 corePart = kNoPart;  // index into rootParts of the part whose death destroys the enemy
    u8 active = 0;           // the collision phase tests the parts only while set
    i32 armoured = 0;        // 1: blast areas do reduced damage to its parts
    i32 counter = 0;         // free counter of the behaviours and timelines (a sub-phase; deaths of kind 361)
    i32 age = 0;             // frames in the current behaviour state
    u8 flag = 0;             // 0 from the spawners; not read by the runtime
    i32 state = 0;           // behaviour state id
    i32 rootParts[kPartLinks] = {kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart,
                                 kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart,
                                 kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart};
    i32 layer = 0;     // draw layer 0 or 1
    f32 x = 0;         // position in field coordinates; x and y are adjacent, so
    f32 y = 0;         //   &enemy.x serves as the f32[2] parent position of the root parts
    f32 speed = 0;     // pixels per frame along heading
    f32 heading = 0;   // direction of motion, radians
    f32 rotation = 0;  // parent angle of the root parts, radians
    f32 scale = 1.0f;  // multiplies every part offset
};
static_assert(sizeof(Enemy) == 140);
static_assert(offsetof(Enemy, y) == offsetof(Enemy, x) + sizeof(f32));

// One sprite part of an enemy, a slot of g_EnemyPartPool. Parts refer to each
// other by slot index.
struct EnemyPart {
    u8 inUse = 0;        // 1 while the slot is taken
    i32 state = 0;       // 1 alive and hittable, -1 destroyed (2: parked by a behaviour)
    i32 spriteKind = 0;  // look and key of the death effects; 0 no picture
    i32 maxHp = 0;
    i32 hp = 0;         // the part dies when this is 0 or less after a hit
    i32 timer = 0;      // frames of the attack pattern
    HitShape hitShape;  // all zero: cannot be hit
    f32 restAngle = 0;  // rest direction written by the spawners, read by one pattern
    f32 angle = 0;      // relative to the parent, radians
    i32 action = 0;     // attack pattern id, 0 none; after death the death mode
    f32 offsetX = 0;    // position relative to the parent, before scale and rotation
    f32 offsetY = 0;
    f32 gaugeOffsetX = 0;  // where the part gauge is drawn, relative to the part
    f32 gaugeOffsetY = 0;
    i32 coinValue = 0;   // coins dropped on a kill, on top of the multiplier
    i32 scoreValue = 0;  // score base of a kill
    i32 hitTimer = 0;    // 100 after every hit, counted down by the part step; the gauge shows while > 0
    i32 children[kPartLinks] = {kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart,
                                kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart,
                                kNoPart, kNoPart, kNoPart, kNoPart, kNoPart, kNoPart};
};
static_assert(sizeof(EnemyPart) == 156);
static_assert(offsetof(EnemyPart, offsetY) == offsetof(EnemyPart, offsetX) + sizeof(f32));

// One shot of the player: a gun bullet (kind 10) or a one-frame blast area of
// a missile explosion (kinds 100 and 101).
struct PlayerShot {
    i32 owner = 0;  // index into g_PlayerState (always 0)
    i32 age = 0;    // updates survived
    i32 kind = 0;   // 10 gun shot, 100 and 101 blast areas
    i32 damage = 0;
    f32 angle = 0;    // draw and collision angle, radians
    f32 heading = 0;  // -pi/2 for gun shots, 0 for blast areas; not read
    i32 unused0 = 0;
    i32 unused1 = 0;
    u8 consumeOnHit = 0;  // 1: erased when it hits a part or a shell
    f32 x = 0;
    f32 y = 0;
    HitShape hitShape;  // a gun shot starts with all zeros
};
static_assert(sizeof(PlayerShot) == 56);
static_assert(offsetof(PlayerShot, y) == offsetof(PlayerShot, x) + sizeof(f32));

// One bullet of the enemies.
struct EnemyBullet {
    i32 unused0 = 0;  // 0 from every maker
    i32 unused1 = 0;
    i32 kind = 0;      // behaviour and look
    i32 age = 0;       // updates survived
    f32 rotation = 0;  // draw angle of the rotated kinds and collision angle
    f32 heading = 0;   // direction of motion, radians
    f32 speed = 0;     // pixels per frame along heading
    f32 x = 0;
    f32 y = 0;
    HitShape hitShape;  // as a rule a copy of one of DefaultHitShapes
};
static_assert(sizeof(EnemyBullet) == 48);
static_assert(offsetof(EnemyBullet, y) == offsetof(EnemyBullet, x) + sizeof(f32));

// One heavy projectile of the enemies (rockets, homing missiles, bombs,
// mines, warheads): it has hit points and a strength.
struct EnemyShell {
    i32 unused0 = 0;  // 0 from every maker
    i32 hp = 0;       // shots subtract their damage; destroyed at 0 or below
    i32 unused2 = 0;
    i32 kind = 0;      // behaviour and look
    i32 age = 0;       // updates since made (a maker may start it above 0)
    f32 angle = 0;     // facing: drawn rotation and rotation of both hit shapes
    f32 heading = 0;   // direction of motion (a few kinds: horizontal velocity)
    f32 speed = 0;     // pixels per update along heading (a few kinds: vertical velocity)
    i32 strength = 0;  // weighed against a missile's power
    f32 x = 0;
    f32 y = 0;
    HitShape hitShape;        // tested against the player's shots and missiles
    HitShape playerHitShape;  // tested against the player's body
};
static_assert(sizeof(EnemyShell) == 68);
static_assert(offsetof(EnemyShell, y) == offsetof(EnemyShell, x) + sizeof(f32));

// One missile of the player.
struct PlayerMissile {
    i32 unused0 = 0;  // 0 at launch; nothing reads it
    i32 owner = 0;    // index into g_PlayerState (always 0)
    i32 kind = 0;     // 10 single missile, 20 double missile
    i32 age = 0;      // updates since launch
    f32 angle = 0;    // rotation of the body and of the hit rectangle
    f32 heading = 0;  // direction of motion
    f32 speed = 0;    // pixels per update along heading; negative moves backwards
    i32 power = 0;    // 3 for kind 10, 5 for kind 20
    f32 x = 0;
    f32 y = 0;
    HitShape hitShape;  // all zero until the missile moves forward
};
static_assert(sizeof(PlayerMissile) == 52);
static_assert(offsetof(PlayerMissile, y) == offsetof(PlayerMissile, x) + sizeof(f32));

// One effect sprite; a negative age delays it.
struct Effect {
    i32 age = 0;    // frames since spawn; negative: waits that many frames
    i32 kind = 0;   // effect kind; 1000 and above: a score pop-up of kind - 1000 points
    i32 extra = 0;  // the spawner's fourth argument (owner of the blast shots of 20, 21)
    i32 layer = 0;  // draw layer -1, 0 or 1
    f32 x = 0;
    f32 y = 0;
    f32 param = 0;  // angle in radians: direction of motion or draw rotation
    f32 alpha = 0;  // 1.0 at spawn
    f32 scale = 0;  // factor of the kind's half sizes
};
static_assert(sizeof(Effect) == 36);
static_assert(offsetof(Effect, y) == offsetof(Effect, x) + sizeof(f32));

// One coin dropped by a destroyed part.
struct Coin {
    i32 age = 0;        // starts at a random 0..100; 0 again when attracted
    i32 attracted = 0;  // 1 once it flies toward the player
    i32 kind = 0;       // 10 (the only kind)
    f32 angle = 0;      // direction of motion, radians
    f32 speed = 0;      // pixels per frame
    f32 x = 0;
    f32 y = 0;
};
static_assert(sizeof(Coin) == 28);
static_assert(offsetof(Coin, y) == offsetof(Coin, x) + sizeof(f32));

// Sides of a talk line.
constexpr int kTalkLeft = 0;
constexpr int kTalkRight = 1;

// One line of a cut-in dialogue; each pair is (left, right).
struct TalkLine {
    i32 bright[2] = {0, 0};        // non-zero: that side is the speaker (full brightness)
    i32 speechCell[2] = {-1, -1};  // text cell in the current speech image, -1 none
    i32 face[2] = {-1, -1};        // face number, -1 none
    i32 balloon[2] = {-1, -1};     // balloon column of the "window" image, -1 none
    i32 duration = 0;              // frames the line lasts
    i32 unused[4] = {0, 0, 0, 0};
};
static_assert(sizeof(TalkLine) == 52);

// A blinking frame pinned to an enemy part for a while.
struct TargetMarker {
    EnemyPart* part = nullptr;  // the marked part, a pointer into g_EnemyPartPool
    i32 partId = 0;             // the part's spriteKind when marked; shown only while it still has it
    i32 timer = 0;              // frames left
};
static_assert(offsetof(TargetMarker, timer) == offsetof(TargetMarker, partId) + sizeof(i32));

// The running cut-in dialogue (one global instance, g_TalkState).
struct TalkState {
    i32 active = 0;       // 1 while a talk runs
    i32 eventId = 0;      // id of the running (or last) talk event
    i32 priority = 0;     // priority of that event
    i32 lineIndex = 0;    // line shown, from 0
    i32 lineFrame = 0;    // frames counted in the current line
    i32 speechSheet = 0;  // which of the stage's speech images the text cells come from
    std::vector<TalkLine> lines;
};

// The lists. Every list keeps its order; a loop that erases an element stays
// on the same index.
using EnemyList = std::vector<Enemy>;
using EnemyPartPool = EnemyPart[kEnemyPartPoolSize];
using PlayerShotList = std::vector<PlayerShot>;
using EnemyBulletList = std::vector<EnemyBullet>;
using EnemyShellList = std::vector<EnemyShell>;
using PlayerMissileList = std::vector<PlayerMissile>;
using EffectList = std::vector<Effect>;
using CoinList = std::vector<Coin>;
using TargetMarkerList = std::vector<TargetMarker>;

extern EnemyList g_EnemyList;
extern EnemyPartPool g_EnemyPartPool;
extern PlayerShotList g_PlayerShotList;
extern EnemyBulletList g_EnemyBulletList;
extern EnemyShellList g_EnemyShellList;
extern PlayerMissileList g_PlayerMissileList;
extern EffectList g_EffectList;
extern CoinList g_CoinList;
extern TargetMarkerList g_TargetMarkerList;
extern TalkState g_TalkState;

// Empties a list and gives its storage back.
template <typename T>
void ReleaseList(std::vector<T>& list) {
    std::vector<T>().swap(list);
}

// The stage load's reset of every play object: each pool slot freed (inUse 0),
// every list above emptied with its storage released, the talk made inactive
// and its line queue released.
void ResetPlayLists();
// The program-start values of everything above: every pool slot as new
// (EnemyPart{}, not only freed), every list empty and the talk state zero
// (a stage load keeps the last talk's event, priority, line, frame and speech
// image; a new program starts them at 0). Run at the start of the game and
// of every run (StartPlayRun), so that a second run in one process starts as
// a new program would.
void ResetPlayRecords();
