// Every reader of outside files opens them through OpenRegularFile: only a
// regular file is read, anything else is refused at once with a reason (a
// FIFO with no writer would otherwise hold the program forever), and a
// missing file is told apart from one that is there but cannot be read.
#include "platform/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fault_points.h"
#include "tests/support/faults.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

TEST(RegularFile, ReadsAWholeFileOrItsStart) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "data.bin";
    WriteText(file, "0123456789");
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;
    ASSERT_TRUE(platform::ReadRegularFile(file.string(), 100, bytes, nullptr, &size));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
    EXPECT_EQ(size, 10u);
    ASSERT_TRUE(platform::ReadRegularFile(file.string(), 4, bytes, nullptr, &size));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123");
    EXPECT_EQ(size, 10u);
    WriteText(file, "");
    ASSERT_TRUE(platform::ReadRegularFile(file.string(), 4, bytes, nullptr, &size));
    EXPECT_TRUE(bytes.empty());
    // The stream reads on as any other.
    WriteText(file, "abc");
    std::FILE* f = platform::OpenRegularFile(file.string());
    ASSERT_NE(f, nullptr);
    char got[4] = {};
    EXPECT_EQ(std::fread(got, 1, 3, f), 3u);
    EXPECT_STREQ(got, "abc");
    std::fclose(f);
}

// Names that are not regular files are refused at once, each with what it
// is; a missing file (or a folder on its path that is not one) is "missing".
TEST(RegularFile, AnythingButARegularFileIsRefusedWithItsReason) {
    testing_support::TempDir dir;
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(dir.path() / "folder");
    WriteText(dir.path() / "plain", "x");
    const fs::path link = dir.path() / "link-to-fifo";
    fs::create_symlink(fifo, link);
    struct Case {
        const char* what;
        fs::path path;
        bool missing;
        const char* reason;
    };
    const Case cases[] = {
        {"a FIFO", fifo, false, "it is a FIFO, not a regular file"},
        {"a link to a FIFO", link, false, "it is a FIFO, not a regular file"},
        {"a folder", dir.path() / "folder", false, "it is a folder, not a file"},
        {"a character device", "/dev/null", false, "it is a character device, not a regular file"},
        {"no such file", dir.path() / "absent", true, "No such file or directory"},
        {"a file where a folder should be", dir.path() / "plain" / "inside", true, "Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::FileOpenError error;
        EXPECT_EQ(platform::OpenRegularFile(c.path.string(), &error), nullptr);
        EXPECT_EQ(error.missing, c.missing);
        EXPECT_EQ(error.reason, c.reason);
        std::vector<std::uint8_t> bytes = {1, 2, 3};
        error = {};
        EXPECT_FALSE(platform::ReadRegularFile(c.path.string(), 10, bytes, &error));
        EXPECT_TRUE(bytes.empty());
        EXPECT_EQ(error.reason, c.reason);
    }
}

TEST(RegularFile, AReadErrorIsAFailureWithItsReason) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "data.bin";
    WriteText(file, "0123456789");
    testing_support::SetFault(platform::Fault::ReadError);
    std::vector<std::uint8_t> bytes;
    platform::FileOpenError error;
    const bool read = platform::ReadRegularFile(file.string(), 100, bytes, &error);
    testing_support::ClearFaults();
    EXPECT_FALSE(read);
    EXPECT_FALSE(error.missing);
    EXPECT_EQ(error.reason, "Input/output error");
    EXPECT_TRUE(bytes.empty());
}

TEST(RegularFile, AFileThatMayNotBeReadIsThereButRefused) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "file permissions never deny reading to root; the program's tests run this case "
                        "with that right dropped";
    }
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "locked.bin";
    WriteText(file, "secret");
    fs::permissions(file, fs::perms::none);
    platform::FileOpenError error;
    EXPECT_EQ(platform::OpenRegularFile(file.string(), &error), nullptr);
    EXPECT_FALSE(error.missing);
    EXPECT_EQ(error.reason, "Permission denied");
}

}  // namespace
