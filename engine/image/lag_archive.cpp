#include "engine/image/lag_archive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/regular_file.h"

namespace {

// Largest decoded entry accepted (well above any picture the game uses; keeps a
// hostile header from asking for gigabytes).
constexpr u64 kMaxDecodedSize = u64(1) << 30;

u32 ReadU32(const u8* p) { return u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16) | (u32(p[3]) << 24); }

void PutU32(std::vector<u8>& out, u32 v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<u8>(v >> (8 * i)));
}

class LagFileSource : public LagSource {
public:
    explicit LagFileSource(const char* path) : file_(platform::OpenRegularFile(path, &error_)) {
        if (file_ && std::fseek(file_, 0, SEEK_END) == 0) {
            const long end = std::ftell(file_);
            if (end >= 0) size_ = static_cast<u64>(end);
        }
    }
    ~LagFileSource() override {
        if (file_) std::fclose(file_);
    }
    LagFileSource(const LagFileSource&) = delete;
    LagFileSource& operator=(const LagFileSource&) = delete;
    bool IsOpen() const { return file_ != nullptr; }
    // Why it did not open.
    const std::string& Reason() const { return error_.reason; }
    u64 Size() const override { return size_; }
    bool Read(u64 offset, void* out, std::size_t count) override {
        if (!file_ || offset > size_ || count > size_ - offset) return false;
        if (count == 0) return true;
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
        return std::fread(out, 1, count, file_) == count;
    }

private:
    platform::FileOpenError error_;
    std::FILE* file_ = nullptr;
    u64 size_ = 0;
};

LagResult Fail(LagStatus status, const std::string& archive, const std::string& detail) {
    return LagResult{status, archive + ": " + detail};
}

std::string EntryText(const char* name) { return "entry \"" + std::string(name) + "\""; }

// One pixel's channels in the layout's own depth (blue, green, red, alpha).
struct Channels {
    u32 v[4];
    f32 f[4];
};

u32 MaxOf(i32 layout) {
    switch (layout) {
        case kLagLayout4444: return 15;
        case kLagLayout8888: return 255;
        case kLagLayout16x4: return 65535;
        default: return 0;
    }
}

u16 ReadU16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }

void ReadPixel(i32 layout, const u8* p, Channels& c) {
    switch (layout) {
        case kLagLayout4444: {
            const u16 w = ReadU16(p);
            c.v[3] = w & 0xF;
            c.v[2] = (w >> 4) & 0xF;
            c.v[1] = (w >> 8) & 0xF;
            c.v[0] = (w >> 12) & 0xF;
            break;
        }
        case kLagLayout8888:
            for (int i = 0; i < 4; ++i) c.v[i] = p[i];
            break;
        case kLagLayout16x4:
            for (int i = 0; i < 4; ++i) c.v[i] = ReadU16(p + 2 * i);
            break;
        default:
            for (int i = 0; i < 4; ++i) std::memcpy(&c.f[i], p + 4 * i, 4);
            break;
    }
}

u32 FloatToChannel(f32 f, u32 max) {
    // Out-of-range and NaN values from a damaged file are clamped.
    if (!(f > 0.0f)) return 0;
    if (f >= 1.0f) return max;
    return static_cast<u32>(f * static_cast<f32>(max));
}

void WritePixel(i32 layout, const Channels& c, i32 sourceLayout, u8* p) {
    const bool fromFloat = sourceLayout == kLagLayoutFloat;
    const u32 sourceMax = MaxOf(sourceLayout);
    if (layout == kLagLayoutFloat) {
        for (int i = 0; i < 4; ++i) {
            f32 f = c.f[i];
            if (!fromFloat) f = static_cast<f32>(c.v[i]) * (1.0f / static_cast<f32>(sourceMax));
            std::memcpy(p + 4 * i, &f, 4);
        }
        return;
    }
    const u32 max = MaxOf(layout);
    u32 out[4];
    for (int i = 0; i < 4; ++i) {
        if (fromFloat) {
            out[i] = FloatToChannel(c.f[i], max);
        } else if (sourceMax == max) {
            out[i] = c.v[i];
        } else {
            out[i] = static_cast<u32>(u64(c.v[i]) * max / sourceMax);
        }
    }
    switch (layout) {
        case kLagLayout4444: {
            const u16 w = static_cast<u16>(out[3] | (out[2] << 4) | (out[1] << 8) | (out[0] << 12));
            p[0] = static_cast<u8>(w);
            p[1] = static_cast<u8>(w >> 8);
            break;
        }
        case kLagLayout8888:
            for (int i = 0; i < 4; ++i) p[i] = static_cast<u8>(out[i]);
            break;
        default:
            for (int i = 0; i < 4; ++i) {
                p[2 * i] = static_cast<u8>(out[i]);
                p[2 * i + 1] = static_cast<u8>(out[i] >> 8);
            }
            break;
    }
}

