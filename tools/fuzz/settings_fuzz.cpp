// The settings file: decoding a whole or short image, saving it again
// byte for byte, and the values outside the game's ranges.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/shell/save_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t taken = size < kConfigDataSize ? size : kConfigDataSize;
    ConfigData c = DecodeConfigData(data, taken);
    std::vector<u8> image(data, data + taken);
    image.resize(kConfigDataSize, 0);
    if (EncodeConfigData(c) != image) {
        std::fprintf(stderr, "settings do not save as they were read\n");
        std::abort();
    }
    ConfigDataOutOfRange(c);
    return 0;
}
