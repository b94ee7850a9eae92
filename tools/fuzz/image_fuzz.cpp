// libFuzzer entry for the image readers (archive, LZSS, bitmap converter).
#include <cstddef>
#include <cstdint>

#include "tools/fuzz/image_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunImageFuzzInput(data, size);
    return 0;
}
