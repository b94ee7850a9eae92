#pragma once
// The engine's input manager: the input system, one keyboard device and up to
// 16 joysticks, and the mouse state that the window procedure feeds. The game
// reads joysticks through InputUpdate and InputGetJoystickState; the keyboard
// state, its event buffer and the mouse state are kept up to date for any
// other reader.
#include "engine/core/types.h"

constexpr int kMaxJoysticks = 16;
constexpr int kKeyboardBufferSize = 32;

// A joystick's state in the engine's format (136 bytes). After each update
// x and y are scaled to about -65535..65535 with the centre at 0, each hat is
// -1 (centred) or degrees clockwise from up, buttons 0 to 7 are 1 or 0 and
// buttons 8 to 15 keep the device's byte.
struct JoystickState {
    i32 x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
    i32 velocity[6] = {};
    i32 acceleration[6] = {};
    i32 force[6] = {};
    i32 slider[2] = {};
    i32 pov[4] = {};
    u8 buttons[16] = {};
};
static_assert(sizeof(JoystickState) == 136);

struct JoystickRecord {
    i32 device = -1;  // platform device id; -1 when the slot is empty
    JoystickState state;
    i32 polled = 0;
    i32 forceFeedback = 0;
    i32 xCentre = 0;
    i32 yCentre = 0;
    i32 xHalfRange = 0;
    i32 yHalfRange = 0;
};

// One buffered keyboard event: key code, 0x80 pressed or 0 released, time in
// ms, sequence number, application data (20 bytes).
struct KeyboardEvent {
    u32 offset = 0;
    u32 data = 0;
    u32 timeStamp = 0;
    u32 sequence = 0;
    u32 appData = 0;
};
static_assert(sizeof(KeyboardEvent) == 20);

struct MouseState {
    i32 x = 0, y = 0;  // client coordinates
    i32 wheel = 0;     // sum of every wheel delta (never reset)
    i32 left = 0, right = 0, middle = 0;
    i32 leftDoubleClick = 0, rightDoubleClick = 0, middleDoubleClick = 0;  // of the last update
    i32 leftDoubleClickLatch = 0, rightDoubleClickLatch = 0, middleDoubleClickLatch = 0;
};

struct InputState {
    i32 directInput = 0;  // the input system was started
    i32 keyboard = 0;     // the keyboard device exists
    i32 joystickLimit = 0;
    i32 joystickCount = 0;
    u8 keys[256] = {};  // 1 pressed, 0 not, by DirectInput key code
    KeyboardEvent events[kKeyboardBufferSize] = {};
    i32 eventCount = 0;
    i32 eventRead = 0;
    MouseState mouse;
    JoystickRecord joysticks[kMaxJoysticks];
};

InputState& GetInputState();

// Starts the input system, the keyboard and every attached joystick (up to
// 16); 1, or 0 when there is no input system.
i32 InitializeDirectInput();
// Releases every joystick, the keyboard and the input system; harmless when
// InitializeDirectInput never ran or failed.
void DestroyDirectInput();
// Polls the joysticks, reads the keyboard and its events, refreshes the mouse.
void InputUpdate();
// Copies the state of joystick slot `pad`; 1 when the slot has a device, else
// 0 with an all-zero state.
i32 InputGetJoystickState(i32 pad, JoystickState* out);

// Called by the window procedure.
// Adds a wheel delta (the signed high half of WM_MOUSEWHEEL's wParam).
void InputMouseWheel(i32 delta);
void InputMouseLeftDoubleClick();
void InputMouseRightDoubleClick();
void InputMouseMiddleDoubleClick();

// The keyboard state by DirectInput key code: 1 pressed, 0 not.
i32 InputKeyDown(u8 keyCode);
// Takes the next event of the last update's buffer; 0 when none is left.
i32 InputReadKeyboardEvent(KeyboardEvent* out);
const MouseState& InputGetMouseState();
