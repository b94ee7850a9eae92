// GameMain's program-start reset: every scene's record goes back to the
// values a new program starts with, the ones its entry leaves alone (values
// kept across visits, a request from another scene) as well as the ones it
// sets again.
#include <gtest/gtest.h>

#include <functional>

#include "game/shell/config_scene.h"
#include "game/shell/ending_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/memory_scene.h"
#include "game/shell/ranking_scene.h"
#include "game/shell/report_scene.h"
#include "game/shell/result_scene.h"
#include "game/shell/title_scene.h"

namespace {

struct SceneRecordCase {
    const char* scene;
    std::function<void()> dirty;    // what an earlier run could have left
    std::function<bool()> atStart;  // every dirtied value back at its start value
};

TEST(ProgramStart, SetsEverySceneRecordBackAsANewProgramHasIt) {
    const SceneRecordCase cases[] = {
        {"logo",
         [] {
             g_Logo.LogoState = kLogoTitleOut;
             g_Logo.LogoKeyStates[kKeyZ] = kKeyHeld;
         },
         [] { return g_Logo.LogoState == kLogoNotice && g_Logo.LogoKeyStates[kKeyZ] == 0; }},
        // clang-format off
        {"title",
         [] { g_Title.TitleSpinCounter = 200; },
         [] { return g_Title.TitleSpinCounter == 0; }},
        {"replay browser",
         [] { g_Memory.MemoryScrollX = 33; },
         [] { return g_Memory.MemoryScrollX == 0; }},
        {"stage report",
         [] { g_Report.ReportKeys[kKeyX] = kKeyHeld; },
         [] { return g_Report.ReportKeys[kKeyX] == 0; }},
        {"result",
         [] { g_Result.ResultScore = 123456; },
         [] { return g_Result.ResultScore == 0; }},
        {"ranking",
         [] { g_Ranking.RankingKeys[kKeyZ] = kKeyHeld; },
         [] { return g_Ranking.RankingKeys[kKeyZ] == 0; }},
        // clang-format on
        {"settings",
         [] {
             g_Config.ConfigPanelTimer = -30;
             g_Config.ConfigScrollY = 90;
             g_Config.ConfigKeyState[kKeyZ] = kKeyHeld;
             g_Config.ConfigButtonStates[3] = kKeyHeld;
         },
         [] {
             return g_Config.ConfigPanelTimer == 0 && g_Config.ConfigScrollY == 0 &&
                    g_Config.ConfigKeyState[kKeyZ] == 0 && g_Config.ConfigButtonStates[3] == 0;
         }},
        {"ending",
         [] {
             g_Ending.EndingRequest = kEndingAfterRun;
             g_Ending.EndingKeyState[kKeyZ] = kKeyHeld;
             g_Ending.EndingNumber = 7;
         },
         [] {
             return g_Ending.EndingRequest == 0 && g_Ending.EndingKeyState[kKeyZ] == 0 && g_Ending.EndingNumber == 1 &&
                    g_Ending.EndingFrameCount == kEndingFrameStart;
         }},
    };
    for (const SceneRecordCase& c : cases) c.dirty();
    ResetProgramState();
    for (const SceneRecordCase& c : cases) EXPECT_TRUE(c.atStart()) << c.scene;
}

}  // namespace
