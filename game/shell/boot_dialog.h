#pragma once
// The boot options dialog: shown before the game window when the settings ask
// for it; its choices (colour modes, window or full screen, whether to show it
// again) are stored and written by "起動" and take effect in the same start.
#include <cstdint>

#include "engine/core/types.h"
#include "platform/dialog.h"

// Control ids.
enum BootDialogControl : int {
    kBootStart = 1000,
    kBootFullColourScreen = 1004,
    kBootFullColourTextures = 1005,
    kBootWindowed = 1006,
    kBootFullScreen = 1007,
    kBootDoNotShow = 1009,
};

// The dialog's values while it is open.
struct BootDialogState {
    i32 windowed = 0;
    u8 fullColourScreen = 0;
    u8 fullColourTextures = 0;
    i32 doNotShow = 0;
};
extern BootDialogState g_BootDialogState;

// The dialog resource: caption "起動オプション", 115 x 143 dialog units.
const platform::DialogTemplate& BootDialogTemplate();
std::intptr_t BootOptionsDialogProc(platform::Dialog* dialog, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam);
// Runs the dialog modally (never in headless runs). Returns the dialog's
// result, or -1 when it was not shown; the settings stay as they were unless
// "起動" was pressed.
std::intptr_t RunBootOptionsDialog();
