// What a recorded run's test says when the run moved: against its expected
// file, the first checkpoint whose state hash differs and the parts of the
// state that differ there; against its playback, the first playback frame
// that is not the recording's and its differing parts.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/expected_file.h"
#include "tests/support/program.h"
#include "tests/support/run_outcome.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::FrameHash;

// Six parts whose hashes are `base` with the named parts' last digit bumped.
std::string Parts(const std::vector<std::string>& moved = {}) {
    std::string text;
    for (const char* name : {"player", "enemies", "shots", "effects", "generators", "script"}) {
        bool bumped = false;
        for (const std::string& m : moved) bumped = bumped || m == name;
        text += (text.empty() ? "" : " ") + std::string(name) + (bumped ? " 00000000000000b1" : " 00000000000000a0");
    }
    return text;
}

TEST(OutcomeDiagnostics, ThePartsThatDifferAreNamed) {
    struct Case {
        std::string a, b, named;
    };
    const Case cases[] = {
        {Parts(), Parts(), "no part"},
        {Parts(), Parts({"enemies"}), "enemies"},
        {Parts({"player", "script"}), Parts({"shots"}), "player, shots, script"},
        {Parts(), "", "(no parts printed for one of the two)"},
    };
    for (const Case& c : cases) EXPECT_EQ(testing_support::DifferingParts(c.a, c.b), c.named) << c.b;
}

TEST(OutcomeDiagnostics, TheProgramsLinesParseIntoCheckpointsWithTheirParts) {
    const std::string out = "frame 1 00000000000000f1\nparts 1 " + Parts() +
                            "\nstatus 1 scene 3\nframe 2 00000000000000f2\nframe 3 00000000000000f3\nparts 3 " +
                            Parts({"shots"}) + "\nparts 9 " + Parts() + "\n";
    const std::vector<FrameHash> hashes = testing_support::ParseFrameHashes(out);
    ASSERT_EQ(hashes.size(), 3u);
    EXPECT_EQ(hashes[0].parts, Parts());
    EXPECT_EQ(hashes[1].parts, "");  // frame 2 printed none; frame 9's line has no frame line
    EXPECT_EQ(hashes[2].parts, Parts({"shots"}));
    // Every second frame and the last, each with its parts when it has them.
    EXPECT_EQ(testing_support::CheckpointLines(hashes, 2),
              "frame 2 00000000000000f2\nframe 3 00000000000000f3\nparts 3 " + Parts({"shots"}) + "\n");
}

class ExpectedOutcome : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& text) {
        const std::filesystem::path file = dir_.path() / "run_expected.txt";
        std::ofstream(file) << text;
        return file;
    }
    static std::string Outcome(const std::vector<std::string>& movedAt2000, const std::string& hash2000,
                               bool withParts = true) {
        std::string text = "frame 1000 00000000000000c1\n";
        if (withParts) text += "parts 1000 " + Parts() + "\n";
        text += "frame 2000 " + hash2000 + "\n";
        if (withParts) text += "parts 2000 " + Parts(movedAt2000) + "\n";
        return text + "stage 1 score 4200\n";
    }

private:
    testing_support::TempDir dir_;
};

TEST_F(ExpectedOutcome, AMovedRunNamesTheFirstCheckpointThatDiffersAndItsParts) {
    if (testing_support::UpdatingOutcomes()) GTEST_SKIP() << "the files are being rewritten";
    const auto file = Write("# a comment\n" + Outcome({}, "00000000000000c2"));
    EXPECT_TRUE(testing_support::MatchesExpectedFile(file, Outcome({}, "00000000000000c2")));

    const ::testing::AssertionResult moved =
        testing_support::MatchesExpectedFile(file, Outcome({"enemies", "generators"}, "00000000000000d2"));
    ASSERT_FALSE(moved);
    const std::string message = moved.message();
    EXPECT_NE(message.find("run_expected.txt: the state first differs at the checkpoint of frame 2000 "
                           "(frame 1000 agrees; 00000000000000d2, expected 00000000000000c2); "
                           "the parts that differ there: enemies, generators."),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("tools/update_outcomes.sh"), std::string::npos) << message;
}

