#include "engine/graphics/vertex_shader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "engine/graphics/device.h"
#include "engine/graphics/draw_managers.h"
#include "engine/graphics/shader_assembler.h"
#include "tests/engine/graphics/device_fixture.h"

namespace gfx = platform::gfx;

namespace {

class VertexShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics_test::BeginDeviceTest(&clock_);
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        InitializeVertexShader();
    }
    void TearDown() override {
        DestroyVertexShader();
        graphics_test::EndDeviceTest();
    }
    platform::VirtualClock clock_;
};

const ShaderFlags kPlaneFlags{0x1, 0x100, 0x10000, 0x10000000, 0};

}  // namespace

TEST_F(VertexShaderTest, PlaneShaderTextIsTheFourFragments) {
    ShaderFlags flags = kPlaneFlags;
    VertexShader* shader = CreateVertexShader(0);
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->ShaderGetHandle(), kNoShaderHandle);
    ASSERT_TRUE(shader->VertexShaderBuild(&flags));
    EXPECT_EQ(flags.key, 0x10010101u);
    EXPECT_NE(shader->ShaderGetHandle(), kNoShaderHandle);
    const std::string expected =
        "vs.1.1\n"
        "; 座標変換\n"
        "mov r2, v1\n"
        "mad r0, r2, c12.yyyw, v0\n"
        "m4x4 r1, r0, c20\n"
        "mov oPos, r1\n"
        "; ライト無し\n"
        "mov oD0, c0.zzzz\n"
        "; テクスチャ\n"
        "add oT0.xy, v7.xy, c1.xy\n"
        "; フォグ\n";
    ASSERT_NE(shader->ShaderGetBuffer(), nullptr);
    EXPECT_EQ(shader->ShaderGetBuffer()->text, expected);
    EXPECT_EQ(GenerateShaderText(flags), expected);
}

TEST_F(VertexShaderTest, FragmentChoosersCopyAtMostSizeMinusOne) {
    VertexShader* shader = CreateVertexShader(0);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    const ShaderFlags flags = kPlaneFlags;
    EXPECT_EQ(shader->GetTransformFragment(buffer, sizeof buffer, &flags), 7u);
    EXPECT_EQ(std::string(buffer), "vs.1.1\n");
    ShaderFlags unknown = flags;
    unknown.lighting = 0x300;
    char big[64];
    std::memset(big, 'x', sizeof big);
    EXPECT_EQ(shader->GetLightingFragment(big, sizeof big, &unknown), 0u);
    EXPECT_EQ(big[0], '\0');
    EXPECT_EQ(big[63], '\0');
}

TEST_F(VertexShaderTest, EveryGeneratedTextAssemblesAndDecodesBack) {
    std::set<std::string> texts;
    for (u32 t : kTransformWords) {
        for (u32 l : kLightingWords) {
            for (u32 x : kTexCoordWords) {
                for (u32 f : kFogWords) {
                    ShaderFlags flags{t, l, x, f, 0};
                    const std::string text = GenerateShaderText(flags);
                    EXPECT_EQ(text.rfind("vs.1.1\n", 0), 0u);
                    texts.insert(text);
                    ShaderFlags decoded;
                    ASSERT_TRUE(DecodeShaderText(text, &decoded)) << std::hex << t << " " << l << " " << x << " " << f;
                    EXPECT_EQ(decoded.key, t | l | x | f);
                }
            }
        }
    }
    EXPECT_EQ(texts.size(), 4u * 6u * 11u * 3u);
    for (u32 t : kTransformWords) EXPECT_NE(ShaderDeclaration(t), nullptr);
    EXPECT_EQ(ShaderDeclaration(3), nullptr);
}

