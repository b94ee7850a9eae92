#pragma once
// Cut-in dialogue: the start service of the talk events, the per-frame step of
// the running talk and its drawing (faces and speech balloons over the side
// panels). The running talk is g_TalkState (game/play/records.h); stage
// behaviours and timelines read its active, eventId, lineIndex and lineFrame.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"
#include "game/play/records.h"

// Ids 10..228; an id of 300 or above is handed to StartTalkEvent300 unchanged;
// any other id does nothing.
void StartTalkEvent(i32 id);
// Stage index 2's events (ids 301..401); other ids do nothing.
void StartTalkEvent300(i32 id);
// Stage index 4's events (ids 401..496); other ids do nothing. Its 401 is not
// StartTalkEvent300's 401.
void StartTalkEvent400(i32 id);
// Stage index 3's events (ids 501..555); other ids do nothing.
void StartTalkEvent500(i32 id);

// One frame of the running talk; the play update's last step. Runs whether or
// not talk is shown, so the timing never depends on the setting.
void UpdateTalk();
// Faces and balloons of the current line; nothing unless a talk runs and the
// settings show talk.
void DrawTalk();

// The pictures a talk frame is made of, in draw order, as DrawTalk hands them
// to TextureDraw (depth 0, blend mode 1).
enum TalkImage : i32 {
    kTalkImageFace = 0,    // face image `sheet` (0..2) of the stage
    kTalkImageWindow = 1,  // the stage's "window" texture (balloons)
    kTalkImageSpeech = 2,  // speech image `sheet` of the stage
};

struct TalkQuad {
    TalkImage image = kTalkImageFace;
    i32 sheet = 0;
    Rect destination;
    Rect source;
    u32 colour = 0;
};

// The quads of the talk's current line and frame, whatever the talk setting;
// empty while no talk runs.
void CollectTalkQuads(const TalkState& talk, std::vector<TalkQuad>& quads);
