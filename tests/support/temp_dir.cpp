#include "tests/support/temp_dir.h"

#include <atomic>
#include <random>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    for (;;) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("tolvarin-test-" + std::to_string(getpid()) + "-" +
                          std::to_string(counter++) + "-" + std::to_string(rd() % 100000));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace testing_support
