#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/window.h"

namespace {

using platform::Dialog;
using platform::DialogControlKind;
using platform::DialogKey;

struct Seen {
    std::uint32_t message;
    int id;
};
std::vector<Seen> g_seen;

std::intptr_t Recorder(Dialog* dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    g_seen.push_back({message, platform::LowWord(wParam)});
    if (message == platform::WM_INITDIALOG) {
        platform::CheckDlgButton(dialog, 20, true);  // second radio button
        return 1;
    }
    if (message == platform::WM_COMMAND && platform::LowWord(wParam) == 99) dialog->Send(platform::WM_CLOSE);
    return 0;
}

// Two boxes: a check box and two radio buttons, then a loose check box and a
// default button.
platform::DialogTemplate Sample() {
    return {"t",
            100,
            100,
            {
                {-1, DialogControlKind::GroupBox, "a", 0, 0, 50, 20},
                {10, DialogControlKind::CheckBox, "c", 1, 5, 40, 10},
                {-1, DialogControlKind::GroupBox, "b", 0, 30, 50, 30},
                {19, DialogControlKind::RadioButton, "r1", 1, 35, 40, 10},
                {20, DialogControlKind::RadioButton, "r2", 1, 46, 40, 10},
                {30, DialogControlKind::CheckBox, "loose", 0, 70, 50, 10},
                {99, DialogControlKind::DefaultPushButton, "go", 50, 85, 40, 10},
            }};
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { g_seen.clear(); }
    Dialog dialog_{Sample(), Recorder};
};

TEST_F(DialogTest, StartSendsInitAndFocusesTheFirstControl) {
    dialog_.Start();
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, platform::WM_INITDIALOG);
    EXPECT_EQ(dialog_.Focus(), 1);
    EXPECT_TRUE(dialog_.IsButtonChecked(20));
    EXPECT_FALSE(dialog_.Ended());
}

TEST_F(DialogTest, ClicksToggleCheckBoxesAndSelectRadioButtonsBeforeTheCommand) {
    dialog_.Start();
    dialog_.Click(1);
    EXPECT_TRUE(dialog_.IsButtonChecked(10));
    EXPECT_EQ(g_seen.back().message, platform::WM_COMMAND);
    EXPECT_EQ(g_seen.back().id, 10);
    dialog_.Click(1);
    EXPECT_FALSE(dialog_.IsButtonChecked(10));
    dialog_.Click(3);
    EXPECT_TRUE(dialog_.IsButtonChecked(19));
    EXPECT_FALSE(dialog_.IsButtonChecked(20));
    EXPECT_EQ(dialog_.Focus(), 3);
    const std::size_t before = g_seen.size();
    dialog_.Click(0);  // a group box sends nothing
    EXPECT_EQ(g_seen.size(), before);
}

TEST_F(DialogTest, TabVisitsOnlyTheCheckedRadioButton) {
    dialog_.Start();
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) {
        dialog_.Key(DialogKey::Tab);
        order.push_back(dialog_.Focus());
    }
    EXPECT_EQ(order, (std::vector<int>{4, 5, 6, 1, 4}));
    dialog_.Key(DialogKey::ShiftTab);
    EXPECT_EQ(dialog_.Focus(), 1);
}

TEST_F(DialogTest, ArrowsMoveWithinTheGroupAndSelectRadioButtons) {
    dialog_.Start();
    dialog_.Key(DialogKey::Tab);  // the checked radio button, r2
    dialog_.Key(DialogKey::Up);
    EXPECT_EQ(dialog_.Focus(), 3);
    EXPECT_TRUE(dialog_.IsButtonChecked(19));
    EXPECT_FALSE(dialog_.IsButtonChecked(20));
    EXPECT_EQ(g_seen.back().id, 19);
    dialog_.Key(DialogKey::Up);  // wraps inside the group
    EXPECT_EQ(dialog_.Focus(), 4);
    EXPECT_TRUE(dialog_.IsButtonChecked(20));
    // Outside every group the arrows move as Tab does.
    dialog_.Key(DialogKey::Tab);
    EXPECT_EQ(dialog_.Focus(), 5);
    dialog_.Key(DialogKey::Down);
    EXPECT_EQ(dialog_.Focus(), 6);
}

TEST_F(DialogTest, SpaceEnterAndEscape) {
    dialog_.Start();
    dialog_.Key(DialogKey::Space);
    EXPECT_TRUE(dialog_.IsButtonChecked(10));
    dialog_.Key(DialogKey::Enter);  // the default button, whatever has the focus
    EXPECT_EQ(g_seen[g_seen.size() - 2].id, 99);
    EXPECT_EQ(g_seen.back().message, platform::WM_CLOSE);
    EXPECT_TRUE(dialog_.Ended());
    EXPECT_EQ(dialog_.Result(), 0);
    const std::size_t before = g_seen.size();
    dialog_.Key(DialogKey::Space);  // an ended dialog takes nothing more
    EXPECT_EQ(g_seen.size(), before);

    Dialog other(Sample(), Recorder);
    other.Start();
    other.Key(DialogKey::Escape);
    EXPECT_TRUE(other.Ended());
    EXPECT_EQ(g_seen.back().message, platform::WM_CLOSE);
}

TEST_F(DialogTest, ControlAtFindsControlsNotGroupBoxes) {
    EXPECT_EQ(dialog_.ControlAt(2, 6), 1);
    EXPECT_EQ(dialog_.ControlAt(45, 2), -1);  // inside the box only
    EXPECT_EQ(dialog_.ControlAt(60, 90), 6);
    EXPECT_EQ(dialog_.ControlAt(99, 99), -1);
}

TEST_F(DialogTest, PictureShowsTheControls) {
    dialog_.Start();
    const platform::DialogPicture before = platform::RenderDialogPicture(dialog_);
    ASSERT_GT(before.width, 0);
    ASSERT_EQ(before.pixels.size(), static_cast<std::size_t>(before.width) * before.height);
    dialog_.Click(1);
    const platform::DialogPicture after = platform::RenderDialogPicture(dialog_);
    EXPECT_NE(before.pixels, after.pixels);  // the tick is drawn
    if (!platform::FindDialogFont().empty()) {
        EXPECT_TRUE(after.hasText);
    }
}

TEST(DialogRun, IsNotShownOnTheDummyDriver) {
    // The tests run on SDL's dummy video driver: nobody could answer.
    g_seen.clear();
    EXPECT_EQ(platform::RunDialog(Sample(), Recorder), -1);
    EXPECT_TRUE(g_seen.empty());
}

}  // namespace
