#include "game/play/missiles.h"

#include <cmath>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "engine/graphics/texture.h"
#include "game/play/effects.h"
#include "game/play/records.h"
#include "game/play/stage_textures.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"

namespace {

i32 Trunc(f80 v) { return static_cast<i32>(v); }

void StepMissile(PlayerMissile& m) {
    if (m.kind == kMissileSingle) {
        if (m.speed < 10.0f) m.speed += 0.5f;
    } else {
        if (m.speed < 15.0f) m.speed += 0.75f;
    }
    // The hit rectangle comes with the first forward motion.
    if (m.hitShape.halfWidth == 0.0f && m.speed > 0.0f) {
        m.hitShape = m.kind == kMissileSingle ? HitShape{16.0f, 12.0f, 0.0f} : HitShape{30.0f, 20.0f, 0.0f};
    }
    m.x = static_cast<f32>(m.x + std::cos(static_cast<f64>(m.heading)) * m.speed);
    m.y = static_cast<f32>(m.y + std::sin(static_cast<f64>(m.heading)) * m.speed);
}

}  // namespace

void UpdatePlayerMissiles() {
    for (std::size_t i = 0; i < g_PlayerMissileList.size();) {
        PlayerMissile m = g_PlayerMissileList[i];
        if (m.kind == kMissileSingle || m.kind == kMissileDouble) {
            StepMissile(m);
            if (m.age % 2 == 0) {
                const f32 pos[2] = {m.x, m.y};
                SpawnEffect(kEffectMissileSmoke, pos, RandomFloat(-kPi, kPi), -1);
            }
        }
        ++m.age;
        g_PlayerMissileList[i] = m;
        if (m.y < -20.0f || m.y > 580.0f) {
            g_PlayerMissileList.erase(g_PlayerMissileList.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void DrawPlayerMissiles() {
    Texture* picture = g_StageTextures.picture;
    if (!picture) return;
    const i32 f = (g_GameState.FrameCounter / 2) % 3;
    const i32 g = (g_GameState.FrameCounter / 4) % 3;
    const Rect flameSource{180 + 20 * f, 210, 199 + 20 * f, 229};
    const Rect bodySource{80 * g, 120, 80 * g + 79, 169};
    for (const PlayerMissile& m : g_PlayerMissileList) {
        if (m.kind != kMissileSingle && m.kind != kMissileDouble) continue;
        const f80 x = static_cast<f32>(m.x + g_GameState.FieldScrollX);
        const f80 y = m.y;
        const i32 angle = RadianToAngle(m.angle);
        Rect flame;
        Rect body;
        if (m.kind == kMissileSingle) {
            flame = {Trunc(x - 15), Trunc((y - 10) + 35), Trunc(x + 15), Trunc(y + 45)};
            body = {Trunc(x - 30), Trunc(y - 20), Trunc(x + 30), Trunc(y + 20)};
        } else {
            flame = {Trunc(x - 22), Trunc((y - 15) + 50), Trunc(x + 22), Trunc(y + 65)};
            body = {Trunc(x - 45), Trunc(y - 30), Trunc(x + 45), Trunc(y + 30)};
        }
        picture->TextureDrawRotated(flame, 0.0f, flameSource, angle, 0xFFFFFFFFu, 1);
        picture->TextureDrawRotated(body, 0.0f, bodySource, angle, 0xFFFFFFFFu, 1);
    }
}
