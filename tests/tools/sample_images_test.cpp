#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/image/image.h"
#include "engine/image/lag_archive.h"
#include "tools/sampledata/manifest.h"

namespace {

namespace fs = std::filesystem;

struct Wanted {
    const char* archive;
    const char* kind;
    std::vector<std::string> names;
};

std::vector<std::string> Numbered(const std::string& prefix, int from, int to, bool twoDigits = true) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, twoDigits ? "%s%02d" : "%s%d", prefix.c_str(), i);
        out.push_back(buffer);
    }
    return out;
}

std::vector<std::string> Lettered(const std::string& prefix, char last) {
    std::vector<std::string> out;
    for (char c = 'a'; c <= last; ++c) out.push_back(prefix + c);
    return out;
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Every picture the game loads, by scene: start, logo, title, settings, replay
// browser, ending, ranking, stage report, result, and the five stages.
std::vector<Wanted> WantedImages() {
    return {
        // clang-format off
        {"vsk1.dat", "texture",
         {"black", "op", "title", "title2", "title3", "title_puro", "config_window", "name", "memory",
          "memory_window", "bgp_ed08", "ranking", "bgp_ranking", "face_report", "report", "window", "reportline",
          "gameoverline", "result", "result2", "result3", "picture", "missile", "effect", "stage_title", "pause",
          "pause_r",
          // stage sheets
          "enemy01", "enemy01b", "boss01", "boss01_2", "enemy02", "enemy02_2", "boss02_3", "boss02", "boss02_2",
          "enemy03", "enemy03_2", "boss03_3", "boss03", "boss03_2", "enemy05", "enemy05_2", "enemy05_3",
          "boss05_1", "boss05_2", "enemy04", "enemy04_2", "enemy04_3", "enemy04_4", "enemy04_5", "shiro1",
          "shiro2", "shiro3", "shiro4", "boss04", "boss04_2",
          // faces and clouds
          "face01", "face01_2", "face02", "face02_2", "face03", "face03_2", "face03_3", "face05", "face05_2",
          "face04", "face04_2", "face04_3", "cloud01", "cloud05", "cloud02", "cloud03", "cloud04"}},
        {"vsk2.dat", "surface",
         Join({{"side", "logo_morvale", "logo_qorit", "logo_title", "bgp_menu", "bgp_config", "bgp_memory",
                "ranking00", "report00", "report10", "report_01", "report_02", "report_03", "report_04",
                "report_05", "report_06", "report_07", "report_11", "report_12", "report_13", "report_14",
                "report_15", "bgp01-1", "bgp01-2", "bgp01-3", "bgp02", "bgp02_2", "bgp02_3", "bgp02_4", "bgp03",
                "bgp05"},
               Numbered("bgp_ed", 1, 7), Numbered("bgp03_", 2, 9, false), Numbered("bgp04_", 1, 5, false)})},
        {"vsk3.dat", "texture",
         Join({{"clear01", "clear02"}, Lettered("speech01", 'g'), Lettered("speech02", 'i'),
               Lettered("speech03", 'i'), Lettered("speech05", 'f'), Lettered("speech04", 'i')})},
        // clang-format on
        {"vsk4.dat", "texture",
         Join({{"ed01", "ed02", "ed04", "endroll", "endlist", "endwindow"}, Numbered("ed_after", 1, 18)})},
        {"vsk7.dat", "surface", Numbered("end", 0, 18)},
        {"vsk7.dat", "texture", {"end00tex"}},
    };
}

// Sizes the pictures must have at least (the largest rectangle read from them).
const std::map<std::string, std::pair<int, int>> kMinimumSizes = {
    {"shiro1", {1000, 740}},    {"bgp_ed07", {640, 910}}, {"face_report", {512, 512}},
    {"title_puro", {219, 219}}, {"end00tex", {512, 512}}, {"title2", {400, 480}},
};

class SampleImages : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(LoadManifest(TOLVARIN_MANIFEST, manifest_, error)) << error;
        for (const ManifestEntry& e : manifest_.entries) {
            if (e.kind == "texture" || e.kind == "surface") images_[e.name] = &e;
        }
    }
    Manifest manifest_;
    std::map<std::string, const ManifestEntry*> images_;
};

