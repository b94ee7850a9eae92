// The result scene through its frames: the place of the run's total, the
// name entry and the ranking insertion at the top, middle, bottom and
// outside of the named places, the replay save offered only to runs without
// a continue, and the ranking file written on leaving.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "game/shell/ranking_scene.h"
#include "game/shell/result_scene.h"
#include "engine/app/run_options.h"
#include "platform/fault_points.h"
#include "platform/system.h"
#include "tests/game/shell/scene_fixture.h"
#include "tests/support/faults.h"

namespace {

using scene_test::SceneTest;

std::vector<u8> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

u32 U32At(const std::vector<u8>& bytes, std::size_t offset) {
    u32 v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<u32>(bytes.at(offset + static_cast<std::size_t>(i))) << (8 * i);
    return v;
}

StoredName NameOf(const std::string& text) {
    StoredName name = BlankName();
    for (std::size_t k = 0; k < text.size() && k < name.size(); ++k) {
        for (u32 c = 0; c < kNameCharacterCount; ++c) {
            if (NameCharacterTable[c] == text[k]) {
                name[k] = c;
                break;
            }
        }
    }
    return name;
}

class ResultScene : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        g_Result.ResultState = kResultOpening;
        g_Result.ResultLeave = 0;
        g_Result.ResultScrollX = 0;
        g_Result.ResultScrollY = 0;
        g_GameState.Difficulty = kDifficultyNormal;
        g_GameState.StartKind = kStartFullRun;
        g_GameState.GameMode = kGameModeNormal;
        g_GameState.Continues = 1;  // a continue was used: no replay offer
    }
    void ForgetSceneImages() override {
        g_Result.images = ResultImages{};
        g_Ranking.images = RankingImages{};
    }

    // A run whose stage scores add up to `total`.
    void SetRunTotal(u32 total) {
        g_PlayRecord.stageScore.fill(0);
        g_PlayRecord.stageScore[0] = total / 2;
        g_PlayRecord.stageScore[3] = total - total / 2;
        g_PlayRecord.stageScore[7] = 99999;  // slots beyond the five stages do not count
    }
    void EnterAndShow() {
        Enter(kSceneResult, kSceneStageReport);
        IdleUntil([] { return g_Result.ResultState == kResultShown; });
    }
    // Types `text` with the selector: each character is looked up in the
    // list in use (Up switches lists) and reached by Left or Right.
    void Type(const std::string& text) {
        for (char ch : text) {
            i32 target = -1;
            for (int attempt = 0; attempt < 2 && target < 0; ++attempt) {
                const std::vector<i32>& list = g_Result.CharacterLists[g_Result.ListSelect];
                for (std::size_t i = 0; i < list.size(); ++i) {
                    if (NameCharacterTable[list[i]] == ch) target = static_cast<i32>(i);
                }
                if (target < 0) Tap(kInputUp);
            }
            ASSERT_GE(target, 0) << ch;
            while (g_Result.ListCursor != target) Tap(g_Result.ListCursor < target ? kInputRight : kInputLeft);
            Tap(kInputZ);
        }
    }
    std::vector<u8> RankingFile() { return ReadBytes(Folder() / "system" / "ranking.dat"); }
};

