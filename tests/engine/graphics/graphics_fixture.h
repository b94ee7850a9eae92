#pragma once
// A started graphics device (windowed, 640 x 480, X8R8G8B8 back buffer) with
// the texture and surface managers, and image archives written on the fly.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/angle.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "engine/image/lag_archive.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "tests/support/temp_dir.h"

namespace graphics_test {

namespace gfx = platform::gfx;

// An archive entry of 8888 pixels given as A8R8G8B8 values, row by row.
inline LagWriteEntry ArgbEntry(const std::string& name, i32 width, i32 height, const std::vector<u32>& argb,
                               bool compressed = false) {
    LagWriteEntry e;
    e.name = name;
    e.width = width;
    e.height = height;
    e.format = kLagLayout8888 + (compressed ? kLagCompressed : 0);
    e.pixels.resize(argb.size() * 4);
    std::memcpy(e.pixels.data(), argb.data(), e.pixels.size());
    return e;
}

// Pixel (x, y) of a "coordinate" picture: red = x low byte, green = y low
// byte, blue = x high bits and y high bits, opaque.
inline u32 CoordinateColour(i32 x, i32 y) {
    return 0xFF000000u | (static_cast<u32>(x & 0xFF) << 16) | (static_cast<u32>(y & 0xFF) << 8) |
           static_cast<u32>(((x >> 8) & 0xF) | (((y >> 8) & 0xF) << 4));
}

inline std::vector<u32> CoordinatePicture(i32 width, i32 height) {
    std::vector<u32> p(static_cast<std::size_t>(width) * height);
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x) p[static_cast<std::size_t>(y) * width + x] = CoordinateColour(x, y);
    return p;
}

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::ResetGraphicsEnvironment();
        ResetApplicationState();
        SetWindowMode(1);
        platform::SetClock(&clock_);
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = fullColorTextures_;
        DeviceHooks() = GraphicsDeviceHooks{};
        FillSineTable();
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        InitializeTexture();
        InitializeSurface();
        // The program folder is the archive folder; loads go there first.
        const std::string folder = dir_.str();
        std::strncpy(App().applicationFolder, folder.c_str(), sizeof App().applicationFolder - 1);
        savedFolder_ = std::filesystem::current_path();
    }
    void TearDown() override {
        DestroySurface();
        DestroyTexture();
        DestroyDirectXGraphics();
        DeviceHooks() = GraphicsDeviceHooks{};
        platform::SetClock(nullptr);
        gfx::ResetGraphicsEnvironment();
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorTexture = 0;
        std::filesystem::current_path(savedFolder_);
    }

    std::string WriteArchive(const std::string& name, const std::vector<LagWriteEntry>& entries) {
        const std::vector<u8> bytes = LagBuildArchive(entries);
        const std::string path = (dir_.path() / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    gfx::Direct3DDevice8* Device() { return GetDirect3DDevice(); }
    gfx::Direct3DSurface8* BackBuffer() { return Device()->BackBufferSurface(); }
    u32 Pixel(i32 x, i32 y) {
        const u32* argb = BackBuffer()->Argb();
        return argb[static_cast<std::size_t>(y) * BackBuffer()->Width() + x] & 0xFFFFFFu;
    }
    // Point sampling, so drawn texels can be compared exactly.
    void PointFiltering() {
        SetTextureStageState(0, gfx::D3DTSS_MAGFILTER, gfx::D3DTEXF_POINT);
        SetTextureStageState(0, gfx::D3DTSS_MINFILTER, gfx::D3DTEXF_POINT);
    }

    bool fullColorTextures_ = true;
    platform::VirtualClock clock_;
    testing_support::TempDir dir_;
    std::filesystem::path savedFolder_;
};

}  // namespace graphics_test
