#pragma once
// Keyboard, mouse and joysticks: our stand-in for DirectInput 8 and the Win32
// key state, plus the scripted input of tests and the headless runner.
//
// Every device is read through an InputSource. The SDL source (the default)
// answers from SDL's keyboard and mouse state and its joystick and
// game-controller API; tests install a FakeInputSource and set key and
// joystick states by hand.
//
// The device functions below behave like DirectInput's foreground devices:
// a device has to be acquired before it can be read, acquiring fails while the
// window does not have the focus, and losing the focus unacquires every device
// (the next read fails and the caller acquires again).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

// Virtual-key codes of the mouse buttons (the keyboard's are in window.h;
// letters and digits are their upper-case ASCII codes, as on Windows).
enum : std::uint32_t {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_MBUTTON = 0x04,
};

// Axis numbers of a joystick.
enum JoystickAxis : int {
    kJoyAxisX = 0,
    kJoyAxisY,
    kJoyAxisZ,
    kJoyAxisRx,
    kJoyAxisRy,
    kJoyAxisRz,
    kJoyAxisSlider0,
    kJoyAxisSlider1,
    kJoyAxisCount
};

// Point-of-view hat value when the hat is centred; otherwise hats read in
// hundredths of degrees clockwise from up (0 up, 9000 right, 18000 down).
constexpr std::uint32_t kPovCentred = 0xFFFFFFFFu;
// Button byte of a pressed button (0 when released).
constexpr std::uint8_t kButtonPressed = 0x80;

// A joystick's state as the device reports it: 136 bytes, absolute axes.
struct JoystickData {
    std::int32_t axes[6] = {};  // X, Y, Z, Rx, Ry, Rz positions
    std::int32_t axisVelocities[6] = {};
    std::int32_t axisAccelerations[6] = {};
    std::int32_t axisForces[6] = {};
    std::int32_t sliders[2] = {};
    std::uint32_t pov[4] = {kPovCentred, kPovCentred, kPovCentred, kPovCentred};
    std::uint8_t buttons[16] = {};
};
static_assert(sizeof(JoystickData) == 136);

struct JoystickCaps {
    bool polled = false;  // needs JoystickPoll before each read
    bool forceFeedback = false;
    std::uint32_t axisMask = 0;  // bit n: axis n (JoystickAxis) exists
    int buttonCount = 0;
    int povCount = 0;
    std::string name;
};

// One buffered keyboard event (the layout of DirectInput's object data
// record, 20 bytes): key code, 0x80 pressed or 0 released, time in ms,
// sequence number, application data.
struct KeyboardEventData {
    std::uint32_t offset = 0;
    std::uint32_t data = 0;
    std::uint32_t timeStamp = 0;
    std::uint32_t sequence = 0;
    std::uint32_t appData = 0;
};
static_assert(sizeof(KeyboardEventData) == 20);

// Where device states come from.
class InputSource {
public:
    virtual ~InputSource() = default;
    // Starts the input system; false when there is none.
    virtual bool Start() = 0;
    virtual void Stop() = 0;
    // Whether the application's window has the keyboard focus.
    virtual bool HasFocus() = 0;
    // Whether the key (or mouse button) of a virtual-key code is held. Also
    // answers the generic VK_SHIFT, VK_CONTROL and VK_MENU.
    virtual bool VirtualKeyDown(std::uint32_t vk) = 0;
    // Cursor position in client coordinates of the main window.
    virtual void CursorPosition(int& x, int& y) = 0;
    // Attached game controllers and joysticks, in enumeration order.
    virtual int JoystickCount() = 0;
    // Opens the device of enumeration index `index`: a device id, or -1.
    virtual int OpenJoystick(int index) = 0;
    virtual void CloseJoystick(int device) = 0;
    virtual bool JoystickCapabilities(int device, JoystickCaps& caps) = 0;
    virtual bool JoystickAxisRange(int device, int axis, std::int32_t& minimum, std::int32_t& maximum) = 0;
    virtual void PollJoystick(int device) = 0;
    // False when the device is gone.
    virtual bool ReadJoystick(int device, JoystickData& out) = 0;
};

// The SDL source (SDL's keyboard and mouse state, joysticks and game
// controllers; focus from WindowHasFocus()).
InputSource& SdlInputSource();
// The source in use: the SDL source until SetInputSource is called.
InputSource& CurrentInputSource();
void SetInputSource(InputSource* source);  // nullptr restores the SDL source

