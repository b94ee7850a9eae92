#include "game/play/talk.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/shell/play_state.h"
#include "game/play/records.h"
#include "game/play/talk_events.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"

namespace {

constexpr i32 kTalkSound = 22;

class TalkTest : public testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetPlayLists();
        g_TalkState = TalkState{};
        g_ConfigData.showTalk = 1;
        RearmSoundEffectGates();
    }
    void TearDown() override {
        g_TalkState = TalkState{};
        ResetGameState();
        RearmSoundEffectGates();
    }

    static bool SoundPlayed() { return SoundEffectGates[kTalkSound] == 0; }
    static i32 FlagsSet() {
        i32 n = 0;
        for (u8 f : g_GameState.StoryFlags) n += f != 0;
        return n;
    }
    // Updates until the talk ends; the number of updates it took.
    static i32 RunToEnd() {
        i32 frames = 0;
        while (g_TalkState.active != 0 && frames < 100000) {
            UpdateTalk();
            ++frames;
        }
        return frames;
    }
};

void Start(TalkEntry entry, i32 id) {
    switch (entry) {
        case kTalkEntryMain: StartTalkEvent(id); break;
        case kTalkEntry300: StartTalkEvent300(id); break;
        case kTalkEntry400: StartTalkEvent400(id); break;
        case kTalkEntry500: StartTalkEvent500(id); break;
    }
}

TEST_F(TalkTest, StartQueuesTheLinesAndTheClosingLine) {
    g_TalkState.speechSheet = 5;
    StartTalkEvent(106);  // priority 5, speech image 2, flag 10, lines of 300 and 150, closing 100
    const TalkState& t = g_TalkState;
    EXPECT_EQ(t.active, 1);
    EXPECT_EQ(t.eventId, 106);
    EXPECT_EQ(t.priority, 5);
    EXPECT_EQ(t.lineIndex, 0);
    EXPECT_EQ(t.lineFrame, 0);
    EXPECT_EQ(t.speechSheet, 2);
    ASSERT_EQ(t.lines.size(), 3u);
    EXPECT_EQ(t.lines[0].face[kTalkRight], 14);
    EXPECT_EQ(t.lines[0].speechCell[kTalkRight], 5);
    EXPECT_EQ(t.lines[0].balloon[kTalkRight], 3);
    EXPECT_EQ(t.lines[0].bright[kTalkRight], 1);
    EXPECT_EQ(t.lines[0].bright[kTalkLeft], 0);
    EXPECT_EQ(t.lines[0].duration, 300);
    EXPECT_EQ(t.lines[1].face[kTalkRight], 8);
    EXPECT_EQ(t.lines[1].duration, 150);
    const TalkLine& closing = t.lines[2];
    for (i32 side = 0; side < 2; ++side) {
        EXPECT_EQ(closing.bright[side], 0);
        EXPECT_EQ(closing.face[side], -1);
        EXPECT_EQ(closing.speechCell[side], -1);
        EXPECT_EQ(closing.balloon[side], -1);
    }
    EXPECT_EQ(closing.duration, 100);
    EXPECT_EQ(g_GameState.StoryFlags[10], 1);
    EXPECT_TRUE(SoundPlayed());
}

struct PriorityCase {
    const char* name;
    i32 first;   // event of StartTalkEvent started first
    i32 second;  // started next
    bool secondWins;
};

// 110 and 131: priority 10; 122: 8; 102, 103: 6; 101, 104: 5; 124: 4; 120: 3.
const PriorityCase kPriorityCases[] = {
    // clang-format off
    {"lower is refused", 110, 101, false},
    {"one lower is refused", 103, 104, false},
    {"equal replaces", 101, 104, true},
    {"equal top priority replaces", 110, 131, true},
    {"higher replaces", 120, 122, true},
    {"higher replaces a mid one", 124, 102, true},
    // clang-format on
};

