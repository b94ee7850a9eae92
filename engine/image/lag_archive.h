#pragma once
// The LAG image archive: an 8-byte header ("LAG" and a zero byte, then four
// unchecked bytes) followed by entries, each a 32-byte header (16-byte name,
// width, height, pixel format, stored size; little-endian) and its data.
// Pixel format bits 0-1 give the layout, bit 2 marks LZSS-compressed data.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/types.h"
#include "engine/image/lzss.h"

constexpr std::size_t kLagHeaderSize = 8;
constexpr std::size_t kLagEntryHeaderSize = 32;
constexpr std::size_t kLagNameSize = 16;

// Layouts (format and 3).
enum LagLayout : i32 {
    kLagLayout4444 = 0,   // 16-bit word: bits 0-3 alpha, 4-7 red, 8-11 green, 12-15 blue
    kLagLayout8888 = 1,   // bytes blue, green, red, alpha
    kLagLayout16x4 = 2,   // 16-bit words blue, green, red, alpha
    kLagLayoutFloat = 3,  // 32-bit floats blue, green, red, alpha, 0.0 to 1.0
};
constexpr i32 kLagCompressed = 4;

// Bytes per pixel of a format's layout.
i32 LagBytesPerPixel(i32 format);
// width x height x bytes per pixel; 0 for a non-positive width or height.
u64 LagDataSize(i32 width, i32 height, i32 format);
bool LagIsCompressed(i32 format);

// Converts width x height pixels between the four layouts (formats n and n + 4
// are the same layout). Rows are exactly `width` pixels. Integer channels scale
// by the maximum values and truncate; float channels are clamped to 0.0-1.0
// (NaN reads as 0). The callback is called with 0 every 2,048 pixels.
void LagConvertPixels(i32 width, i32 height, i32 sourceFormat, const u8* source, i32 destinationFormat, u8* destination,
                      ImageProgressCallback callback);

// Where the bytes of an archive come from: a file or a block of memory.
class LagSource {
public:
    virtual ~LagSource() = default;
    virtual u64 Size() const = 0;
    // Reads `count` bytes at `offset`; false when they are not all there.
    virtual bool Read(u64 offset, void* out, std::size_t count) = 0;
};

class LagMemorySource : public LagSource {
public:
    LagMemorySource(const u8* data, std::size_t size) : data_(data), size_(size) {}
    u64 Size() const override { return size_; }
    bool Read(u64 offset, void* out, std::size_t count) override;

private:
    const u8* data_;
    std::size_t size_;
};

struct LagEntryInfo {
    char name[kLagNameSize + 1] = {};  // as stored, zero-terminated here
    i32 width = 0;
    i32 height = 0;
    i32 format = 0;
    u32 storedSize = 0;
    u64 dataOffset = 0;  // of the stored data in the archive
};

// Outcome of a lookup, with a message naming the archive and the entry.
enum class LagStatus {
    kOk,
    kCannotOpen,
    kBadHeader,
    kNotFound,
    kBadEntry,  // the entry's header is invalid or its data is cut short
    kBadData,   // compressed data ends before the pixels are complete
    kNoMemory,
};

struct LagResult {
    LagStatus status = LagStatus::kOk;
    std::string message;  // empty on success
    bool ok() const { return status == LagStatus::kOk; }
};

// Finds `name` (already lower-cased; compared with the stored 16 bytes only,
// first match wins) and validates its header against the archive's size.
LagResult LagFindEntry(LagSource& source, const std::string& archiveName, const char* name, LagEntryInfo& info,
                       ImageProgressCallback callback);

// Reads and, when compressed, decodes the entry's pixels into `decoded`
// (LagDataSize bytes in the entry's layout).
LagResult LagReadEntryData(LagSource& source, const std::string& archiveName, const LagEntryInfo& info,
                           std::vector<u8>& decoded, ImageProgressCallback callback);

// Reads and, when compressed, decodes the entry's pixels into `out`, which
// holds LagDataSize bytes (every one of them is written on success).
LagResult LagReadEntryInto(LagSource& source, const std::string& archiveName, const LagEntryInfo& info, u8* out,
                           ImageProgressCallback callback);

// The whole lookup on a file for a picture: opens `archivePath`, finds entry
// `name` (lower case) and delivers its pixels in the 8888 layout in a new block
// of width x height x 4 bytes (decoded straight into it when the entry is
// stored in that layout, else converted as LagConvertPixels does). The
// callback is called as LagFindEntry and LagReadEntryData call it, then once
// after the read and once after the conversion.
LagResult LagLoadPixels8888(const char* archivePath, const char* name, LagEntryInfo& info,
                            std::unique_ptr<u8[]>& pixels, ImageProgressCallback callback);

// The whole lookup on a file: opens `archivePath` and reads entry `name`.
// Returns the decoded size (0 on any failure, with `result` saying why); each of
// width, height and format is stored when its pointer is not null; the decoded
// data goes to `destination` when it is not null.
u64 LagReadEntry(const char* archivePath, const char* name, i32* width, i32* height, std::vector<u8>* destination,
                 i32* format, ImageProgressCallback callback, LagResult* result);

// Every entry header of an archive held in memory, walking as the lookup does
// (used by tools and tests) to the end of the file. Stops at the first invalid
// header with its message; an entry header cut short by the end of the file,
// or an entry whose data runs past it, is invalid too (the lookup reads the
// first as the archive's end).
LagResult LagListEntries(const u8* data, std::size_t size, const std::string& archiveName,
                         std::vector<LagEntryInfo>& entries);

// Checks a whole archive file without reading any pixels: it opens, has the
// archive header, holds at least one entry and every entry header is valid and
// fits the file (what LagListEntries checks). Messages name `archiveName`.
LagResult LagCheckArchive(const char* archivePath, const std::string& archiveName);

// Writing archives (the sample data generator and tests).
struct LagWriteEntry {
    std::string name;  // up to 16 bytes, lower case
    i32 width = 0;
    i32 height = 0;
    i32 format = kLagLayout8888;  // add kLagCompressed to store it LZSS-compressed
    std::vector<u8> pixels;       // LagDataSize bytes in the layout of `format`
};
std::vector<u8> LagBuildArchive(const std::vector<LagWriteEntry>& entries);
