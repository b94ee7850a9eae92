#pragma once
// Vertex shaders generated from a mesh's shader flags: four words each pick
// one fragment of vs.1.1 text (transform, lighting, texture coordinates,
// fog), the fragments are joined in that order, assembled and created on
// the device with the declaration of the transform word.
#include <memory>
#include <string>

#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "platform/gfx/types.h"

// Transform words.
constexpr u32 kShaderTransformStatic = 0x1;
constexpr u32 kShaderTransformMorph = 0x2;
constexpr u32 kShaderTransformSkinned = 0x4;
constexpr u32 kShaderTransformSkinnedMorph = 0x8;
// Lighting words.
constexpr u32 kShaderLightingNone = 0x100;
constexpr u32 kShaderLightingVertexColor = 0x200;
constexpr u32 kShaderLightingMaterial = 0x400;
constexpr u32 kShaderLightingFourLights = 0x800;
constexpr u32 kShaderLightingHemisphere = 0x1000;
constexpr u32 kShaderLightingDepth = 0x2000;
// Texture-coordinate words.
constexpr u32 kShaderTexture = 0x10000;
constexpr u32 kShaderToon = 0x20000;
constexpr u32 kShaderStealth = 0x40000;
constexpr u32 kShaderReflection = 0x80000;
constexpr u32 kShaderShadowMap = 0x100000;
constexpr u32 kShaderToon2 = 0x200000;
constexpr u32 kShaderStealth2 = 0x400000;
constexpr u32 kShaderReflection2 = 0x800000;
constexpr u32 kShaderShadowMap2 = 0x1000000;
constexpr u32 kShaderToonReflection = 0x2000000;
constexpr u32 kShaderReflectionToon = 0x4000000;
// Fog words.
constexpr u32 kShaderFogNone = 0x10000000;
constexpr u32 kShaderFogView = 0x20000000;
constexpr u32 kShaderFogWorld = 0x40000000;

constexpr u32 kNoShaderHandle = 0xFFFFFFFFu;

struct ShaderFlags {
    u32 transform = kShaderTransformStatic;
    u32 lighting = kShaderLightingFourLights;
    u32 texCoord = kShaderTexture;
    u32 fog = kShaderFogNone;
    // The OR of the four words, written by VertexShaderBuild.
    u32 key = 0;
};

// What the assembler makes of a text: the vertex program it stands for.
struct AssembledShader {
    std::string text;
    platform::gfx::VertexProgramFn program = nullptr;
};

class Shader : public ResourceObject {
public:
    ~Shader() override;
    virtual u32 ShaderGetHandle();
    virtual const AssembledShader* ShaderGetBuffer();

    u32 handle = kNoShaderHandle;
    std::unique_ptr<AssembledShader> code;
};

class VertexShader : public Shader {
public:
    ~VertexShader() override;
    // Reads the text from a file of the program's folder.
    virtual bool VertexShaderCreateFromFile(const char* path, const platform::gfx::DWORD* declaration);
    virtual bool VertexShaderCreateFromString(const char* text, const platform::gfx::DWORD* declaration);
    virtual bool VertexShaderBuild(ShaderFlags* flags);
    // Null for a transform word outside the table.
    virtual const platform::gfx::DWORD* GetShaderDeclaration(const ShaderFlags* flags);
    virtual void VertexShaderNothing();
    // Copy the fragment of the word into `buffer` (at most size - 1
    // characters, the rest zero) and return the copied length.
    virtual u32 GetTransformFragment(char* buffer, u32 size, const ShaderFlags* flags);
    virtual u32 GetLightingFragment(char* buffer, u32 size, const ShaderFlags* flags);
    virtual u32 GetTexCoordFragment(char* buffer, u32 size, const ShaderFlags* flags);
    virtual u32 GetFogFragment(char* buffer, u32 size, const ShaderFlags* flags);
};

i32 InitializeVertexShader();
void DestroyVertexShader();
// A new shader with no device shader, at the back of the shader list.
VertexShader* CreateVertexShader(u32 ignored);
const ResourceList& VertexShaderList();

// The fragment texts; empty for a value outside the table.
const char* TransformFragment(u32 word);
const char* LightingFragment(u32 word);
const char* TexCoordFragment(u32 word);
const char* FogFragment(u32 word);
// The whole text VertexShaderBuild generates for the four words.
std::string GenerateShaderText(const ShaderFlags& flags);
// The declaration of a transform word (null outside the table).
const platform::gfx::DWORD* ShaderDeclaration(u32 transform);

// Every value of each word, in table order.
extern const u32 kTransformWords[4];
extern const u32 kLightingWords[6];
extern const u32 kTexCoordWords[11];
extern const u32 kFogWords[3];
