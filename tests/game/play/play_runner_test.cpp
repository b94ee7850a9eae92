// The whole game in this process, headless, on the sample data: from the
// title through the stage select into every stage, flown over its
// background, paused, retried and quit to the title, driven by scripted input
// words through the real menus.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/app/screenshot.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "platform/image_file.h"
#include "tests/game/play/runner_support.h"
#include "tests/support/golden.h"
#include "tests/support/program.h"

namespace {

using namespace runner_test;

// The title's main menu takes keys from frame 344 of a run; after a stage
// is quit the title's road back takes under 230 frames.
constexpr i64 kFirstTitleReady = 400;
constexpr i64 kTitleAfterQuit = 230;

struct Visit {
    i32 stage = 0;
    bool retryFirst = false;  // the first flight ends by retry, the second by quit
};

// The frames the script acts on, for the checks.
struct Flight {
    i64 start = 0;   // first frame of the scripted flight
    i64 photo = 0;   // frame whose picture is compared
    i64 pause = 0;   // T
    i64 decide = 0;  // Z in the pause menu
    bool retry = false;
};
struct VisitPlan {
    i32 stage = 0;
    i64 select = 0;  // Z on the stage in the stage select
    std::vector<Flight> flights;
};
struct Plan {
    std::vector<VisitPlan> visits;
    i64 endChosen = 0;  // Z on the title's last entry
    Script script{0};
};

// One flight from `start`: fire while banking left, then up and right; then
// pause, move to retry (one down) or quit (two down) and decide.
Flight Fly(Script& s, i64 start, bool retry) {
    Flight f;
    f.start = start;
    f.retry = retry;
    s.Hold(start, start + 59, kInputZ | kInputLeft);
    s.Hold(start + 60, start + 99, kInputZ | kInputUp);
    s.Hold(start + 100, start + 139, kInputRight);
    f.photo = start + 140;
    f.pause = start + 150;
    s.Tap(f.pause, kInputT);
    s.Tap(f.pause + 45, kInputDown);
    if (!retry) s.Tap(f.pause + 60, kInputDown);
    f.decide = f.pause + 75;
    s.Tap(f.decide, kInputZ);
    return f;
}

Plan MakePlan(const std::vector<Visit>& visits) {
    Plan plan;
    plan.script = Script(12000);
    Script& s = plan.script;
    s.Tap(151, kInputZ);  // past the logos
    i64 t = kFirstTitleReady;
    for (const Visit& v : visits) {
        VisitPlan vp;
        vp.stage = v.stage;
        s.Tap(t, kInputDown);    // main menu: the stage select entry
        s.Tap(t + 15, kInputZ);  // difficulty menu
        s.Tap(t + 30, kInputZ);  // the first difficulty: the stage select opens
        for (i32 k = 0; k < v.stage; ++k) s.Tap(t + 45 + 15 * k, kInputDown);
        vp.select = t + 45 + 15 * v.stage;
        s.Tap(vp.select, kInputZ);
        // The title's closing wipe, then the stage's first frames.
        i64 start = vp.select + 110;
        if (v.retryFirst) {
            vp.flights.push_back(Fly(s, start, true));
            start = vp.flights.back().decide + 110;
        }
        vp.flights.push_back(Fly(s, start, false));
        t = vp.flights.back().decide + kTitleAfterQuit;
        plan.visits.push_back(vp);
    }
    s.Tap(t, kInputUp);  // the last entry of the main menu ends the program
    plan.endChosen = t + 15;
    s.Tap(plan.endChosen, kInputZ);
    s.words.resize(static_cast<std::size_t>(plan.endChosen + 300));
    return plan;
}

TEST(PlayRunner, EveryStageIsEnteredFromTheStageSelectFlownPausedRetriedAndQuit) {
    const Plan plan = MakePlan({{0, false}, {1, false}, {2, true}, {3, false}, {4, false}});
    RunSpec spec;
    spec.input = plan.script.words;
    spec.frameLimit = static_cast<i64>(plan.script.words.size());
    for (const VisitPlan& v : plan.visits)
        for (const Flight& f : v.flights) spec.shotFrames.push_back(f.photo);
    const i64 pausePhoto = plan.visits[0].flights[0].pause + 50;
    spec.shotFrames.push_back(pausePhoto);
    const RunResult r = RunGame(spec);
    ASSERT_FALSE(r.rows.empty());

    for (const VisitPlan& v : plan.visits) {
        SCOPED_TRACE("stage index " + std::to_string(v.stage));
        // The stage select leaves the title for the play scene with the stage chosen.
        const FrameRow* enter = FindRow(
            r.rows, [](const FrameRow& row) { return row.sceneBefore == kSceneTitle && row.sceneAfter == kScenePlay; },
            v.select);
        ASSERT_NE(enter, nullptr);
        EXPECT_LT(enter->frame, v.flights[0].start);
        EXPECT_EQ(enter->stageIndex, v.stage);
        EXPECT_EQ(enter->startKind, kStartStageSelect);
        EXPECT_EQ(enter->gameMode, kGameModeNormal);
        EXPECT_EQ(enter->difficulty, 0);
        for (const Flight& f : v.flights) {
            const FrameRow& first = RowAt(r, f.start);
            const FrameRow& last = RowAt(r, f.photo);
            EXPECT_EQ(first.sceneBefore, kScenePlay);
            EXPECT_EQ(last.sceneBefore, kScenePlay);
            EXPECT_EQ(last.stageIndex, v.stage);
            // The play frame runs every frame and the background scrolls.
            EXPECT_EQ(last.frameCounter - first.frameCounter, f.photo - f.start);
            EXPECT_NE(last.scrollY, first.scrollY);
            // The player flew left, then up: the gun fired on the way.
            EXPECT_LT(RowAt(r, f.start + 59).x, first.x);
            EXPECT_LT(RowAt(r, f.start + 99).y, RowAt(r, f.start + 60).y);
            EXPECT_GT(RowAt(r, f.start + 59).shots, 0);
            EXPECT_EQ(last.lives, 3);
            EXPECT_TRUE(ShotMatches(r, f.photo,
                                    "runner_stage" + std::to_string(v.stage + 1) + (f.retry ? "_before_retry" : "")));
            // The pause menu holds the frame counter from T to the decision.
            const i32 held = RowAt(r, f.pause).frameCounter;
            for (i64 frame = f.pause; frame <= f.decide; ++frame) {
                const FrameRow& row = RowAt(r, frame);
                EXPECT_EQ(row.pauseActive, 1) << frame;
                EXPECT_EQ(row.frameCounter, held) << frame;
            }
            // The decision closes the stage: the next scene change goes to the
            // title for quit; a retry loads the same stage again in the play scene.
            const FrameRow* change = FindRow(
                r.rows, [](const FrameRow& row) { return row.sceneBefore != row.sceneAfter; }, f.decide);
            const FrameRow* reload = FindRow(
                r.rows, [](const FrameRow& row) { return row.sceneBefore == kScenePlay && row.frameCounter <= 1; },
                f.decide);
            if (f.retry) {
                ASSERT_NE(reload, nullptr);
                ASSERT_NE(change, nullptr);
                EXPECT_LT(reload->frame, change->frame);
                EXPECT_EQ(reload->stageIndex, v.stage);
                EXPECT_EQ(reload->lives, 3);
                EXPECT_LT(reload->frame, f.decide + 110);
            } else {
                ASSERT_NE(change, nullptr);
                EXPECT_EQ(change->sceneAfter, kSceneTitle);
                EXPECT_LT(change->frame, f.decide + kTitleAfterQuit);
            }
        }
    }
    EXPECT_TRUE(ShotMatches(r, pausePhoto, "runner_pause_menu"));
    // The title's last entry ends the program before the frame limit.
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.rows.back().sceneBefore, kSceneTitle);
    EXPECT_LT(r.rows.back().frame, spec.frameLimit);
    EXPECT_GT(r.rows.back().frame, plan.endChosen);
}