// Fills `info` from a raw entry header at `at` and checks it against the
// archive's size.
LagResult TakeEntry(const u8* raw, u64 at, u64 size, const std::string& archiveName, LagEntryInfo& info) {
    info = LagEntryInfo{};
    std::memcpy(info.name, raw, strnlen(reinterpret_cast<const char*>(raw), kLagNameSize));
    info.width = static_cast<i32>(ReadU32(raw + 16));
    info.height = static_cast<i32>(ReadU32(raw + 20));
    info.format = static_cast<i32>(ReadU32(raw + 24));
    info.storedSize = ReadU32(raw + 28);
    info.dataOffset = at + kLagEntryHeaderSize;
    const u32 stored = info.storedSize;
    const u64 dataOffset = info.dataOffset;
    const std::string entry = EntryText(info.name);
    if (info.format < 0 || info.format > 7) {
        return Fail(LagStatus::kBadEntry, archiveName, entry + ": unknown pixel format " + std::to_string(info.format));
    }
    if (info.width <= 0 || info.height <= 0) {
        return Fail(LagStatus::kBadEntry, archiveName,
                    entry + ": bad size " + std::to_string(info.width) + " x " + std::to_string(info.height));
    }
    const u64 needed = LagDataSize(info.width, info.height, info.format);
    const u64 pixelBlock = LagDataSize(info.width, info.height, kLagLayout8888);
    if (needed > kMaxDecodedSize || pixelBlock > kMaxDecodedSize) {
        return Fail(
            LagStatus::kBadEntry, archiveName,
            entry + ": size " + std::to_string(info.width) + " x " + std::to_string(info.height) + " is too large");
    }
    if (dataOffset > size || stored > size - dataOffset) {
        return Fail(LagStatus::kBadEntry, archiveName,
                    entry + ": data runs past the end of the file (" + std::to_string(stored) + " bytes stored)");
    }
    if (LagIsCompressed(info.format)) {
        if (needed > LzssMaxDecodedSize(stored)) {
            return Fail(LagStatus::kBadEntry, archiveName,
                        entry + ": " + std::to_string(stored) + " compressed bytes cannot hold the " +
                            std::to_string(needed) + " bytes the pixels need");
        }
    } else if (stored < needed) {
        return Fail(LagStatus::kBadEntry, archiveName,
                    entry + ": stored size " + std::to_string(stored) + " is smaller than the " +
                        std::to_string(needed) + " bytes the pixels need");
    }
    return LagResult{};
}

}  // namespace

bool LagMemorySource::Read(u64 offset, void* out, std::size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count != 0) std::memcpy(out, data_ + offset, count);
    return true;
}

i32 LagBytesPerPixel(i32 format) {
    static constexpr i32 kBytes[4] = {2, 4, 8, 16};
    return kBytes[format & 3];
}

u64 LagDataSize(i32 width, i32 height, i32 format) {
    if (width <= 0 || height <= 0) return 0;
    return u64(u32(width)) * u64(u32(height)) * u64(LagBytesPerPixel(format));
}

bool LagIsCompressed(i32 format) { return format >= 4 && format <= 7; }

void LagConvertPixels(i32 width, i32 height, i32 sourceFormat, const u8* source, i32 destinationFormat, u8* destination,
                      ImageProgressCallback callback) {
    if (width <= 0 || height <= 0) return;
    const i32 from = sourceFormat & 3;
    const i32 to = destinationFormat & 3;
    const u64 count = u64(u32(width)) * u64(u32(height));
    if (from == to) {
        std::memcpy(destination, source, count * LagBytesPerPixel(from));
        return;
    }
    const i32 inSize = LagBytesPerPixel(from);
    const i32 outSize = LagBytesPerPixel(to);
    Channels c{};
    for (u64 i = 0; i < count; ++i) {
        ReadPixel(from, source + i * inSize, c);
        WritePixel(to, c, from, destination + i * outSize);
        if (callback && (i + 1) % 2048 == 0) callback(0);
    }
}

