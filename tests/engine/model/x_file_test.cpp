// Models filled from X files written for the tests: the frame hierarchy, the
// mesh with two materials and its golden frame, animation keys of every
// type, a skinned mesh with two bones drawn in two poses, textures found by
// file or archive entry, and files the reader refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/core/light.h"
#include "engine/model/skinned_mesh.h"
#include "tests/engine/model/model_fixture.h"
#include "tests/support/golden.h"

using model_test::ModelTest;
namespace gfx = platform::gfx;

namespace {

const std::string kGoldenDir = TOLVARIN_TEST_DIR "/golden";
const std::string kXFiles = TOLVARIN_TEST_DIR "/xfiles/";

std::uint32_t PixelAt(gfx::Direct3DSurface8* surface, int x, int y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(surface->Bits() + y * surface->Pitch());
    return row[x] & 0x00FFFFFFu;
}

class XFileTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        log_ = (dir_.path() / "engine.log").string();
        SetLogFileName(log_.c_str());
        // One white light from the upper left, a little ambient.
        Light light;
        light.type = 3;
        light.diffuse = LightColor{1.0f, 1.0f, 1.0f, 1.0f};
        light.direction = Vector3{0.3714f, -0.2785f, 0.8856f};
        SetLight(0, &light);
        SetLightScalar(0.2f);
    }
    void TearDown() override {
        SetLogFileName(nullptr);
        SetModelTextureArchive(nullptr);
        ModelTest::TearDown();
    }

    Model* Load(const std::string& name) {
        std::string error;
        Model* model = CreateModelFromXFile((kXFiles + name).c_str(), nullptr, &error);
        EXPECT_NE(model, nullptr) << error;
        return model;
    }

    // Writes `text` as an X file of the temporary folder and loads it.
    Model* LoadText(const std::string& text, std::string* error) {
        const std::string path = (dir_.path() / "test.x").string();
        std::ofstream(path, std::ios::binary) << text;
        return CreateModelFromXFile(path.c_str(), nullptr, error);
    }

    std::string Log() {
        std::ifstream in(log_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string log_;
};

Frame* FrameNamed(Model* model, const char* name) { return model->FrameAt(model->ModelFindFrame(name)); }

Material* MaterialAt(Mesh* mesh, u32 i) { return static_cast<Material*>(ResourceListGetAt(&mesh->materials, i)); }

}  // namespace

TEST_F(XFileTest, FramesMeshAndMaterialsOfAHierarchy) {
    Model* model = Load("hierarchy.x");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->frames.count, 2u);
    Frame* root = model->FrameAt(0);
    Frame* body = model->FrameAt(1);
    EXPECT_STREQ(root->name, "Root");
    EXPECT_STREQ(body->name, "Body");
    EXPECT_EQ(root->parent, nullptr);  // the model's root frame, which a loaded model has not
    EXPECT_EQ(body->parent, root);
    EXPECT_EQ(root->transform.m[12], 10.0f);
    const Matrix identity;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(body->transform.m[i], identity.m[i]);

    ASSERT_EQ(model->meshes.count, 1u);
    Mesh* hull = model->MeshAt(0);
    EXPECT_STREQ(hull->name, "Hull");
    EXPECT_EQ(hull->frame, body);
    EXPECT_EQ(hull->vertexFormat, kVertexFormatStatic);
    EXPECT_EQ(hull->stride, 36u);
    // Eight corners, each met by three faces of different normals.
    EXPECT_EQ(hull->vertexCount, 24u);
    EXPECT_EQ(hull->indexCount, 36u);
    ASSERT_NE(hull->vertexBuffer, nullptr);
    EXPECT_EQ(hull->shaderFlags.key, 0x10010801u);
    EXPECT_FLOAT_EQ(hull->boxMin.x, -30.0f);
    EXPECT_FLOAT_EQ(hull->boxMax.z, 30.0f);
    for (u32 i = 0; i < hull->vertexCount; ++i) {
        const MasterVertex& v = hull->vertexCopy[i];
        EXPECT_FLOAT_EQ(Vector3Length(&v.normal), 1.0f);
        // Each normal points out of the face it belongs to.
        EXPECT_GT(Vector3Dot(&v.normal, &v.position), 0.0f);
        EXPECT_EQ(v.position2.x, v.position.x);
        EXPECT_EQ(v.normal2.y, v.normal.y);
        EXPECT_EQ(v.weight0, 0.0f);
    }

    // Faces sorted by material: the red faces first, then the blue ones.
    ASSERT_EQ(hull->materials.count, 2u);
    Material* red = MaterialAt(hull, 0);
    Material* blue = MaterialAt(hull, 1);
    EXPECT_EQ(red->faceStart, 0);
    EXPECT_EQ(red->faceCount, 6);
    EXPECT_EQ(blue->faceStart, 18);
    EXPECT_EQ(blue->faceCount, 6);
    EXPECT_FLOAT_EQ(red->color.diffuse.g, 0.25f);
    EXPECT_FLOAT_EQ(red->color.ambient.g, 0.25f);  // ambient takes the diffuse colour
    EXPECT_FLOAT_EQ(red->color.power, 10.0f);
    EXPECT_FLOAT_EQ(blue->color.diffuse.b, 1.0f);
    EXPECT_EQ(red->textures[0], nullptr);

    const std::string log = Log();
    EXPECT_NE(log.find("\tMesh { Vertex 24, Index 36, ( -30.000, -30.000, -30.000)-(  30.000,  30.000,  30.000)"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("} Frame 2 / Mesh 1 / "), std::string::npos) << log;
    EXPECT_NE(log.find("KByteUse / Complete!\n"), std::string::npos);
}

