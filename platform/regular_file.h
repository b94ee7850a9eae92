#pragma once
// Opening the files the program reads (archives, save files, replays, input
// scripts, models, pictures) so that nothing can make it wait: only a regular
// file is opened. A FIFO, a device, a socket or a folder under a file's name
// is refused before anything is read from it, and the open itself never
// blocks, so the program says what is wrong instead of hanging.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Why a file did not open (or could not be read to its end).
struct FileOpenError {
    // Nothing of that name: no such file, or a folder on its path is missing
    // or is not a folder. Otherwise the file is there and cannot be read.
    bool missing = false;
    // In words, to follow "cannot read "name": ": the system's text
    // ("Permission denied") or what the name is instead of a regular file
    // ("it is a FIFO, not a regular file").
    std::string reason;
};

// Opens `path` for reading in binary mode when it is a regular file. Null,
// with `error` filled when it is given, when it is not or does not open.
std::FILE* OpenRegularFile(const std::string& path, FileOpenError* error = nullptr);

// Reads at most `limit` bytes from the start of the regular file `path`
// into `bytes`; `fileSize` receives its whole size. False, with `error`
// filled, when it does not open or a read fails (an I/O error).
bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                     FileOpenError* error = nullptr, std::uint64_t* fileSize = nullptr);

}  // namespace platform
