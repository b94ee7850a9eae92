#include "game/shell/transition.h"

#include "game/shell/transition_hook.h"

#include <cmath>

Transition TransitionState;

namespace {

bool IsCovering(i32 kind) {
    return kind == kTransitionBricksCover || kind == kTransitionFadeCover || kind == kTransitionSteppedCover ||
           kind == kTransitionBandCover;
}

bool IsUncovering(i32 kind) {
    return kind == kTransitionBricksUncover || kind == kTransitionFadeUncover || kind == kTransitionSteppedUncover ||
           kind == kTransitionBandUncover;
}

TransitionCell& Cell(i32 column, i32 row) { return TransitionState.cells[column * kTransitionRows + row]; }

void LayCells(i32 columns, f32 alpha, bool bricks) {
    for (i32 c = 0; c < columns; ++c) {
        for (i32 r = 0; r < kTransitionRows; ++r) {
            Cell(c, r).alpha = alpha;
            Cell(c, r).delay = bricks ? -54 + 4 * r + 2 * c : 0;
        }
    }
}

u32 AlphaColour(i32 alpha) { return (static_cast<u32>(alpha) << 24) | 0xFFFFFFu; }

i32 Alpha255(f32 a) { return static_cast<i32>(std::trunc(255.0 * static_cast<f64>(a))); }

}  // namespace

void StartTransition(i32 kind) {
    if (kind == kTransitionClose) kind = kTransitionBricksCover;
    if (kind == kTransitionOpen) kind = kTransitionBricksUncover;
    Transition& t = TransitionState;
    t.kind = kind;
    t.running = 1;
    t.finished = 0;
    switch (kind) {
        case kTransitionBricksCover:
            LayCells(6, 0.0f, true);
            t.speed = 0.025f;
            break;
        case kTransitionBricksUncover:
            LayCells(6, 1.0f, true);
            t.speed = 0.025f;
            break;
        case kTransitionFadeCover:
        case kTransitionSteppedCover:
            LayCells(kTransitionColumns, 0.0f, false);
            t.speed = 0.02f;
            break;
        case kTransitionFadeUncover:
        case kTransitionSteppedUncover:
        case kTransitionBandUncover:
            LayCells(kTransitionColumns, 1.0f, false);
            t.speed = 0.02f;
            break;
        case kTransitionBandCover:
            LayCells(kTransitionColumns, 0.0f, false);
            t.speed = 0.05f;
            break;
        default:
            // A kind that is neither covering nor uncovering would never finish
            // and would hold the scene that waits for it for ever: it ends at
            // the next draw.
            t.finished = 1;
            break;
    }
}

std::vector<TransitionQuad> TransitionQuads() {
    std::vector<TransitionQuad> quads;
    const Transition& t = TransitionState;
    if (!t.running) return quads;
    switch (t.kind) {
        case kTransitionBricksCover:
        case kTransitionBricksUncover: {
            const f64 k = t.kind == kTransitionBricksCover ? 80.0 : -80.0;
            for (i32 c = 0; c < 6; ++c) {
                for (i32 r = 0; r < kTransitionRows; ++r) {
                    const f64 a = TransitionState.cells[c * kTransitionRows + r].alpha;
                    const f64 s = 0.5 * a + 0.5;
                    const i32 w = static_cast<i32>(std::trunc(40.0 * s));
                    const i32 h = static_cast<i32>(std::trunc(20.0 * s));
                    const f64 fall = 3.0 * (a - 1.0);
                    const i32 dy = static_cast<i32>(std::trunc(k * fall * fall));
                    const i32 dx = static_cast<i32>(std::trunc(-20.0 * (1.0 - a) * static_cast<f64>(c - 3)));
                    const i32 x = 140 + 80 * c - 40 * (r % 2) - dx;
                    const i32 y = 40 * r + 20 - dy;
                    quads.push_back({{x - w, y - h, x + w, y + h}, {0, 128, 80, 168}, 0xFFFFFFFFu});
                }
            }
            break;
        }
        case kTransitionFadeCover:
        case kTransitionFadeUncover:
        case kTransitionSteppedCover:
        case kTransitionSteppedUncover: {
            const bool stepped = t.kind == kTransitionSteppedCover || t.kind == kTransitionSteppedUncover;
            const Rect source = stepped ? Rect{192, 0, 212, 20} : Rect{128, 0, 148, 20};
            for (i32 c = 0; c < kTransitionColumns; ++c) {
                for (i32 r = 0; r < kTransitionRows; ++r) {
                    i32 alpha = Alpha255(t.cells[c * kTransitionRows + r].alpha);
                    if (stepped) alpha = 50 * (alpha / 50);
                    quads.push_back({{120 + 40 * c, 40 * r, 160 + 40 * c, 40 * r + 40}, source, AlphaColour(alpha)});
                }
            }
            break;
        }
        case kTransitionBandCover:
        case kTransitionBandUncover:
            quads.push_back({{0, 100, 640, 380}, {192, 192, 255, 255}, AlphaColour(Alpha255(t.cells[0].alpha))});
            break;
        default: break;
    }
    return quads;
}

void AdvanceTransition() {
    Transition& t = TransitionState;
    if (!t.running) return;
    if (t.finished) {
        t.running = 0;
        return;
    }
    const bool covering = IsCovering(t.kind);
    const bool uncovering = IsUncovering(t.kind);
    i32 done = 0;
    for (TransitionCell& cell : t.cells) {
        if (cell.delay < 0) {
            ++cell.delay;
            continue;
        }
        if (covering) {
            cell.alpha += t.speed;
            if (cell.alpha >= 1.0f) {
                cell.alpha = 1.0f;
                ++done;
            }
        } else if (uncovering) {
            cell.alpha -= t.speed;
            if (cell.alpha <= 0.0f) {
                cell.alpha = 0.0f;
                ++done;
            }
        }
    }
    if (done == kTransitionCells) t.finished = 1;
}

bool IsTransitionRunning() { return TransitionState.running != 0; }