TEST_F(XFileTest, LoadedBoxGoldenFrame) {
    Model* model = Load("hierarchy.x");
    ASSERT_NE(model, nullptr);
    model->ModelResetTransform();
    model->ModelRotateY(0x1400);
    model->ModelRotateX(0x0C00);
    model->ModelSetPosition(0.0f, 0.0f, 200.0f);
    model->ModelUpdate(0.0f);
    SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CCW);
    DrawFrame([&] { model->ModelRender(); });
    gfx::Direct3DSurface8* frame = BackBuffer();
    EXPECT_TRUE(gfx::SaveSurfacePng(TOLVARIN_BUILD_DIR "/xfile_box.png", frame));
    // The root frame moves the box 10 units right of the view's centre.
    EXPECT_NE(PixelAt(frame, 340, 240), 0u);
    EXPECT_EQ(PixelAt(frame, 5, 5), 0u);
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "xfile_box", frame));
}

TEST_F(XFileTest, AnimationKeysOfEveryType) {
    Model* model = Load("animation.x");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->animationKeys.count, 2u);
    auto* early = static_cast<AnimationKeys*>(ResourceListGetAt(&model->animationKeys, 0));
    auto* walk = static_cast<AnimationKeys*>(ResourceListGetAt(&model->animationKeys, 1));
    // The early set was read before its frame existed: kept, linked to nothing.
    EXPECT_STREQ(early->name, "Late");
    EXPECT_EQ(early->positionCount, 1u);
    EXPECT_EQ(FrameNamed(model, "Late")->animationKeys, nullptr);

    EXPECT_STREQ(walk->name, "Arm");
    EXPECT_EQ(model->FrameAt(0)->animationKeys, walk);
    EXPECT_EQ(model->FrameAt(1)->animationKeys, walk);  // both frames named Arm

    ASSERT_EQ(walk->rotationCount, 2u);
    // The file's w, x, y, z become x, y, z, w.
    EXPECT_EQ(walk->rotationKeys[0].value.x, 0.0f);
    EXPECT_EQ(walk->rotationKeys[0].value.w, 1.0f);
    EXPECT_EQ(walk->rotationKeys[1].time, 10);
    EXPECT_FLOAT_EQ(walk->rotationKeys[1].value.w, 0.707107f);
    EXPECT_FLOAT_EQ(walk->rotationKeys[1].value.z, 0.707107f);
    ASSERT_EQ(walk->scaleCount, 1u);
    EXPECT_EQ(walk->scaleKeys[0].value.y, 2.0f);
    // The second position block replaced the first.
    ASSERT_EQ(walk->positionCount, 2u);
    EXPECT_EQ(walk->positionKeys[1].time, 20);
    EXPECT_EQ(walk->positionKeys[1].value.z, 6.0f);
    ASSERT_EQ(walk->matrixCount, 1u);
    EXPECT_EQ(walk->matrixKeys[0].time, 5);
    EXPECT_EQ(walk->matrixKeys[0].value.m[13], 8.0f);

    // The matrix keys win over the others when the frames are animated.
    model->ModelUpdate(5.0f);
    EXPECT_EQ(model->FrameAt(0)->combined.m[12], 7.0f);
}

