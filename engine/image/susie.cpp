// Loading pictures through image plug-ins, and the bitmap converters.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "engine/image/image.h"
#include "platform/image_plugin.h"
#include "platform/regular_file.h"

namespace {

char gSusieError[256];
char gGetPictureError[256];

constexpr const char kCannotOpen[] = "ファイルが開けません";
constexpr const char kTooSmall[] = "画像が小さすぎます";
constexpr const char kNoMemory[] = "メモリ確保に失敗";
constexpr const char kNoPlugins[] = "SUSIE-Pluginが見つかりません";
constexpr const char kNoMatchingPlugin[] = "該当するSPIが見つかりませんでした";
constexpr const char kNoPictureInfo[] = "画像情報の取得に失敗";
constexpr const char kCompressed[] = "圧縮BMPは読めません";
constexpr const char kNoPicture[] = "画像取得に失敗";

// The smallest file handed to the plug-ins (their "IsSupported" reads a
// 2,048-byte head).
constexpr std::size_t kMinimumFileSize = 2048;
constexpr std::size_t kBitmapHeaderSize = 40;
// Larger bitmaps are refused rather than allocated.
constexpr i64 kMaxBitmapSide = 16384;

const char* SetError(char* buffer, const char* text) {
    std::snprintf(buffer, 256, "%s", text);
    return buffer;
}

u32 U32(const u8* p) { return u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16) | (u32(p[3]) << 24); }
u16 U16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }

// Successful plug-ins stay loaded for the rest of the run.
std::vector<platform::SharedLibrary>& LoadedPlugins() {
    static std::vector<platform::SharedLibrary> plugins;
    return plugins;
}

}  // namespace

const char* ImageLastSusieError() { return gSusieError; }
const char* ImageLastGetPictureError() { return gGetPictureError; }

const char* Image::ImageFromBitmap(const u8* info, std::size_t infoSize, const u8* bits, std::size_t bitsSize) {
    if (!info || infoSize < kBitmapHeaderSize) return SetError(gGetPictureError, kNoPictureInfo);
    const i64 width = static_cast<i32>(U32(info + 4));
    const i64 rawHeight = static_cast<i32>(U32(info + 8));
    const i32 bitCount = U16(info + 14);
    if (U32(info + 16) != 0) return SetError(gGetPictureError, kCompressed);
    // A negative height marks rows stored top-down.
    const bool topDown = rawHeight < 0;
    const i64 height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
        return SetError(gGetPictureError, kNoPicture);
    }
    i64 pitchPixels = 0;
    switch (bitCount) {
        // clang-format off
        case 1: case 2: case 4: pitchPixels = (width + 7) & ~i64(7); break;
        case 8: case 16: pitchPixels = (width + 1) & ~i64(1); break;
        case 24: case 32: pitchPixels = (width + 3) & ~i64(3); break;
        // clang-format on
        default: return SetError(gGetPictureError, kNoPicture);
    }
    const std::size_t stride = static_cast<std::size_t>(((width * bitCount + 31) / 32) * 4);
    if (!bits || bitsSize / stride < static_cast<std::size_t>(height)) {
        return SetError(gGetPictureError, kNoPicture);
    }
    const std::size_t pitch = static_cast<std::size_t>(pitchPixels) * 4;
    std::unique_ptr<u8[]> pixels(new (std::nothrow) u8[pitch * static_cast<std::size_t>(height)]());
    if (!pixels) return SetError(gGetPictureError, kNoPicture);

    // The colour table follows the 40-byte header; indexes past what the block
    // holds read as black.
    const u8* palette = info + kBitmapHeaderSize;
    const std::size_t paletteCount = (infoSize - kBitmapHeaderSize) / 4;
    auto fromPalette = [&](u32 index, u8* out) {
        if (index < paletteCount) {
            out[0] = palette[index * 4 + 0];
            out[1] = palette[index * 4 + 1];
            out[2] = palette[index * 4 + 2];
        } else {
            out[0] = out[1] = out[2] = 0;
        }
        out[3] = 255;
    };

    for (i64 y = 0; y < height; ++y) {
        const u8* row = bits + static_cast<std::size_t>(topDown ? y : height - 1 - y) * stride;
        u8* out = pixels.get() + static_cast<std::size_t>(y) * pitch;
        for (i64 x = 0; x < width; ++x) {
            u8* p = out + x * 4;
            switch (bitCount) {
                case 1: {
                    const bool set = (row[x >> 3] >> (7 - (x & 7))) & 1;
                    p[0] = p[1] = p[2] = set ? 255 : 0;
                    p[3] = 255;
                    break;
                }
                case 2: fromPalette((row[x >> 2] >> (6 - 2 * (x & 3))) & 3, p); break;
                case 4: fromPalette((row[x >> 1] >> (4 - 4 * (x & 1))) & 15, p); break;
                case 8: fromPalette(row[x], p); break;
                case 16: {
                    const u16 w = U16(row + x * 2);
                    p[0] = static_cast<u8>((w & 31) * 255 / 31);
                    p[1] = static_cast<u8>(((w >> 5) & 31) * 255 / 31);
                    p[2] = static_cast<u8>(((w >> 10) & 31) * 255 / 31);
                    p[3] = 255;
                    break;
                }
                case 24:
                    p[0] = row[x * 3 + 0];
                    p[1] = row[x * 3 + 1];
                    p[2] = row[x * 3 + 2];
                    p[3] = 255;
                    break;
                default:  // 32
                    std::memcpy(p, row + x * 4, 4);
                    break;
            }
        }
    }
    SetPixels(std::move(pixels), static_cast<i32>(width), static_cast<i32>(height), static_cast<i32>(pitch));
    return nullptr;
}