LagResult LagFindEntry(LagSource& source, const std::string& archiveName, const char* name, LagEntryInfo& info,
                       ImageProgressCallback callback) {
    u8 header[kLagHeaderSize];
    if (!source.Read(0, header, sizeof header) || std::memcmp(header, "LAG", 4) != 0) {
        return Fail(LagStatus::kBadHeader, archiveName, "not a LAG archive");
    }
    const std::size_t nameLength = std::strlen(name);
    const u64 size = source.Size();
    u64 at = kLagHeaderSize;
    for (;;) {
        if (callback) callback(0);
        u8 raw[kLagEntryHeaderSize];
        // A partial entry header at the end of the file is the end of the archive.
        if (!source.Read(at, raw, sizeof raw)) break;
        const u32 stored = ReadU32(raw + 28);
        const std::size_t storedLength = strnlen(reinterpret_cast<const char*>(raw), kLagNameSize);
        const u64 dataOffset = at + kLagEntryHeaderSize;
        if (storedLength == nameLength && std::memcmp(raw, name, nameLength) == 0) {
            return TakeEntry(raw, at, size, archiveName, info);
        }
        at = dataOffset + stored;
    }
    return Fail(LagStatus::kNotFound, archiveName, EntryText(name) + " not found");
}

LagResult LagReadEntryInto(LagSource& source, const std::string& archiveName, const LagEntryInfo& info, u8* out,
                           ImageProgressCallback callback) {
    const u64 needed = LagDataSize(info.width, info.height, info.format);
    const std::string entry = EntryText(info.name);
    if (LagIsCompressed(info.format)) {
        std::unique_ptr<u8[]> packed(new (std::nothrow) u8[info.storedSize == 0 ? 1 : info.storedSize]);
        if (!packed) return Fail(LagStatus::kNoMemory, archiveName, entry + ": out of memory");
        if (!source.Read(info.dataOffset, packed.get(), info.storedSize)) {
            return Fail(LagStatus::kBadEntry, archiveName, entry + ": cannot read its data");
        }
        if (!LzssDecode(packed.get(), info.storedSize, out, static_cast<u32>(needed), callback)) {
            return Fail(LagStatus::kBadData, archiveName,
                        entry + ": compressed data ends before the " + std::to_string(needed) + " bytes of pixels");
        }
    } else if (!source.Read(info.dataOffset, out, static_cast<std::size_t>(needed))) {
        return Fail(LagStatus::kBadEntry, archiveName, entry + ": cannot read its data");
    }
    return LagResult{};
}

LagResult LagReadEntryData(LagSource& source, const std::string& archiveName, const LagEntryInfo& info,
                           std::vector<u8>& decoded, ImageProgressCallback callback) {
    const u64 needed = LagDataSize(info.width, info.height, info.format);
    try {
        decoded.assign(static_cast<std::size_t>(needed), 0);
    } catch (const std::bad_alloc&) {
        decoded.clear();
        return Fail(LagStatus::kNoMemory, archiveName, EntryText(info.name) + ": out of memory");
    }
    LagResult r = LagReadEntryInto(source, archiveName, info, decoded.data(), callback);
    if (!r.ok()) decoded.clear();
    return r;
}

LagResult LagLoadPixels8888(const char* archivePath, const char* name, LagEntryInfo& info,
                            std::unique_ptr<u8[]>& pixels, ImageProgressCallback callback) {
    pixels.reset();
    LagFileSource source(archivePath);
    if (!source.IsOpen()) return Fail(LagStatus::kCannotOpen, archivePath, "cannot open");
    LagResult r = LagFindEntry(source, archivePath, name, info, callback);
    if (!r.ok()) return r;
    const u64 bytes = LagDataSize(info.width, info.height, kLagLayout8888);
    const std::string noMemory = std::string(archivePath) + ": entry \"" + name + "\"";
    if ((info.format & 3) == kLagLayout8888) {
        pixels.reset(new (std::nothrow) u8[static_cast<std::size_t>(bytes)]);
        if (!pixels) return LagResult{LagStatus::kNoMemory, noMemory};
        r = LagReadEntryInto(source, archivePath, info, pixels.get(), callback);
        if (!r.ok()) {
            pixels.reset();
            return r;
        }
        // The calls after the read and after the conversion (none needed).
        for (int k = 0; callback && k < 2; ++k) callback(0);
        return r;
    }
    std::vector<u8> decoded;
    r = LagReadEntryData(source, archivePath, info, decoded, callback);
    if (!r.ok()) return r;
    if (callback) callback(0);
    pixels.reset(new (std::nothrow) u8[static_cast<std::size_t>(bytes)]);
    if (!pixels) return LagResult{LagStatus::kNoMemory, noMemory};
    LagConvertPixels(info.width, info.height, info.format, decoded.data(), kLagLayout8888, pixels.get(), callback);
    if (callback) callback(0);
    return r;
}

