#include "platform/dialog.h"

#include "platform/window.h"

namespace platform {

Dialog::Dialog(const DialogTemplate& dialogTemplate, DialogProc proc)
    : template_(dialogTemplate), proc_(proc), checked_(dialogTemplate.controls.size(), false) {}

void Dialog::Start() {
    Send(WM_INITDIALOG);
    if (ended_) return;
    for (int i = 0; i < static_cast<int>(template_.controls.size()); ++i) {
        if (TakesFocus(i)) {
            focus_ = i;
            break;
        }
    }
}

std::intptr_t Dialog::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (ended_) return 0;
    const std::intptr_t r = proc_ ? proc_(this, message, wParam, lParam) : 0;
    if (message == WM_CLOSE && !ended_) End(0);
    return r;
}

void Dialog::Click(int index) {
    if (ended_ || index < 0 || index >= static_cast<int>(template_.controls.size())) return;
    const DialogControl& c = template_.controls[index];
    if (c.kind == DialogControlKind::GroupBox) return;
    focus_ = index;
    if (c.kind == DialogControlKind::CheckBox) {
        checked_[index] = !checked_[index];
    } else if (c.kind == DialogControlKind::RadioButton) {
        const int group = GroupOf(index);
        for (int i = 0; i < static_cast<int>(template_.controls.size()); ++i) {
            if (template_.controls[i].kind == DialogControlKind::RadioButton && GroupOf(i) == group) {
                checked_[i] = (i == index);
            }
        }
    }
    Send(WM_COMMAND, static_cast<std::uintptr_t>(c.id & 0xFFFF));
}

void Dialog::Key(DialogKey key) {
    if (ended_) return;
    switch (key) {
        case DialogKey::Tab: MoveFocus(1, false); break;
        case DialogKey::ShiftTab: MoveFocus(-1, false); break;
        case DialogKey::Up:
        case DialogKey::Left: MoveFocus(-1, true); break;
        case DialogKey::Down:
        case DialogKey::Right: MoveFocus(1, true); break;
        case DialogKey::Space:
            if (focus_ >= 0) Click(focus_);
            break;
        case DialogKey::Enter: {
            // A focused push button, else the default one.
            int target = -1;
            for (int i = 0; i < static_cast<int>(template_.controls.size()); ++i) {
                if (template_.controls[i].kind == DialogControlKind::DefaultPushButton) {
                    if (target < 0 || i == focus_) target = i;
                }
            }
            if (target >= 0) Click(target);
            break;
        }
        case DialogKey::Escape: Send(WM_CLOSE); break;
    }
}

void Dialog::CheckButton(int id, bool checked) {
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
        if (template_.controls[i].id == id && template_.controls[i].kind != DialogControlKind::GroupBox) {
            checked_[i] = checked;
        }
    }
}

bool Dialog::IsButtonChecked(int id) const {
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
        if (template_.controls[i].id == id) return checked_[i];
    }
    return false;
}

void Dialog::End(std::intptr_t result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
}

int Dialog::ControlAt(int x, int y) const {
    for (int i = 0; i < static_cast<int>(template_.controls.size()); ++i) {
        const DialogControl& c = template_.controls[i];
        if (c.kind == DialogControlKind::GroupBox) continue;
        if (x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height) return i;
    }
    return -1;
}

bool Dialog::TakesFocus(int index) const { return template_.controls[index].kind != DialogControlKind::GroupBox; }

// The group box that holds a control; -1 for a control outside every box
// (it is a group of its own).
int Dialog::GroupOf(int index) const {
    const DialogControl& c = template_.controls[index];
    for (int i = 0; i < static_cast<int>(template_.controls.size()); ++i) {
        const DialogControl& g = template_.controls[i];
        if (g.kind != DialogControlKind::GroupBox) continue;
        if (c.x >= g.x && c.y >= g.y && c.x + c.width <= g.x + g.width && c.y + c.height <= g.y + g.height) {
            return i;
        }
    }
    return -1;
}

// Tab visits every control that takes the focus, but only the checked radio
// button of a group (the first one when none is). Arrows stay within the
// focused control's group and select the radio button they reach; a control
// outside every group moves as with Tab.
void Dialog::MoveFocus(int step, bool withinGroup) {
    const int n = static_cast<int>(template_.controls.size());
    if (n == 0) return;
    const int group = focus_ >= 0 ? GroupOf(focus_) : -1;
    if (withinGroup && group < 0) withinGroup = false;
    auto tabStop = [&](int i) {
        if (!TakesFocus(i)) return false;
        if (template_.controls[i].kind != DialogControlKind::RadioButton) return true;
        const int g = GroupOf(i);
        int first = -1;
        for (int j = 0; j < n; ++j) {
            if (template_.controls[j].kind != DialogControlKind::RadioButton || GroupOf(j) != g) continue;
            if (first < 0) first = j;
            if (checked_[j]) return j == i;
        }
        return first == i;
    };
    int i = focus_ < 0 ? (step > 0 ? -1 : 0) : focus_;
    for (int tries = 0; tries < n; ++tries) {
        i = (i + step + n) % n;
        if (withinGroup) {
            if (TakesFocus(i) && GroupOf(i) == group) break;
        } else if (tabStop(i)) {
            break;
        }
    }
    if (!TakesFocus(i)) return;
    focus_ = i;
    if (withinGroup && template_.controls[i].kind == DialogControlKind::RadioButton && !checked_[i]) Click(i);
}

}  // namespace platform
