// The progress file: decoding a whole or short image, saving it again
// byte for byte, and the values outside the game's ranges.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/shell/save_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t taken = size < kSystemDataSize ? size : kSystemDataSize;
    SystemData s = DecodeSystemData(data, taken);
    std::vector<u8> image(data, data + taken);
    image.resize(kSystemDataSize, 0);
    if (EncodeSystemData(s) != image) {
        std::fprintf(stderr, "progress does not save as it was read\n");
        std::abort();
    }
    SystemDataOutOfRange(s);
    return 0;
}
