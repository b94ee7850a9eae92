#pragma once
// The engine's table of four light records and one ambient scalar, read by
// the mesh lighting and the camera's light view. Nothing in the game fills
// it, so every field reads 0 unless SetLight / SetLightScalar are used.
#include "engine/core/matrix.h"
#include "engine/core/types.h"

struct LightColor {
    f32 r = 0.0f;
    f32 g = 0.0f;
    f32 b = 0.0f;
    f32 a = 0.0f;
};

// The platform's light record.
struct Light {
    u32 type = 0;
    LightColor diffuse;
    LightColor specular;
    LightColor ambient;
    Vector3 position;
    Vector3 direction;
    f32 range = 0.0f;
    f32 falloff = 0.0f;
    f32 attenuation0 = 0.0f;
    f32 attenuation1 = 0.0f;
    f32 attenuation2 = 0.0f;
    f32 theta = 0.0f;
    f32 phi = 0.0f;
};

inline constexpr u32 kLightCount = 4;

void GetLightScalar(f32* out);
// For i of 4 or more the outputs are left unchanged.
void GetLightDiffuse(u32 i, f32* r, f32* g, f32* b);
void GetLightDirection(u32 i, Vector3* out);
void GetLightPosition(u32 i, Vector3* out);

// Writers (tools and tests); i of 4 or more is ignored.
void SetLight(u32 i, const Light* light);
void SetLightScalar(f32 value);
// Back to all zeros.
void ResetLights();
