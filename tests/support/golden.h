#pragma once
// Golden frames: a frame's raw pixels are hashed (64-bit FNV-1a over size,
// format and pixels) and compared with the value kept in a text file beside
// the test, <dir>/<name>.txt, with the expected picture beside it as
// <dir>/<name>.png so that a reviewer sees what the hash stands for. With
// TOLVARIN_UPDATE_GOLDEN=1 in the environment both files are (re)written
// instead (tools/update_goldens.sh does that for every golden frame). On a
// mismatch the frame is written as <dir>/<name>-actual.png for a person to
// compare with the expected picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/gfx/types.h"

namespace platform::gfx {
class Direct3DSurface8;
}

namespace testing_support {

struct FrameView {
    const std::uint8_t* bits = nullptr;
    std::int32_t pitch = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    platform::gfx::D3DFORMAT format = platform::gfx::D3DFMT_X8R8G8B8;
};

FrameView ViewOf(const platform::gfx::Direct3DSurface8* surface);

bool UpdatingGolden();

// <dir>/<name>.png: the expected picture of a golden frame.
std::filesystem::path GoldenPicturePath(const std::string& dir, const std::string& name);

// `dir` is usually TOLVARIN_TEST_DIR "/golden".
::testing::AssertionResult MatchesGolden(const std::string& dir, const std::string& name, const FrameView& frame);
::testing::AssertionResult MatchesGolden(const std::string& dir, const std::string& name,
                                         const platform::gfx::Direct3DSurface8* surface);

}  // namespace testing_support
