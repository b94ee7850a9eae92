#include "tools/fuzz/image_fuzz_input.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/image/image.h"
#include "engine/image/lag_archive.h"
#include "engine/image/lzss.h"

namespace {

// Entries bigger than this are checked but not decoded (keeps runs fast).
constexpr u64 kMaxFuzzDecode = u64(4) << 20;

void FuzzArchive(const u8* data, std::size_t size) {
    std::vector<LagEntryInfo> entries;
    LagListEntries(data, size, "fuzz", entries);
    LagMemorySource source(data, size);
    for (const LagEntryInfo& listed : entries) {
        LagEntryInfo info;
        if (!LagFindEntry(source, "fuzz", listed.name, info, nullptr).ok()) continue;
        const u64 needed = LagDataSize(info.width, info.height, info.format);
        if (needed > kMaxFuzzDecode) continue;
        std::vector<u8> decoded;
        if (!LagReadEntryData(source, "fuzz", info, decoded, nullptr).ok()) continue;
        const std::size_t pitch = static_cast<std::size_t>(info.width) * 4;
        std::unique_ptr<u8[]> pixels(new u8[pitch * static_cast<std::size_t>(info.height)]);
        LagConvertPixels(info.width, info.height, info.format, decoded.data(), kLagLayout8888, pixels.get(), nullptr);
        Image image;
        image.SetPixels(std::move(pixels), info.width, info.height, static_cast<i32>(pitch));
        std::vector<u8> surface(pitch * static_cast<std::size_t>(info.height));
        for (u32 format : {u32(kImageFormatR5G6B5), u32(kImageFormatA1R5G5B5), u32(kImageFormatA4R4G4B4)}) {
            image.ImageWriteToSurface(surface.data(), info.width * 2, format, nullptr);
        }
    }
}

void FuzzLzss(const u8* data, std::size_t size) {
    if (size < 2) return;
    const u32 outSize = u32(data[0]) | (u32(data[1]) << 8);
    std::vector<u8> stream(data + 2, data + size);  // exact-size block
    std::unique_ptr<u8[]> out(new u8[outSize ? outSize : 1]);
    LzssDecode(stream.data(), stream.size(), out.get(), outSize, nullptr);
}

void FuzzBitmap(const u8* data, std::size_t size) {
    if (size < 1) return;
    const std::size_t infoSize = std::min<std::size_t>(data[0] + 40u, size - 1);
    std::unique_ptr<u8[]> info(new u8[infoSize ? infoSize : 1]);
    std::memcpy(info.get(), data + 1, infoSize);
    const std::size_t bitsSize = size - 1 - infoSize;
    std::unique_ptr<u8[]> bits(new u8[bitsSize ? bitsSize : 1]);
    std::memcpy(bits.get(), data + 1 + infoSize, bitsSize);
    Image image;
    image.ImageFromBitmap(info.get(), infoSize, bits.get(), bitsSize);
}

}  // namespace

void RunImageFuzzInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    switch (data[0] % 3) {
        case 0: FuzzArchive(data + 1, size - 1); break;
        case 1: FuzzLzss(data + 1, size - 1); break;
        default: FuzzBitmap(data + 1, size - 1); break;
    }
}