u64 LagReadEntry(const char* archivePath, const char* name, i32* width, i32* height, std::vector<u8>* destination,
                 i32* format, ImageProgressCallback callback, LagResult* result) {
    LagResult local;
    LagResult& r = result ? *result : local;
    LagFileSource source(archivePath);
    if (!source.IsOpen()) {
        r = Fail(LagStatus::kCannotOpen, archivePath, "cannot open: " + source.Reason());
        return 0;
    }
    LagEntryInfo info;
    r = LagFindEntry(source, archivePath, name, info, callback);
    if (!r.ok()) return 0;
    if (width) *width = info.width;
    if (height) *height = info.height;
    if (format) *format = info.format;
    if (destination) {
        r = LagReadEntryData(source, archivePath, info, *destination, callback);
        if (!r.ok()) return 0;
    }
    return LagDataSize(info.width, info.height, info.format);
}

namespace {

// Every entry header of an archive, walking as the lookup does, up to the
// last byte of the file; stops at the first invalid header with its message.
// Unlike the lookup, which reads a partial entry header as the end of the
// archive, it takes one for what it is: a cut file.
LagResult ListEntries(LagSource& source, const std::string& archiveName, std::vector<LagEntryInfo>& entries) {
    entries.clear();
    u8 header[kLagHeaderSize];
    if (!source.Read(0, header, sizeof header) || std::memcmp(header, "LAG", 4) != 0) {
        return Fail(LagStatus::kBadHeader, archiveName, "not a LAG archive");
    }
    const u64 size = source.Size();
    u64 at = kLagHeaderSize;
    std::string previous;  // the name of the entry before, for a header that has none
    for (u64 number = 1; at < size; ++number) {
        const std::string numbered = "entry " + std::to_string(number) +
                                     (previous.empty() ? std::string() : ", the one after \"" + previous + "\"");
        u8 raw[kLagEntryHeaderSize];
        if (size - at < kLagEntryHeaderSize) {
            return Fail(LagStatus::kBadEntry, archiveName,
                        numbered + ": its header is cut short (" + std::to_string(size - at) + " of " +
                            std::to_string(kLagEntryHeaderSize) + " bytes)");
        }
        if (!source.Read(at, raw, sizeof raw)) {
            return Fail(LagStatus::kBadEntry, archiveName, numbered + ": cannot read its header");
        }
        char name[kLagNameSize + 1] = {};
        std::memcpy(name, raw, kLagNameSize);
        const u64 stored = ReadU32(raw + 28);
        // A later entry of the same name is never found by a lookup: only
        // its place in the file matters.
        const bool shadowed = std::any_of(entries.begin(), entries.end(),
                                          [&](const LagEntryInfo& e) { return std::strcmp(e.name, name) == 0; });
        LagEntryInfo info;
        LagResult r = shadowed ? LagResult{} : TakeEntry(raw, at, size, archiveName, info);
        if (r.ok() && stored > size - at - kLagEntryHeaderSize) {
            r = Fail(
                LagStatus::kBadEntry, archiveName,
                EntryText(name) + ": data runs past the end of the file (" + std::to_string(stored) + " bytes stored)");
        }
        if (!r.ok()) return r;
        if (!shadowed) entries.push_back(info);
        previous = name;
        at += kLagEntryHeaderSize + stored;
    }
    return LagResult{};
}

}  // namespace

LagResult LagListEntries(const u8* data, std::size_t size, const std::string& archiveName,
                         std::vector<LagEntryInfo>& entries) {
    LagMemorySource source(data, size);
    return ListEntries(source, archiveName, entries);
}

LagResult LagCheckArchive(const char* archivePath, const std::string& archiveName) {
    LagFileSource source(archivePath);
    if (!source.IsOpen()) return Fail(LagStatus::kCannotOpen, archiveName, "cannot open: " + source.Reason());
    std::vector<LagEntryInfo> entries;
    LagResult r = ListEntries(source, archiveName, entries);
    if (r.ok() && entries.empty()) r = Fail(LagStatus::kBadHeader, archiveName, "holds no images");
    return r;
}

std::vector<u8> LagBuildArchive(const std::vector<LagWriteEntry>& entries) {
    std::vector<u8> out = {'L', 'A', 'G', 0, 0, 0, 0, 0};
    for (const LagWriteEntry& e : entries) {
        std::vector<u8> stored = LagIsCompressed(e.format) ? LzssEncode(e.pixels.data(), e.pixels.size()) : e.pixels;
        u8 name[kLagNameSize] = {};
        std::memcpy(name, e.name.data(), std::min(e.name.size(), kLagNameSize));
        out.insert(out.end(), name, name + kLagNameSize);
        PutU32(out, static_cast<u32>(e.width));
        PutU32(out, static_cast<u32>(e.height));
        PutU32(out, static_cast<u32>(e.format));
        PutU32(out, static_cast<u32>(stored.size()));
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}
