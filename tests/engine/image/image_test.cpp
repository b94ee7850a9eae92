#include "engine/image/image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(Dither, StaysWithinAByteAndKeepsFullAndZero) {
    for (i32 y = 0; y < 4; ++y) {
        for (i32 x = 0; x < 4; ++x) {
            for (i32 v = 0; v < 256; ++v) {
                ASSERT_GE(Dither4(v, x, y), 0);
                ASSERT_LE(Dither4(v, x, y), 255) << v << " at " << x << "," << y;
                ASSERT_GE(Dither5(v, x, y), 0);
                ASSERT_LE(Dither5(v, x, y), 255) << v << " at " << x << "," << y;
            }
            EXPECT_EQ(Dither4(255, x, y) >> 4, 15);
            EXPECT_EQ(Dither4(0, x, y) >> 4, 0);
            EXPECT_EQ(Dither5(255, x, y) >> 3, 31);
            EXPECT_EQ(Dither5(0, x, y) >> 3, 0);
        }
    }
    EXPECT_EQ(Dither4(0, 0, 0), 0);
    // The pattern repeats every 4 pixels in both directions.
    EXPECT_EQ(Dither4(100, 5, 6), Dither4(100, 1, 2));
    EXPECT_EQ(Dither5(100, 7, 4), Dither5(100, 3, 0));
}

TEST(Dither, SixBitGreenFollowsTheFiveBitPattern) {
    // Green in R5G6B5 keeps Dither5 >> 2: black picks up the pattern's 1s and
    // full green alternates between 62 and 63.
    const i32 zero[4][4] = {{0, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}};
    const i32 full[4][4] = {{62, 63, 62, 63}, {63, 62, 63, 62}, {62, 63, 62, 63}, {63, 62, 63, 62}};
    const i32 mid[4][4] = {{31, 32, 31, 32}, {32, 31, 32, 31}, {31, 32, 31, 32}, {32, 31, 32, 31}};
    for (i32 y = 0; y < 4; ++y) {
        for (i32 x = 0; x < 4; ++x) {
            EXPECT_EQ(Dither5(0, x, y) >> 2, zero[y][x]) << x << "," << y;
            EXPECT_EQ(Dither5(255, x, y) >> 2, full[y][x]) << x << "," << y;
            EXPECT_EQ(Dither5(128, x, y) >> 2, mid[y][x]) << x << "," << y;
        }
    }
}

// A 5 x 2 image with distinct pixels (bytes blue, green, red, alpha).
void FillImage(Image& image) {
    const i32 width = 5, height = 2;
    std::unique_ptr<u8[]> pixels(new u8[width * height * 4]);
    const u8 colours[10][4] = {
        {255, 255, 255, 255}, {0, 0, 0, 0},       {255, 0, 0, 128}, {0, 255, 0, 127}, {0, 0, 255, 255},
        {16, 32, 64, 200},    {250, 5, 130, 100}, {8, 8, 8, 8},     {1, 2, 3, 4},     {240, 120, 60, 30},
    };
    std::memcpy(pixels.get(), colours, sizeof colours);
    image.SetPixels(std::move(pixels), width, height, width * 4);
}

TEST(ImageWriteToSurface, ThirtyTwoBitFormatsCopyThePixels) {
    Image image;
    FillImage(image);
    for (u32 format : {u32(kImageFormatA8R8G8B8), u32(kImageFormatX8R8G8B8)}) {
        std::vector<u32> surface(8 * 2, 0xDEADBEEF);
        ASSERT_TRUE(image.ImageWriteToSurface(surface.data(), 8 * 4, format, nullptr));
        EXPECT_EQ(surface[0], 0xFFFFFFFFu);
        EXPECT_EQ(surface[2], 0x800000FFu);
        EXPECT_EQ(surface[4], 0xFFFF0000u);
        EXPECT_EQ(surface[8 + 0], 0xC8402010u);
        EXPECT_EQ(surface[5], 0xDEADBEEFu);  // past the row
        EXPECT_EQ(surface[8 + 5], 0xDEADBEEFu);
    }
}