TEST_F(XFileTest, SkinnedMeshWithTwoBones) {
    Model* model = Load("skinned.x");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.count, 1u);
    auto* bar = dynamic_cast<SkinnedMesh*>(model->MeshAt(0));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->boneCount, 2u);
    EXPECT_EQ(bar->paletteSize, 2u);
    EXPECT_EQ(bar->vertexFormat, kVertexFormatSkinned);
    EXPECT_EQ(bar->stride, 52u);
    EXPECT_EQ(bar->shaderFlags.key, 0x10010804u);
    EXPECT_EQ(bar->frame, FrameNamed(model, "Root"));
    EXPECT_EQ(bar->boneMatrices[0], &FrameNamed(model, "Bone0")->combined);
    EXPECT_EQ(bar->boneMatrices[1], &FrameNamed(model, "Bone1")->combined);
    EXPECT_EQ(bar->boneOffsets[0].m[13], 90.0f);
    // One combination per material, the two materials in file order.
    ASSERT_EQ(bar->combinationCount, 2u);
    const auto* table =
        static_cast<const platform::xfile::D3DXBONECOMBINATION*>(bar->combinationTable->GetBufferPointer());
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 4u);
    EXPECT_EQ(table[1].FaceCount, 4u);
    // Normals were computed (the file has none): the bar faces the camera.
    for (u32 i = 0; i < bar->vertexCount; ++i) EXPECT_FLOAT_EQ(bar->vertexCopy[i].normal.z, -1.0f);
    // The middle row is shared half and half.
    bool shared = false;
    for (u32 i = 0; i < bar->vertexCount; ++i) {
        const MasterVertex& v = bar->vertexCopy[i];
        if (v.position.y == 0.0f) shared = shared || (v.weight0 == 0.5f && v.weight1 == 0.5f);
    }
    EXPECT_TRUE(shared);
    const std::string log = Log();
    EXPECT_NE(log.find("    SkinnedMesh [2 BONE]\n"), std::string::npos);
    EXPECT_NE(log.find("-> Find Bone...\n    [Bone0] [0x"), std::string::npos);
}

// The skinned bar at rest and bent: golden frames of both poses, and the
// bent one saved as a picture.
TEST_F(XFileTest, SkinnedBarInTwoPoses) {
    Model* model = Load("skinned.x");
    ASSERT_NE(model, nullptr);
    model->ModelResetTransform();
    model->ModelSetPosition(0.0f, 0.0f, 200.0f);
    auto draw = [&](f32 time) {
        model->ModelUpdate(time);
        DrawFrame([&] { model->ModelRender(); });
        return BackBuffer();
    };
    gfx::Direct3DSurface8* rest = draw(0.0f);
    EXPECT_TRUE(gfx::SaveSurfacePng(TOLVARIN_BUILD_DIR "/xfile_skinned_rest.png", rest));
    // Upright: the top of the bar is above the centre, nothing to its side.
    EXPECT_NE(PixelAt(rest, 320, 240 - 80), 0u);
    EXPECT_EQ(PixelAt(rest, 320 - 70, 240 - 70), 0u);
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "xfile_skinned_rest", rest));

    gfx::Direct3DSurface8* bent = draw(100.0f);
    EXPECT_TRUE(gfx::SaveSurfacePng(TOLVARIN_BUILD_DIR "/xfile_skinned_bent.png", bent));
    // The upper half turned 60 degrees about the origin; the lower half stayed.
    EXPECT_NE(PixelAt(bent, 320, 240 + 80), 0u);
    EXPECT_EQ(PixelAt(bent, 320, 240 - 80), 0u);
    const f32 s = std::sin(3.14159265f / 3.0f) * 70.0f;
    const f32 c = std::cos(3.14159265f / 3.0f) * 70.0f;
    const bool left = PixelAt(bent, 320 - static_cast<int>(s), 240 - static_cast<int>(c)) != 0;
    const bool right = PixelAt(bent, 320 + static_cast<int>(s), 240 - static_cast<int>(c)) != 0;
    EXPECT_NE(left, right);
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "xfile_skinned_bent", bent));

    // The palette holds bone 1's matrix (offset x combined, transposed) at c29.
    f32 row[4];
    Device()->GetVertexShaderConstant(29, row, 1);
    EXPECT_NEAR(row[0], 0.5f, 1e-5f);
}

TEST_F(XFileTest, SkinnedBarDrawsTheSameAfterADeviceRestore) {
    Model* model = Load("skinned.x");
    ASSERT_NE(model, nullptr);
    model->ModelResetTransform();
    model->ModelSetPosition(0.0f, 0.0f, 200.0f);
    model->ModelUpdate(50.0f);
    DrawFrame([&] { model->ModelRender(); });
    const std::uint64_t before = FrameHash();
    Device()->SimulateDeviceLost();
    Present();
    ASSERT_FALSE(Device()->IsLost());
    DrawFrame([&] { model->ModelRender(); });
    EXPECT_EQ(FrameHash(), before);
}