TEST_F(TalkTest, PriorityDecidesBetweenTwoStartsInOneFrame) {
    for (const PriorityCase& c : kPriorityCases) {
        SCOPED_TRACE(c.name);
        SetUp();
        StartTalkEvent(c.first);
        const std::vector<TalkLine> firstLines = g_TalkState.lines;
        const StoryFlagArray firstFlags = g_GameState.StoryFlags;
        RearmSoundEffectGates();
        StartTalkEvent(c.second);
        if (c.secondWins) {
            EXPECT_EQ(g_TalkState.eventId, c.second);
            EXPECT_EQ(g_TalkState.priority, FindTalkEvent(kTalkEntryMain, c.second)->priority);
            EXPECT_TRUE(SoundPlayed());
        } else {
            EXPECT_EQ(g_TalkState.eventId, c.first);
            EXPECT_EQ(g_TalkState.priority, FindTalkEvent(kTalkEntryMain, c.first)->priority);
            EXPECT_EQ(g_TalkState.lines.size(), firstLines.size());
            EXPECT_EQ(g_GameState.StoryFlags, firstFlags);  // the refused event's flags are not set
            EXPECT_FALSE(SoundPlayed());
        }
        EXPECT_EQ(g_TalkState.active, 1);
    }
}

TEST_F(TalkTest, ReplacementRestartsAtTheFirstLine) {
    StartTalkEvent(101);
    for (i32 i = 0; i < 200; ++i) UpdateTalk();
    ASSERT_EQ(g_TalkState.lineIndex, 1);
    StartTalkEvent(102);  // priority 6 over 5
    EXPECT_EQ(g_TalkState.eventId, 102);
    EXPECT_EQ(g_TalkState.lineIndex, 0);
    EXPECT_EQ(g_TalkState.lineFrame, 0);
    EXPECT_EQ(g_TalkState.lines.size(), 2u);
    EXPECT_EQ(g_GameState.StoryFlags[5], 1);
}

TEST_F(TalkTest, AnEndedTalkRefusesNothing) {
    StartTalkEvent(110);  // priority 10
    RunToEnd();
    ASSERT_EQ(g_TalkState.active, 0);
    ASSERT_EQ(g_TalkState.priority, 10);
    StartTalkEvent(120);  // priority 3
    EXPECT_EQ(g_TalkState.active, 1);
    EXPECT_EQ(g_TalkState.eventId, 120);
}

// Event 106: lines of 300 and 150 frames, closing line 100. A line of
// duration D is shown for D + 1 updates.
TEST_F(TalkTest, LineTimingFrameByFrame) {
    StartTalkEvent(106);
    struct Step {
        i32 updates;  // total updates so far
        i32 active, lineIndex, lineFrame;
    };
    const Step steps[] = {
        {1, 1, 0, 1},   {300, 1, 0, 300}, {301, 1, 1, 0}, {302, 1, 1, 1}, {451, 1, 1, 150},
        {452, 1, 2, 0}, {552, 1, 2, 100}, {553, 0, 3, 0}, {600, 0, 3, 0},
    };
    i32 done = 0;
    for (const Step& s : steps) {
        while (done < s.updates) {
            UpdateTalk();
            ++done;
        }
        SCOPED_TRACE(testing::Message() << "after " << s.updates << " updates");
        EXPECT_EQ(g_TalkState.active, s.active);
        EXPECT_EQ(g_TalkState.lineIndex, s.lineIndex);
        EXPECT_EQ(g_TalkState.lineFrame, s.lineFrame);
    }
    EXPECT_EQ(g_TalkState.eventId, 106);  // the last event's id stays
}

// Every event, shown and hidden: the same number of frames, sum of (D + 1)
// over its lines and the closing line, and the same story flags.
TEST_F(TalkTest, EveryEventRunsItsFramesWhetherShownOrNot) {
    for (const TalkEventData& e : TalkEventTable()) {
        i32 expected = e.closingDuration + 1;
        for (const TalkLineData& line : TalkEventLines(e)) expected += line.duration + 1;
        StoryFlagArray flags[2];
        for (u8 shown : {u8{1}, u8{0}}) {
            SCOPED_TRACE(testing::Message()
                         << "entry " << int(e.entry) << " event " << e.id << " shown " << int(shown));
            SetUp();
            g_ConfigData.showTalk = shown;
            Start(e.entry, e.id);
            ASSERT_EQ(g_TalkState.active, 1);
            EXPECT_EQ(g_TalkState.eventId, e.id);
            EXPECT_EQ(SoundPlayed(), shown != 0);
            EXPECT_EQ(RunToEnd(), expected);
            flags[shown] = g_GameState.StoryFlags;
        }
        EXPECT_EQ(flags[0], flags[1]);
    }
}