TEST_F(SampleImages, ManifestListsEveryPictureTheGameLoads) {
    for (const Wanted& w : WantedImages()) {
        for (const std::string& name : w.names) {
            auto it = images_.find(name);
            ASSERT_NE(it, images_.end()) << name << " is missing from the manifest";
            EXPECT_EQ(it->second->archive, w.archive) << name;
            EXPECT_EQ(it->second->kind, w.kind) << name;
        }
    }
    std::set<std::string> seen;
    for (const ManifestEntry& e : manifest_.entries) {
        if (e.kind != "texture" && e.kind != "surface") continue;
        EXPECT_TRUE(seen.insert(e.name).second) << e.name << " is listed twice";
        EXPECT_LE(e.name.size(), kLagNameSize) << e.name;
        if (e.kind == "surface") {
            EXPECT_GE(e.width, 640) << e.name;
            EXPECT_GE(e.height, 480) << e.name;
        }
    }
    for (const auto& [name, size] : kMinimumSizes) {
        ASSERT_TRUE(images_.count(name)) << name;
        EXPECT_GE(images_[name]->width, size.first) << name;
        EXPECT_GE(images_[name]->height, size.second) << name;
    }
}

// Every literal name the game's code hands to CreateTexture or CreateSurface.
TEST_F(SampleImages, ManifestListsEveryNameInTheCode) {
    const std::regex call(R"re(Create(Texture|Surface)\(\s*"(vsk\d\.dat)"\s*,\s*"([^"]+)")re");
    int found = 0;
    for (const char* folder : {"game", "engine"}) {
        const fs::path root = fs::path(TOLVARIN_SOURCE_DIR) / folder;
        for (const auto& file : fs::recursive_directory_iterator(root)) {
            const std::string ext = file.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(file.path());
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
                ++found;
                const std::string name = (*it)[3];
                auto e = images_.find(name);
                ASSERT_NE(e, images_.end()) << file.path() << " loads " << name << ", which the manifest lacks";
                EXPECT_EQ(e->second->archive, (*it)[2].str()) << name;
                EXPECT_EQ(e->second->kind, (*it)[1].str() == "Texture" ? "texture" : "surface") << name;
            }
        }
    }
    RecordProperty("literal_loads", found);
}

TEST_F(SampleImages, GeneratedArchivesHoldEveryEntryAtItsSize) {
    std::map<std::string, std::vector<LagEntryInfo>> listed;
    for (const char* archive : {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk7.dat"}) {
        const fs::path path = fs::path(TOLVARIN_BUILD_DIR) / archive;
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const std::vector<u8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const LagResult r = LagListEntries(bytes.data(), bytes.size(), archive, listed[archive]);
        ASSERT_TRUE(r.ok()) << r.message;
    }
    std::set<int> layouts;
    bool raw = false, compressed = false;
    for (const auto& [name, e] : images_) {
        const auto& entries = listed[e->archive];
        auto it = std::find_if(entries.begin(), entries.end(),
                               [&key = name](const LagEntryInfo& i) { return key == i.name; });
        ASSERT_NE(it, entries.end()) << name << " is not in " << e->archive;
        EXPECT_EQ(it->width, e->width) << name;
        EXPECT_EQ(it->height, e->height) << name;
        layouts.insert(it->format & 3);
        (LagIsCompressed(it->format) ? compressed : raw) = true;
    }
    EXPECT_TRUE(raw);
    EXPECT_TRUE(compressed);
    EXPECT_EQ(layouts.size(), 4u);
}

TEST_F(SampleImages, LoaderReadsRawAndCompressedSamples) {
    // "black" is stored as compressed floats and must stay opaque black.
    for (const char* name : {"BLACK", "side", "enemy01", "shiro1", "ed_after01", "endwindow", "title_puro"}) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const ManifestEntry* e = images_.at(lower);
        const std::string path = (fs::path(TOLVARIN_BUILD_DIR) / e->archive).string();
        Image image;
        ASSERT_EQ(image.ImageLoadLag(path.c_str(), name, nullptr), nullptr) << ImageLastLagError();
        i32 width = 0, height = 0;
        image.ImageGetSize(&width, &height);
        EXPECT_EQ(width, e->width);
        EXPECT_EQ(height, e->height);
        if (lower == "black") {
            u8* p = nullptr;
            i32 pitch = 0;
            image.ImageGetPixels(&p, &pitch);
            EXPECT_EQ(p[0] | p[1] | p[2], 0);
            EXPECT_EQ(p[3], 255);
        }
    }
}

}  // namespace
