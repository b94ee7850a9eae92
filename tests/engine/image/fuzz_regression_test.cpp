#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/fuzz/image_fuzz_input.h"

namespace {

// Inputs kept from fuzzing (crashes it found once, and the seeds) must run
// through every image reader without a fault; the sanitizer build checks the
// memory accesses.
TEST(ImageFuzzRegressions, KeptInputsRunCleanly) {
    const std::filesystem::path dir = std::filesystem::path(TOLVARIN_TEST_DIR) / "fuzz_regressions";
    int count = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(file.path().filename().string());
        RunImageFuzzInput(bytes.data(), bytes.size());
        ++count;
    }
    EXPECT_GE(count, 3);
}

}  // namespace