// Each kind of event: no flag, one flag, the bonus-dependent pair; and the
// talk setting never changes them.
TEST_F(TalkTest, StoryFlagsOfEachEventKind) {
    for (const TalkEventData& e : TalkEventTable()) {
        SCOPED_TRACE(testing::Message() << "entry " << int(e.entry) << " event " << e.id);
        SetUp();
        g_GameState.BonusCount = 5;
        Start(e.entry, e.id);
        i32 expected = 0;
        if (e.storyFlag >= 0) {
            EXPECT_EQ(g_GameState.StoryFlags[e.storyFlag], 1);
            ++expected;
        }
        if (e.bonusStoryFlag >= 0) {
            EXPECT_EQ(g_GameState.StoryFlags[e.bonusStoryFlag], 1);
            ++expected;
        }
        EXPECT_EQ(FlagsSet(), expected);
    }
}

TEST_F(TalkTest, Event386SetsFlag56OnlyWithThreeBonuses) {
    for (i32 bonus : {0, 2, 3, 4}) {
        SCOPED_TRACE(bonus);
        SetUp();
        g_ConfigData.showTalk = 0;
        g_GameState.BonusCount = bonus;
        StartTalkEvent300(386);
        EXPECT_EQ(g_GameState.StoryFlags[54], 1);
        EXPECT_EQ(g_GameState.StoryFlags[56], bonus >= 3 ? 1 : 0);
        EXPECT_EQ(FlagsSet(), bonus >= 3 ? 2 : 1);
    }
    // Through StartTalkEvent as well.
    SetUp();
    g_GameState.BonusCount = 3;
    StartTalkEvent(386);
    EXPECT_EQ(g_GameState.StoryFlags[56], 1);
}

TEST_F(TalkTest, RuntimeEventsKeepTheSpeechImage) {
    StartTalkEvent(112);  // speech image 3
    RunToEnd();
    StartTalkEvent(10);
    EXPECT_EQ(g_TalkState.speechSheet, 3);
    StartTalkEvent(11);  // priority 3 below 10's 10: refused
    EXPECT_EQ(g_TalkState.eventId, 10);
    RunToEnd();
    StartTalkEvent(11);
    EXPECT_EQ(g_TalkState.eventId, 11);
    EXPECT_EQ(g_TalkState.speechSheet, 3);
    EXPECT_EQ(g_GameState.StoryFlags[13], 1);
}

struct UnknownCase {
    TalkEntry entry;
    i32 id;
};
const UnknownCase kUnknownCases[] = {
    {kTalkEntryMain, 0},      {kTalkEntryMain, -5},  {kTalkEntryMain, 107}, {kTalkEntryMain, 229},
    {kTalkEntryMain, 299},    {kTalkEntryMain, 300}, {kTalkEntryMain, 401}, {kTalkEntryMain, 510},
    {kTalkEntryMain, 100000}, {kTalkEntry300, 101},  {kTalkEntry300, 309},  {kTalkEntry300, 401},
    {kTalkEntry300, 496},     {kTalkEntry400, 386},  {kTalkEntry400, 400},  {kTalkEntry400, 510},
    {kTalkEntry500, 401},     {kTalkEntry500, 501},  {kTalkEntry500, 550},  {kTalkEntry500, 10},
};

TEST_F(TalkTest, AnUnknownIdStartsNothing) {
    for (bool running : {false, true}) {
        for (const UnknownCase& c : kUnknownCases) {
            SCOPED_TRACE(testing::Message() << "entry " << int(c.entry) << " id " << c.id << " running " << running);
            SetUp();
            if (running) {
                StartTalkEvent(120);  // priority 3: any known event would replace it
                UpdateTalk();
                RearmSoundEffectGates();
            }
            const TalkState before = g_TalkState;
            const StoryFlagArray flags = g_GameState.StoryFlags;
            Start(c.entry, c.id);
            EXPECT_EQ(g_TalkState.active, before.active);
            EXPECT_EQ(g_TalkState.eventId, before.eventId);
            EXPECT_EQ(g_TalkState.priority, before.priority);
            EXPECT_EQ(g_TalkState.lineFrame, before.lineFrame);
            EXPECT_EQ(g_TalkState.speechSheet, before.speechSheet);
            EXPECT_EQ(g_TalkState.lines.size(), before.lines.size());
            EXPECT_EQ(g_GameState.StoryFlags, flags);
            EXPECT_FALSE(SoundPlayed());
        }
    }
}

