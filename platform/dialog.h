#pragma once
// Modal dialogs: our stand-in for a Win32 dialog resource and its dialog
// procedure. A DialogTemplate lists the controls in dialog units; the running
// dialog sends the procedure WM_INITDIALOG, WM_COMMAND (control id in the low
// word of wParam) and WM_CLOSE, and the procedure reads and sets the controls
// with CheckDlgButton / IsDlgButtonChecked and ends it with EndDialog.
//
// Dialog holds the whole behaviour without a window (focus, Tab, arrows,
// Space, Enter, Escape, clicks), so it can be driven from tests; RunDialog
// shows it in a window of its own (SDL2, text through SDL2_ttf).
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum : std::uint32_t {
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
};

enum class DialogControlKind { GroupBox, CheckBox, RadioButton, DefaultPushButton };

struct DialogControl {
    int id = -1;  // -1 for controls that send nothing (group boxes)
    DialogControlKind kind = DialogControlKind::GroupBox;
    std::string text;                         // UTF-8
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
};

struct DialogTemplate {
    std::string caption;        // UTF-8
    int width = 0, height = 0;  // dialog units
    std::vector<DialogControl> controls;
};

class Dialog;
using DialogProc = std::intptr_t (*)(Dialog* dialog, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);

// Keys the dialog understands.
enum class DialogKey { Tab, ShiftTab, Up, Down, Left, Right, Space, Enter, Escape };

class Dialog {
public:
    Dialog(const DialogTemplate& dialogTemplate, DialogProc proc);

    // Sends WM_INITDIALOG and puts the focus on the first control that takes it.
    void Start();
    // Sends a message to the procedure. WM_CLOSE that the procedure leaves
    // alone ends the dialog with 0, as the default dialog handling does.
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // A click on a control (by index in the template): focuses it; check boxes
    // toggle, radio buttons check themselves and clear the other radio buttons
    // of their group, then the procedure receives WM_COMMAND.
    void Click(int index);
    void Key(DialogKey key);

    // For the procedure.
    void CheckButton(int id, bool checked);
    bool IsButtonChecked(int id) const;
    void End(std::intptr_t result);
    void Centre() { centred_ = true; }

    bool Ended() const { return ended_; }
    std::intptr_t Result() const { return result_; }
    bool Centred() const { return centred_; }
    int Focus() const { return focus_; }  // control index, -1 for none
    bool Checked(int index) const { return checked_[index]; }
    const DialogTemplate& Template() const { return template_; }
    // The control index under a point in dialog units, -1 for none.
    int ControlAt(int x, int y) const;

private:
    bool TakesFocus(int index) const;
    void MoveFocus(int step, bool withinGroup);
    int GroupOf(int index) const;

    DialogTemplate template_;
    DialogProc proc_;
    std::vector<bool> checked_;
    int focus_ = -1;
    bool ended_ = false;
    bool centred_ = false;
    std::intptr_t result_ = 0;
};

// Win32-style helpers for dialog procedures.
inline void CheckDlgButton(Dialog* dialog, int id, bool checked) { dialog->CheckButton(id, checked); }
inline bool IsDlgButtonChecked(Dialog* dialog, int id) { return dialog->IsButtonChecked(id); }
inline void EndDialog(Dialog* dialog, std::intptr_t result) { dialog->End(result); }
inline int LowWord(std::uintptr_t wParam) { return static_cast<int>(wParam & 0xFFFF); }

// Shows the dialog modally in a window of its own and returns its result, or
// -1 when it could not be shown (no display, no video driver): the procedure
// then never ran.
std::intptr_t RunDialog(const DialogTemplate& dialogTemplate, DialogProc proc);

// The dialog's picture at its window size, drawn without showing a window:
// 32-bit ARGB pixels, row after row. Empty when it could not be drawn.
struct DialogPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool hasText = false;  // a font was found and the texts drawn
};
DialogPicture RenderDialogPicture(const Dialog& dialog);

// The font the dialog draws with: $TOLVARIN_DIALOG_FONT when set, else the
// first Japanese Gothic font found among the usual Debian paths; empty when
// there is none (the dialog is then drawn without its texts).
std::string FindDialogFont();

}  // namespace platform
