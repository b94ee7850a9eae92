#pragma once
// The dialogue scripts: every talk event the stages start, by entry point and
// id, with its priority, speech image, story flags and lines. The table is
// data; StartTalkEvent and its sister entry points look events up here.
#include <span>

#include "engine/core/types.h"

// The entry point that names an event. The same id may name different events
// under different entry points (401 under StartTalkEvent300 and
// StartTalkEvent400), so an event is looked up by both.
enum TalkEntry : u8 {
    kTalkEntryMain = 0,  // StartTalkEvent: stage indexes 0 and 1, the enemy runtime's 10 and 11
    kTalkEntry300 = 1,   // StartTalkEvent300: stage index 2
    kTalkEntry400 = 2,   // StartTalkEvent400: stage index 4
    kTalkEntry500 = 3,   // StartTalkEvent500: stage index 3
};

// One scripted line; each pair is (left, right). -1 = none.
struct TalkLineData {
    i8 face[2];
    i8 speechCell[2];
    i8 balloon[2];
    u8 bright[2];
    i16 duration;
};

// One event. The closing line (both sides empty and dim) is not in the line
// pool: the start appends it with closingDuration.
struct TalkEventData {
    TalkEntry entry;
    i16 id;
    i8 priority;
    i8 speechSheet;     // -1: the event keeps the speech image of the previous talk
    i8 storyFlag;       // StoryFlags byte set at the start, -1 none
    i8 bonusStoryFlag;  // set as well when BonusCount >= kTalkBonusFlagCount, -1 none
    i16 closingDuration;
    u16 firstLine;  // index into TalkLineTable()
    u8 lineCount;
};

// BonusCount at which an event's bonusStoryFlag is set.
inline constexpr i32 kTalkBonusFlagCount = 3;

std::span<const TalkEventData> TalkEventTable();
std::span<const TalkLineData> TalkLineTable();

// The event of `entry` with `id`, or null when that entry point has none.
const TalkEventData* FindTalkEvent(TalkEntry entry, i32 id);
// The event's scripted lines (without the closing line).
std::span<const TalkLineData> TalkEventLines(const TalkEventData& event);
