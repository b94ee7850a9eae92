#pragma once
// One fuzz input through the X-file reader and the mesh operations, walked
// the way the model loader walks a file.
#include <cstddef>
#include <cstdint>

void RunXFileFuzzInput(const std::uint8_t* data, std::size_t size);
