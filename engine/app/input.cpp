#include "engine/app/input.h"

#include <algorithm>
#include <cstring>

#include "engine/app/managers.h"
#include "engine/core/application.h"
#include "platform/input.h"

namespace {

InputState g_InputState;

constexpr u32 kMessageBoxStop = 16;

void ReleaseJoystick(JoystickRecord& record) {
    if (record.device >= 0) {
        platform::JoystickUnacquire(record.device);
        platform::JoystickClose(record.device);
    }
    record.device = -1;
}

// The range of one axis gives its centre and half range (X and Y only).
// False when the range cannot be read.
bool ReadAxisRange(JoystickRecord& record, int axis) {
    i32 minimum = 0;
    i32 maximum = 0;
    if (!platform::JoystickGetAxisRange(record.device, axis, minimum, maximum)) return false;
    if (axis == platform::kJoyAxisX || axis == platform::kJoyAxisY) {
        i64 centre = (static_cast<i64>(minimum) + maximum) / 2;
        i64 half = static_cast<i64>(maximum) - centre;
        i32& c = axis == platform::kJoyAxisX ? record.xCentre : record.yCentre;
        i32& h = axis == platform::kJoyAxisX ? record.xHalfRange : record.yHalfRange;
        c = static_cast<i32>(centre);
        h = static_cast<i32>(std::clamp<i64>(half, INT32_MIN, INT32_MAX));
    }
    return true;
}

// Sets up the device of one slot; false when it has to be dropped.
bool SetUpJoystick(JoystickRecord& record) {
    platform::JoystickCaps caps;
    if (!platform::JoystickGetCaps(record.device, caps)) return false;
    record.polled = caps.polled ? 1 : 0;
    record.forceFeedback = caps.forceFeedback ? 1 : 0;
    bool ok = true;
    for (int axis = 0; axis < platform::kJoyAxisCount; ++axis) {
        if (!(caps.axisMask & (1u << axis))) continue;
        if (!ReadAxisRange(record, axis)) ok = false;
    }
    if (!ok) return false;
    platform::JoystickAcquire(record.device);
    return true;
}

void CreateJoysticks(InputState& s) {
    s.joystickLimit = std::clamp(platform::JoystickDeviceLimit(), 0, kMaxJoysticks);
    s.joystickCount = 0;
    int attached = platform::JoystickCount();
    for (int index = 0; index < attached && s.joystickCount < s.joystickLimit; ++index) {
        int device = platform::JoystickOpen(index);
        if (device < 0) break;
        s.joysticks[s.joystickCount].device = device;
        ++s.joystickCount;
    }
    for (int slot = 0; slot < s.joystickCount; ++slot) {
        JoystickRecord& record = s.joysticks[slot];
        if (!SetUpJoystick(record)) ReleaseJoystick(record);
    }
}

i32 CreateKeyboard(InputState& s) {
    if (!platform::KeyboardCreate(kKeyboardBufferSize)) return 0;
    s.keyboard = 1;
    return platform::KeyboardAcquire() ? 1 : 0;
}

// (raw - centre) x 65535 / half range; a half range of 0 reads as centred.
i32 ScaleAxis(i32 raw, i32 centre, i32 halfRange) {
    if (halfRange == 0) return 0;
    i64 scaled = (static_cast<i64>(raw) - centre) * 65535 / halfRange;
    return static_cast<i32>(std::clamp<i64>(scaled, INT32_MIN, INT32_MAX));
}

void Normalise(const platform::JoystickData& raw, JoystickRecord& record) {
    JoystickState& st = record.state;
    st.x = ScaleAxis(raw.axes[0], record.xCentre, record.xHalfRange);
    st.y = ScaleAxis(raw.axes[1], record.yCentre, record.yHalfRange);
    st.z = raw.axes[2];
    st.rx = raw.axes[3];
    st.ry = raw.axes[4];
    st.rz = raw.axes[5];
    std::copy(raw.axisVelocities, raw.axisVelocities + 6, st.velocity);
    std::copy(raw.axisAccelerations, raw.axisAccelerations + 6, st.acceleration);
    std::copy(raw.axisForces, raw.axisForces + 6, st.force);
    std::copy(raw.sliders, raw.sliders + 2, st.slider);
    for (int h = 0; h < 4; ++h) {
        u32 pov = raw.pov[h];
        st.pov[h] = (pov & 0xFFFF) == 0xFFFF ? -1 : static_cast<i32>(pov / 100);
    }
    for (int b = 0; b < 16; ++b) {
        st.buttons[b] = b < 8 ? (raw.buttons[b] != 0 ? 1 : 0) : raw.buttons[b];
    }
}

void ClearJoystickStates(InputState& s) {
    for (JoystickRecord& record : s.joysticks) record.state = JoystickState{};
}

void UpdateJoysticks(InputState& s) {
    for (int slot = 0; slot < s.joystickCount; ++slot) {
        JoystickRecord& record = s.joysticks[slot];
        // A slot whose device was dropped at the start just stays empty.
        if (record.device < 0) continue;
        if (record.polled) platform::JoystickPoll(record.device);
        platform::JoystickData raw;
        if (!platform::JoystickRead(record.device, raw)) {
            platform::JoystickAcquire(record.device);
            ClearJoystickStates(s);
            continue;
        }
        Normalise(raw, record);
    }
}

void UpdateKeyboard(InputState& s) {
    if (!s.keyboard) return;
    u8 raw[256];
    if (platform::KeyboardRead(raw)) {
        for (int k = 0; k < 256; ++k) s.keys[k] = (raw[k] & 0x80) ? 1 : 0;
    } else {
        platform::KeyboardAcquire();
        std::memset(s.keys, 0, sizeof s.keys);
    }
    platform::KeyboardEventData events[kKeyboardBufferSize];
    int n = platform::KeyboardReadEvents(events, kKeyboardBufferSize);
    if (n < 0) {
        platform::KeyboardAcquire();
        n = 0;
    }
    for (int i = 0; i < n; ++i) {
        s.events[i] =
            KeyboardEvent{events[i].offset, events[i].data, events[i].timeStamp, events[i].sequence, events[i].appData};
    }
    s.eventCount = n;
    s.eventRead = 0;
}

void UpdateMouse(MouseState& m) {
    m.left = platform::GetKeyState(platform::VK_LBUTTON) < 0 ? 1 : 0;
    m.right = platform::GetKeyState(platform::VK_RBUTTON) < 0 ? 1 : 0;
    m.middle = platform::GetKeyState(platform::VK_MBUTTON) < 0 ? 1 : 0;
    m.leftDoubleClick = m.leftDoubleClickLatch;
    m.rightDoubleClick = m.rightDoubleClickLatch;
    m.middleDoubleClick = m.middleDoubleClickLatch;
    m.leftDoubleClickLatch = 0;
    m.rightDoubleClickLatch = 0;
    m.middleDoubleClickLatch = 0;
    platform::GetCursorClientPos(m.x, m.y);
}

}  // namespace

