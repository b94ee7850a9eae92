#include "engine/graphics/draw_managers.h"

#include <algorithm>
#include <cstring>

#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/shader_assembler.h"
#include "engine/graphics/vertex_shader.h"

namespace gfx = platform::gfx;

namespace {

void LogManager(const char* text) { LogPrintf("\n==============================================\n%s\n", text); }

ResourceList g_scenes;
u32 g_sceneShader = kNoShaderHandle;

ResourceList g_sprites;
ResourceList g_listSprites;
ResourceList g_fonts;
ResourceList g_fontSprites;
ResourceList g_fontFx;
ResourceList g_sheets;
ResourceList g_primitives;
ResourceList g_primitives2;
ResourceList g_particles;
u8 g_grayRamp[17];

void ReleaseObjects(ResourceList* list) {
    ResourceListForEach<DrawObject>(list, &DrawObject::DrawObjectReleaseDeviceObjects);
}

void RestoreObjects(ResourceList* list) {
    ResourceListForEach<DrawObject>(list, &DrawObject::DrawObjectRestoreDeviceObjects);
}

void SpriteLostAll() { ReleaseObjects(&g_sprites); }
void SpriteResetAll() { RestoreObjects(&g_sprites); }
void ListSpriteLostAll() { ReleaseObjects(&g_listSprites); }
void ListSpriteResetAll() { RestoreObjects(&g_listSprites); }
void PrimitiveLostAll() { ReleaseObjects(&g_primitives); }
void PrimitiveResetAll() { RestoreObjects(&g_primitives); }
void Primitive2LostAll() { ReleaseObjects(&g_primitives2); }
void Primitive2ResetAll() { RestoreObjects(&g_primitives2); }
void PerticleLostAll() { ReleaseObjects(&g_particles); }
void PerticleResetAll() { RestoreObjects(&g_particles); }

const gfx::DWORD kSceneDeclaration[] = {
    gfx::VSD_STREAM(0),
    gfx::VSD_REG(0, gfx::D3DVSDT_FLOAT3),
    gfx::VSD_REG(1, gfx::D3DVSDT_D3DCOLOR),
    gfx::VSD_REG(2, gfx::D3DVSDT_FLOAT2),
    gfx::VSD_END(),
};

}  // namespace

DrawObject::~DrawObject() = default;

// ---- Scene -------------------------------------------------------------------------

SceneObject::~SceneObject() { DrawObjectReleaseDeviceObjects(); }

void SceneObject::DrawObjectReleaseDeviceObjects() {
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (indexBuffer) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
}

void SceneObject::DrawObjectRestoreDeviceObjects() {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device) return;
    const gfx::D3DPOOL pool = GetDeviceFlag() ? gfx::D3DPOOL_SYSTEMMEM : gfx::D3DPOOL_DEFAULT;
    DrawObjectReleaseDeviceObjects();
    if (vertexCount && stride &&
        gfx::SUCCEEDED(
            device->CreateVertexBuffer(vertexCount * stride, gfx::D3DUSAGE_WRITEONLY, 0, pool, &vertexBuffer))) {
        u8* data = nullptr;
        if (gfx::SUCCEEDED(vertexBuffer->Lock(0, 0, &data, 0))) {
            std::memcpy(data, vertices.data(), std::min<std::size_t>(vertices.size(), vertexCount * stride));
            vertexBuffer->Unlock();
        }
    }
    if (indexCount && gfx::SUCCEEDED(device->CreateIndexBuffer(indexCount * 2, gfx::D3DUSAGE_WRITEONLY,
                                                               gfx::D3DFMT_INDEX16, pool, &indexBuffer))) {
        u8* data = nullptr;
        if (gfx::SUCCEEDED(indexBuffer->Lock(0, 0, &data, 0))) {
            std::memcpy(data, indices.data(), std::min<std::size_t>(indices.size() * 2, indexCount * 2));
            indexBuffer->Unlock();
        }
    }
}

Scene::~Scene() { ResourceListReleaseAll(&objects); }

i32 InitializeScene() {
    LogManager("Initialize Scene");
    ResourceListClear(&g_scenes);
    g_sceneShader = kNoShaderHandle;
    AssembledShader code;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (device && AssembleShader(kSceneShaderText, static_cast<u32>(std::strlen(kSceneShaderText)), &code, nullptr)) {
        const gfx::DWORD usage = GetDeviceFlag() ? static_cast<gfx::DWORD>(gfx::D3DUSAGE_SOFTWAREPROCESSING) : 0u;
        gfx::DWORD handle = kNoShaderHandle;
        if (gfx::SUCCEEDED(device->CreateVertexShader(kSceneDeclaration, code.program, &handle, usage))) {
            g_sceneShader = handle;
        }
    }
    SetDeviceObjectHooks(kDeviceObjectScene, SceneLostAll, SceneResetAll);
    return 1;
}