TEST_F(ExpectedOutcome, AFileWithoutPartsStillNamesTheFrame) {
    if (testing_support::UpdatingOutcomes()) GTEST_SKIP() << "the files are being rewritten";
    const auto file = Write(Outcome({}, "00000000000000c2", false));
    const ::testing::AssertionResult moved =
        testing_support::MatchesExpectedFile(file, Outcome({}, "00000000000000d2", false));
    ASSERT_FALSE(moved);
    EXPECT_NE(std::string(moved.message())
                  .find("checkpoint of frame 2000 (frame 1000 agrees; 00000000000000d2, expected 00000000000000c2); "
                        "the file keeps no parts of that frame's hash to compare"),
              std::string::npos)
        << moved.message();
}

TEST_F(ExpectedOutcome, ALongerOrShorterRunAndOtherLinesAreNamed) {
    if (testing_support::UpdatingOutcomes()) GTEST_SKIP() << "the files are being rewritten";
    const auto file = Write(Outcome({}, "00000000000000c2"));
    std::string longer = Outcome({}, "00000000000000c2");
    longer.insert(longer.find("stage"), "frame 2400 00000000000000c3\n");
    const ::testing::AssertionResult longerResult = testing_support::MatchesExpectedFile(file, longer);
    ASSERT_FALSE(longerResult);
    EXPECT_NE(std::string(longerResult.message()).find("checkpoint 3 is frame 2400, expected none (frame 2000 agrees)"),
              std::string::npos)
        << longerResult.message();

    std::string score = Outcome({}, "00000000000000c2");
    score.replace(score.find("4200"), 4, "4300");
    const ::testing::AssertionResult scoreResult = testing_support::MatchesExpectedFile(file, score);
    ASSERT_FALSE(scoreResult);
    EXPECT_NE(std::string(scoreResult.message()).find("line 5 of the outcome is \"stage 1 score 4300\""),
              std::string::npos)
        << scoreResult.message();
}

std::vector<FrameHash> Frames(const std::vector<std::string>& hashes, long long first = 1) {
    std::vector<FrameHash> frames;
    for (const std::string& h : hashes) {
        frames.push_back(FrameHash{first++, "00000000000000" + h,
                                   Parts(h == "ee" ? std::vector<std::string>{"player"} : std::vector<std::string>{})});
    }
    return frames;
}

TEST(PlaybackDiagnostics, APlaybackFollowsItsRecordingOrNamesItsFirstStrayFrame) {
    struct Case {
        const char* what;
        std::vector<std::string> recorded, played;
        bool holds;
        std::string failure;  // a part of the message; empty: it follows
        std::vector<std::size_t> matched;
    };
    const std::vector<std::string> run = {"01", "02", "03", "04", "05", "06"};
    const Case cases[] = {
        {"one to one", run, {"03", "04", "05", "06"}, false, "", {2, 3, 4, 5}},
        {"states left out", run, {"02", "05", "06"}, false, "", {1, 4, 5}},
        {"a held state", run, {"03", "03", "04"}, true, "", {2, 2, 3}},
        // clang-format off
        {"a held state without holds", run, {"03", "03"}, false,
         "playback frame 2 is not a state of the recording after its frame 3", {2}},
        {"past the end", run, {"06", "01"}, false, "playback frame 2 goes on after the recording's last state (frame 6)",
         {5}},
        {"a stray first frame", run, {"ff"}, false, "the playback's first frame 1 (00000000000000ff)", {}},
        {"a stray frame", run, {"02", "03", "ee"}, true,
         "playback frame 3 is not a state of the recording after its frame 3 (matched by playback frame 2): "
         "playback frame 3 (00000000000000ee) is not the recording's frame 4 (0000000000000004); "
         "the parts that differ: player",
         {1, 2}},
        // clang-format on
        {"a state from before", run, {"04", "02"}, false, "is not a state of the recording after its frame 4", {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const testing_support::PlaybackMatch m =
            testing_support::FollowRecording(Frames(c.recorded), Frames(c.played), c.holds);
        EXPECT_EQ(m.ok(), c.failure.empty());
        EXPECT_NE(m.failure.find(c.failure), std::string::npos) << m.failure;
        EXPECT_EQ(m.matched, c.matched);
    }
}

}  // namespace
