#include "game/play/talk_events.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

// What each stage loads: face images, speech images.
struct StageImages {
    i32 faces;
    i32 speechImages;
};
constexpr StageImages kStageImages[5] = {{2, 7}, {2, 9}, {3, 9}, {2, 6}, {3, 9}};

i32 StageOf(const TalkEventData& e) {
    switch (e.entry) {
        case kTalkEntryMain: return e.id < 200 ? 0 : 1;
        case kTalkEntry300: return 2;
        case kTalkEntry500: return 3;
        case kTalkEntry400: return 4;
    }
    return -1;
}

TEST(TalkEventTable, IdsAreUniquePerEntryAndInTheirEntryRange) {
    std::set<std::pair<i32, i32>> seen;
    for (const TalkEventData& e : TalkEventTable()) {
        EXPECT_TRUE(seen.insert({e.entry, e.id}).second) << "duplicate event " << e.id;
        switch (e.entry) {
            case kTalkEntryMain: EXPECT_TRUE(e.id >= 10 && e.id <= 228) << e.id; break;
            case kTalkEntry300: EXPECT_TRUE(e.id >= 301 && e.id <= 401) << e.id; break;
            case kTalkEntry400: EXPECT_TRUE(e.id >= 401 && e.id <= 496) << e.id; break;
            case kTalkEntry500: EXPECT_TRUE(e.id >= 501 && e.id <= 555) << e.id; break;
        }
    }
    EXPECT_EQ(TalkEventTable().size(), 109u);
}

// Every event only uses faces, text cells and balloon columns its stage has,
// and only the events of the enemy runtime keep the speech image.
TEST(TalkEventTable, EventsUseOnlyTheirStagesImages) {
    for (const TalkEventData& e : TalkEventTable()) {
        SCOPED_TRACE(testing::Message() << "entry " << int(e.entry) << " event " << e.id);
        const bool runtime = e.entry == kTalkEntryMain && (e.id == 10 || e.id == 11);
        if (runtime) {
            EXPECT_EQ(e.speechSheet, -1);
        } else {
            EXPECT_GE(e.speechSheet, 0);
            EXPECT_LT(e.speechSheet, kStageImages[StageOf(e)].speechImages);
        }
        EXPECT_GT(e.closingDuration, 0);
        ASSERT_GT(e.lineCount, 0);
        ASSERT_LE(e.firstLine + e.lineCount, TalkLineTable().size());
        for (const TalkLineData& line : TalkEventLines(e)) {
            EXPECT_GT(line.duration, 0);
            for (i32 side = 0; side < 2; ++side) {
                const i32 maxFaces = runtime ? 2 : kStageImages[StageOf(e)].faces;
                EXPECT_LT(line.face[side], 16 * maxFaces);
                EXPECT_GE(line.face[side], -1);
                EXPECT_LT(line.speechCell[side], 10);
                EXPECT_LT(line.balloon[side], 4);
                // A balloon always carries a text cell.
                if (line.balloon[side] != -1) {
                    EXPECT_NE(line.speechCell[side], -1);
                }
            }
        }
    }
}

TEST(TalkEventTable, TheEntryPointNamesTheEvent) {
    // 401 is a stage index 4 event of StartTalkEvent400; StartTalkEvent300's
    // range reaches 401 but has no dialogue for it.
    const TalkEventData* e400 = FindTalkEvent(kTalkEntry400, 401);
    ASSERT_NE(e400, nullptr);
    EXPECT_EQ(e400->speechSheet, 7);
    EXPECT_EQ(FindTalkEvent(kTalkEntry300, 401), nullptr);
    EXPECT_EQ(FindTalkEvent(kTalkEntryMain, 401), nullptr);
    EXPECT_EQ(FindTalkEvent(kTalkEntry500, 401), nullptr);
    // Ids the stages start but no dialogue exists for.
    for (i32 id : {0, 9, 107, 207, 214, 229, 300, 309, 330, 500, 550, 999}) {
        for (TalkEntry entry : {kTalkEntryMain, kTalkEntry300, kTalkEntry400, kTalkEntry500}) {
            EXPECT_EQ(FindTalkEvent(entry, id), nullptr) << id;
        }
    }
}

// A few rows checked value by value: a by-line event, the event with the
// bonus flag, and the longest event.
TEST(TalkEventTable, SampleRows) {
    const TalkEventData* e = FindTalkEvent(kTalkEntry300, 386);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->priority, 10);
    EXPECT_EQ(e->speechSheet, 8);
    EXPECT_EQ(e->storyFlag, 54);
    EXPECT_EQ(e->bonusStoryFlag, 56);
    ASSERT_EQ(e->lineCount, 3);
    const TalkLineData& third = TalkEventLines(*e)[2];  // 1/0/1 · 24/2/1*
    EXPECT_EQ(third.face[0], 1);
    EXPECT_EQ(third.speechCell[0], 0);
    EXPECT_EQ(third.balloon[0], 1);
    EXPECT_EQ(third.bright[0], 0);
    EXPECT_EQ(third.face[1], 24);
    EXPECT_EQ(third.speechCell[1], 2);
    EXPECT_EQ(third.balloon[1], 1);
    EXPECT_EQ(third.bright[1], 1);
    EXPECT_EQ(third.duration, 150);

    e = FindTalkEvent(kTalkEntry400, 496);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->closingDuration, 200);
    ASSERT_EQ(e->lineCount, 9);
    const TalkLineData& last = TalkEventLines(*e)[8];  // 32/5/1 · — (300)
    EXPECT_EQ(last.face[0], 32);
    EXPECT_EQ(last.face[1], -1);
    EXPECT_EQ(last.speechCell[1], -1);
    EXPECT_EQ(last.balloon[1], -1);
    EXPECT_EQ(last.duration, 300);

    e = FindTalkEvent(kTalkEntryMain, 110);  // -/0/-* · 8/0/3* (100); ...
    ASSERT_NE(e, nullptr);
    const TalkLineData& first = TalkEventLines(*e)[0];
    EXPECT_EQ(first.face[0], -1);
    EXPECT_EQ(first.speechCell[0], 0);
    EXPECT_EQ(first.balloon[0], -1);
    EXPECT_EQ(first.bright[0], 1);
    EXPECT_EQ(first.duration, 100);
    EXPECT_EQ(TalkEventLines(*e)[1].duration, 150);
    EXPECT_EQ(e->storyFlag, -1);
}

}  // namespace
