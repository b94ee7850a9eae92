#pragma once
// Small helpers shared by the shell's save files: a status with a message,
// whole-file reads with a size limit, saves through a temporary file, and
// little-endian byte writers and readers that work field by field.
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/types.h"

// Outcome of a file operation. `message` names the file and says what went
// wrong (or, on success, what was noticed, such as a short stream).
struct FileStatus {
    bool ok = false;
    std::string message;

    static FileStatus Success(std::string note = {}) { return {true, std::move(note)}; }
    static FileStatus Failure(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// "base/name", or `name` alone when `base` is empty (the current folder).
std::string JoinShellPath(const std::string& base, const std::string& name);

// Reads at most `limit` bytes from the start of `path`, which must be a
// regular file (anything else is refused without waiting on it). `fileSize`
// receives the file's full size. Fails with a message naming the file and
// the reason when it does not open or cannot be read.
FileStatus ReadFileBytes(const std::string& path, std::size_t limit, std::vector<u8>& bytes,
                         std::size_t* fileSize = nullptr);

// Writes `bytes` to "`path`.tmp" in the same folder, flushes it and renames it
// over `path`, so a crash or a full disk never leaves a half-written file under
// the real name. The old file stays when anything fails, and a held file
// (below) is never written.
FileStatus WriteFileReplacing(const std::string& path, const std::vector<u8>& bytes);

// The settings, progress and ranking are read once at the start. One that is
// there but cannot be read (its permissions, a folder or a FIFO in its place,
// an I/O error) is held: every later save of it in this run fails with a
// message and leaves it as it is, so that the player's file is never replaced
// by the defaults the game plays with meanwhile.
struct SaveFileRead {
    enum Outcome { kRead, kMissing, kUnreadable } outcome = kMissing;
    std::vector<u8> bytes;  // kRead: the first `limit` bytes
    std::string message;    // kMissing, kUnreadable: the file's name and why
};
// Reads the save file `path` and holds it, or lets it go, as above; `what`
// names its contents in the hold's message ("settings").
SaveFileRead ReadSaveFile(const std::string& path, std::size_t limit, const std::string& what);

// Appends little-endian fields to a byte vector.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<u8>& out) : out_(out) {}
    void U8(u8 v) { out_.push_back(v); }
    void U16(u16 v) {
        out_.push_back(static_cast<u8>(v));
        out_.push_back(static_cast<u8>(v >> 8));
    }
    void U32(u32 v) {
        for (int i = 0; i < 4; ++i) out_.push_back(static_cast<u8>(v >> (8 * i)));
    }
    void I32(i32 v) { U32(static_cast<u32>(v)); }
    void Text(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }

private:
    std::vector<u8>& out_;
};

// Reads little-endian fields from a byte range; reading past the end yields
// zeros and marks the reader as short instead of touching memory beyond it.
class ByteReader {
public:
    ByteReader(const u8* data, std::size_t size) : data_(data), size_(size) {}
    u8 U8() {
        if (!Take(1)) return 0;
        return data_[pos_ - 1];
    }
    u16 U16() {
        if (!Take(2)) return 0;
        return static_cast<u16>(data_[pos_ - 2] | (data_[pos_ - 1] << 8));
    }
    u32 U32() {
        if (!Take(4)) return 0;
        u32 v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<u32>(data_[pos_ - 4 + i]) << (8 * i);
        return v;
    }
    i32 I32() { return static_cast<i32>(U32()); }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    bool WentShort() const { return short_; }

private:
    // Advances over n bytes when they are all there; otherwise moves to the
    // end and remembers that the data ran short.
    bool Take(std::size_t n) {
        if (n > size_ - pos_) {
            short_ = true;
            pos_ = size_;
            return false;
        }
        pos_ += n;
        return true;
    }
    const u8* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool short_ = false;
};
