#include "platform/image_file.h"

#include <stb/stb_image.h>

#include <cstdio>
#include <memory>

#include "platform/regular_file.h"

namespace platform {

bool LoadImageFileBgra(const char* path, std::int32_t& width, std::int32_t& height, std::vector<std::uint8_t>& bgra,
                       std::string& error) {
    width = 0;
    height = 0;
    bgra.clear();
    if (!path) {
        error = "no image file named";
        return false;
    }
    FileOpenError openError;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path, &openError), std::fclose);
    if (!file) {
        error = std::string(path) + ": cannot read the image (" + openError.reason + ")";
        return false;
    }
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load_from_file(file.get(), &w, &h, &channels, 4),
                                                     stbi_image_free);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        error = std::string(path) + ": cannot read the image (" + (reason ? reason : "unknown") + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > (1u << 26)) {
        error = std::string(path) + ": image size out of range";
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    bgra.resize(count * 4);
    const stbi_uc* p = pixels.get();
    for (std::size_t i = 0; i < count; ++i) {
        bgra[i * 4 + 0] = p[i * 4 + 2];
        bgra[i * 4 + 1] = p[i * 4 + 1];
        bgra[i * 4 + 2] = p[i * 4 + 0];
        bgra[i * 4 + 3] = p[i * 4 + 3];
    }
    width = w;
    height = h;
    return true;
}

}  // namespace platform
