#pragma once
// Scene 11, the settings: eight rows that edit g_ConfigData in place (three
// display options for the next start, the talk, the music and sound-effect
// volumes heard at once, the joystick buttons of Z, X and T captured by
// pressing them, and the way back). Leaving saves "config.dat" and returns to
// the title.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"

enum ConfigStateId : i32 {
    kConfigOpening = 0,
    kConfigRows = 10,
    kConfigCapture = 20,
    kConfigLeaving = 90,
};

enum ConfigRow : i32 {
    kConfigRowFullColourScreen = 0,
    kConfigRowFullColourTextures = 1,
    kConfigRowFullScreen = 2,
    kConfigRowTalk = 3,
    kConfigRowMusicVolume = 4,
    kConfigRowEffectVolume = 5,
    kConfigRowButtons = 6,
    kConfigRowBack = 7,
};
constexpr i32 kConfigRowCount = 8;
constexpr i32 kConfigCapturedKeys = 3;  // Z, X, T

struct ConfigImages {
    Surface* background = nullptr;  // "bgp_config"
    Texture* labels = nullptr;      // "title3": labels, values, digits, the panel
    Texture* window = nullptr;      // "config_window"
};

// The settings scene's state and images. The panel's slide timer and the
// backdrop's scroll live on across visits.
struct ConfigSceneState {
    i32 ConfigState = kConfigOpening;
    i32 ConfigCursor = 0;
    i32 ConfigFrameCount = 0;
    i32 ConfigPanelTimer = 0;
    i32 ConfigHeadingZoom = 0;
    i32 ConfigKeyState[8] = {};
    u16 ConfigButtonStates[16] = {};
    u8 ConfigLeaveRequest = 0;
    i32 ConfigScrollX = 0;
    i32 ConfigScrollY = 0;
    ConfigImages images;
};
extern ConfigSceneState g_Config;

void InitializeConfig();
void DrawConfig();
void ConfigFrame();
void LeaveConfig();

// The state part of InitializeConfig (before the images are made) and the
// opening transition after it.
void ResetConfigScreen();
void OpenConfigScreen();
// The frame's step of the state machine, after the draw (the capture reads
// the joystick's buttons).
void StepConfigScreen();
// After the state machine: the panel's slide timer, the heading and the frame
// count.
void StepConfigTimers();
// The joystick button slot of ConfigData captured for line k (0 Z, 1 X, 2 T).
i32 ConfigCapturedSlot(i32 k);
