#include "game/shell/boot_dialog.h"

#include "engine/app/run_options.h"
#include "game/shell/save_files.h"
#include "platform/window.h"

BootDialogState g_BootDialogState;

namespace {

using platform::DialogControlKind;

}  // namespace

const platform::DialogTemplate& BootDialogTemplate() {
    static const platform::DialogTemplate t{
        "起動オプション",
        115,
        143,
        {
            {-1, DialogControlKind::GroupBox, "カラーモード", 7, 7, 100, 39},
            {kBootFullColourScreen, DialogControlKind::CheckBox, "フルカラースクリーン有効", 9, 19, 90, 10},
            {kBootFullColourTextures, DialogControlKind::CheckBox, "フルカラーテクスチャ有効", 9, 32, 90, 10},
            {-1, DialogControlKind::GroupBox, "画面モード", 7, 50, 100, 39},
            {kBootWindowed, DialogControlKind::RadioButton, "ウィンドウモード", 9, 62, 85, 10},
            {kBootFullScreen, DialogControlKind::RadioButton, "フルスクリーンモード", 9, 75, 85, 10},
            {kBootDoNotShow, DialogControlKind::CheckBox, "このダイアログを表示しない", 7, 106, 100, 10},
            {kBootStart, DialogControlKind::DefaultPushButton, "起動", 57, 122, 50, 14},
        },
    };
    return t;
}

std::intptr_t BootOptionsDialogProc(platform::Dialog* dialog, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t) {
    BootDialogState& s = g_BootDialogState;
    switch (message) {
        case platform::WM_INITDIALOG:
            s.fullColourScreen = g_ConfigData.fullColourScreen;
            s.fullColourTextures = g_ConfigData.fullColourTextures;
            s.windowed = g_ConfigData.fullScreen ? 0 : 1;
            s.doNotShow = g_ConfigData.showBootDialog ? 0 : 1;
            dialog->Centre();
            platform::CheckDlgButton(dialog, kBootWindowed, s.windowed != 0);
            platform::CheckDlgButton(dialog, kBootFullScreen, s.windowed == 0);
            platform::CheckDlgButton(dialog, kBootFullColourTextures, s.fullColourTextures != 0);
            platform::CheckDlgButton(dialog, kBootFullColourScreen, s.fullColourScreen != 0);
            platform::CheckDlgButton(dialog, kBootDoNotShow, g_ConfigData.showBootDialog == 0);
            return 1;
        case platform::WM_COMMAND:
            switch (platform::LowWord(wParam)) {
                case kBootFullColourScreen:
                    s.fullColourScreen = platform::IsDlgButtonChecked(dialog, kBootFullColourScreen) ? 1 : 0;
                    break;
                case kBootFullColourTextures:
                    s.fullColourTextures = platform::IsDlgButtonChecked(dialog, kBootFullColourTextures) ? 1 : 0;
                    break;
                case kBootDoNotShow: s.doNotShow = platform::IsDlgButtonChecked(dialog, kBootDoNotShow) ? 1 : 0; break;
                case kBootWindowed:
                    s.windowed = 1;
                    platform::CheckDlgButton(dialog, kBootWindowed, true);
                    platform::CheckDlgButton(dialog, kBootFullScreen, false);
                    break;
                case kBootFullScreen:
                    s.windowed = 0;
                    platform::CheckDlgButton(dialog, kBootWindowed, false);
                    platform::CheckDlgButton(dialog, kBootFullScreen, true);
                    break;
                case kBootStart:
                    g_ConfigData.fullColourScreen = s.fullColourScreen;
                    g_ConfigData.fullColourTextures = s.fullColourTextures;
                    g_ConfigData.fullScreen = s.windowed ? 0 : 1;
                    g_ConfigData.showBootDialog = s.doNotShow ? 0 : 1;
                    SaveConfig();
                    dialog->Send(platform::WM_CLOSE);
                    break;
                default: break;
            }
            return 0;
        case platform::WM_CLOSE: platform::EndDialog(dialog, 0); return 0;
        default: return 0;
    }
}

std::intptr_t RunBootOptionsDialog() {
    if (Options().headless || NoDisplayAvailable()) return -1;
    return platform::RunDialog(BootDialogTemplate(), BootOptionsDialogProc);
}
