// libFuzzer entry for the X-file reader and the mesh operations behind it.
#include <cstddef>
#include <cstdint>

#include "tools/fuzz/xfile_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunXFileFuzzInput(data, size);
    return 0;
}