const char* Image::ImageSusieGetPicture(const platform::SharedLibrary& plugin, const u8* contents, std::size_t size,
                                        ImageProgressCallback callback) {
    auto getPicture = reinterpret_cast<ImagePluginGetPictureFn>(plugin.Symbol("GetPicture"));
    if (!getPicture) return SetError(gGetPictureError, kNoPictureInfo);
    void* info = nullptr;
    void* bits = nullptr;
    const int status =
        getPicture(reinterpret_cast<const char*>(contents), static_cast<long>(size), 1, &info, &bits, nullptr, 0);
    const char* error = nullptr;
    if (status != 0 || !info || !bits) {
        error = SetError(gGetPictureError, kNoPictureInfo);
    } else {
        error = ImageFromBitmap(static_cast<const u8*>(info), platform::PluginBlockSize(info),
                                static_cast<const u8*>(bits), platform::PluginBlockSize(bits));
    }
    platform::FreePluginBlock(info);
    platform::FreePluginBlock(bits);
    if (callback) callback(0);
    return error;
}

const char* Image::ImageLoadSusie(const char* filePath, const char* pluginFolder, ImageProgressCallback callback) {
    std::FILE* file = platform::OpenRegularFile(filePath);
    if (!file) return SetError(gSusieError, kCannotOpen);
    std::vector<u8> contents;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0) {
        std::fclose(file);
        return SetError(gSusieError, kCannotOpen);
    }
    if (static_cast<std::size_t>(size) < kMinimumFileSize) {
        std::fclose(file);
        return SetError(gSusieError, kTooSmall);
    }
    try {
        contents.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return SetError(gSusieError, kNoMemory);
    }
    std::fseek(file, 0, SEEK_SET);
    const bool complete = std::fread(contents.data(), 1, contents.size(), file) == contents.size();
    std::fclose(file);
    if (!complete) return SetError(gSusieError, kCannotOpen);

    const std::vector<std::string> plugins = platform::ListImagePlugins(pluginFolder);
    if (plugins.empty()) return SetError(gSusieError, kNoPlugins);
    const char* error = SetError(gSusieError, kNoMatchingPlugin);
    for (const std::string& path : plugins) {
        if (callback) callback(0);
        platform::SharedLibrary plugin;
        if (!plugin.Open(path)) continue;
        auto isSupported = reinterpret_cast<ImagePluginIsSupportedFn>(plugin.Symbol("IsSupported"));
        if (!isSupported || isSupported(filePath, contents.data()) == 0) continue;
        const char* pictureError = ImageSusieGetPicture(plugin, contents.data(), contents.size(), callback);
        if (!pictureError) {
            LoadedPlugins().push_back(std::move(plugin));
            return nullptr;
        }
        error = SetError(gSusieError, pictureError);
    }
    return error;
}
