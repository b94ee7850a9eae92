#include "engine/image/lag_archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <fstream>
#include <string>
#include <vector>

#include "engine/image/image.h"
#include "engine/image/prefetch.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<u8> Pixels8888(i32 width, i32 height, u32 seed) {
    std::vector<u8> p(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<u8>((i * 37 + seed) ^ (i >> 5));
    return p;
}

LagWriteEntry Entry(const std::string& name, i32 width, i32 height, i32 format, u32 seed = 1) {
    LagWriteEntry e;
    e.name = name;
    e.width = width;
    e.height = height;
    e.format = format;
    std::vector<u8> bgra = Pixels8888(width, height, seed);
    e.pixels.resize(LagDataSize(width, height, format));
    LagConvertPixels(width, height, kLagLayout8888, bgra.data(), format, e.pixels.data(), nullptr);
    return e;
}

void PutU32(std::vector<u8>& bytes, std::size_t at, u32 v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<u8>(v >> (8 * i));
}

class LagArchiveTest : public ::testing::Test {
protected:
    std::string Write(const std::vector<u8>& bytes, const std::string& name = "test.dat") {
        const std::string path = (dir_.path() / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    testing_support::TempDir dir_;
};

TEST_F(LagArchiveTest, ReadsRawAndCompressedEntriesOfEveryLayout) {
    std::vector<LagWriteEntry> entries;
    for (i32 format = 0; format < 8; ++format) {
        entries.push_back(Entry("pic" + std::to_string(format), 5 + format, 3, format, format));
    }
    const std::string path = Write(LagBuildArchive(entries));
    for (const LagWriteEntry& e : entries) {
        i32 width = 0, height = 0, format = -1;
        std::vector<u8> data;
        LagResult result;
        const u64 size = LagReadEntry(path.c_str(), e.name.c_str(), &width, &height, &data, &format, nullptr, &result);
        ASSERT_TRUE(result.ok()) << result.message;
        EXPECT_EQ(size, e.pixels.size());
        EXPECT_EQ(width, e.width);
        EXPECT_EQ(height, 3);
        EXPECT_EQ(format, e.format);
        EXPECT_EQ(data, e.pixels) << e.name;
    }
}

TEST_F(LagArchiveTest, ImageLoadLagLowerCasesTheRequestAndConvertsTo32Bits) {
    const std::string path = Write(LagBuildArchive({Entry("side", 4, 2, 5, 9)}));
    Image* image = CreateImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->ImageLoadLag(path.c_str(), "SiDE", nullptr), nullptr);
    i32 width = 0, height = 0, pitch = 0;
    u8* pixels = nullptr;
    image->ImageGetSize(&width, &height);
    image->ImageGetPixels(&pixels, &pitch);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(pitch, 16);
    ASSERT_NE(pixels, nullptr);
    const std::vector<u8> expected = Pixels8888(4, 2, 9);
    EXPECT_EQ(0, std::memcmp(pixels, expected.data(), expected.size()));
    image->ImageGetSize(nullptr, nullptr);
    image->ImageGetPixels(nullptr, nullptr);
    EXPECT_EQ(image->Release(), 0);
}

TEST_F(LagArchiveTest, StoredNamesAreNotLowerCased) {
    // Names are stored in lower case; an upper-case stored name is unreachable.
    const std::string path = Write(LagBuildArchive({Entry("Side", 1, 1, 1)}));
    Image image;
    const char* error = image.ImageLoadLag(path.c_str(), "Side", nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(std::string(error).rfind(kLagLoadError, 0), 0u) << error;
    EXPECT_FALSE(image.HasPixels());
}

TEST_F(LagArchiveTest, MissingArchiveHeaderOrEntryReadAsTheLagError) {
    const std::string good = Write(LagBuildArchive({Entry("one", 2, 2, 1)}), "good.dat");
    std::vector<u8> badMagic = LagBuildArchive({Entry("one", 2, 2, 1)});
    badMagic[2] = 'X';
    const std::string bad = Write(badMagic, "bad.dat");
    struct Case {
        std::string path;
        const char* entry;
        const char* detail;
    } cases[] = {
        {(dir_.path() / "absent.dat").string(), "one", "cannot open"},
        {bad, "one", "not a LAG archive"},
        {good, "two", "entry \"two\" not found"},
        {good, "", "entry \"\" not found"},
        {good, "one_longer_than_sixteen_bytes", "not found"},
    };
    for (const Case& c : cases) {
        Image image;
        const char* error = image.ImageLoadLag(c.path.c_str(), c.entry, nullptr);
        ASSERT_NE(error, nullptr) << c.entry;
        const std::string text = error;
        EXPECT_EQ(text.rfind(kLagLoadError, 0), 0u) << text;
        EXPECT_NE(text.find(c.detail), std::string::npos) << text;
        EXPECT_STREQ(ImageLastLagError(), error);
        EXPECT_FALSE(image.HasPixels());
    }
}

TEST_F(LagArchiveTest, NamesCompareWithinTheirSixteenBytes) {
    // A full 16-byte name has no terminator inside the field.
    std::vector<u8> bytes = LagBuildArchive({Entry("abcdefghijklmnop", 1, 1, 1, 3), Entry("abc", 1, 1, 1, 4)});
    const std::string path = Write(bytes);
    Image image;
    EXPECT_EQ(image.ImageLoadLag(path.c_str(), "ABCDEFGHIJKLMNOP", nullptr), nullptr);
    EXPECT_NE(image.ImageLoadLag(path.c_str(), "abcdefghijklmnopq", nullptr), nullptr);
    EXPECT_NE(image.ImageLoadLag(path.c_str(), "abcdefghijklmno", nullptr), nullptr);
    EXPECT_EQ(image.ImageLoadLag(path.c_str(), "abc", nullptr), nullptr);
}

TEST_F(LagArchiveTest, FirstEntryOfANameWins) {
    const std::string path = Write(LagBuildArchive({Entry("dup", 1, 1, 1, 1), Entry("dup", 2, 1, 1, 2)}));
    i32 width = 0;
    EXPECT_EQ(LagReadEntry(path.c_str(), "dup", &width, nullptr, nullptr, nullptr, nullptr, nullptr), 4u);
    EXPECT_EQ(width, 1);
}

// Hostile headers: each damages the second entry of a small archive. The
// first entry still loads; the damaged one fails with its name in the text.
TEST_F(LagArchiveTest, DamagedEntriesAreRejectedByName) {
    const std::vector<u8> base = LagBuildArchive({Entry("first", 2, 2, 1), Entry("victim", 4, 4, 1)});
    const std::size_t second = 8 + 32 + 16;  // the second entry's header
    const std::vector<u8> compressedBase = LagBuildArchive({Entry("first", 2, 2, 1), Entry("victim", 64, 64, 5)});
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        const char* detail;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, std::size_t field, u32 value, const char* detail) {
        std::vector<u8> b = base;
        PutU32(b, second + field, value);
        cases.push_back({what, b, detail});
    };
    with("zero width", 16, 0, "bad size 0 x 4");
    with("negative height", 20, 0xFFFFFFFFu, "bad size 4 x -1");
    with("huge size", 16, 0x7FFFFFFF, "too large");
    with("product overflowing 32 bits", 20, 0x40000001, "too large");
    with("unknown format", 24, 9, "unknown pixel format 9");
    with("stored size short of the pixels", 28, 60, "stored size 60 is smaller than the 64 bytes");
    with("stored size past the end", 28, 1000, "past the end of the file");
    with("stored size near 4 GiB", 28, 0xFFFFFFF0u, "past the end of the file");
    {
        std::vector<u8> b = base;
        b.resize(b.size() - 1);  // the data is one byte short
        cases.push_back({"truncated data", b, "past the end of the file"});
    }
    {
        std::vector<u8> b = compressedBase;
        b.resize(b.size() - 3);  // the stored size now runs past the end
        PutU32(b, second + 28, static_cast<u32>(b.size() - (second + 32)));
        cases.push_back({"truncated compressed data", b, "compressed data ends before"});
    }
    {
        std::vector<u8> b = compressedBase;
        PutU32(b, second + 16, 2000);
        PutU32(b, second + 20, 2000);
        cases.push_back({"compressed size beyond what the stream can hold", b, "cannot hold"});
    }
    for (const Case& c : cases) {
        const std::string path = Write(c.bytes);
        Image image;
        EXPECT_EQ(image.ImageLoadLag(path.c_str(), "first", nullptr), nullptr) << c.what;
        Image victim;
        const char* error = victim.ImageLoadLag(path.c_str(), "victim", nullptr);
        ASSERT_NE(error, nullptr) << c.what;
        const std::string text = error;
        EXPECT_EQ(text.rfind(kLagLoadError, 0), 0u) << c.what << ": " << text;
        EXPECT_NE(text.find("\"victim\""), std::string::npos) << c.what << ": " << text;
        EXPECT_NE(text.find(c.detail), std::string::npos) << c.what << ": " << text;
        EXPECT_FALSE(victim.HasPixels()) << c.what;
    }
}

// A lookup reads a partial entry header as the archive's end; the listing
// behind the start's check reads it as a cut file.
TEST_F(LagArchiveTest, PartialEntryHeaderEndsTheLookupAndFailsTheListing) {
    std::vector<u8> bytes = LagBuildArchive({Entry("first", 2, 2, 1)});
    const std::vector<u8> tail = {'n', 'e', 'x', 't', 0, 0, 0, 0, 1, 0};
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    const std::string path = Write(bytes);
    Image image;
    EXPECT_EQ(image.ImageLoadLag(path.c_str(), "first", nullptr), nullptr);
    const char* error = image.ImageLoadLag(path.c_str(), "next", nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("not found"), std::string::npos);
    std::vector<LagEntryInfo> listed;
    const LagResult r = LagListEntries(bytes.data(), bytes.size(), "mem", listed);
    EXPECT_EQ(r.status, LagStatus::kBadEntry);
    EXPECT_EQ(r.message, "mem: entry 2, the one after \"first\": its header is cut short (10 of 32 bytes)");
    EXPECT_EQ(listed.size(), 1u);
}

TEST_F(LagArchiveTest, ListEntriesReportsEachEntryAndTheFirstBadOne) {
    std::vector<u8> bytes = LagBuildArchive({Entry("a", 1, 2, 1), Entry("b", 3, 4, 6), Entry("a", 9, 9, 1)});
    std::vector<LagEntryInfo> listed;
    ASSERT_TRUE(LagListEntries(bytes.data(), bytes.size(), "mem", listed).ok());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_STREQ(listed[1].name, "b");
    EXPECT_EQ(listed[1].width, 3);
    EXPECT_EQ(listed[1].format, 6);
    PutU32(bytes, 8 + 32 + 8 + 16 + 8, 12);  // "b"'s format
    const LagResult r = LagListEntries(bytes.data(), bytes.size(), "mem", listed);
    EXPECT_EQ(r.status, LagStatus::kBadEntry);
    EXPECT_EQ(r.message, "mem: entry \"b\": unknown pixel format 12");
}

// The whole-file check behind the game's start: any archive a lookup could
// stumble over later is refused up front, with the archive's name.
TEST_F(LagArchiveTest, CheckArchiveRefusesMissingEmptyAndDamagedFiles) {
    const std::vector<u8> good = LagBuildArchive({Entry("a", 4, 4, 1), Entry("b", 8, 8, 5)});
    EXPECT_TRUE(LagCheckArchive(Write(good).c_str(), "vsk9.dat").ok());

    std::vector<u8> truncated = good;
    truncated.resize(good.size() - 10);  // "b"'s data runs past the end
    std::vector<u8> cutHeader = good;
    cutHeader.resize(8 + 32 + 4 * 4 * 4 + 31);  // one byte short of "b"'s header
    // A second "a", never found by a lookup, whose data runs past the end.
    std::vector<u8> cutShadowed = LagBuildArchive({Entry("a", 4, 4, 1), Entry("b", 8, 8, 5), Entry("a", 2, 2, 1)});
    cutShadowed.pop_back();
    std::vector<u8> badFormat = good;
    PutU32(badFormat, 8 + 16 + 8, 9);  // "a"'s format
    std::vector<u8> badHeader = good;
    badHeader[0] = 'X';
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        LagStatus status;
        const char* detail;
    };
    const Case cases[] = {
        {"empty file", {}, LagStatus::kBadHeader, "not a LAG archive"},
        {"not an archive", badHeader, LagStatus::kBadHeader, "not a LAG archive"},
        {"header only", {'L', 'A', 'G', 0, 0, 0, 0, 0}, LagStatus::kBadHeader, "holds no images"},
        {"cut short", truncated, LagStatus::kBadEntry, "entry \"b\": data runs past the end"},
        {"cut in an entry header", cutHeader, LagStatus::kBadEntry,
         "entry 2, the one after \"a\": its header is cut short (31 of 32 bytes)"},
        {"a later entry of a name cut short", cutShadowed, LagStatus::kBadEntry, "entry \"a\": data runs past the end"},
        {"bad entry header", badFormat, LagStatus::kBadEntry, "entry \"a\": unknown pixel format 9"},
    };
    for (const Case& c : cases) {
        const LagResult r = LagCheckArchive(Write(c.bytes).c_str(), "vsk9.dat");
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.message.rfind("vsk9.dat: ", 0), 0u) << c.what << ": " << r.message;
        EXPECT_NE(r.message.find(c.detail), std::string::npos) << c.what << ": " << r.message;
    }
    const LagResult missing = LagCheckArchive((dir_.path() / "absent.dat").c_str(), "vsk9.dat");
    EXPECT_EQ(missing.status, LagStatus::kCannotOpen);
    EXPECT_EQ(missing.message, "vsk9.dat: cannot open: No such file or directory");
}