InputState& GetInputState() { return g_InputState; }

i32 InitializeDirectInput() {
    LogPrintf("Initialize DirectInput\n");
    // A second start releases what the first one made.
    if (g_InputState.directInput) DestroyDirectInput();
    g_InputState = InputState{};
    if (!platform::InputStart()) {
        ShowMessageBox(kMessageBoxStop, "Error", "%s", kDirectXInstallText);
        return 0;
    }
    g_InputState.directInput = 1;
    CreateKeyboard(g_InputState);
    CreateJoysticks(g_InputState);
    return 1;
}

void DestroyDirectInput() {
    LogPrintf("Destroy DirectInput\n");
    InputState& s = g_InputState;
    for (JoystickRecord& record : s.joysticks) ReleaseJoystick(record);
    if (s.keyboard) {
        platform::KeyboardUnacquire();
        platform::KeyboardRelease();
        s.keyboard = 0;
    }
    platform::InputStop();
    s.directInput = 0;
    s.joystickCount = 0;
    ClearJoystickStates(s);
}

void InputUpdate() {
    InputState& s = g_InputState;
    UpdateJoysticks(s);
    UpdateKeyboard(s);
    UpdateMouse(s.mouse);
}

i32 InputGetJoystickState(i32 pad, JoystickState* out) {
    bool present = pad >= 0 && pad < kMaxJoysticks && g_InputState.joysticks[pad].device >= 0;
    if (out) *out = present ? g_InputState.joysticks[pad].state : JoystickState{};
    return present ? 1 : 0;
}

void InputMouseWheel(i32 delta) {
    // Wraps round instead of overflowing after a very long run.
    i32& wheel = g_InputState.mouse.wheel;
    wheel = static_cast<i32>(static_cast<u32>(wheel) + static_cast<u32>(delta));
}
void InputMouseLeftDoubleClick() { g_InputState.mouse.leftDoubleClickLatch = 1; }
void InputMouseRightDoubleClick() { g_InputState.mouse.rightDoubleClickLatch = 1; }
void InputMouseMiddleDoubleClick() { g_InputState.mouse.middleDoubleClickLatch = 1; }

i32 InputKeyDown(u8 keyCode) { return g_InputState.keys[keyCode]; }

i32 InputReadKeyboardEvent(KeyboardEvent* out) {
    InputState& s = g_InputState;
    if (s.eventRead >= s.eventCount) return 0;
    if (out) *out = s.events[s.eventRead];
    ++s.eventRead;
    return 1;
}

const MouseState& InputGetMouseState() { return g_InputState.mouse; }
