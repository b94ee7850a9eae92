#pragma once
// Image plug-ins: shared objects named "*.spi" in a folder, loaded at run
// time, each exporting the two entry points below with C linkage.
#include <cstddef>
#include <string>
#include <vector>

extern "C" {
// Non-zero when the plug-in reads this file. `head` holds at least the first
// 2,048 bytes of the file's contents.
typedef int (*ImagePluginIsSupportedFn)(const char* fileName, const void* head);
typedef int (*ImagePluginProgressFn)(int done, int total, long data);
// Decodes the file held in memory (`flag` bit 0 set: `buffer` is the contents,
// `length` bytes) into a bitmap-information block (a 40-byte
// BITMAPINFOHEADER followed by the colour table) and a block of bottom-up DIB
// rows. Both blocks are allocated with malloc and given to the caller, who
// frees them with free(). Returns 0 on success.
typedef int (*ImagePluginGetPictureFn)(const char* buffer, long length, unsigned int flag, void** bitmapInfo,
                                       void** bits, ImagePluginProgressFn progress, long data);
}

namespace platform {

// The plug-ins of a folder (names ending in ".spi" in any case), full paths in
// name order. Empty when the folder cannot be read.
std::vector<std::string> ListImagePlugins(const std::string& folder);

// A loaded shared object. Closing it invalidates every symbol taken from it.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;

    bool Open(const std::string& path);
    void* Symbol(const char* name) const;
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // The loader's message after a failed Open.
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

// The usable size of a block a plug-in allocated with malloc (so its
// contents can be bounds-checked); 0 for null.
std::size_t PluginBlockSize(void* block);
void FreePluginBlock(void* block);

}  // namespace platform