// --- pixel layouts ---

std::vector<u8> Convert(i32 from, i32 to, const std::vector<u8>& in, i32 pixels) {
    std::vector<u8> out(LagDataSize(pixels, 1, to));
    LagConvertPixels(pixels, 1, from, in.data(), to, out.data(), nullptr);
    return out;
}

TEST(LagConvertPixels, LayoutFieldsAndScaling) {
    // Layout 0: bits 0-3 alpha, 4-7 red, 8-11 green, 12-15 blue.
    const std::vector<u8> w4444 = {0x2F, 0x85};  // blue 8, green 5, red 2, alpha 15
    EXPECT_EQ(Convert(0, 1, w4444, 1), (std::vector<u8>{136, 85, 34, 255}));
    EXPECT_EQ(Convert(4, 5, w4444, 1), (std::vector<u8>{136, 85, 34, 255}));  // n and n + 4 alike
    // 8 -> 4 bits truncates: 254 * 15 / 255 = 14.
    EXPECT_EQ(Convert(1, 0, {254, 255, 0, 17}, 1), (std::vector<u8>{0x01, 0xEF}));
    // 8 <-> 16 bits: 255 -> 65535, 1 -> 257; 65535 * 255 / 65535 and 256 -> 0.
    EXPECT_EQ(Convert(1, 2, {255, 1, 0, 128}, 1), (std::vector<u8>{0xFF, 0xFF, 0x01, 0x01, 0, 0, 0x80, 0x80}));
    EXPECT_EQ(Convert(2, 1, {0xFF, 0xFF, 0x00, 0x01, 0xFF, 0x00, 0, 0}, 1), (std::vector<u8>{255, 0, 0, 0}));
    // Floats: to 8 bits truncates value x 255; out-of-range and NaN clamp.
    auto floats = [](std::vector<f32> v) {
        std::vector<u8> b(v.size() * 4);
        std::memcpy(b.data(), v.data(), b.size());
        return b;
    };
    EXPECT_EQ(Convert(3, 1, floats({1.0f, 0.5f, 0.999f, 0.0f}), 1), (std::vector<u8>{255, 127, 254, 0}));
    EXPECT_EQ(Convert(3, 1, floats({2.0f, -1.0f, std::numeric_limits<f32>::quiet_NaN(), 1e30f}), 1),
              (std::vector<u8>{255, 0, 0, 255}));
    const std::vector<u8> f = Convert(1, 3, {255, 0, 51, 1}, 1);
    f32 back[4];
    std::memcpy(back, f.data(), 16);
    EXPECT_EQ(back[0], 255.0f * (1.0f / 255.0f));
    EXPECT_EQ(back[1], 0.0f);
    EXPECT_EQ(back[2], 51.0f * (1.0f / 255.0f));
}

