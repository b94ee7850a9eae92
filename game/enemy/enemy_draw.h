#pragma once
// Drawing the enemies: every enemy is a tree of sprite parts, each part placed
// by its offset and angle relative to its parent and drawn by the look of its
// sprite kind, its children after (over) it.
//
// A look is a data row: one or more sprites in drawing order (the body and its
// extra layers), each with its sheet, source cell and animation, size mode
// (fixed, scaled, pulsing, swelling), turn, colour rule, place relative to the
// part, and optionally a test of whether it shows in this frame (a layer that
// blinks while its body does not; a size that depends on the part's state).
// A look that is truly one of a kind takes a hook (LookHook) that draws its
// sprites itself. A stage's look table is its looks_stageN.cpp (adding a
// stage: docs/adding-a-stage.md), registered once (RegisterEnemyLooks); a
// sprite kind without a look draws nothing, but its children are still
// drawn.
//
// Drawing only reads the enemy and part records, FrameCounter and
// FieldScrollX; it changes nothing.
#include <span>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"
#include "game/play/records.h"

// The stage's enemy sheets, the texture slots of g_StageTextures.
enum class EnemySheet : u8 { kE1, kE2, kE3, kE4, kE5, kE6, kE7, kE8, kE9, kB1, kB2 };

// How a sprite's half sizes (hx, hy) make its destination rectangle around
// its centre (x, y). Every edge is truncated toward zero.
enum class LookSize : u8 {
    kFixed,        // trunc(x -+ hx), trunc(y -+ hy) whatever the enemy's scale
    kScaled,       // trunc(x -+ scale hx), trunc(y -+ scale hy)
    kScaledWhole,  // h' = trunc(scale h) first, then trunc(x -+ hx'), trunc(y -+ hy')
    kUnequal,      // trunc(x - hx) .. trunc(x + hxRight), trunc(y -+ hy)
    // h' = trunc(scale base + k c): a pulse (below) whose swing is not scaled;
    // without a pulse the same as kScaledWhole.
    kScaledBaseWhole,
};

// The sprite's turn.
enum class LookTurn : u8 {
    kWorld,   // TextureDrawRotated by the part's world angle
    kParent,  // TextureDrawRotated by the parent's world angle
    kEnemy,   // TextureDrawRotated by the owning enemy's rotation
    kFlat,    // TextureDraw, no angle
};

// The sprite's colour.
enum class LookColour : u8 {
    kState,         // lit while the part's state is 1, tint otherwise
    kGreyBelow08,   // 0xFF969696 while the enemy's scale is below 0.8, else the state rule
    kShade,         // state 1 and scale below 1.0: grey trunc(255 scale); state 1: lit; else tint
    kShadeBelow05,  // the same with the threshold 0.5
    kDimBelow08,    // state 1 and scale below 0.8: grey 50; state 1: lit; else tint
    kLit,           // always the lit colour
};

// What moves the source cell.
enum class LookFrames : u8 {
    kStill,
    kClock,   // f = (FrameCounter / divisor) mod count; the cell moves by (stepX f, stepY f)
    kTimer,   // the same with the part's timer
    kFacing,  // f = AngleToDirection8(world angle); cell column f mod 5 (stepX), row f / 5 (stepY)
};

// Where an extra layer's centre lies relative to the drawn position.
enum class LookPlace : u8 {
    kTurned,          // offset turned by the parent angle
    kTurnedScaled,    // offset times the enemy's scale, then turned by the parent angle
    kUnturned,        // offset added as it is
    kScaledUnturned,  // offset times the enemy's scale, added without turning
};

// Everything a look may read about the part being drawn.
struct LookContext {
    i32 enemy = 0;  // index in g_EnemyList
    const EnemyPart* part = nullptr;
    f32 x = 0;  // drawn position: world x + FieldScrollX
    f32 y = 0;
    f32 worldAngle = 0;  // part angle + parent angle
    f32 parentAngle = 0;
    f32 enemyRotation = 0;
    f32 scale = 1.0f;  // the enemy's scale
    i32 age = 0;       // the enemy's age
    i32 frameCounter = 0;
};

// Whether a look or a sprite shows in this frame.
using LookVisible = bool (*)(const LookContext& context);

