#include "tests/support/expected_file.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "tests/support/run_outcome.h"

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

// The checkpoints of an outcome: its "frame <n> <hash>" lines in order, and
// the parts of each ("parts <n> ..." lines) by frame.
struct Checkpoints {
    std::vector<std::pair<long long, std::string>> hashes;
    std::map<long long, std::string> parts;
};

Checkpoints ReadCheckpoints(const std::vector<std::string>& lines) {
    Checkpoints c;
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string word, rest;
        long long frame = 0;
        if (!(fields >> word >> frame)) continue;
        std::getline(fields >> std::ws, rest);
        if (word == "frame") c.hashes.emplace_back(frame, rest);
        if (word == "parts") c.parts[frame] = rest;
    }
    return c;
}

// Where the checkpoints of two outcomes part: the first checkpoint whose hash
// differs (the one before it agrees) and the parts that differ there, or the
// first that the runs do not share. Empty when the checkpoints agree.
std::string CheckpointDifference(const std::vector<std::string>& expectedLines,
                                 const std::vector<std::string>& gotLines) {
    const Checkpoints want = ReadCheckpoints(expectedLines), have = ReadCheckpoints(gotLines);
    std::ostringstream out;
    for (std::size_t i = 0; i < want.hashes.size() || i < have.hashes.size(); ++i) {
        const std::string before =
            i == 0 ? "no checkpoint before it" : "frame " + std::to_string(want.hashes[i - 1].first) + " agrees";
        if (i >= want.hashes.size() || i >= have.hashes.size() || want.hashes[i].first != have.hashes[i].first) {
            out << "the run's checkpoint " << i + 1 << " is ";
            out << (i < have.hashes.size() ? "frame " + std::to_string(have.hashes[i].first) : "missing");
            out << ", expected ";
            out << (i < want.hashes.size() ? "frame " + std::to_string(want.hashes[i].first) : "none");
            out << " (" << before << "): the run is longer or shorter than the kept one";
            return out.str();
        }
        if (want.hashes[i].second == have.hashes[i].second) continue;
        const long long frame = want.hashes[i].first;
        const auto kept = want.parts.find(frame);
        const auto now = have.parts.find(frame);
        out << "the state first differs at the checkpoint of frame " << frame << " (" << before << "; "
            << have.hashes[i].second << ", expected " << want.hashes[i].second << "); ";
        if (kept == want.parts.end() || now == have.parts.end()) {
            out << "the file keeps no parts of that frame's hash to compare";
        } else {
            out << "the parts that differ there: " << DifferingParts(now->second, kept->second);
        }
        return out.str();
    }
    return "";
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
        return ::testing::AssertionFailure()
               << "no expected outcome in " << file << " (run with TOLVARIN_UPDATE_OUTCOMES=1 to record it)";
    }
    if (expected == got) return ::testing::AssertionSuccess();
    const std::string advice =
        " If the change of the run is meant, rewrite the file with tools/update_outcomes.sh (or "
        "TOLVARIN_UPDATE_OUTCOMES=1) and commit it with the change.";
    const std::string checkpoint = CheckpointDifference(expected, got);
    if (!checkpoint.empty()) {
        return ::testing::AssertionFailure() << file.filename().string() << ": " << checkpoint << "." << advice;
    }
    for (std::size_t i = 0; i < expected.size() || i < got.size(); ++i) {
        const std::string want = i < expected.size() ? expected[i] : "(nothing)";
        const std::string have = i < got.size() ? got[i] : "(nothing)";
        if (want != have) {
            return ::testing::AssertionFailure()
                   << file.filename().string() << ": line " << i + 1 << " of the outcome is \"" << have
                   << "\", expected \"" << want << "\"." << advice;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace testing_support
