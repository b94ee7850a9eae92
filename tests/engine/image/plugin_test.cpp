#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/image/image.h"
#include "platform/image_plugin.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void Put32(std::vector<u8>& b, std::size_t at, u32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<u8>(v >> (8 * i));
}

// A 40-byte bitmap information header and its colour table.
std::vector<u8> BitmapInfo(i32 width, i32 height, u16 bits, u32 compression = 0, const std::vector<u32>& palette = {}) {
    std::vector<u8> info(40 + palette.size() * 4, 0);
    Put32(info, 0, 40);
    Put32(info, 4, static_cast<u32>(width));
    Put32(info, 8, static_cast<u32>(height));
    info[12] = 1;
    info[14] = static_cast<u8>(bits);
    Put32(info, 16, compression);
    for (std::size_t i = 0; i < palette.size(); ++i) Put32(info, 40 + i * 4, palette[i]);
    return info;
}

// A file for the test plug-in: magic, block sizes, both blocks, padding.
std::vector<u8> PluginFile(const std::vector<u8>& info, const std::vector<u8>& bits, const char* magic = "TPIC") {
    std::vector<u8> f(12, 0);
    std::memcpy(f.data(), magic, 4);
    Put32(f, 4, static_cast<u32>(info.size()));
    Put32(f, 8, static_cast<u32>(bits.size()));
    f.insert(f.end(), info.begin(), info.end());
    f.insert(f.end(), bits.begin(), bits.end());
    f.resize(std::max<std::size_t>(f.size(), 2048), 0);
    return f;
}

class ImagePluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        plugins_ = dir_.path() / "plugins";
        fs::create_directories(plugins_);
        fs::copy_file(fs::path(TOLVARIN_TEST_PLUGIN_DIR) / "tinypic.spi", plugins_ / "tinypic.spi");
    }
    std::string WriteFile(const std::string& name, const std::vector<u8>& bytes) {
        const fs::path p = dir_.path() / name;
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    const char* Load(Image& image, const std::vector<u8>& file) {
        const std::string path = WriteFile("picture.tpic", file);
        return image.ImageLoadSusie(path.c_str(), plugins_.string().c_str(), nullptr);
    }
    // Pixel (x, y) as 0xAARRGGBB.
    static u32 At(const Image& image, i32 x, i32 y) {
        u8* p = nullptr;
        i32 pitch = 0;
        image.ImageGetPixels(&p, &pitch);
        const u8* q = p + y * pitch + x * 4;
        return u32(q[0]) | (u32(q[1]) << 8) | (u32(q[2]) << 16) | (u32(q[3]) << 24);
    }
    testing_support::TempDir dir_;
    fs::path plugins_;
};

TEST_F(ImagePluginTest, TwentyFourBitRowsAreReadBottomUpAtThePaddedStride) {
    // Width 5: 15 bytes of pixels padded to 16 per source row.
    std::vector<u8> bits(32, 0xEE);
    for (int x = 0; x < 5; ++x) {
        const u8 bottom[3] = {static_cast<u8>(x), 0x10, 0x20};
        const u8 top[3] = {static_cast<u8>(x), 0x30, 0x40};
        std::memcpy(&bits[x * 3], bottom, 3);
        std::memcpy(&bits[16 + x * 3], top, 3);
    }
    Image image;
    ASSERT_EQ(Load(image, PluginFile(BitmapInfo(5, 2, 24), bits)), nullptr) << ImageLastSusieError();
    i32 width = 0, height = 0, pitch = 0;
    image.ImageGetSize(&width, &height);
    image.ImageGetPixels(nullptr, &pitch);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(pitch, 8 * 4);  // width rounded up to a multiple of 4
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(At(image, x, 0), 0xFF403000u | x);
        EXPECT_EQ(At(image, x, 1), 0xFF201000u | x);
    }
}

TEST_F(ImagePluginTest, EveryBitDepthConverts) {
    const std::vector<u32> palette = {0x00102030, 0x00405060, 0x00708090, 0x00A0B0C0};
    struct Case {
        const char* what;
        std::vector<u8> info;
        std::vector<u8> bits;
        i32 pitchPixels;
        std::vector<u32> row;  // expected top row
    } cases[] = {
        // clang-format off
        {"1 bit", BitmapInfo(10, 1, 1), {0xA0, 0x40, 0, 0}, 16,
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000,
          0xFF000000, 0xFFFFFFFF}},
        {"2 bits", BitmapInfo(5, 1, 2, 0, palette), {0x1B, 0xC0, 0, 0}, 8,
         {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFA0B0C0}},
        {"4 bits", BitmapInfo(3, 1, 4, 0, palette), {0x31, 0x20, 0, 0}, 8,
         {0xFFA0B0C0, 0xFF405060, 0xFF708090}},
        {"8 bits, index past the table", BitmapInfo(3, 1, 8, 0, palette), {2, 0, 200, 0}, 4,
         {0xFF708090, 0xFF102030, 0xFF000000}},
        {"16 bits", BitmapInfo(3, 1, 16), {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0, 0}, 4,
         {0xFF0000FF, 0xFF00FF00, 0xFFFF0000}},
        // clang-format on
        {"32 bits", BitmapInfo(2, 1, 32), {1, 2, 3, 4, 5, 6, 7, 8}, 4, {0x04030201, 0x08070605}},
    };
    for (const Case& c : cases) {
        Image image;
        ASSERT_EQ(Load(image, PluginFile(c.info, c.bits)), nullptr) << c.what << ": " << ImageLastSusieError();
        i32 pitch = 0;
        image.ImageGetPixels(nullptr, &pitch);
        EXPECT_EQ(pitch, c.pitchPixels * 4) << c.what;
        for (std::size_t x = 0; x < c.row.size(); ++x) {
            EXPECT_EQ(At(image, static_cast<i32>(x), 0), c.row[x]) << c.what << " x " << x;
        }
    }
}

