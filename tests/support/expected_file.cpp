#include "tests/support/expected_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace testing_support {

namespace fs = std::filesystem;

bool UpdatingOutcomes() {
    const char* flag = std::getenv("TOLVARIN_UPDATE_OUTCOMES");
    return flag && flag[0] == '1';
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

::testing::AssertionResult MatchesExpectedFile(const fs::path& file, const std::string& actual) {
    std::string kept;
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        kept = text.str();
    }
    std::string comments;
    std::vector<std::string> expected;
    for (const std::string& line : Lines(kept)) {
        if (!line.empty() && line[0] == '#') {
            comments += line + "\n";
        } else {
            expected.push_back(line);
        }
    }
    const std::vector<std::string> got = Lines(actual);
    if (UpdatingOutcomes()) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << comments;
        for (const std::string& line : got) out << line << "\n";
        if (!out) return ::testing::AssertionFailure() << "cannot write " << file;
        return ::testing::AssertionSuccess();
    }
    if (expected.empty()) {
        return ::testing::AssertionFailure() << "no expected outcome in " << file
                                             << " (run with TOLVARIN_UPDATE_OUTCOMES=1 to record it)";
    }
    for (std::size_t i = 0; i < expected.size() || i < got.size(); ++i) {
        const std::string want = i < expected.size() ? expected[i] : "(nothing)";
        const std::string have = i < got.size() ? got[i] : "(nothing)";
        if (want != have) {
            return ::testing::AssertionFailure()
                   << file.filename().string() << ": line " << i + 1 << " of the outcome is \"" << have
                   << "\", expected \"" << want << "\". If the change of the run is meant, rewrite the file with "
                   << "TOLVARIN_UPDATE_OUTCOMES=1 and commit it with the change.";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace testing_support
