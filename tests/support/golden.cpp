#include "tests/support/golden.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

#include "platform/gfx/device.h"
#include "platform/gfx/present.h"
#include "platform/gfx/raster.h"
#include "platform/image_file.h"

namespace testing_support {

namespace gfx = platform::gfx;

FrameView ViewOf(const gfx::Direct3DSurface8* surface) {
    FrameView v;
    if (!surface) return v;
    v.bits = surface->Bits();
    v.pitch = surface->Pitch();
    v.width = surface->Width();
    v.height = surface->Height();
    v.format = surface->Format();
    return v;
}

bool UpdatingGolden() {
    const char* flag = std::getenv("TOLVARIN_UPDATE_GOLDEN");
    return flag && flag[0] == '1';
}

namespace {

// The frame as a person sees it: RGB when every pixel is opaque (screens and
// X formats), RGBA when the alpha channel carries something.
bool WritePng(const std::filesystem::path& path, const FrameView& frame) {
    const int bpp = gfx::raster::BytesPerPixel(frame.format);
    if (bpp == 0 || !gfx::raster::IsColourFormat(frame.format)) return false;
    const std::size_t pixels = static_cast<std::size_t>(frame.width) * frame.height;
    std::vector<std::uint8_t> rgba(pixels * 4);
    bool opaque = true;
    for (std::uint32_t y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = frame.bits + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        for (std::uint32_t x = 0; x < frame.width; ++x) {
            const std::uint32_t c = gfx::raster::ToArgb(row + x * bpp, frame.format);
            std::uint8_t* o = &rgba[(static_cast<std::size_t>(y) * frame.width + x) * 4];
            o[0] = static_cast<std::uint8_t>(c >> 16);
            o[1] = static_cast<std::uint8_t>(c >> 8);
            o[2] = static_cast<std::uint8_t>(c);
            o[3] = static_cast<std::uint8_t>(c >> 24);
            opaque = opaque && o[3] == 0xFF;
        }
    }
    int channels = 4;
    if (opaque) {
        for (std::size_t i = 0; i < pixels; ++i) {
            for (int k = 0; k < 3; ++k) rgba[i * 3 + k] = rgba[i * 4 + k];
        }
        channels = 3;
    }
    // The pictures are committed: the strongest compression the writer has.
    stbi_write_png_compression_level = 9;
    return stbi_write_png(path.string().c_str(), static_cast<int>(frame.width), static_cast<int>(frame.height),
                          channels, rgba.data(), static_cast<int>(frame.width) * channels) != 0;
}

// Whether the picture kept at `path` shows `frame`: the same size and, pixel by
// pixel, the colours the frame converts to (alpha too when the picture has it).
::testing::AssertionResult PictureShows(const std::filesystem::path& path, const FrameView& frame) {
    std::int32_t w = 0, h = 0;
    std::vector<std::uint8_t> bgra;
    std::string error;
    if (!platform::LoadImageFileBgra(path.string().c_str(), w, h, bgra, error)) {
        return ::testing::AssertionFailure() << error;
    }
    if (w != static_cast<std::int32_t>(frame.width) || h != static_cast<std::int32_t>(frame.height)) {
        return ::testing::AssertionFailure()
               << "it is " << w << " x " << h << ", the frame " << frame.width << " x " << frame.height;
    }
    const int bpp = gfx::raster::BytesPerPixel(frame.format);
    if (bpp == 0 || !gfx::raster::IsColourFormat(frame.format)) return ::testing::AssertionSuccess();
    for (std::uint32_t y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = frame.bits + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        for (std::uint32_t x = 0; x < frame.width; ++x) {
            const std::uint32_t c = gfx::raster::ToArgb(row + x * bpp, frame.format);
            const std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * frame.width + x) * 4];
            const std::uint32_t kept = (static_cast<std::uint32_t>(p[3]) << 24) |
                                       (static_cast<std::uint32_t>(p[2]) << 16) |
                                       (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
            // An opaque frame is kept without alpha, which reads back as 0xFF.
            if (kept != c) {
                char text[96];
                std::snprintf(text, sizeof(text), "pixel (%u, %u) is %08x in the picture, %08x in the frame", x, y,
                              kept, c);
                return ::testing::AssertionFailure() << text;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

std::filesystem::path GoldenPicturePath(const std::string& dir, const std::string& name) {
    return std::filesystem::path(dir) / (name + ".png");
}

::testing::AssertionResult MatchesGolden(const std::string& dir, const std::string& name, const FrameView& frame) {
    if (!frame.bits || frame.width == 0 || frame.height == 0) {
        return ::testing::AssertionFailure() << "golden " << name << ": no frame";
    }
    std::uint64_t hash = gfx::HashPixels(frame.bits, frame.pitch, frame.width, frame.height, frame.format);
    char hex[17];
    std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(hash));
    const std::filesystem::path expectedPath = std::filesystem::path(dir) / (name + ".txt");
    const std::filesystem::path picturePath = GoldenPicturePath(dir, name);
    const std::filesystem::path actualPath = std::filesystem::path(dir) / (name + "-actual.png");
    std::error_code ec;
    if (UpdatingGolden()) {
        std::filesystem::create_directories(dir, ec);
        std::ofstream out(expectedPath, std::ios::trunc);
        out << hex << "\n";
        out.close();
        std::filesystem::remove(actualPath, ec);
        if (!out) return ::testing::AssertionFailure() << "cannot write " << expectedPath;
        if (!WritePng(picturePath, frame)) return ::testing::AssertionFailure() << "cannot write " << picturePath;
        return ::testing::AssertionSuccess();
    }
    std::ifstream in(expectedPath);
    std::string expected;
    if (in) in >> expected;
    if (expected == hex) {
        std::filesystem::remove(actualPath, ec);
        // The hash alone does not tell a reviewer what it stands for: the
        // picture beside it must show this very frame.
        if (!std::filesystem::exists(picturePath)) {
            return ::testing::AssertionFailure()
                   << "golden " << name << ": the hash matches, but the picture " << picturePath
                   << " is missing (run with TOLVARIN_UPDATE_GOLDEN=1 to write it)";
        }
        const ::testing::AssertionResult shown = PictureShows(picturePath, frame);
        if (!shown) {
            return ::testing::AssertionFailure() << "golden " << name << ": the hash matches, but the picture "
                                                 << picturePath << " does not show the frame (" << shown.message()
                                                 << "); run with TOLVARIN_UPDATE_GOLDEN=1 to write it again";
        }
        return ::testing::AssertionSuccess();
    }
    bool wrote = WritePng(actualPath, frame);
    auto failure = ::testing::AssertionFailure();
    if (expected.empty()) {
        failure << "golden " << name << ": no expected hash in " << expectedPath
                << " (run with TOLVARIN_UPDATE_GOLDEN=1 to record " << hex << ")";
    } else {
        failure << "golden " << name << ": hash " << hex << ", expected " << expected << " (pictured in " << picturePath
                << ")";
    }
    if (wrote) failure << "; frame written to " << actualPath;
    return failure;
}

::testing::AssertionResult MatchesGolden(const std::string& dir, const std::string& name,
                                         const gfx::Direct3DSurface8* surface) {
    return MatchesGolden(dir, name, ViewOf(surface));
}

}  // namespace testing_support
