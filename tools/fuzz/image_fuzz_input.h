#pragma once
// One input of the image readers' fuzz target: the first byte picks the
// reader (0 archive, 1 LZSS stream, 2 bitmap converter), the rest is its input.
// Also run over the kept crash fixtures by the image tests.
#include <cstddef>
#include <cstdint>

void RunImageFuzzInput(const std::uint8_t* data, std::size_t size);