TEST(LagDataSize, BytesPerPixelByLayout) {
    EXPECT_EQ(LagDataSize(3, 5, 0), 30u);
    EXPECT_EQ(LagDataSize(3, 5, 5), 60u);
    EXPECT_EQ(LagDataSize(3, 5, 2), 120u);
    EXPECT_EQ(LagDataSize(3, 5, 7), 240u);
    EXPECT_EQ(LagDataSize(0, 5, 1), 0u);
    EXPECT_EQ(LagDataSize(-3, 5, 1), 0u);
    EXPECT_EQ(LagDataSize(65536, 65536, 3), u64(1) << 36);
    EXPECT_FALSE(LagIsCompressed(3));
    EXPECT_TRUE(LagIsCompressed(4));
    EXPECT_TRUE(LagIsCompressed(7));
    EXPECT_FALSE(LagIsCompressed(8));
}

}  // namespace

namespace {

struct Loaded {
    std::string error;  // empty: loaded
    std::vector<u8> pixels;
    i32 width = 0, height = 0;
};

Loaded LoadEntry(const std::string& path, const char* name) {
    Loaded out;
    Image image;
    if (const char* error = image.ImageLoadLag(path.c_str(), name, nullptr)) {
        out.error = error;
        return out;
    }
    u8* pixels = nullptr;
    i32 pitch = 0;
    image.ImageGetPixels(&pixels, &pitch);
    image.ImageGetSize(&out.width, &out.height);
    out.pixels.assign(pixels, pixels + static_cast<std::size_t>(pitch) * out.height);
    return out;
}

// Entries decoded ahead load as the archive itself gives them: every layout,
// compressed or not, a damaged entry (its error from the load itself), and an
// archive rewritten after it was queued (read again).
TEST_F(LagArchiveTest, EntriesDecodedAheadLoadAsTheArchiveGivesThem) {
    std::vector<LagWriteEntry> entries;
    for (i32 format = 0; format < 8; ++format) {
        entries.push_back(Entry("pic" + std::to_string(format), 40 + format, 9, format, format));
    }
    std::vector<u8> bytes = LagBuildArchive(entries);
    const std::string path = Write(bytes);
    std::vector<std::string> names;
    for (const LagWriteEntry& e : entries) names.push_back(e.name);
    names.push_back("missing");

    ImageUsePrefetch(false);
    std::vector<Loaded> direct;
    for (const std::string& n : names) direct.push_back(LoadEntry(path, n.c_str()));
    ImageUsePrefetch(true);

    const u64 before = ImagePrefetchedTaken();
    ImagePrefetchLag(path.c_str(), names);
    ImageFinishPrefetch();
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const Loaded ahead = LoadEntry(path, names[i].c_str());
        EXPECT_EQ(ahead.error, direct[i].error);
        EXPECT_EQ(ahead.pixels, direct[i].pixels);
        EXPECT_EQ(ahead.width, direct[i].width);
    }
    EXPECT_EQ(ImagePrefetchedTaken() - before, entries.size());
    EXPECT_FALSE(direct.back().error.empty());

    // Queued, then the archive changes: the load reads the new one.
    ImagePrefetchLag(path.c_str(), {"PIC5"});
    ImageFinishPrefetch();
    entries[5] = Entry("pic5", 47, 9, 5, 99);
    Write(LagBuildArchive(entries));
    const Loaded changed = LoadEntry(path, "pic5");
    EXPECT_TRUE(changed.error.empty()) << changed.error;
    std::vector<u8> expected = Pixels8888(47, 9, 99);
    EXPECT_EQ(changed.pixels, expected);
    EXPECT_EQ(ImagePrefetchedTaken() - before, entries.size());
    ImageDropPrefetched();
}

}  // namespace