TEST_F(ResultScene, InsertionAtTheTopMiddleBottomAndOutside) {
    struct Case {
        u32 total;
        i32 place;
        bool named;  // the run enters a name and goes into the table
    };
    const Case cases[] = {
        {5000, 0, true},  // the top
        {750, 3, true},   // the middle
        {650, 4, true},   // the last named place
        {600, 5, false},  // equal to place 4's score: below it, outside
        {150, 9, false},  // tenth place: never named
        {50, 9, false},   // below every score
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        g_RankingTable = DefaultRankingTable();
        std::filesystem::remove(Folder() / "system" / "ranking.dat");
        SetRunTotal(c.total);
        EnterAndShow();
        EXPECT_EQ(g_Result.ResultScore, static_cast<i32>(c.total));
        EXPECT_EQ(g_Result.ResultRankPosition, c.place);
        Tap(kInputZ);
        if (c.named) {
            ASSERT_EQ(g_Result.ResultState, kResultRankingName);
            Type("ABCDE");
            EXPECT_EQ(g_Result.NameLength, 5);
            Tap(kInputZ);
        }
        EXPECT_EQ(g_Result.ResultState, kResultLeaving);
        IdleUntil([] { return CurrentScene != kSceneResult; });
        RankingTable want = DefaultRankingTable();
        if (c.named) {
            // The places below move down one; the tenth drops out.
            for (i32 i = kRankingPlaces - 1; i > c.place; --i) {
                want.score[1][i] = want.score[1][i - 1];
                for (int k = 0; k < kNameLength; ++k) want.name[1][i][k] = want.name[1][i - 1][k];
            }
            want.score[1][c.place] = c.total;
            const StoredName name = NameOf("ABCDE");
            for (int k = 0; k < kNameLength; ++k) want.name[1][c.place][k] = name[static_cast<std::size_t>(k)];
        }
        EXPECT_EQ(EncodeRankingTable(g_RankingTable), EncodeRankingTable(want));
        // The file is written on leaving, entry or not.
        const std::vector<u8> file = RankingFile();
        ASSERT_EQ(file.size(), kRankingFileSize);
        EXPECT_EQ(file, EncodeRankingTable(want));
        const std::size_t scoreAt = 600 + 4 * (10 * 1 + static_cast<std::size_t>(c.place));
        EXPECT_EQ(U32At(file, scoreAt), c.named ? c.total : 1000u - 100u * static_cast<u32>(c.place));
        if (c.named) {
            EXPECT_EQ(U32At(file, 4 * ((10 * 1 + static_cast<std::size_t>(c.place)) * 5)), 40u);      // 'A'
            EXPECT_EQ(U32At(file, 4 * ((10 * 1 + static_cast<std::size_t>(c.place)) * 5 + 4)), 44u);  // 'E'
        }
        // Placed or not, the title follows, with the ranking's view set to
        // the run's difficulty and place.
        EXPECT_EQ(CurrentScene, kSceneTitle);
        EXPECT_EQ(PreviousScene, kSceneResult);
        EXPECT_EQ(g_Ranking.RankingDifficulty, 1);
        EXPECT_EQ(g_Ranking.RankingHighlight, c.place);
        EXPECT_EQ(g_Result.images.result, nullptr);
        // Back into the result for the next case.
        g_Result.ResultState = kResultOpening;
        TransitionState = Transition{};
        g_Result.images = ResultImages{};
        g_Ranking.images = RankingImages{};
    }
}