void DestroyScene() {
    LogManager("Destroy Scene");
    if (g_sceneShader != kNoShaderHandle) {
        if (gfx::Direct3DDevice8* device = GetDirect3DDevice()) device->DeleteVertexShader(g_sceneShader);
        g_sceneShader = kNoShaderHandle;
    }
    ResourceListReleaseAll(&g_scenes);
    ClearDeviceObjectHooks(kDeviceObjectScene, SceneLostAll);
}

void SceneLostAll() {
    ResourceListForEach<Scene>(&g_scenes, [](Scene* scene) { ReleaseObjects(&scene->objects); });
}

void SceneResetAll() {
    ResourceListForEach<Scene>(&g_scenes, [](Scene* scene) { RestoreObjects(&scene->objects); });
}

u32 GetSceneShaderHandle() { return g_sceneShader; }
const ResourceList& SceneList() { return g_scenes; }

// ---- The other managers -------------------------------------------------------------

i32 InitializeSprite() {
    LogManager("Initialize Sprite");
    ResourceListClear(&g_sprites);
    SetDeviceObjectHooks(kDeviceObjectSprites, SpriteLostAll, SpriteResetAll);
    return 1;
}

void DestroySprite() {
    LogManager("Destroy Sprite");
    ResourceListReleaseAll(&g_sprites);
    ClearDeviceObjectHooks(kDeviceObjectSprites, SpriteLostAll);
}

i32 InitializeListSprite() {
    LogManager("Initialize ListSprite");
    ResourceListClear(&g_listSprites);
    SetDeviceObjectHooks(kDeviceObjectListSprites, ListSpriteLostAll, ListSpriteResetAll);
    return 1;
}

void DestroyListSprite() {
    LogManager("Destroy ListSprite");
    ResourceListReleaseAll(&g_listSprites);
    ClearDeviceObjectHooks(kDeviceObjectListSprites, ListSpriteLostAll);
}

i32 InitializeFont() {
    ResourceListClear(&g_fonts);
    for (int i = 0; i < 17; ++i) g_grayRamp[i] = static_cast<u8>(static_cast<f32>(i) * 15.9375f);
    return 1;
}

void DestroyFont() {
    LogManager("Destroy Font");
    ResourceListReleaseAll(&g_fonts);
}

const u8* GetFontGrayRamp() { return g_grayRamp; }

i32 InitializeFontSprite() {
    LogManager("Initialize FontSprite");
    ResourceListClear(&g_fontSprites);
    return 1;
}

void DestroyFontSprite() {
    LogManager("Destroy FontSprite");
    ResourceListReleaseAll(&g_fontSprites);
}

i32 InitializeFontFx() {
    LogManager("Initialize FontFx");
    ResourceListClear(&g_fontFx);
    return 1;
}

void DestroyFontFx() {
    LogManager("Destroy FontFx");
    ResourceListReleaseAll(&g_fontFx);
}

i32 InitializeSheet() {
    ResourceListClear(&g_sheets);
    return 1;
}

void DestroySheet() {
    LogManager("Destroy Sheet");
    ResourceListReleaseAll(&g_sheets);
}

i32 InitializePrimitive() {
    LogManager("Initialize Primitive");
    ResourceListClear(&g_primitives);
    SetDeviceObjectHooks(kDeviceObjectPrimitives, PrimitiveLostAll, PrimitiveResetAll);
    return 1;
}

void DestroyPrimitive() {
    LogManager("Destroy Primitive");
    ResourceListReleaseAll(&g_primitives);
    ClearDeviceObjectHooks(kDeviceObjectPrimitives, PrimitiveLostAll);
}

i32 InitializePrimitive2() {
    LogManager("Initialize Primitive");
    ResourceListClear(&g_primitives2);
    SetDeviceObjectHooks(kDeviceObjectPrimitives2, Primitive2LostAll, Primitive2ResetAll);
    return 1;
}

void DestroyPrimitive2() {
    LogManager("Destroy Primitive");
    ResourceListReleaseAll(&g_primitives2);
    ClearDeviceObjectHooks(kDeviceObjectPrimitives2, Primitive2LostAll);
}

i32 InitializePerticle() {
    LogManager("Initialize Perticle");
    ResourceListClear(&g_particles);
    SetDeviceObjectHooks(kDeviceObjectParticles, PerticleLostAll, PerticleResetAll);
    return 1;
}

void DestroyPerticle() {
    LogManager("Destroy Perticle");
    ResourceListReleaseAll(&g_particles);
    ClearDeviceObjectHooks(kDeviceObjectParticles, PerticleLostAll);
}
