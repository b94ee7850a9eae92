#include "engine/graphics/vertex_shader.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/shader_assembler.h"
#include "platform/regular_file.h"

namespace gfx = platform::gfx;

namespace {

ResourceList g_shaders;

constexpr u32 kShaderTextSize = 65536;
constexpr u32 kFragmentSize = 4096;
// More than any shader text the assembler knows.
constexpr std::size_t kMaxShaderFileBytes = std::size_t(1) << 20;

u32 CopyFragment(const char* fragment, char* buffer, u32 size) {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    const u32 length = static_cast<u32>(std::strlen(fragment));
    const u32 copied = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, fragment, copied);
    return copied;
}

u32 HandleOf(VertexShader* shader) { return shader ? shader->ShaderGetHandle() : kNoShaderHandle; }

}  // namespace

// ---- Shader ------------------------------------------------------------------------

Shader::~Shader() = default;

u32 Shader::ShaderGetHandle() { return handle; }

const AssembledShader* Shader::ShaderGetBuffer() { return code.get(); }

// ---- VertexShader ------------------------------------------------------------------

VertexShader::~VertexShader() {
    if (handle != kNoShaderHandle) {
        if (gfx::Direct3DDevice8* device = GetDirect3DDevice()) device->DeleteVertexShader(handle);
        handle = kNoShaderHandle;
    }
}

bool VertexShader::VertexShaderCreateFromFile(const char* path, const gfx::DWORD* declaration) {
    if (!path) return false;
    ResetCurrentDirectory();
    std::vector<u8> bytes;
    if (!platform::ReadRegularFile(path, kMaxShaderFileBytes, bytes)) {
        LogPrintf("ERROR : シェーダーファイル %s が開けません\n", path);
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    return VertexShaderCreateFromString(text.c_str(), declaration);
}

bool VertexShader::VertexShaderCreateFromString(const char* text, const gfx::DWORD* declaration) {
    auto assembled = std::make_unique<AssembledShader>();
    std::string error;
    if (!text || !AssembleShader(text, static_cast<u32>(std::strlen(text)), assembled.get(), &error)) {
        LogPrintf("ERROR : シェーダーのアセンブルに失敗 [%s]\n", error.c_str());
        return false;
    }
    code = std::move(assembled);
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || !declaration) return false;
    const gfx::DWORD usage = GetDeviceFlag() ? static_cast<gfx::DWORD>(gfx::D3DUSAGE_SOFTWAREPROCESSING) : 0u;
    gfx::DWORD created = kNoShaderHandle;
    if (gfx::FAILED(device->CreateVertexShader(declaration, code->program, &created, usage))) return false;
    if (handle != kNoShaderHandle) device->DeleteVertexShader(handle);
    handle = created;
    return true;
}

bool VertexShader::VertexShaderBuild(ShaderFlags* flags) {
    std::vector<char> text(kShaderTextSize, '\0');
    std::vector<char> fragment(kFragmentSize, '\0');
    const gfx::DWORD* declaration = GetShaderDeclaration(flags);
    u32 length = 0;
    u32 (VertexShader::*choosers[4])(char*, u32, const ShaderFlags*) = {
        &VertexShader::GetTransformFragment, &VertexShader::GetLightingFragment, &VertexShader::GetTexCoordFragment,
        &VertexShader::GetFogFragment};
    for (auto chooser : choosers) {
        const u32 n = (this->*chooser)(fragment.data(), kFragmentSize, flags);
        const u32 room = kShaderTextSize - 1 - length;
        const u32 copied = n < room ? n : room;
        std::memcpy(text.data() + length, fragment.data(), copied);
        length += copied;
    }
    flags->key = flags->transform | flags->lighting | flags->texCoord | flags->fog;
    return VertexShaderCreateFromString(text.data(), declaration);
}

const gfx::DWORD* VertexShader::GetShaderDeclaration(const ShaderFlags* flags) {
    return ShaderDeclaration(flags->transform);
}

void VertexShader::VertexShaderNothing() {}

u32 VertexShader::GetTransformFragment(char* buffer, u32 size, const ShaderFlags* flags) {
    return CopyFragment(TransformFragment(flags->transform), buffer, size);
}

u32 VertexShader::GetLightingFragment(char* buffer, u32 size, const ShaderFlags* flags) {
    return CopyFragment(LightingFragment(flags->lighting), buffer, size);
}

u32 VertexShader::GetTexCoordFragment(char* buffer, u32 size, const ShaderFlags* flags) {
    return CopyFragment(TexCoordFragment(flags->texCoord), buffer, size);
}

u32 VertexShader::GetFogFragment(char* buffer, u32 size, const ShaderFlags* flags) {
    return CopyFragment(FogFragment(flags->fog), buffer, size);
}

// ---- Manager -----------------------------------------------------------------------

i32 InitializeVertexShader() {
    ResourceListClear(&g_shaders);
    DeviceHooks().shaderHandle = HandleOf;
    return 1;
}

void DestroyVertexShader() {
    ResourceListReleaseAll(&g_shaders);
    if (DeviceHooks().shaderHandle == HandleOf) DeviceHooks().shaderHandle = nullptr;
}

VertexShader* CreateVertexShader(u32) {
    VertexShader* shader = new (std::nothrow) VertexShader();
    if (!shader) return nullptr;
    ResourceListPushBack(&g_shaders, shader);
    return shader;
}

const ResourceList& VertexShaderList() { return g_shaders; }