// Without progress, the stage select refuses a stage not yet cleared and the
// title stays.
TEST(PlayRunner, StageSelectRefusesALockedStage) {
    const Plan plan = MakePlan({{3, false}});
    RunSpec spec;
    spec.unlockAll = false;
    spec.input = plan.script.words;
    spec.frameLimit = plan.visits[0].select + 200;
    const RunResult r = RunGame(spec);
    ASSERT_FALSE(r.rows.empty());
    EXPECT_EQ(r.rows.back().frame, spec.frameLimit);
    EXPECT_EQ(FindRow(r.rows, [](const FrameRow& row) { return row.sceneAfter == kScenePlay; }), nullptr);
    EXPECT_EQ(r.rows.back().sceneBefore, kSceneTitle);
}

namespace fs = std::filesystem;

void WriteBytes(const fs::path& path, const std::vector<u8>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The built program itself, linked into a folder of its own (it finds its
// data and save files beside itself) with the sample data, a settings file
// and a progress file that unlocks every stage: the last stage is chosen in
// the stage select, flown, quit from the pause menu, and the title's last
// entry ends the program.
TEST(ProgramRunner, TheLastStageIsChosenFlownAndQuitAndTheProgramEndsFromTheTitle) {
    testing_support::ProgramFolder folder;
    const fs::path& dir = folder.dir();
    ConfigData config = DefaultConfigData();
    config.fullScreen = 0;
    config.showBootDialog = 0;
    WriteBytes(dir / "config.dat", EncodeConfigData(config));
    SystemData progress = DefaultSystemData();
    for (auto& row : progress.StageProgress)
        for (u8& s : row) s = 1;
    fs::create_directory(dir / "system");
    WriteBytes(dir / "system" / "system.dat", EncodeSystemData(progress));

    const Plan plan = MakePlan({{4, false}});
    const Flight& flight = plan.visits[0].flights[0];
    WriteInputFile(dir / "input.bin", plan.script.words);
    const fs::path shots = dir / "shots";
    const i64 limit = static_cast<i64>(plan.script.words.size());
    const testing_support::ProgramResult run =
        folder.Run({"--frames", std::to_string(limit), "--input", "input.bin", "--screenshot-at",
                    std::to_string(flight.photo) + "," + std::to_string(flight.decide + kTitleAfterQuit) + "," +
                        std::to_string(limit),
                    "--screenshot-dir", shots.string()});
    ASSERT_EQ(run.exitCode, 0) << run;
    // The flight over the last stage's background, as the program drew it.
    std::int32_t w = 0, h = 0;
    std::vector<std::uint8_t> bgra;
    std::string error;
    ASSERT_TRUE(platform::LoadImageFileBgra(ScreenshotPath(shots.string(), flight.photo).c_str(), w, h, bgra, error))
        << error << run;
    testing_support::FrameView view{bgra.data(), w * 4, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h),
                                    platform::gfx::D3DFMT_A8R8G8B8};
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "program_stage5_flight", view));
    // Back on the title after the quit; the program ended before the frame limit.
    ASSERT_TRUE(platform::LoadImageFileBgra(ScreenshotPath(shots.string(), flight.decide + kTitleAfterQuit).c_str(), w,
                                            h, bgra, error))
        << error << run;
    view.bits = bgra.data();
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "program_title_after_quit", view));
    EXPECT_FALSE(fs::exists(ScreenshotPath(shots.string(), limit))) << run;
}

}  // namespace