TEST_F(XFileTest, TexturesComeFromTheFileOrTheArchive) {
    // A picture file (the back buffer cleared to a colour) and an archive entry.
    DrawFrame([&] {});
    const std::string picture = (dir_.path() / "wall.png").string();
    ASSERT_TRUE(gfx::SaveSurfacePng(picture, BackBuffer()));
    TestTexture();
    SetModelTextureArchive((dir_.path() / "model.dat").string().c_str());
    auto mesh = [](const std::string& texture) {
        return "xof 0302txt 0032\nMesh M {\n3; 0;0;0;, 1;0;0;, 0;1;0;;\n1; 3;0,1,2;;\n"
               "MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;;\n"
               "TextureFilename { \"" +
               texture + "\"; } } }\n}\n";
    };
    std::string error;
    // A name with forward slashes is used whole.
    Model* fromFile = LoadText(mesh(picture), &error);
    ASSERT_NE(fromFile, nullptr) << error;
    Texture* first = MaterialAt(fromFile->MeshAt(0), 0)->textures[0];
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->TextureIsReady());
    // No file "orientation.bmp": the archive entry "orientation" instead.
    Model* fromArchive = LoadText(mesh("tex\\\\orientation.bmp"), &error);
    ASSERT_NE(fromArchive, nullptr) << error;
    Texture* second = MaterialAt(fromArchive->MeshAt(0), 0)->textures[0];
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->TextureIsReady());
    // Neither: the material stays, without a texture.
    Model* neither = LoadText(mesh("tex\\\\missing.bmp"), &error);
    ASSERT_NE(neither, nullptr) << error;
    ASSERT_EQ(neither->MeshAt(0)->materials.count, 1u);
    EXPECT_EQ(MaterialAt(neither->MeshAt(0), 0)->textures[0], nullptr);
}

TEST_F(XFileTest, MeshesOfAFileWithoutMaterialsOrNormals) {
    std::string error;
    Model* model = LoadText(
        "xof 0302txt 0032\n"
        "Frame F { { M } }\n"
        "Mesh M { 4; 0;0;0;, 0;10;0;, 10;10;0;, 10;0;0;; 1; 4;0,1,2,3;; }\n"
        "Unused { 1; }\n"
        "template Unused { <00000000-0000-0000-0000-000000000001> DWORD a; }\n",
        &error);
    EXPECT_EQ(model, nullptr);
    EXPECT_NE(error.find("line 4: unknown template 'Unused'"), std::string::npos) << error;

    model = LoadText(
        "xof 0302txt 0032\n"
        "template Extra { <00000000-0000-0000-0000-000000000001> DWORD a; }\n"
        "Frame F { { M } Extra { 7; } }\n"
        "Mesh M { 4; 0;0;0;, 0;10;0;, 10;10;0;, 10;0;0;; 1; 4;0,1,2,3;; }\n",
        &error);
    ASSERT_NE(model, nullptr) << error;
    // The reference inside the frame does not attach the mesh to it.
    ASSERT_EQ(model->meshes.count, 1u);
    EXPECT_EQ(model->MeshAt(0)->frame, nullptr);
    ASSERT_EQ(model->MeshAt(0)->materials.count, 1u);  // a default white material
    EXPECT_EQ(MaterialAt(model->MeshAt(0), 0)->faceCount, 2);
    for (u32 i = 0; i < model->MeshAt(0)->vertexCount; ++i) {
        EXPECT_FLOAT_EQ(model->MeshAt(0)->vertexCopy[i].normal.z, -1.0f);
    }
}

TEST_F(XFileTest, RefusedFilesNameTheLine) {
    const struct {
        const char* text;
        const char* message;
    } kCases[] = {
        {"xof 0302bin 0032", "binary X files are not supported"},
        {"xof 0303tzip0032", "compressed X files are not supported"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }\n",
         "line 2: Mesh 'M': face 0 names vertex 7"},
        {"xof 0302txt 0032\nFrame A {\n Mesh M { 3; 0;0;0;, 1;0;0;;\n 1; 3;0,1,2;; }\n}\n", "line 4"},
        {"xof 0302txt 0032\nFrame A {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0 }\n}\n", "line 3"},
        {"xof 0302txt 0032\nFrame A {\n", "the file ends inside Frame 'A'"},
    };
    for (const auto& c : kCases) {
        std::string error;
        EXPECT_EQ(LoadText(c.text, &error), nullptr) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find("test.x: "), std::string::npos) << error;
    }
    EXPECT_EQ(ModelList().count, 0u);
}
