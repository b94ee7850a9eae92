// Every golden frame kept beside the tests is a pair: the hash
// golden/<name>.txt and the picture golden/<name>.png. A picture left behind
// by a renamed or removed golden frame, or a hash without its picture, is
// reported here by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(GoldenFiles, EveryHashHasItsPictureAndEveryPictureItsHash) {
    int pairs = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TOLVARIN_SOURCE_DIR) / "tests")) {
        if (!entry.is_directory() || entry.path().filename() != "golden") continue;
        std::set<std::string> hashes, pictures;
        for (const auto& file : fs::directory_iterator(entry.path())) {
            const std::string stem = file.path().stem().string();
            if (file.path().extension() == ".txt") hashes.insert(stem);
            // Mismatch pictures (<name>-actual.png) are not kept.
            if (file.path().extension() == ".png" && !stem.ends_with("-actual")) pictures.insert(stem);
        }
        for (const std::string& name : hashes) {
            EXPECT_TRUE(pictures.count(name))
                << (entry.path() / (name + ".png")) << " is missing (TOLVARIN_UPDATE_GOLDEN=1 writes it)";
        }
        for (const std::string& name : pictures) {
            EXPECT_TRUE(hashes.count(name))
                << (entry.path() / (name + ".png")) << " belongs to no golden frame: remove it with its test";
        }
        pairs += static_cast<int>(hashes.size());
    }
    EXPECT_GT(pairs, 0);
}

}  // namespace
