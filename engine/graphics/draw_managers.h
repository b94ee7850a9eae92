#pragma once
// The scene manager with its built-in vertex shader, and the engine's other
// drawing-object managers (sprites, list sprites, fonts, sheets, primitives,
// particles). They start and stop with the engine and take part in the
// device restore; the game gives them no objects.
#include "engine/core/resource.h"
#include "engine/core/types.h"
#include <vector>

#include "platform/gfx/device.h"

// An object of a drawing manager that owns device buffers.
class DrawObject : public ResourceObject {
public:
    ~DrawObject() override;
    virtual void DrawObjectReleaseDeviceObjects() {}
    virtual void DrawObjectRestoreDeviceObjects() {}
};

// An object of a scene: vertex and index data kept in memory and in device
// buffers rebuilt after a reset.
class SceneObject : public DrawObject {
public:
    ~SceneObject() override;
    void DrawObjectReleaseDeviceObjects() override;
    void DrawObjectRestoreDeviceObjects() override;

    platform::gfx::Direct3DVertexBuffer8* vertexBuffer = nullptr;
    platform::gfx::Direct3DIndexBuffer8* indexBuffer = nullptr;
    u32 vertexCount = 0;
    u32 indexCount = 0;
    u32 stride = 0;
    std::vector<u8> vertices;
    std::vector<u16> indices;
};

class Scene : public ResourceObject {
public:
    ~Scene() override;
    ResourceList objects;
};

i32 InitializeScene();
void DestroyScene();
void SceneLostAll();
void SceneResetAll();
// The built-in shader's device handle (0xFFFFFFFF when it could not be made).
u32 GetSceneShaderHandle();
const ResourceList& SceneList();

i32 InitializeSprite();
void DestroySprite();
i32 InitializeListSprite();
void DestroyListSprite();
i32 InitializeFont();
void DestroyFont();
i32 InitializeFontSprite();
void DestroyFontSprite();
i32 InitializeFontFx();
void DestroyFontFx();
i32 InitializeSheet();
void DestroySheet();
i32 InitializePrimitive();
void DestroyPrimitive();
i32 InitializePrimitive2();
void DestroyPrimitive2();
i32 InitializePerticle();
void DestroyPerticle();

// The font manager's gray ramp: entry i = trunc(i x 15.9375).
const u8* GetFontGrayRamp();
