#include "game/shell/config_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/save_files.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/transition.h"

ConfigSceneState g_Config;

namespace {

constexpr i16 kVolumeTop = 10;

bool Pressed(i32 slot) { return g_Config.ConfigKeyState[slot] == kKeyPressed; }

u8* OptionOf(i32 row) {
    switch (row) {
        case kConfigRowFullColourScreen: return &g_ConfigData.fullColourScreen;
        case kConfigRowFullColourTextures: return &g_ConfigData.fullColourTextures;
        case kConfigRowFullScreen: return &g_ConfigData.fullScreen;
        case kConfigRowTalk: return &g_ConfigData.showTalk;
        default: return nullptr;
    }
}

i16 VolumeStep(i16 volume, i32 step) {
    i32 v = volume + step;
    if (v < 0) v = 0;
    if (v > kVolumeTop) v = kVolumeTop;
    return static_cast<i16>(v);
}

void StepRow() {
    const i32 row = g_Config.ConfigCursor;
    if (u8* option = OptionOf(row)) {
        // Left is "on", Right "off"; the sound plays also at the limit.
        if (Pressed(kKeyLeft)) {
            *option = 1;
            PlaySoundEffect(kSoundA5_08247);
        }
        if (Pressed(kKeyRight)) {
            *option = 0;
            PlaySoundEffect(kSoundA5_08247);
        }
        return;
    }
    switch (row) {
        case kConfigRowMusicVolume:
            if (Pressed(kKeyLeft)) {
                g_ConfigData.musicVolume = VolumeStep(g_ConfigData.musicVolume, -1);
                ApplyMusicVolume();
            }
            if (Pressed(kKeyRight)) {
                g_ConfigData.musicVolume = VolumeStep(g_ConfigData.musicVolume, +1);
                ApplyMusicVolume();
            }
            break;
        case kConfigRowEffectVolume:
            if (Pressed(kKeyLeft)) {
                g_ConfigData.effectVolume = VolumeStep(g_ConfigData.effectVolume, -1);
                ApplySoundEffectVolumeOne(kSoundA5_08247);
                PlaySoundEffect(kSoundA5_08247);
            }
            if (Pressed(kKeyRight)) {
                g_ConfigData.effectVolume = VolumeStep(g_ConfigData.effectVolume, +1);
                ApplySoundEffectVolumeOne(kSoundA5_08247);
                PlaySoundEffect(kSoundA5_08247);
            }
            break;
        case kConfigRowButtons:
            if (Pressed(kKeyZ) && IsJoystickPresent(0)) {
                for (u16& s : g_Config.ConfigButtonStates) s = kKeyHeld;
                g_Config.ConfigPanelTimer = 30;
                g_Config.ConfigState = kConfigCapture;
                g_Config.ConfigCursor = 0;
                PlaySoundEffect(kSoundPage);
            }
            break;
        case kConfigRowBack:
            if (Pressed(kKeyZ)) {
                StartTransition(kTransitionClose);
                g_Config.ConfigState = kConfigLeaving;
                PlaySoundEffect(kSoundDecide2Menu);
            }
            break;
        default: break;
    }
}

void StepRows() {
    if (Pressed(kKeyUp)) {
        g_Config.ConfigCursor = g_Config.ConfigCursor <= 0 ? kConfigRowCount - 1 : g_Config.ConfigCursor - 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        g_Config.ConfigCursor = g_Config.ConfigCursor >= kConfigRowCount - 1 ? 0 : g_Config.ConfigCursor + 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyX)) {
        g_Config.ConfigCursor = kConfigRowBack;
        PlaySoundEffect(kSoundChu1);
    }
    StepRow();
}

void StepCapture() {
    ReadJoystickButtonStates(0, g_Config.ConfigButtonStates);
    for (i32 b = 0; b < kJoystickButtons; ++b) {
        if (g_Config.ConfigButtonStates[b] != kKeyPressed) continue;
        g_ConfigData.joystickButtons[static_cast<std::size_t>(ConfigCapturedSlot(g_Config.ConfigCursor))] =
            static_cast<u32>(b);
        g_Config.ConfigCursor += 1;
        PlaySoundEffect(kSoundA5_08247);
        if (g_Config.ConfigCursor >= kConfigCapturedKeys) {
            g_Config.ConfigState = kConfigRows;
            g_Config.ConfigCursor = kConfigRowButtons;
            // A pressed X must not act in the next frame.
            g_Config.ConfigKeyState[kKeyX] = kKeyHeld;
        }
        break;
    }
}

}  // namespace

i32 ConfigCapturedSlot(i32 k) {
    switch (k) {
        case 0: return kJoyButtonZ;
        case 1: return kJoyButtonX;
        default: return kJoyButtonT;
    }
}

void ResetConfigScreen() {
    g_Config.ConfigLeaveRequest = 0;
    g_Config.ConfigFrameCount = 0;
    g_Config.ConfigState = kConfigOpening;
    g_Config.ConfigCursor = 0;
    g_Config.ConfigHeadingZoom = 0;
}

void OpenConfigScreen() {
    StartTransition(kTransitionOpen);
    SceneInitRequest = 0;
}

void StepConfigScreen() {
    switch (g_Config.ConfigState) {
        case kConfigOpening:
            if (!TransitionRunning()) g_Config.ConfigState = kConfigRows;
            break;
        case kConfigRows: StepRows(); break;
        case kConfigCapture: StepCapture(); break;
        case kConfigLeaving:
            if (!TransitionRunning()) g_Config.ConfigLeaveRequest = 1;
            break;
        default: break;
    }
}

void StepConfigTimers() {
    if (g_Config.ConfigState == kConfigCapture) {
        if (g_Config.ConfigPanelTimer > 0) --g_Config.ConfigPanelTimer;
    } else if (g_Config.ConfigPanelTimer > -30) {
        --g_Config.ConfigPanelTimer;
    }
    if (g_Config.ConfigFrameCount > 50 && g_Config.ConfigHeadingZoom < 50) g_Config.ConfigHeadingZoom += 2;
    g_Config.ConfigFrameCount += 1;
}

void LeaveConfig() {
    ApplySoundEffectVolume();
    ReleaseImage(g_Config.images.background);
    ReleaseImage(g_Config.images.labels);
    ReleaseImage(g_Config.images.window);
    SaveConfig();
    SceneInitRequest = 1;
    CurrentScene = kSceneTitle;
}
