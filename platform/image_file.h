#pragma once
// Reading image files (PNG, BMP, TGA, JPEG, GIF, PSD, HDR, PIC, PNM) into
// 32-bit pixels: the stand-in for the utility library's image-file loader.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Decodes `path` into rows of bytes blue, green, red, alpha (top row first,
// no padding). False with a message naming the file when it cannot be read
// or decoded.
bool LoadImageFileBgra(const char* path, std::int32_t& width, std::int32_t& height, std::vector<std::uint8_t>& bgra,
                       std::string& error);

}  // namespace platform
