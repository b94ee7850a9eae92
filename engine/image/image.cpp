#include "engine/image/image.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "engine/image/prefetch.h"

const char kLagLoadError[] = "Can't Load LAG File";
const char kImageNoMemoryError[] = "メモリ確保に失敗 空きメモリが不足している可能性があります";

namespace {

char gLagError[256];

const char* SetLagError(const char* text, const std::string& detail) {
    if (detail.empty()) {
        std::snprintf(gLagError, sizeof gLagError, "%s", text);
    } else {
        std::snprintf(gLagError, sizeof gLagError, "%s (%s)", text, detail.c_str());
    }
    return gLagError;
}

constexpr i32 kD4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {2, 10, 0, 8}, {14, 6, 12, 4}};
constexpr i32 kD5[4][4] = {{0, 4, 1, 5}, {6, 2, 7, 3}, {1, 5, 0, 4}, {7, 3, 6, 2}};

}  // namespace

const char* ImageLastLagError() { return gLagError; }

bool SayImageLoadFailure(const char* archive, const char* entry, const char* error) {
    static std::mutex lock;
    static std::set<std::string> said;
    std::string key = archive ? archive : "";
    key += '\0';
    for (const char* c = entry; c && *c; ++c) key += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!said.insert(key).second) return false;
    }
    std::fprintf(stderr, "tolvarin: the picture \"%s\" of %s did not load: %s\n", entry ? entry : "",
                 archive ? archive : "", error ? error : "");
    return true;
}

i32 ImageFormatBytesPerPixel(u32 format) {
    switch (format) {
        case kImageFormatA8R8G8B8:
        case kImageFormatX8R8G8B8: return 4;
        case kImageFormatR5G6B5:
        case kImageFormatX1R5G5B5:
        case kImageFormatA1R5G5B5:
        case kImageFormatA4R4G4B4:
        case kImageFormatX4R4G4B4: return 2;
        default: return 0;
    }
}

i32 Dither4(i32 v, i32 x, i32 y) { return kD4[y & 3][x & 3] + ((v * 242) >> 8); }

i32 Dither5(i32 v, i32 x, i32 y) { return kD5[y & 3][x & 3] + ((v * 249) >> 8); }

ResourceList& ImageList() {
    static ResourceList list;
    return list;
}

Image* CreateImage() {
    Image* image = new (std::nothrow) Image();
    if (image) ResourceListPushBack(&ImageList(), image);
    return image;
}

void Image::SetPixels(std::unique_ptr<u8[]> pixels, i32 width, i32 height, i32 pitch) {
    pixels_ = std::move(pixels);
    width_ = width;
    height_ = height;
    pitch_ = pitch;
}

void Image::ImageGetPixels(u8** pixels, i32* pitch) const {
    if (pixels) *pixels = pixels_.get();
    if (pitch) *pitch = pitch_;
}

void Image::ImageGetSize(i32* width, i32* height) const {
    if (width) *width = width_;
    if (height) *height = height_;
}

const char* Image::ImageLoadLag(const char* archivePath, const char* entryName, ImageProgressCallback callback) {
    char name[256];
    std::size_t n = 0;
    for (; entryName[n] != '\0' && n < sizeof name - 1; ++n) {
        const char c = entryName[n];
        name[n] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    name[n] = '\0';

    std::unique_ptr<u8[]> pixels;
    i32 width = 0, height = 0;
    if (!callback && ImageTakePrefetched(archivePath, name, pixels, width, height)) {
        SetPixels(std::move(pixels), width, height, width * 4);
        return nullptr;
    }
    LagEntryInfo info;
    const LagResult result = LagLoadPixels8888(archivePath, name, info, pixels, callback);
    if (!result.ok()) {
        return SetLagError(result.status == LagStatus::kNoMemory ? kImageNoMemoryError : kLagLoadError, result.message);
    }
    SetPixels(std::move(pixels), info.width, info.height, info.width * 4);
    return nullptr;
}

namespace {

// ImageWriteToSurface's progress calls for a 32-bit format.
void Report32BitWrite(i32 width, i32 height, ImageProgressCallback callback) {
    const u64 calls = u64(u32(width)) * u64(u32(height)) / 65536;
    for (u64 k = 0; callback && k < calls; ++k) callback(0);
}

}  // namespace

std::unique_ptr<u8[]> Image::ImageReleasePixels(ImageProgressCallback callback) {
    if (!pixels_ || width_ <= 0 || height_ <= 0 || pitch_ != width_ * 4) return nullptr;
    Report32BitWrite(width_, height_, callback);
    return std::move(pixels_);
}

bool Image::ImageWriteToSurface(void* bits, i32 pitch, u32 format, ImageProgressCallback callback) const {
    const i32 bytes = ImageFormatBytesPerPixel(format);
    if (!pixels_ || !bits || bytes == 0 || pitch / bytes < width_) return false;
    const i32 pitchPixels = pitch / bytes;
    if (format == kImageFormatA8R8G8B8 || format == kImageFormatX8R8G8B8) {
        // The picture's bytes (blue, green, red, alpha) are the format's.
        for (i32 y = 0; y < height_; ++y) {
            std::memcpy(static_cast<u8*>(bits) + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch),
                        pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch_),
                        static_cast<std::size_t>(width_) * 4);
        }
        Report32BitWrite(width_, height_, callback);
        return true;
    }
    u32 counted = 0;
    for (i32 y = 0; y < height_; ++y) {
        const u8* row = pixels_.get() + static_cast<std::size_t>(y) * pitch_;
        u32* out32 = static_cast<u32*>(bits) + static_cast<std::size_t>(y) * pitchPixels;
        u16* out16 = static_cast<u16*>(bits) + static_cast<std::size_t>(y) * pitchPixels;
        for (i32 x = 0; x < width_; ++x) {
            const u8* p = row + x * 4;
            const i32 b = p[0];
            const i32 g = p[1];
            const i32 r = p[2];
            const i32 a = p[3];
            switch (format) {
                case kImageFormatA8R8G8B8:
                case kImageFormatX8R8G8B8: out32[x] = u32(b) | (u32(g) << 8) | (u32(r) << 16) | (u32(a) << 24); break;
                case kImageFormatR5G6B5:
                    out16[x] = static_cast<u16>(((Dither5(r, x, y) >> 3) << 11) | ((Dither5(g, x, y) >> 2) << 5) |
                                                (Dither5(b, x, y) >> 3));
                    break;
                case kImageFormatX1R5G5B5:
                case kImageFormatA1R5G5B5:
                    out16[x] = static_cast<u16>(((a > 127 ? 1 : 0) << 15) | ((Dither5(r, x, y) >> 3) << 10) |
                                                ((Dither5(g, x, y) >> 3) << 5) | (Dither5(b, x, y) >> 3));
                    break;
                default:  // A4R4G4B4, X4R4G4B4
                    out16[x] = static_cast<u16>(((Dither4(a, x, y) >> 4) << 12) | ((Dither4(r, x, y) >> 4) << 8) |
                                                ((Dither4(g, x, y) >> 4) << 4) | (Dither4(b, x, y) >> 4));
                    break;
            }
            if (++counted == 65536) {
                counted = 0;
                if (callback) callback(0);
            }
        }
    }
    return true;
}
