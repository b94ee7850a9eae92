#include "engine/core/light.h"

namespace {

Light gLights[kLightCount];
f32 gLightScalar = 0.0f;

}  // namespace

void GetLightScalar(f32* out) { *out = gLightScalar; }

void GetLightDiffuse(u32 i, f32* r, f32* g, f32* b) {
    if (i >= kLightCount) {
        return;
    }
    *r = gLights[i].diffuse.r;
    *g = gLights[i].diffuse.g;
    *b = gLights[i].diffuse.b;
}

void GetLightDirection(u32 i, Vector3* out) {
    if (i < kLightCount) {
        *out = gLights[i].direction;
    }
}

void GetLightPosition(u32 i, Vector3* out) {
    if (i < kLightCount) {
        *out = gLights[i].position;
    }
}

void SetLight(u32 i, const Light* light) {
    if (i < kLightCount) {
        gLights[i] = *light;
    }
}

void SetLightScalar(f32 value) { gLightScalar = value; }

void ResetLights() {
    for (Light& light : gLights) {
        light = Light{};
    }
    gLightScalar = 0.0f;
}