TEST_F(VertexShaderTest, UnknownTextIsRefusedAndTheHandleStaysInvalid) {
    VertexShader* shader = CreateVertexShader(0);
    const gfx::DWORD* declaration = ShaderDeclaration(1);
    EXPECT_FALSE(shader->VertexShaderCreateFromString("vs.1.1\nmov oPos, v0\n", declaration));
    EXPECT_EQ(shader->ShaderGetHandle(), kNoShaderHandle);
    // A generated text with one character changed is not a program we know.
    std::string text = GenerateShaderText(kPlaneFlags);
    text.back() = ' ';
    EXPECT_FALSE(shader->VertexShaderCreateFromString(text.c_str(), declaration));
    EXPECT_EQ(shader->ShaderGetHandle(), kNoShaderHandle);
    // A word outside the table has no fragment and no declaration.
    ShaderFlags bad = kPlaneFlags;
    bad.transform = 3;
    EXPECT_FALSE(shader->VertexShaderBuild(&bad));
    EXPECT_EQ(shader->ShaderGetHandle(), kNoShaderHandle);
    std::string error;
    AssembledShader out;
    EXPECT_FALSE(AssembleShader("nonsense", 8, &out, &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(VertexShaderTest, PlaneProgramPlacesInflatesColoursAndOffsets) {
    AssembledShader code;
    const std::string text = GenerateShaderText(kPlaneFlags);
    ASSERT_TRUE(AssembleShader(text.c_str(), static_cast<u32>(text.size()), &code, nullptr));
    gfx::Vec4 v[16];
    v[0] = {10, 20, 0, 1};
    v[1] = {0, 0, -1, 1};
    v[7] = {0.25f, 0.75f, 0, 1};
    gfx::Vec4 c[96] = {};
    c[0] = {0.5f, -0.5f, 1.0f, 765.01f};
    c[1] = {0.5f, -0.25f, 0, 0};
    c[12] = {0, 2.0f, 0, 0};  // pushed 2 along the normal
    // c20..c23: the transpose of a translation by (1, 2, 3).
    c[20] = {1, 0, 0, 1};
    c[21] = {0, 1, 0, 2};
    c[22] = {0, 0, 1, 3};
    c[23] = {0, 0, 0, 1};
    gfx::VertexProgramOutput out;
    out.diffuse = {0, 0, 0, 0};
    code.program(v, c, out);
    EXPECT_FLOAT_EQ(out.position.x, 11.0f);
    EXPECT_FLOAT_EQ(out.position.y, 22.0f);
    EXPECT_FLOAT_EQ(out.position.z, 1.0f);  // 0 - 2 + 3
    EXPECT_FLOAT_EQ(out.position.w, 1.0f);
    EXPECT_EQ(out.diffuse.x, 1.0f);
    EXPECT_EQ(out.diffuse.w, 1.0f);
    EXPECT_FLOAT_EQ(out.texcoord[0].x, 0.75f);
    EXPECT_FLOAT_EQ(out.texcoord[0].y, 0.5f);
}

TEST_F(VertexShaderTest, FourLightProgramSumsClampsAndTakesTheMaterial) {
    const ShaderFlags flags{0x1, 0x800, 0x10000, 0x10000000, 0};
    AssembledShader code;
    const std::string text = GenerateShaderText(flags);
    ASSERT_TRUE(AssembleShader(text.c_str(), static_cast<u32>(text.size()), &code, nullptr));
    gfx::Vec4 v[16];
    v[1] = {0, 0, -1, 1};
    gfx::Vec4 c[96] = {};
    c[0] = {0.5f, -0.5f, 1.0f, 765.01f};
    c[2] = {0, 0, 0, 0.25f};  // ambient
    c[3] = {0, 0, -1, 0};     // light 0 faces the normal
    c[7] = {0.5f, 0.25f, 1.0f, 0};
    c[11] = {1.0f, 1.0f, 0.5f, 0.75f};
    gfx::VertexProgramOutput out;
    code.program(v, c, out);
    // d0 = 1 + 0.25; lights 1..3 have no colour.
    EXPECT_FLOAT_EQ(out.diffuse.x, 0.625f);
    EXPECT_FLOAT_EQ(out.diffuse.y, 0.3125f);
    EXPECT_FLOAT_EQ(out.diffuse.z, 0.625f);
    EXPECT_FLOAT_EQ(out.diffuse.w, 0.75f);
}

TEST_F(VertexShaderTest, SkinnedProgramReadsThreeBonesFromThePalette) {
    const ShaderFlags flags{0x4, 0x100, 0x10000, 0x10000000, 0};
    AssembledShader code;
    const std::string text = GenerateShaderText(flags);
    ASSERT_TRUE(AssembleShader(text.c_str(), static_cast<u32>(text.size()), &code, nullptr));
    gfx::Vec4 v[16];
    v[0] = {1, 2, 3, 1};
    v[1] = {0, 1, 0, 1};
    v[4] = {1.0f, 0.0f, 0.0f, 1};  // all the weight on the first bone
    // Bone index bytes b0..b3 = 2, 0, 0, 0 read as a colour: (R, G, B, A) = (b2, b1, b0, b3) / 255.
    v[5] = {0.0f, 0.0f, 2.0f / 255.0f, 0.0f};
    gfx::Vec4 c[96] = {};
    c[0] = {0.5f, -0.5f, 1.0f, 765.01f};
    // Bone 2 at c32..c34: a translation by (10, 0, 0) as three transposed rows.
    c[32] = {1, 0, 0, 10};
    c[33] = {0, 1, 0, 0};
    c[34] = {0, 0, 1, 0};
    c[20] = {1, 0, 0, 0};
    c[21] = {0, 1, 0, 0};
    c[22] = {0, 0, 1, 0};
    c[23] = {0, 0, 0, 1};
    gfx::VertexProgramOutput out;
    code.program(v, c, out);
    EXPECT_FLOAT_EQ(out.position.x, 11.0f);
    EXPECT_FLOAT_EQ(out.position.y, 2.0f);
    EXPECT_FLOAT_EQ(out.position.z, 3.0f);
    EXPECT_FLOAT_EQ(out.position.w, 1.0f);
}

TEST_F(VertexShaderTest, SceneManagerCreatesItsBuiltInShader) {
    InitializeScene();
    EXPECT_NE(GetSceneShaderHandle(), kNoShaderHandle);
    EXPECT_EQ(DeviceHooks().lostAll[kDeviceObjectScene], SceneLostAll);
    EXPECT_EQ(GetDirect3DDevice()->SetVertexShader(GetSceneShaderHandle()), gfx::D3D_OK);
    DestroyScene();
    EXPECT_EQ(GetSceneShaderHandle(), kNoShaderHandle);
    EXPECT_EQ(DeviceHooks().lostAll[kDeviceObjectScene], nullptr);
}

TEST_F(VertexShaderTest, ManagersStartAndStop) {
    EXPECT_EQ(InitializeSprite(), 1);
    EXPECT_EQ(InitializeListSprite(), 1);
    EXPECT_EQ(InitializeFont(), 1);
    EXPECT_EQ(InitializeFontSprite(), 1);
    EXPECT_EQ(InitializeFontFx(), 1);
    EXPECT_EQ(InitializeSheet(), 1);
    EXPECT_EQ(InitializePrimitive(), 1);
    EXPECT_EQ(InitializePrimitive2(), 1);
    EXPECT_EQ(InitializePerticle(), 1);
    const u8* ramp = GetFontGrayRamp();
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[1], 15);
    EXPECT_EQ(ramp[2], 31);
    EXPECT_EQ(ramp[16], 255);
    EXPECT_NE(DeviceHooks().lostAll[kDeviceObjectParticles], nullptr);
    DestroyPerticle();
    DestroyPrimitive2();
    DestroyPrimitive();
    DestroySheet();
    DestroyFontFx();
    DestroyFontSprite();
    DestroyFont();
    DestroyListSprite();
    DestroySprite();
    EXPECT_EQ(DeviceHooks().lostAll[kDeviceObjectParticles], nullptr);
    EXPECT_EQ(DeviceHooks().lostAll[kDeviceObjectSprites], nullptr);
}

TEST_F(VertexShaderTest, DestroyingAShaderDeletesItsDeviceShader) {
    ShaderFlags flags = kPlaneFlags;
    VertexShader* shader = CreateVertexShader(0);
    ASSERT_TRUE(shader->VertexShaderBuild(&flags));
    const u32 handle = shader->ShaderGetHandle();
    EXPECT_EQ(VertexShaderList().count, 1u);
    shader->Release();
    EXPECT_EQ(VertexShaderList().count, 0u);
    EXPECT_NE(GetDirect3DDevice()->SetVertexShader(handle), gfx::D3D_OK);
}

TEST_F(VertexShaderTest, EveryGeneratedProgramCanBeCreated) {
    for (u32 t : kTransformWords) {
        for (u32 l : kLightingWords) {
            for (u32 x : kTexCoordWords) {
                for (u32 f : kFogWords) {
                    ShaderFlags flags{t, l, x, f, 0};
                    VertexShader* shader = CreateVertexShader(0);
                    ASSERT_TRUE(shader->VertexShaderBuild(&flags));
                    shader->Release();
                }
            }
        }
    }
}