TEST_F(ResultScene, SelectorKeys) {
    SetRunTotal(5000);
    EnterAndShow();
    EXPECT_TRUE(Golden("result_scores"));
    Tap(kInputZ);
    ASSERT_EQ(g_Result.ResultState, kResultRankingName);
    EXPECT_EQ(g_Result.ListCursor, 0);
    // Holding Left: a move at the press, then on the 10th, 15th and 20th frame.
    std::vector<i32> cursor;
    for (int f = 0; f < 21; ++f) {
        Run({kInputLeft});
        cursor.push_back(g_Result.ListCursor);
    }
    Idle(1);
    EXPECT_EQ(cursor[0], 48);  // wrapped from 0 to the last entry
    EXPECT_EQ(cursor[8], 48);
    EXPECT_EQ(cursor[9], 47);
    EXPECT_EQ(cursor[13], 47);
    EXPECT_EQ(cursor[14], 46);
    EXPECT_EQ(cursor[19], 45);
    EXPECT_EQ(cursor[20], 45);
    Tap(kInputRight);
    Tap(kInputRight);
    Tap(kInputRight);
    Tap(kInputRight);
    EXPECT_EQ(g_Result.ListCursor, 0);  // wrapped from the last to the first
    // Up swaps lower case for upper case at the same index.
    Run({kInputRight, 0, kInputRight, 0});
    ASSERT_EQ(g_Result.ListCursor, 2);
    Run({kInputRight, 0});
    for (int i = 0; i < 8; ++i) Tap(kInputRight);
    EXPECT_EQ(g_Result.ListCursor, 11);
    Tap(kInputZ);
    Tap(kInputUp);
    EXPECT_EQ(g_Result.ListSelect, 1);
    EXPECT_EQ(g_Result.ListCursor, 11);
    Tap(kInputZ);
    Tap(kInputDown);
    EXPECT_EQ(g_Result.ListSelect, 0);
    Tap(kInputZ);
    EXPECT_EQ(g_Result.NameLength, 3);
    EXPECT_EQ(NameToText(g_Result.ResultName), "bBb  ");
    Idle(40);
    EXPECT_TRUE(Golden("result_name_entry"));
    // X takes the last character back and blanks its slot.
    Tap(kInputX);
    EXPECT_EQ(g_Result.NameLength, 2);
    EXPECT_EQ(g_Result.ResultName[2], kBlankNameCharacter);
    Tap(kInputX);
    Tap(kInputX);
    Tap(kInputX);  // nothing left: the ranking name stays open
    EXPECT_EQ(g_Result.NameLength, 0);
    EXPECT_EQ(g_Result.ResultState, kResultRankingName);
    // With five characters the selector does not move.
    Type("zzzzz");
    const i32 at = g_Result.ListCursor;
    Tap(kInputLeft);
    Run(std::vector<u16>(15, kInputRight));
    Idle(1);
    EXPECT_EQ(g_Result.ListCursor, at);
    EXPECT_EQ(NameToText(g_Result.ResultName), "zzzzz");
}

TEST_F(ResultScene, RunWithoutContinueNamesAndSavesItsReplay) {
    g_GameState.Continues = 3;
    SetRunTotal(5000);
    g_PlayRecord.played[0] = 1;
    g_PlayRecord.input[0] = {1, 2, 3};
    g_GameState.StoryFlags[42] = 1;
    // Number 0 is taken: the replay becomes number 1.
    std::filesystem::create_directories(Folder() / "replay");
    std::ofstream(Folder() / "replay" / "vosket000.rpl") << "taken";
    EnterAndShow();
    EXPECT_EQ(g_Result.ReplayNumber, 1);
    Tap(kInputZ);
    Type("ABCDE");
    Tap(kInputZ);
    // Past the ranking name the save is offered, the name cleared for it.
    ASSERT_EQ(g_Result.ResultState, kResultSavePrompt);
    EXPECT_EQ(NameToText(g_Result.ResultName), "     ");
    EXPECT_EQ(g_Result.NameLength, 0);
    Idle(40);
    EXPECT_TRUE(Golden("result_save_prompt"));
    Tap(kInputRight);
    EXPECT_EQ(g_Result.NameLength, 1);
    Tap(kInputLeft);
    Tap(kInputZ);
    ASSERT_EQ(g_Result.ResultState, kResultReplayName);
    // X on an empty replay name goes back to the prompt.
    Tap(kInputX);
    EXPECT_EQ(g_Result.ResultState, kResultSavePrompt);
    Tap(kInputZ);
    ASSERT_EQ(g_Result.ResultState, kResultReplayName);
    Type("Z9!");
    Type("aa");
    Idle(60);
    EXPECT_TRUE(Golden("result_replay_name"));
    Tap(kInputZ);
    EXPECT_EQ(g_Result.ResultState, kResultLeaving);
    const std::filesystem::path saved = Folder() / "replay" / "vosket001.rpl";
    ASSERT_TRUE(std::filesystem::exists(saved));
    ReplayHeader header;
    PlayRecord record;
    ASSERT_TRUE(ReadReplayFile(saved.string(), header, record));
    EXPECT_EQ(NameToText(header.name), "Z9!aa");
    EXPECT_EQ(header.score, 5000u);
    EXPECT_EQ(header.Difficulty, 1);
    EXPECT_EQ(header.storyFlags[42], 1);
    EXPECT_EQ(record.input[0], (std::vector<u16>{1, 2, 3}));
    IdleUntil([] { return CurrentScene != kSceneResult; });
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(
        NameToText(StoredName{g_RankingTable.name[1][0][0], g_RankingTable.name[1][0][1], g_RankingTable.name[1][0][2],
                              g_RankingTable.name[1][0][3], g_RankingTable.name[1][0][4]}),
        "ABCDE");
}