TEST_F(ImagePluginTest, FailuresGiveTheirTexts) {
    Image image;
    const std::vector<u8> good = PluginFile(BitmapInfo(2, 2, 24), std::vector<u8>(16));
    struct Case {
        const char* what;
        std::vector<u8> file;
        const char* error;
    } cases[] = {
        {"compressed", PluginFile(BitmapInfo(2, 2, 24, 1), std::vector<u8>(16)), "圧縮BMPは読めません"},
        {"3 bits", PluginFile(BitmapInfo(2, 2, 3), std::vector<u8>(16)), "画像取得に失敗"},
        {"zero width", PluginFile(BitmapInfo(0, 2, 24), std::vector<u8>(16)), "画像取得に失敗"},
        {"bits block short of the rows", PluginFile(BitmapInfo(64, 64, 24), std::vector<u8>(100)), "画像取得に失敗"},
        // clang-format off
        {"information block short of a header", PluginFile(std::vector<u8>(20), std::vector<u8>(16)), "画像情報の取得に失敗"},
        {"decoder fails", PluginFile(BitmapInfo(2, 2, 24), std::vector<u8>(16), "TBAD"), "画像情報の取得に失敗"},
        {"not supported", PluginFile(BitmapInfo(2, 2, 24), std::vector<u8>(16), "XPIC"), "該当するSPIが見つかりませんでした"},
        // clang-format on
        {"too small", std::vector<u8>(good.begin(), good.begin() + 2047), "画像が小さすぎます"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Load(image, c.file), c.error) << c.what;
        EXPECT_FALSE(image.HasPixels()) << c.what;
    }
    const std::string path = WriteFile("good.tpic", good);
    EXPECT_STREQ(image.ImageLoadSusie((dir_.path() / "absent").c_str(), plugins_.c_str(), nullptr),
                 "ファイルが開けません");
    const fs::path empty = dir_.path() / "empty";
    fs::create_directories(empty);
    EXPECT_STREQ(image.ImageLoadSusie(path.c_str(), empty.c_str(), nullptr), "SUSIE-Pluginが見つかりません");
    EXPECT_STREQ(ImageLastSusieError(), "SUSIE-Pluginが見つかりません");
}

TEST_F(ImagePluginTest, BrokenAndForeignPluginsAreSkipped) {
    // Tried in name order: a file that is no shared object, then one without
    // the exports, then the real plug-in.
    std::ofstream(plugins_ / "aaa.SPI") << "not a library";
    fs::copy_file(plugins_ / "tinypic.spi", plugins_ / "bbb.txt");
    const std::vector<std::string> listed = platform::ListImagePlugins(plugins_.string());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(fs::path(listed[0]).filename(), "aaa.SPI");
    EXPECT_EQ(fs::path(listed[1]).filename(), "tinypic.spi");
    Image image;
    EXPECT_EQ(Load(image, PluginFile(BitmapInfo(1, 1, 24), std::vector<u8>(4, 0x7F))), nullptr);
    EXPECT_EQ(At(image, 0, 0), 0xFF7F7F7Fu);
}

TEST(ImageFromBitmap, HostileHeadersAreRefused) {
    Image image;
    const std::vector<u8> bits(64);
    EXPECT_NE(image.ImageFromBitmap(nullptr, 0, bits.data(), bits.size()), nullptr);
    const std::vector<u8> huge = BitmapInfo(0x7FFFFFFF, 0x7FFFFFFF, 32);
    EXPECT_STREQ(image.ImageFromBitmap(huge.data(), huge.size(), bits.data(), bits.size()), "画像取得に失敗");
    const std::vector<u8> negative = BitmapInfo(-4, 4, 32);
    EXPECT_STREQ(image.ImageFromBitmap(negative.data(), negative.size(), bits.data(), bits.size()), "画像取得に失敗");
    const std::vector<u8> noBits = BitmapInfo(1, 1, 32);
    EXPECT_STREQ(image.ImageFromBitmap(noBits.data(), noBits.size(), nullptr, 0), "画像取得に失敗");
    EXPECT_FALSE(image.HasPixels());
    // A negative height reads the rows top-down.
    std::vector<u8> topDown = BitmapInfo(1, -2, 32);
    const std::vector<u8> rows = {1, 1, 1, 1, 2, 2, 2, 2};
    ASSERT_EQ(image.ImageFromBitmap(topDown.data(), topDown.size(), rows.data(), rows.size()), nullptr);
    u8* p = nullptr;
    i32 pitch = 0;
    image.ImageGetPixels(&p, &pitch);
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[pitch], 2);
}

}  // namespace