TEST_F(TalkTest, TheEntryPointNamesEvent401) {
    StartTalkEvent400(401);
    EXPECT_EQ(g_TalkState.active, 1);
    EXPECT_EQ(g_TalkState.eventId, 401);
    EXPECT_EQ(g_TalkState.speechSheet, 7);
    ASSERT_EQ(g_TalkState.lines.size(), 3u);
    EXPECT_EQ(g_TalkState.lines[0].face[kTalkRight], 33);

    // StartTalkEvent hands 401 to StartTalkEvent300, never to StartTalkEvent400;
    // StartTalkEvent300 has no dialogue under 401.
    SetUp();
    StartTalkEvent(401);
    EXPECT_EQ(g_TalkState.active, 0);
    StartTalkEvent300(401);
    EXPECT_EQ(g_TalkState.active, 0);
    EXPECT_FALSE(SoundPlayed());

    // Ids of 300 and above reach StartTalkEvent300's events through StartTalkEvent.
    StartTalkEvent(301);
    EXPECT_EQ(g_TalkState.eventId, 301);
    EXPECT_EQ(g_TalkState.lines.size(), 5u);
}

// --- Drawing: the quads of a frame -------------------------------------------

TalkLine MakeLine(i32 side, i32 face, i32 text, i32 balloon, i32 bright, i32 duration = 150) {
    TalkLine line;
    line.face[side] = face;
    line.speechCell[side] = text;
    line.balloon[side] = balloon;
    line.bright[side] = bright;
    line.duration = duration;
    return line;
}

struct Box {
    i32 l, t, r, b;
};
void ExpectRect(const Rect& r, Box e) {
    EXPECT_EQ(r.left, e.l);
    EXPECT_EQ(r.top, e.t);
    EXPECT_EQ(r.right, e.r);
    EXPECT_EQ(r.bottom, e.b);
}

class TalkQuadTest : public TalkTest {
protected:
    std::vector<TalkQuad> At(i32 lineIndex, i32 frame) {
        talk.active = 1;
        talk.lineIndex = lineIndex;
        talk.lineFrame = frame;
        std::vector<TalkQuad> quads;
        CollectTalkQuads(talk, quads);
        return quads;
    }
    TalkState talk;
};

