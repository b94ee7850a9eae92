#include "game/play/talk_events.h"

const TalkEventData* FindTalkEvent(TalkEntry entry, i32 id) {
    for (const TalkEventData& event : TalkEventTable()) {
        if (event.entry == entry && event.id == id) return &event;
    }
    return nullptr;
}

std::span<const TalkLineData> TalkEventLines(const TalkEventData& event) {
    return TalkLineTable().subspan(event.firstLine, event.lineCount);
}
