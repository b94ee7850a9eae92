#include "platform/image_plugin.h"

#include <dlfcn.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace platform {

std::vector<std::string> ListImagePlugins(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < 4) continue;
        std::string suffix = name.substr(name.size() - 4);
        std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::error_code typeError;
        if (suffix == ".spi" && it->is_regular_file(typeError)) out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

SharedLibrary::~SharedLibrary() { Close(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool SharedLibrary::Open(const std::string& path) {
    Close();
    // A name without a slash would be searched for on the library path.
    std::string full = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* e = dlerror();
        error_ = e ? e : "cannot load " + path;
        return false;
    }
    error_.clear();
    return true;
}

void* SharedLibrary::Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

void SharedLibrary::Close() {
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

std::size_t PluginBlockSize(void* block) { return block ? malloc_usable_size(block) : 0; }

void FreePluginBlock(void* block) { std::free(block); }

}  // namespace platform
