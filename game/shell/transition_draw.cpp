#include "game/shell/shell_graphics.h"
#include "game/shell/transition.h"

void DrawTransition() {
    if (!TransitionState.running) return;
    if (BlackTexture) {
        for (const TransitionQuad& q : TransitionQuads()) {
            BlackTexture->TextureDraw(q.destination, 0.0f, q.source, q.colour, 1);
        }
    }
    AdvanceTransition();
}