// A first line has no previous line: the face enters and the balloon opens.
TEST_F(TalkQuadTest, FirstLineEntersAndOpens) {
    talk.speechSheet = 4;
    talk.lines = {MakeLine(kTalkLeft, 17, 7, 2, 1)};
    struct Case {
        i32 frame, face, balloon, text;
    };
    // 60 sin(3f), 64 sin(3f), 50 sin(3f) truncated; full from frame 30. The
    // sine of 30 degrees is a hair below 1/2, so frame 10 is one short of half.
    const Case cases[] = {{0, 0, 0, 0},     {5, 15, 16, 12},  {10, 29, 31, 24},
                          {29, 59, 63, 49}, {30, 60, 64, 50}, {100, 60, 64, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        const std::vector<TalkQuad> q = At(0, c.frame);
        ASSERT_EQ(q.size(), 5u);
        // Face 17: second face image, cell 1.
        EXPECT_EQ(q[0].image, kTalkImageFace);
        EXPECT_EQ(q[0].sheet, 1);
        ExpectRect(q[0].source, {128, 0, 255, 127});
        ExpectRect(q[0].destination, {60 - c.face - 4, 314, 60 + c.face - 4, 434});
        EXPECT_EQ(q[0].colour, 0x64000000u);
        ExpectRect(q[1].destination, {60 - c.face, 310, 60 + c.face, 430});
        EXPECT_EQ(q[1].colour, 0xFFFFFFFFu);
        // Balloon column 2 of the window image, then text cell 7 of speech image 4.
        EXPECT_EQ(q[2].image, kTalkImageWindow);
        ExpectRect(q[2].source, {256, 0, 383, 255});
        ExpectRect(q[2].destination, {60 - c.balloon - 4, 74, 60 + c.balloon - 4, 330});
        EXPECT_EQ(q[2].colour, 0x64000000u);
        ExpectRect(q[3].destination, {60 - c.balloon, 70, 60 + c.balloon, 326});
        EXPECT_EQ(q[3].colour, 0xFFFFFFFFu);
        EXPECT_EQ(q[4].image, kTalkImageSpeech);
        EXPECT_EQ(q[4].sheet, 4);
        ExpectRect(q[4].source, {200, 240, 299, 479});
        ExpectRect(q[4].destination, {60 - c.text, 70, 60 + c.text, 310});
        EXPECT_EQ(q[4].colour, 0xFFFFFFFFu);
    }
}

// A face that leaves slides outward 2 px a frame while it narrows; the
// balloon closes the same way; both are drawn with the previous line's
// brightness.
TEST_F(TalkQuadTest, LeavingFaceAndClosingBalloonSlideOutward) {
    talk.lines = {MakeLine(kTalkRight, 46, 3, 1, 0), MakeLine(kTalkRight, -1, -1, -1, 1)};
    struct Case {
        i32 frame, face, balloon, text;
    };
    // 60 - 60 sin(3f), 64 - 64 sin(3f), 50 - 50 sin(3f).
    const Case cases[] = {{0, 60, 64, 50}, {10, 31, 33, 26}, {20, 9, 9, 7}, {29, 1, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        const std::vector<TalkQuad> q = At(1, c.frame);
        ASSERT_EQ(q.size(), 5u);
        const i32 cx = 580 + 2 * c.frame;
        // Face 46: third face image, cell 14.
        EXPECT_EQ(q[0].sheet, 2);
        ExpectRect(q[0].source, {256, 384, 383, 511});
        ExpectRect(q[0].destination, {cx - c.face + 4, 314, cx + c.face + 4, 434});
        ExpectRect(q[1].destination, {cx - c.face, 310, cx + c.face, 430});
        EXPECT_EQ(q[1].colour, 0xFF969696u);  // dim, as in the previous line
        // The right balloon is column 1 mirrored; the text is not.
        ExpectRect(q[2].source, {256, 0, 129, 255});
        ExpectRect(q[3].source, {256, 0, 129, 255});
        ExpectRect(q[3].destination, {cx - c.balloon, 70, cx + c.balloon, 326});
        EXPECT_EQ(q[3].colour, 0xFF969696u);
        ExpectRect(q[4].source, {300, 0, 399, 239});
        ExpectRect(q[4].destination, {cx - c.text, 70, cx + c.text, 310});
        EXPECT_EQ(q[4].colour, 0xFFFFFFFFu);
    }
    EXPECT_TRUE(At(1, 30).empty());
}

// A face that changes shrinks for 10 frames and the new one grows for 10.
TEST_F(TalkQuadTest, ChangingFaceShrinksThenGrows) {
    talk.lines = {MakeLine(kTalkLeft, 2, -1, -1, 1), MakeLine(kTalkLeft, 5, -1, -1, 0)};
    struct Case {
        i32 frame, face, halfWidth;
        u32 colour;
    };
    // 60 - 60 sin(9f); from frame 20 the full 60.
    const Case cases[] = {{0, 2, 60, 0xFFFFFFFF},  {5, 2, 18, 0xFFFFFFFF},  {9, 2, 1, 0xFFFFFFFF},
                          {10, 5, 0, 0xFF969696},  {15, 5, 18, 0xFF969696}, {19, 5, 51, 0xFF969696},
                          {20, 5, 60, 0xFF969696}, {80, 5, 60, 0xFF969696}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        const std::vector<TalkQuad> q = At(1, c.frame);
        ASSERT_EQ(q.size(), 2u);  // no text cell on either line: no balloon
        const i32 cell = c.face;
        ExpectRect(q[1].source, {128 * (cell % 4), 128 * (cell / 4), 128 * (cell % 4) + 127, 128 * (cell / 4) + 127});
        ExpectRect(q[1].destination, {60 - c.halfWidth, 310, 60 + c.halfWidth, 430});
        EXPECT_EQ(q[1].colour, c.colour);
    }
}

// The animation is started by the text cell, not by the balloon: a side whose
// text stays while its balloon appears is drawn at full size at once (the
// first two lines of event 10), and a text change with the same balloon
// closes the old text while the new one opens.
TEST_F(TalkQuadTest, TextCellDecidesTheBalloonAnimation) {
    StartTalkEvent(10);
    talk = g_TalkState;
    // Line 1, left side: text 0 stays, balloon -1 -> 2, face -1 -> 0 (enters).
    std::vector<TalkQuad> q = At(1, 0);
    // Left: face shadow and face at width 0, balloon shadow, balloon and text at
    // full size. Right: face 8 stays, text 0 stays, balloon 1 stays.
    ASSERT_EQ(q.size(), 10u);
    ExpectRect(q[1].destination, {60, 310, 60, 430});
    ExpectRect(q[3].destination, {60 - 64, 70, 60 + 64, 326});
    ExpectRect(q[4].destination, {60 - 50, 70, 60 + 50, 310});
    EXPECT_EQ(q[3].colour, 0xFFFFFFFFu);
    // Right side drawn dim in line 1.
    EXPECT_EQ(q[6].colour, 0xFF969696u);
    ExpectRect(q[6].destination, {520, 310, 640, 430});
    ExpectRect(q[8].source, {256, 0, 129, 255});

    // Line 2, right side: text 0 -> 1, balloon 1 -> 3, face 8 -> 9.
    q = At(2, 10);
    // Left: face 0 and balloon 2 stay (4 + 1 quads). Right: new face growing
    // (2), closing balloon (3) and opening balloon (3).
    ASSERT_EQ(q.size(), 13u);
    EXPECT_EQ(q[1].colour, 0xFF969696u);                                  // left dimmed in line 2
    ExpectRect(q[6].destination, {580, 310, 580, 430});                   // face 9 grows from width 0
    ExpectRect(q[7].destination, {600 - 33 + 4, 74, 600 + 33 + 4, 330});  // closing shadow
    ExpectRect(q[8].source, {256, 0, 129, 255});                          // closing: column 1 mirrored
    ExpectRect(q[8].destination, {600 - 33, 70, 600 + 33, 326});          // slid out by 2 x 10
    EXPECT_EQ(q[8].colour, 0xFF969696u);                                  // dim as in line 1
    ExpectRect(q[9].source, {0, 0, 99, 239});                             // old text 0
    ExpectRect(q[11].source, {512, 0, 385, 255});                         // opening: column 3 mirrored
    ExpectRect(q[11].destination, {580 - 31, 70, 580 + 31, 326});
    EXPECT_EQ(q[11].colour, 0xFFFFFFFFu);
    ExpectRect(q[12].source, {100, 0, 199, 239});  // new text 1
    ExpectRect(q[12].destination, {580 - 24, 70, 580 + 24, 310});
}

// The same text across lines with a new balloon column is not animated.
TEST_F(TalkQuadTest, SameTextKeepsItsBalloonOpen) {
    talk.lines = {MakeLine(kTalkLeft, -1, 4, 1, 1), MakeLine(kTalkLeft, -1, 4, 3, 0)};
    const std::vector<TalkQuad> q = At(1, 0);
    ASSERT_EQ(q.size(), 3u);
    ExpectRect(q[1].source, {384, 0, 511, 255});
    ExpectRect(q[1].destination, {-4, 70, 124, 326});
    EXPECT_EQ(q[1].colour, 0xFF969696u);
}

TEST_F(TalkQuadTest, NothingWhileInactiveOrOnTheClosingLine) {
    StartTalkEvent(11);
    talk = g_TalkState;
    talk.active = 0;
    std::vector<TalkQuad> q;
    CollectTalkQuads(talk, q);
    EXPECT_TRUE(q.empty());
    // The closing line after 11's single line: the face leaves and the balloon
    // closes for 30 frames, then nothing is drawn.
    EXPECT_EQ(At(1, 29).size(), 5u);
    EXPECT_TRUE(At(1, 30).empty());
}

TEST_F(TalkTest, DrawTalkWithoutImagesDrawsNothingAndChangesNothing) {
    StartTalkEvent(101);
    UpdateTalk();
    const i32 frame = g_TalkState.lineFrame;
    DrawTalk();  // the stage has no images loaded
    g_ConfigData.showTalk = 0;
    DrawTalk();
    EXPECT_EQ(g_TalkState.lineFrame, frame);
    EXPECT_EQ(g_TalkState.active, 1);
}

}  // namespace