TEST(ImageWriteToSurface, SixteenBitFormatsDitherAtTheSurfacesPitch) {
    Image image;
    FillImage(image);
    u8* pixels = nullptr;
    i32 pitch = 0;
    image.ImageGetPixels(&pixels, &pitch);
    struct Case {
        u32 format;
        u16 (*expected)(const u8* p, i32 x, i32 y);
    } cases[] = {
        {kImageFormatR5G6B5,
         [](const u8* p, i32 x, i32 y) {
             return static_cast<u16>(((Dither5(p[2], x, y) >> 3) << 11) | ((Dither5(p[1], x, y) >> 2) << 5) |
                                     (Dither5(p[0], x, y) >> 3));
         }},
        {kImageFormatX1R5G5B5,
         [](const u8* p, i32 x, i32 y) {
             return static_cast<u16>(((p[3] > 127) << 15) | ((Dither5(p[2], x, y) >> 3) << 10) |
                                     ((Dither5(p[1], x, y) >> 3) << 5) | (Dither5(p[0], x, y) >> 3));
         }},
        {kImageFormatA1R5G5B5,
         [](const u8* p, i32 x, i32 y) {
             return static_cast<u16>(((p[3] > 127) << 15) | ((Dither5(p[2], x, y) >> 3) << 10) |
                                     ((Dither5(p[1], x, y) >> 3) << 5) | (Dither5(p[0], x, y) >> 3));
         }},
        {kImageFormatA4R4G4B4,
         [](const u8* p, i32 x, i32 y) {
             return static_cast<u16>(((Dither4(p[3], x, y) >> 4) << 12) | ((Dither4(p[2], x, y) >> 4) << 8) |
                                     ((Dither4(p[1], x, y) >> 4) << 4) | (Dither4(p[0], x, y) >> 4));
         }},
        {kImageFormatX4R4G4B4,
         [](const u8* p, i32 x, i32 y) {
             return static_cast<u16>(((Dither4(p[3], x, y) >> 4) << 12) | ((Dither4(p[2], x, y) >> 4) << 8) |
                                     ((Dither4(p[1], x, y) >> 4) << 4) | (Dither4(p[0], x, y) >> 4));
         }},
    };
    for (const Case& c : cases) {
        const i32 surfacePitch = 7;  // pixels
        std::vector<u16> surface(surfacePitch * 2, 0xABCD);
        ASSERT_TRUE(image.ImageWriteToSurface(surface.data(), surfacePitch * 2, c.format, nullptr));
        for (i32 y = 0; y < 2; ++y) {
            for (i32 x = 0; x < surfacePitch; ++x) {
                const u16 got = surface[y * surfacePitch + x];
                if (x < 5) {
                    EXPECT_EQ(got, c.expected(pixels + y * pitch + x * 4, x, y)) << c.format << " " << x << "," << y;
                } else {
                    EXPECT_EQ(got, 0xABCD) << c.format << " wrote past the row";
                }
            }
        }
    }
    // Spot checks: white and black keep full and zero channels.
    std::vector<u16> surface(5 * 2);
    image.ImageWriteToSurface(surface.data(), 10, kImageFormatA4R4G4B4, nullptr);
    EXPECT_EQ(surface[0], 0xFFFF);
    EXPECT_EQ(surface[1], 0x0000);
    image.ImageWriteToSurface(surface.data(), 10, kImageFormatA1R5G5B5, nullptr);
    EXPECT_EQ(surface[0], 0xFFFF);
    EXPECT_EQ(surface[1], 0x0000);
    EXPECT_EQ(surface[2], 0x801F);  // alpha 128 sets the bit, blue full
    EXPECT_EQ(surface[3], 0x03E0);  // alpha 127 does not
    image.ImageWriteToSurface(surface.data(), 10, kImageFormatR5G6B5, nullptr);
    EXPECT_EQ(surface[0], 0xFFDF);  // white at (0, 0): green 62 of 63
    EXPECT_EQ(surface[1], 0x0020);  // black at (1, 0): green 1
}

TEST(ImageWriteToSurface, WritesNothingItCannot) {
    Image image;
    FillImage(image);
    std::vector<u32> surface(10, 0x12345678);
    for (u32 format : {u32(kImageFormatR3G3B2), u32(kImageFormatA8), u32(kImageFormatA8R3G3B2), 80u, 0u}) {
        EXPECT_FALSE(image.ImageWriteToSurface(surface.data(), 20, format, nullptr)) << format;
    }
    EXPECT_FALSE(image.ImageWriteToSurface(surface.data(), 4 * 4, kImageFormatA8R8G8B8, nullptr));  // pitch < row
    EXPECT_FALSE(image.ImageWriteToSurface(nullptr, 20, kImageFormatA8R8G8B8, nullptr));
    Image empty;
    EXPECT_FALSE(empty.ImageWriteToSurface(surface.data(), 20, kImageFormatA8R8G8B8, nullptr));
    for (u32 v : surface) EXPECT_EQ(v, 0x12345678u);
}

}  // namespace