TEST_F(ResultScene, OfferWithoutAPlaceAndRefusal) {
    g_GameState.Continues = 3;
    SetRunTotal(300);
    EnterAndShow();
    Tap(kInputZ);
    ASSERT_EQ(g_Result.ResultState, kResultSavePrompt);
    Tap(kInputRight);
    Tap(kInputZ);
    EXPECT_EQ(g_Result.ResultState, kResultLeaving);
    IdleUntil([] { return CurrentScene != kSceneResult; });
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_FALSE(std::filesystem::exists(Folder() / "replay" / "vosket000.rpl"));
}

TEST_F(ResultScene, StageSelectRunGoesStraightToTheOffer) {
    g_GameState.StartKind = kStartStageSelect;
    g_GameState.Continues = 3;
    SetRunTotal(9000);  // would top the table, but a single stage never enters it
    Enter(kSceneResult, kSceneStageReport);
    Idle(1);
    EXPECT_EQ(g_Result.ResultState, kResultSavePrompt);
    Idle(100);
    EXPECT_EQ(g_Result.ResultState, kResultSavePrompt);
    Tap(kInputZ);
    Type("s1234");
    Tap(kInputZ);
    IdleUntil([] { return CurrentScene != kSceneResult; });
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_TRUE(std::filesystem::exists(Folder() / "replay" / "vosket000.rpl"));
    EXPECT_EQ(EncodeRankingTable(g_RankingTable), EncodeRankingTable(DefaultRankingTable()));
}

// A replay or ranking save the folder refuses is said on standard error and,
// when a window shows the game, in a message box the player sees; a headless
// run is never held up by a box. The scene goes on to the title either way.
TEST_F(ResultScene, SavesTheFolderRefusesAreShownToThePlayer) {
    static std::vector<std::string> boxes;
    platform::SetMessageBoxSink([](std::uint32_t, const std::string& caption, const std::string& text) {
        boxes.push_back(caption + ": " + text);
    });
    for (const bool headless : {false, true}) {
        SCOPED_TRACE(headless ? "headless" : "with a window");
        boxes.clear();
        Options().headless = headless;
        g_GameState.StartKind = kStartStageSelect;
        g_GameState.Continues = 3;
        SetRunTotal(9000);
        testing_support::SetFault(platform::Fault::SaveFolderReadOnly);
        testing::internal::CaptureStderr();
        Enter(kSceneResult, kSceneStageReport);
        Idle(1);
        ASSERT_EQ(g_Result.ResultState, kResultSavePrompt);
        Tap(kInputZ);
        Type("s1234");
        Tap(kInputZ);
        IdleUntil([] { return CurrentScene != kSceneResult; });
        const std::string said = testing::internal::GetCapturedStderr();
        testing_support::ClearFaults();
        Options().headless = false;
        EXPECT_EQ(CurrentScene, kSceneTitle);
        EXPECT_FALSE(std::filesystem::exists(Folder() / "replay" / "vosket000.rpl"));
        EXPECT_NE(said.find("tolvarin: cannot save \"replay/vosket000.rpl\": Read-only file system"), std::string::npos)
            << said;
        EXPECT_NE(said.find("tolvarin: cannot save \"system/ranking.dat\": Read-only file system"), std::string::npos)
            << said;
        if (headless) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 2u);
            EXPECT_EQ(boxes[0].rfind("Tolvarin: The replay was not saved.\n\ncannot save \"replay/vosket000.rpl\"", 0),
                      0u)
                << boxes[0];
            EXPECT_EQ(boxes[1].rfind("Tolvarin: The ranking was not saved.\n\ncannot save \"system/ranking.dat\"", 0),
                      0u)
                << boxes[1];
        }
    }
}

}  // namespace