// One sprite of a look.
struct LookSprite {
    EnemySheet sheet = EnemySheet::kE1;
    Rect source = {};  // left, top, right, bottom of frame 0, passed as they stand
    LookFrames frames = LookFrames::kStill;
    i32 frameDivisor = 1;  // kClock, kTimer: frames per animation frame
    i32 frameCount = 3;    // kClock, kTimer
    i32 stepX = 0;         // source move per animation frame (kFacing: per column)
    i32 stepY = 0;         // (kFacing: per row)
    LookSize size = LookSize::kFixed;
    f32 hx = 0;       // half width (kUnequal: pixels left of the centre)
    f32 hy = 0;       // half height
    f32 hxRight = 0;  // kUnequal: pixels right of the centre
    // Pulsing: while pulsePeriod is 50 or 100 each half size is base + k c with
    // c = cos(2 pi 0.02 (timer mod pulsePeriod)), k = pulseX or pulseY.
    i32 pulsePeriod = 0;
    f32 pulseX = 0;
    f32 pulseY = 0;
    // Swelling: while the part's state is 1, in frames where
    // (FrameCounter / 4) mod 2 is 0, the half sizes grow by these amounts.
    f32 swellX = 0;
    f32 swellY = 0;
    i32 shiftX = 0;  // moves the finished rectangle (not turned)
    i32 shiftY = 0;
    // Upside down: the destination's top and bottom exchanged, so the cell is
    // drawn mirrored top to bottom (before it is turned).
    bool upsideDown = false;
    LookTurn turn = LookTurn::kWorld;
    LookColour colour = LookColour::kState;
    u32 lit = 0xFFFFFFFFu;   // colour of state 1
    u32 tint = 0xFF321414u;  // colour of every other state
    f32 offsetX = 0;         // centre relative to the drawn position (0, 0: the body)
    f32 offsetY = 0;
    LookPlace place = LookPlace::kTurned;
    // Whether this sprite shows in this frame (null: whenever its look does);
    // a layer that blinks on its own, or one of two sizes chosen by state.
    LookVisible visible = nullptr;
};

struct EnemyLook;
// A special look's own drawing; it may call DrawLookSprite for its sprites.
using LookHook = void (*)(const LookContext& context, const EnemyLook& look);

// The look of the sprite kinds firstKind..lastKind.
struct EnemyLook {
    i32 firstKind = 0;
    i32 lastKind = 0;
    std::span<const LookSprite> sprites;  // drawing order
    LookVisible visible = nullptr;        // null: always
    LookHook hook = nullptr;              // null: the sprites as they are
};

// The look row of sprite kinds firstKind..lastKind drawn by `sprites`.
constexpr EnemyLook LookOf(i32 firstKind, i32 lastKind, std::span<const LookSprite> sprites) {
    EnemyLook l;
    l.firstKind = firstKind;
    l.lastKind = lastKind;
    l.sprites = sprites;
    return l;
}

// Sprite kinds 0..kMaxLookKind may have a look.
constexpr i32 kMaxLookKind = 2047;

// Adds looks (later rows win over earlier ones for the same kind). The rows
// must outlive the registration. Kinds outside 0..kMaxLookKind are ignored.
void RegisterEnemyLooks(std::span<const EnemyLook> looks);
// Every kind back to no look.
void ClearEnemyLooks();
// The look of the kind, null when it has none.
const EnemyLook* FindEnemyLook(i32 spriteKind);

// Draws every enemy whose draw layer equals the argument.
void DrawEnemyLayer(i32 layer);
// Draws one part and, after it, its children. parentPos and parentAngle are
// the parent's world position and world angle (for a root part the enemy's x,
// y and rotation). Links are read as every walk over a part tree reads them
// (PartAt: an index outside the pool ends the list as -1 does; kMaxPartDepth
// levels at most), and nothing is drawn for an enemy index outside
// g_EnemyList, so a broken tree neither crashes nor loops.
void DrawEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);

// Visibility tests that looks share.
// The part's state is 1 (hittable) / is not 1.
bool LookWhenHittable(const LookContext& context);
bool LookUnlessHittable(const LookContext& context);
// The part's state is not 2 (a part a behaviour has parked is not drawn).
bool LookUnlessParked(const LookContext& context);
// The blink phase b = (FrameCounter / 8) mod 2 of blinking looks.
i32 LookBlinkPhase(const LookContext& context);

// The pieces of a look, for hooks.
// The texture of a sheet slot in the current stage (null when not loaded).
Texture* EnemySheetTexture(EnemySheet sheet);
// The colour of a sprite by its rule.
u32 LookSpriteColour(const LookContext& context, const LookSprite& sprite);
// The source rectangle of a sprite in this frame.
Rect LookSpriteSource(const LookContext& context, const LookSprite& sprite);
// The destination rectangle of a sprite around the centre (cx, cy).
Rect LookSpriteDestination(const LookContext& context, const LookSprite& sprite, f32 cx, f32 cy);
// The centre of a sprite: the drawn position plus its placed offset.
void LookSpriteCentre(const LookContext& context, const LookSprite& sprite, f32* cx, f32* cy);
// Draws one sprite by its row (z 0, blend mode 1), when its visible test
// (if any) passes.
void DrawLookSprite(const LookContext& context, const LookSprite& sprite);
// Draws a rectangle of a sheet: rotated by the 16-bit angle when `rotated`,
// else flat. Every look's drawing goes through here.
void DrawSheetRect(EnemySheet sheet, const Rect& destination, const Rect& source, bool rotated, i32 angle16,
                   u32 colour);

// Every sprite a look draws, as it is handed to the texture (tests).
struct LookDrawCall {
    EnemySheet sheet = EnemySheet::kE1;
    Rect destination;
    Rect source;
    bool rotated = false;
    i32 angle16 = 0;
    u32 colour = 0;
};
using LookDrawObserver = void (*)(const LookDrawCall& call);
// Null stops observing.
void SetLookDrawObserver(LookDrawObserver observer);