// A source whose states are set by hand (tests).
class FakeInputSource : public InputSource {
public:
    struct Joystick {
        JoystickData data;
        JoystickCaps caps;
        std::int32_t minimum[kJoyAxisCount];
        std::int32_t maximum[kJoyAxisCount];
        bool openFails = false;
        bool rangeFails = false;  // every axis range query fails
        bool attached = true;     // false: reads fail
        bool open = false;
        int polls = 0;
        int reads = 0;
        // A pad with six axes of range 0..65535, centred, 16 buttons, one hat.
        Joystick();
        // Moves an axis to a position relative to its centre.
        void SetAxisFromCentre(int axis, std::int32_t offset);
        void SetButton(int button, bool down) { data.buttons[button] = down ? kButtonPressed : 0; }
    };

    bool startFails = false;
    bool focus = true;
    std::array<bool, 256> keys{};
    int cursorX = 0;
    int cursorY = 0;
    std::vector<Joystick> joysticks;
    int starts = 0;
    int stops = 0;

    void SetKey(std::uint32_t vk, bool down) { keys[vk & 0xFF] = down; }
    void ReleaseAllKeys() { keys.fill(false); }
    // Number of joysticks currently open.
    int OpenCount() const;

    bool Start() override;
    void Stop() override;
    bool HasFocus() override { return focus; }
    bool VirtualKeyDown(std::uint32_t vk) override;
    void CursorPosition(int& x, int& y) override {
        x = cursorX;
        y = cursorY;
    }
    int JoystickCount() override { return static_cast<int>(joysticks.size()); }
    int OpenJoystick(int index) override;
    void CloseJoystick(int device) override;
    bool JoystickCapabilities(int device, JoystickCaps& caps) override;
    bool JoystickAxisRange(int device, int axis, std::int32_t& minimum, std::int32_t& maximum) override;
    void PollJoystick(int device) override;
    bool ReadJoystick(int device, JoystickData& out) override;

private:
    Joystick* Find(int device);
};

// Hat value of a direction pad or hat switch from its four directions;
// opposite directions held together cancel out.
std::uint32_t PovFromDirections(bool up, bool right, bool down, bool left);

// ---- Devices (the DirectInput stand-in) ----

// Starts and stops the current source. InputStop releases every device still
// open and is harmless without InputStart.
bool InputStart();
void InputStop();

// Upper bound of joystick slots the system supports (the joyGetNumDevs
// stand-in).
int JoystickDeviceLimit();
// Attached joysticks, in enumeration order.
int JoystickCount();
// Opens enumeration index `index`; a device id, or -1.
int JoystickOpen(int index);
void JoystickClose(int device);
bool JoystickGetCaps(int device, JoystickCaps& caps);
bool JoystickGetAxisRange(int device, int axis, std::int32_t& minimum, std::int32_t& maximum);
bool JoystickAcquire(int device);  // fails without the focus
void JoystickUnacquire(int device);
void JoystickPoll(int device);
// Fails when the device is not acquired (focus lost) or gone.
bool JoystickRead(int device, JoystickData& out);

// The system keyboard as a device of 256 keys indexed by DirectInput key code
// (0x80 pressed), with an event buffer of `bufferSize` records.
bool KeyboardCreate(int bufferSize);
void KeyboardRelease();
bool KeyboardAcquire();  // fails without the focus
void KeyboardUnacquire();
bool KeyboardRead(std::uint8_t keys[256]);
// Reads up to `count` buffered events (key presses and releases since the
// last event read); the number read, or -1 when the keyboard is not acquired.
int KeyboardReadEvents(KeyboardEventData* out, int count);
// DirectInput key code of a virtual-key code (0 when it has none).
std::uint8_t KeyCodeOfVirtualKey(std::uint32_t vk);

// The Win32 key state: the high bit (the value is negative) when the key is
// held, 0 otherwise; always 0 while the window does not have the focus.
std::int16_t GetKeyState(std::uint32_t vk);
// Cursor position in client coordinates.
void GetCursorClientPos(int& x, int& y);

// ---- Scripted input ----
// A script is one little-endian 16-bit input word per frame. While a script
// is loaded it replaces the live devices: the game shell calls ScriptedInput()
// once per frame, and the game's input reads ScriptedInputWord().

// Loads a script file; false with a message naming the file when it cannot be
// read or is not a whole number of words.
bool LoadScriptedInput(const std::string& path, std::string& error);
void SetScriptedInput(std::vector<std::uint16_t> words);
void ClearScriptedInput();
bool ScriptedInputActive();
// Advances to the next frame and returns its word (0 after the last frame).
std::uint16_t ScriptedInput();
// The word of the current frame (0 before the first ScriptedInput call).
std::uint16_t ScriptedInputWord();
std::size_t ScriptedInputLength();
// Frames advanced so far.
std::size_t ScriptedInputPosition();

}  // namespace platform
