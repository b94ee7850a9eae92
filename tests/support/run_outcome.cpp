#include "tests/support/run_outcome.h"

#include <sstream>
#include <utility>

namespace testing_support {

namespace {

std::vector<std::pair<std::string, std::string>> NamedHashes(const std::string& parts) {
    std::vector<std::pair<std::string, std::string>> named;
    std::istringstream in(parts);
    std::string name, hash;
    while (in >> name >> hash) named.emplace_back(name, hash);
    return named;
}

}  // namespace

std::string DifferingParts(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return "(no parts printed for one of the two)";
    const auto x = NamedHashes(a), y = NamedHashes(b);
    std::string names;
    for (std::size_t i = 0; i < x.size() || i < y.size(); ++i) {
        const bool same = i < x.size() && i < y.size() && x[i] == y[i];
        if (same) continue;
        if (!names.empty()) names += ", ";
        names += i < x.size() ? x[i].first : y[i].first;
    }
    return names.empty() ? "no part" : names;
}

std::string CheckpointLines(const std::vector<FrameHash>& hashes, long long every) {
    std::ostringstream out;
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        const FrameHash& h = hashes[i];
        if (h.frame % every != 0 && i + 1 != hashes.size()) continue;
        out << "frame " << h.frame << " " << h.hash << "\n";
        if (!h.parts.empty()) out << "parts " << h.frame << " " << h.parts << "\n";
    }
    return out.str();
}

std::string FrameMismatch(const FrameHash& played, const FrameHash& recorded) {
    std::ostringstream out;
    out << "playback frame " << played.frame << " (" << played.hash << ") is not the recording's frame "
        << recorded.frame << " (" << recorded.hash
        << "); the parts that differ: " << DifferingParts(played.parts, recorded.parts);
    return out.str();
}

::testing::AssertionResult PlaybackMatch::Result() const {
    if (ok()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failure;
}

PlaybackMatch FollowRecording(const std::vector<FrameHash>& recorded, const std::vector<FrameHash>& played,
                              bool holds) {
    PlaybackMatch m;
    std::size_t next = 0;  // the recording's frame after the last one matched
    for (std::size_t p = 0; p < played.size(); ++p) {
        if (holds && p > 0 && recorded[next - 1].hash == played[p].hash) {
            ++m.holds;
            m.matched.push_back(next - 1);
            continue;
        }
        std::size_t r = next;
        while (r < recorded.size() && recorded[r].hash != played[p].hash) ++r;
        if (r < recorded.size()) {
            m.matched.push_back(r);
            next = r + 1;
            continue;
        }
        std::ostringstream out;
        if (p == 0) {
            out << "the playback's first frame " << played[p].frame << " (" << played[p].hash
                << ") is not a state of the recording";
        } else if (next == recorded.size()) {
            out << "playback frame " << played[p].frame << " goes on after the recording's last state (frame "
                << recorded.back().frame << ")";
        } else {
            out << "playback frame " << played[p].frame << " is not a state of the recording after its frame "
                << recorded[next - 1].frame << " (matched by playback frame " << played[p - 1].frame
                << "): " << FrameMismatch(played[p], recorded[next]);
        }
        m.failure = out.str();
        return m;
    }
    return m;
}

}  // namespace testing_support
