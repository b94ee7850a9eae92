// The logo scene's steps frame by frame without drawing: the draw steps the
// transition before the input is read and the state steps.
#include <gtest/gtest.h>

#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/transition.h"

namespace {

class LogoSteps : public ::testing::Test {
protected:
    void SetUp() override {
        TransitionState = Transition{};
        for (i32& k : g_Logo.LogoKeyStates) k = 0;
        g_Logo.LogoState = kLogoNotice;
        g_Logo.LogoTimer = 0;
        g_Logo.LogoSkipRequested = 0;
        g_Logo.LogoLeaveRequested = 0;
        StartTransition(kTransitionFadeUncover);
        CurrentScene = kSceneLogo;
        SceneInitRequest = 0;
        frames_ = 0;
    }

    void Frame(u16 word = 0) {
        AdvanceTransition();
        u8 bits[2];
        InputBytes(word, bits);
        UpdateKeyStates(bits, g_Logo.LogoKeyStates);
        StepLogo();
        if (g_Logo.LogoLeaveRequested) LeaveLogo();
        ++frames_;
    }
    // Frames until the state is `state` (or the scene left).
    int Until(i32 state) {
        const int start = frames_;
        while (g_Logo.LogoState != state && CurrentScene == kSceneLogo && frames_ - start < 5000) Frame();
        return frames_ - start;
    }
    void UntilLeft() {
        while (CurrentScene == kSceneLogo && frames_ < 5000) Frame();
    }

    int frames_ = 0;
};

TEST_F(LogoSteps, RunsThroughEveryPictureWithoutInput) {
    EXPECT_EQ(Until(kLogoMaker1), 101);  // the notice stays 101 frames
    EXPECT_EQ(TransitionState.kind, kTransitionFadeUncover);
    EXPECT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(Until(kLogoMaker1Out), 171);
    EXPECT_EQ(TransitionState.kind, kTransitionFadeCover);
    EXPECT_EQ(Until(kLogoMaker2), 52);  // 51 updates and the clearing draw
    EXPECT_EQ(Until(kLogoMaker2Out), 171);
    EXPECT_EQ(Until(kLogoTitle), 52);
    EXPECT_EQ(Until(kLogoTitleOut), 201);
    EXPECT_EQ(TransitionState.kind, kTransitionBricksCover);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(PreviousScene, kSceneLogo);
    EXPECT_EQ(SceneInitRequest, 1);
}

TEST_F(LogoSteps, ZDuringTheNoticeDoesNothing) {
    for (int i = 0; i < 50; ++i) {
        Frame(i % 2 ? 0 : kInputZ);
        EXPECT_EQ(g_Logo.LogoSkipRequested, 0);
    }
    EXPECT_EQ(g_Logo.LogoState, kLogoNotice);
}

TEST_F(LogoSteps, ZDuringALogoWipesToTheTitleOnce) {
    Until(kLogoMaker2);
    Frame();
    Frame(kInputZ);
    EXPECT_EQ(g_Logo.LogoSkipRequested, 1);
    EXPECT_EQ(TransitionState.kind, kTransitionBricksCover);
    const i32 timer = g_Logo.LogoTimer;
    for (int i = 0; i < 30; ++i) Frame(i % 2 ? kInputZ : 0);  // more presses restart nothing
    EXPECT_EQ(g_Logo.LogoTimer, timer);                       // the timer stands still
    EXPECT_EQ(g_Logo.LogoState, kLogoMaker2);
    int left = 30;
    while (CurrentScene == kSceneLogo) {
        Frame();
        ++left;
    }
    EXPECT_EQ(left, 96);  // the wipe's 95 updates and its clearing draw
    EXPECT_EQ(CurrentScene, kSceneTitle);
}

TEST_F(LogoSteps, HoldingZFromTheStartSkipsNothing) {
    for (int i = 0; i < 400; ++i) Frame(kInputZ);  // pressed during the notice, then held
    EXPECT_EQ(g_Logo.LogoSkipRequested, 0);
    EXPECT_EQ(g_Logo.LogoState, kLogoMaker2);
}

TEST_F(LogoSteps, ZDuringTheLastWipeChangesNothing) {
    Until(kLogoTitleOut);
    Frame(kInputZ);
    EXPECT_EQ(g_Logo.LogoSkipRequested, 0);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kSceneTitle);
}

TEST_F(LogoSteps, PictureFollowsTheState) {
    struct Case {
        i32 state;
        Surface* LogoImages::*image;
    };
    LogoImages fake;
    fake.maker1 = reinterpret_cast<Surface*>(0x10);
    fake.maker2 = reinterpret_cast<Surface*>(0x20);
    fake.title = reinterpret_cast<Surface*>(0x30);
    g_Logo.images = fake;
    for (const Case& c : {Case{10, &LogoImages::maker1}, Case{15, &LogoImages::maker1}, Case{20, &LogoImages::maker2},
                          Case{25, &LogoImages::maker2}, Case{90, &LogoImages::title}, Case{95, &LogoImages::title}}) {
        g_Logo.LogoState = c.state;
        EXPECT_EQ(LogoPicture(), fake.*c.image) << c.state;
    }
    g_Logo.LogoState = kLogoNotice;
    EXPECT_EQ(LogoPicture(), nullptr);
    g_Logo.images = LogoImages{};
}

}  // namespace
