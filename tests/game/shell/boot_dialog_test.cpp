#include "game/shell/boot_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/shell/save_files.h"
#include "platform/window.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::Dialog;
using platform::DialogKey;

class BootDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        g_ConfigData = DefaultConfigData();
        g_BootDialogState = BootDialogState{};
    }
    void TearDown() override { std::filesystem::current_path(old_); }

    int Index(int id) const {
        const auto& controls = BootDialogTemplate().controls;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (controls[i].id == id) return static_cast<int>(i);
        }
        return -1;
    }
    static std::vector<u8> ConfigFile() {
        std::ifstream in("config.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    testing_support::TempDir dir_;
    std::filesystem::path old_;
    Dialog dialog_{BootDialogTemplate(), BootOptionsDialogProc};
};

TEST_F(BootDialogTest, TemplateHoldsTheControlsAndTexts) {
    const platform::DialogTemplate& t = BootDialogTemplate();
    EXPECT_EQ(t.caption, "起動オプション");
    EXPECT_EQ(t.width, 115);
    EXPECT_EQ(t.height, 143);
    ASSERT_EQ(t.controls.size(), 8u);
    EXPECT_EQ(t.controls[Index(kBootDoNotShow)].text, "このダイアログを表示しない");
    EXPECT_EQ(t.controls[Index(kBootStart)].text, "起動");
    EXPECT_EQ(t.controls[Index(kBootStart)].kind, platform::DialogControlKind::DefaultPushButton);
    EXPECT_EQ(t.controls[Index(kBootFullScreen)].text, "フルスクリーンモード");
}

TEST_F(BootDialogTest, InitShowsTheSettings) {
    struct Case {
        u8 fullScreen, screen, textures, show;
    };
    for (const Case& c : {Case{1, 1, 1, 1}, Case{0, 0, 1, 0}, Case{0, 1, 0, 1}}) {
        g_ConfigData.fullScreen = c.fullScreen;
        g_ConfigData.fullColourScreen = c.screen;
        g_ConfigData.fullColourTextures = c.textures;
        g_ConfigData.showBootDialog = c.show;
        Dialog d(BootDialogTemplate(), BootOptionsDialogProc);
        EXPECT_EQ(BootOptionsDialogProc(&d, platform::WM_INITDIALOG, 0, 0), 1);
        EXPECT_TRUE(d.Centred());
        EXPECT_EQ(d.IsButtonChecked(kBootWindowed), c.fullScreen == 0);
        EXPECT_EQ(d.IsButtonChecked(kBootFullScreen), c.fullScreen != 0);
        EXPECT_EQ(d.IsButtonChecked(kBootFullColourScreen), c.screen != 0);
        EXPECT_EQ(d.IsButtonChecked(kBootFullColourTextures), c.textures != 0);
        EXPECT_EQ(d.IsButtonChecked(kBootDoNotShow), c.show == 0);
        EXPECT_EQ(g_BootDialogState.windowed, c.fullScreen ? 0 : 1);
        EXPECT_EQ(g_BootDialogState.doNotShow, c.show ? 0 : 1);
    }
}

TEST_F(BootDialogTest, StartStoresTheChoicesAndWritesTheFile) {
    dialog_.Start();
    dialog_.Click(Index(kBootFullColourScreen));  // off
    dialog_.Click(Index(kBootWindowed));
    dialog_.Click(Index(kBootDoNotShow));  // on
    EXPECT_EQ(g_BootDialogState.fullColourScreen, 0);
    EXPECT_EQ(g_BootDialogState.windowed, 1);
    EXPECT_EQ(g_BootDialogState.doNotShow, 1);
    EXPECT_FALSE(std::filesystem::exists("config.dat"));  // nothing written before "起動"
    dialog_.Key(DialogKey::Enter);
    EXPECT_TRUE(dialog_.Ended());
    EXPECT_EQ(dialog_.Result(), 0);
    EXPECT_EQ(g_ConfigData.fullScreen, 0);
    EXPECT_EQ(g_ConfigData.fullColourScreen, 0);
    EXPECT_EQ(g_ConfigData.fullColourTextures, 1);
    EXPECT_EQ(g_ConfigData.showBootDialog, 0);
    const std::vector<u8> file = ConfigFile();
    ASSERT_EQ(file.size(), 84u);
    EXPECT_EQ(file[0], 0);
    EXPECT_EQ(file[1], 0);
    EXPECT_EQ(file[2], 1);
    EXPECT_EQ(file[5], 0);
}

TEST_F(BootDialogTest, ClosingKeepsTheSettingsAndTheFile) {
    const ConfigData before = g_ConfigData;
    dialog_.Start();
    dialog_.Click(Index(kBootFullColourTextures));
    dialog_.Click(Index(kBootWindowed));
    dialog_.Key(DialogKey::Escape);
    EXPECT_TRUE(dialog_.Ended());
    EXPECT_EQ(EncodeConfigData(g_ConfigData), EncodeConfigData(before));
    EXPECT_FALSE(std::filesystem::exists("config.dat"));
}

TEST_F(BootDialogTest, KeyboardOnlyChoosesFullScreenAgain) {
    g_ConfigData.fullScreen = 0;
    dialog_.Start();
    // Tab to the checked radio button (windowed), Down selects full screen.
    dialog_.Key(DialogKey::Tab);
    dialog_.Key(DialogKey::Tab);
    dialog_.Key(DialogKey::Down);
    EXPECT_TRUE(dialog_.IsButtonChecked(kBootFullScreen));
    EXPECT_FALSE(dialog_.IsButtonChecked(kBootWindowed));
    dialog_.Key(DialogKey::Tab);  // the do-not-show box
    dialog_.Key(DialogKey::Space);
    dialog_.Key(DialogKey::Tab);
    dialog_.Key(DialogKey::Space);  // "起動" has the focus
    EXPECT_TRUE(dialog_.Ended());
    EXPECT_EQ(g_ConfigData.fullScreen, 1);
    EXPECT_EQ(g_ConfigData.showBootDialog, 0);
}

TEST_F(BootDialogTest, OtherMessagesAndCommandsDoNothing) {
    dialog_.Start();
    const BootDialogState before = g_BootDialogState;
    EXPECT_EQ(BootOptionsDialogProc(&dialog_, platform::WM_COMMAND, 1234, 0), 0);
    EXPECT_EQ(BootOptionsDialogProc(&dialog_, 0x0200, 0, 0), 0);
    EXPECT_EQ(g_BootDialogState.windowed, before.windowed);
    EXPECT_FALSE(dialog_.Ended());
}

TEST_F(BootDialogTest, NeverShownWithoutSomeoneToAnswer) {
    // The test programs run on the dummy video driver (and often without a
    // display): the dialog is not shown and the settings stay.
    EXPECT_EQ(RunBootOptionsDialog(), -1);
    EXPECT_EQ(g_ConfigData.showBootDialog, 1);
}

}  // namespace
