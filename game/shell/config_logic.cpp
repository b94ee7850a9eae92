#include "game/shell/config_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/save_files.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/transition.h"

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
ConfigImages g_ConfigImages;

namespace {

constexpr i16 kVolumeTop = 10;

bool Pressed(i32 slot) { return ConfigKeyState[slot] == kKeyPressed; }

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
    const i32 row = ConfigCursor;
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
            for (u16& s : ConfigButtonStates) s = kKeyHeld;
            ConfigPanelTimer = 30;
            ConfigState = kConfigCapture;
            ConfigCursor = 0;
            PlaySoundEffect(kSoundPage);
        }
        break;
    case kConfigRowBack:
        if (Pressed(kKeyZ)) {
            StartTransition(kTransitionClose);
            ConfigState = kConfigLeaving;
            PlaySoundEffect(kSoundDecide2Menu);
        }
        break;
    default:
        break;
    }
}

void StepRows() {
    if (Pressed(kKeyUp)) {
        ConfigCursor = ConfigCursor <= 0 ? kConfigRowCount - 1 : ConfigCursor - 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        ConfigCursor = ConfigCursor >= kConfigRowCount - 1 ? 0 : ConfigCursor + 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyX)) {
        ConfigCursor = kConfigRowBack;
        PlaySoundEffect(kSoundChu1);
    }
    StepRow();
}

void StepCapture() {
    ReadJoystickButtonStates(0, ConfigButtonStates);
    for (i32 b = 0; b < kJoystickButtons; ++b) {
        if (ConfigButtonStates[b] != kKeyPressed) continue;
        g_ConfigData.joystickButtons[static_cast<std::size_t>(ConfigCapturedSlot(ConfigCursor))] =
            static_cast<u32>(b);
        ConfigCursor += 1;
        PlaySoundEffect(kSoundA5_08247);
        if (ConfigCursor >= kConfigCapturedKeys) {
            ConfigState = kConfigRows;
            ConfigCursor = kConfigRowButtons;
            // A pressed X must not act in the next frame.
            ConfigKeyState[kKeyX] = kKeyHeld;
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
    ConfigLeaveRequest = 0;
    ConfigFrameCount = 0;
    ConfigState = kConfigOpening;
    ConfigCursor = 0;
    ConfigHeadingZoom = 0;
}

void OpenConfigScreen() {
    StartTransition(kTransitionOpen);
    SceneInitRequest = 0;
}

void StepConfigScreen() {
    switch (ConfigState) {
    case kConfigOpening:
        if (!TransitionRunning()) ConfigState = kConfigRows;
        break;
    case kConfigRows:
        StepRows();
        break;
    case kConfigCapture:
        StepCapture();
        break;
    case kConfigLeaving:
        if (!TransitionRunning()) ConfigLeaveRequest = 1;
        break;
    default:
        break;
    }
}

void StepConfigTimers() {
    if (ConfigState == kConfigCapture) {
        if (ConfigPanelTimer > 0) --ConfigPanelTimer;
    } else if (ConfigPanelTimer > -30) {
        --ConfigPanelTimer;
    }
    if (ConfigFrameCount > 50 && ConfigHeadingZoom < 50) ConfigHeadingZoom += 2;
    ConfigFrameCount += 1;
}

void LeaveConfig() {
    ApplySoundEffectVolume();
    ReleaseImage(g_ConfigImages.background);
    ReleaseImage(g_ConfigImages.labels);
    ReleaseImage(g_ConfigImages.window);
    SaveConfig();
    SceneInitRequest = 1;
    CurrentScene = kSceneTitle;
}
