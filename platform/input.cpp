#include "platform/input.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/clock.h"
#include "platform/regular_file.h"

namespace platform {
namespace {

// Virtual-key codes not named in window.h, used by the key-code table.
enum : std::uint32_t {
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkSpace = 0x20,
    kVkPrior = 0x21,
    kVkNext = 0x22,
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkInsert = 0x2D,
    kVkDelete = 0x2E,
    kVkF1 = 0x70,
    kVkLShift = 0xA0,
    kVkRShift = 0xA1,
    kVkLControl = 0xA2,
    kVkRControl = 0xA3,
    kVkLMenu = 0xA4,
    kVkRMenu = 0xA5,
};

struct KeyCodePair {
    std::uint32_t vk;
    std::uint8_t dik;
};

// Virtual-key code to DirectInput key code (the PC keyboard's scan codes,
// 0x80 added for the extended keys).
constexpr KeyCodePair kKeyCodes[] = {
    {VK_ESCAPE, 0x01},  {'1', 0x02},        {'2', 0x03},         {'3', 0x04},       {'4', 0x05},
    {'5', 0x06},        {'6', 0x07},        {'7', 0x08},         {'8', 0x09},       {'9', 0x0A},
    {'0', 0x0B},        {kVkBack, 0x0E},    {kVkTab, 0x0F},      {'Q', 0x10},       {'W', 0x11},
    {'E', 0x12},        {'R', 0x13},        {'T', 0x14},         {'Y', 0x15},       {'U', 0x16},
    {'I', 0x17},        {'O', 0x18},        {'P', 0x19},         {kVkReturn, 0x1C}, {kVkLControl, 0x1D},
    {'A', 0x1E},        {'S', 0x1F},        {'D', 0x20},         {'F', 0x21},       {'G', 0x22},
    {'H', 0x23},        {'J', 0x24},        {'K', 0x25},         {'L', 0x26},       {kVkLShift, 0x2A},
    {'Z', 0x2C},        {'X', 0x2D},        {'C', 0x2E},         {'V', 0x2F},       {'B', 0x30},
    {'N', 0x31},        {'M', 0x32},        {kVkRShift, 0x36},   {kVkLMenu, 0x38},  {kVkSpace, 0x39},
    {kVkF1 + 0, 0x3B},  {kVkF1 + 1, 0x3C},  {kVkF1 + 2, 0x3D},   {kVkF1 + 3, 0x3E}, {kVkF1 + 4, 0x3F},
    {kVkF1 + 5, 0x40},  {kVkF1 + 6, 0x41},  {kVkF1 + 7, 0x42},   {kVkF1 + 8, 0x43}, {kVkF1 + 9, 0x44},
    {kVkF1 + 10, 0x57}, {kVkF1 + 11, 0x58}, {kVkRControl, 0x9D}, {kVkRMenu, 0xB8},  {kVkHome, 0xC7},
    {VK_UP, 0xC8},      {kVkPrior, 0xC9},   {VK_LEFT, 0xCB},     {VK_RIGHT, 0xCD},  {kVkEnd, 0xCF},
    {VK_DOWN, 0xD0},    {kVkNext, 0xD1},    {kVkInsert, 0xD2},   {kVkDelete, 0xD3},
};

InputSource* g_source = nullptr;

// Device bookkeeping of the DirectInput stand-in.
struct Devices {
    bool started = false;
    std::map<int, bool> joysticks;  // open device -> acquired
    bool keyboard = false;
    bool keyboardAcquired = false;
    int bufferSize = 0;
    std::array<std::uint8_t, 256> reported{};  // key state the event buffer last reported
    std::uint32_t sequence = 0;
};
Devices g_devices;

// Foreground devices: without the focus every device is unacquired.
bool CheckFocus() {
    if (CurrentInputSource().HasFocus()) return true;
    for (auto& entry : g_devices.joysticks) entry.second = false;
    g_devices.keyboardAcquired = false;
    return false;
}

void SnapshotKeys(std::array<std::uint8_t, 256>& keys) {
    keys.fill(0);
    InputSource& source = CurrentInputSource();
    for (const KeyCodePair& pair : kKeyCodes) {
        if (source.VirtualKeyDown(pair.vk)) keys[pair.dik] = 0x80;
    }
}

struct Script {
    bool active = false;
    std::vector<std::uint16_t> words;
    std::size_t position = 0;
    std::uint16_t current = 0;
};
Script g_script;

// A script longer than this (about 150 hours at 60 frames a second) is refused.
constexpr std::uintmax_t kMaxScriptBytes = 64u * 1024u * 1024u;

}  // namespace

InputSource& CurrentInputSource() { return g_source ? *g_source : SdlInputSource(); }

void SetInputSource(InputSource* source) { g_source = source; }

std::uint32_t PovFromDirections(bool up, bool right, bool down, bool left) {
    if (up && down) up = down = false;
    if (left && right) left = right = false;
    int dy = up ? -1 : (down ? 1 : 0);
    int dx = right ? 1 : (left ? -1 : 0);
    if (dx == 0 && dy == 0) return kPovCentred;
    // Clockwise from up in steps of 45 degrees.
    static constexpr std::uint32_t kTable[3][3] = {
        {31500, 0, 4500},       // up-left, up, up-right
        {27000, 0, 9000},       // left, (centre), right
        {22500, 18000, 13500},  // down-left, down, down-right
    };
    return kTable[dy + 1][dx + 1];
}

// ---- FakeInputSource ----

FakeInputSource::Joystick::Joystick() {
    caps.axisMask = 0x3F;
    caps.buttonCount = 16;
    caps.povCount = 1;
    caps.name = "Fake pad";
    for (int axis = 0; axis < kJoyAxisCount; ++axis) {
        minimum[axis] = 0;
        maximum[axis] = 65535;
    }
    for (int axis = 0; axis < 6; ++axis) SetAxisFromCentre(axis, 0);
}

void FakeInputSource::Joystick::SetAxisFromCentre(int axis, std::int32_t offset) {
    std::int32_t centre = static_cast<std::int32_t>((static_cast<std::int64_t>(minimum[axis]) + maximum[axis]) / 2);
    std::int32_t value = static_cast<std::int32_t>(static_cast<std::int64_t>(centre) + offset);
    if (axis < 6) {
        data.axes[axis] = value;
    } else {
        data.sliders[axis - 6] = value;
    }
}

int FakeInputSource::OpenCount() const {
    int n = 0;
    for (const Joystick& j : joysticks) n += j.open ? 1 : 0;
    return n;
}

bool FakeInputSource::Start() {
    ++starts;
    return !startFails;
}

void FakeInputSource::Stop() { ++stops; }

bool FakeInputSource::VirtualKeyDown(std::uint32_t vk) {
    switch (vk) {
        case kVkShift: return keys[kVkShift] || keys[kVkLShift] || keys[kVkRShift];
        case kVkControl: return keys[kVkControl] || keys[kVkLControl] || keys[kVkRControl];
        case kVkMenu: return keys[kVkMenu] || keys[kVkLMenu] || keys[kVkRMenu];
        default: return vk < 256 && keys[vk];
    }
}

FakeInputSource::Joystick* FakeInputSource::Find(int device) {
    if (device < 0 || device >= static_cast<int>(joysticks.size())) return nullptr;
    Joystick& j = joysticks[static_cast<std::size_t>(device)];
    return j.open ? &j : nullptr;
}

int FakeInputSource::OpenJoystick(int index) {
    if (index < 0 || index >= static_cast<int>(joysticks.size())) return -1;
    Joystick& j = joysticks[static_cast<std::size_t>(index)];
    if (j.openFails || j.open) return -1;
    j.open = true;
    return index;
}

void FakeInputSource::CloseJoystick(int device) {
    if (Joystick* j = Find(device)) j->open = false;
}

bool FakeInputSource::JoystickCapabilities(int device, JoystickCaps& caps) {
    Joystick* j = Find(device);
    if (!j) return false;
    caps = j->caps;
    return true;
}

bool FakeInputSource::JoystickAxisRange(int device, int axis, std::int32_t& minimum, std::int32_t& maximum) {
    Joystick* j = Find(device);
    if (!j || j->rangeFails || axis < 0 || axis >= kJoyAxisCount) return false;
    if (!(j->caps.axisMask & (1u << axis))) return false;
    minimum = j->minimum[axis];
    maximum = j->maximum[axis];
    return true;
}

void FakeInputSource::PollJoystick(int device) {
    if (Joystick* j = Find(device)) ++j->polls;
}

bool FakeInputSource::ReadJoystick(int device, JoystickData& out) {
    Joystick* j = Find(device);
    if (!j || !j->attached) return false;
    ++j->reads;
    out = j->data;
    return true;
}

// ---- Devices ----

bool InputStart() {
    if (g_devices.started) return true;
    if (!CurrentInputSource().Start()) return false;
    g_devices.started = true;
    return true;
}

void InputStop() {
    if (!g_devices.started) {
        g_devices = Devices{};
        return;
    }
    InputSource& source = CurrentInputSource();
    for (const auto& entry : g_devices.joysticks) source.CloseJoystick(entry.first);
    source.Stop();
    g_devices = Devices{};
}

int JoystickDeviceLimit() { return 16; }

int JoystickCount() { return g_devices.started ? CurrentInputSource().JoystickCount() : 0; }

int JoystickOpen(int index) {
    if (!g_devices.started) return -1;
    int device = CurrentInputSource().OpenJoystick(index);
    if (device >= 0) g_devices.joysticks[device] = false;
    return device;
}

void JoystickClose(int device) {
    auto it = g_devices.joysticks.find(device);
    if (it == g_devices.joysticks.end()) return;
    g_devices.joysticks.erase(it);
    CurrentInputSource().CloseJoystick(device);
}

bool JoystickGetCaps(int device, JoystickCaps& caps) {
    if (!g_devices.joysticks.count(device)) return false;
    return CurrentInputSource().JoystickCapabilities(device, caps);
}

bool JoystickGetAxisRange(int device, int axis, std::int32_t& minimum, std::int32_t& maximum) {
    if (!g_devices.joysticks.count(device)) return false;
    return CurrentInputSource().JoystickAxisRange(device, axis, minimum, maximum);
}

bool JoystickAcquire(int device) {
    auto it = g_devices.joysticks.find(device);
    if (it == g_devices.joysticks.end() || !CheckFocus()) return false;
    it->second = true;
    return true;
}

void JoystickUnacquire(int device) {
    auto it = g_devices.joysticks.find(device);
    if (it != g_devices.joysticks.end()) it->second = false;
}

void JoystickPoll(int device) {
    if (g_devices.joysticks.count(device)) CurrentInputSource().PollJoystick(device);
}

bool JoystickRead(int device, JoystickData& out) {
    auto it = g_devices.joysticks.find(device);
    if (it == g_devices.joysticks.end() || !CheckFocus() || !it->second) return false;
    if (CurrentInputSource().ReadJoystick(device, out)) return true;
    it->second = false;  // gone: unacquired until it comes back
    return false;
}

bool KeyboardCreate(int bufferSize) {
    if (!g_devices.started) return false;
    g_devices.keyboard = true;
    g_devices.keyboardAcquired = false;
    g_devices.bufferSize = std::max(0, bufferSize);
    return true;
}

void KeyboardRelease() {
    g_devices.keyboard = false;
    g_devices.keyboardAcquired = false;
}

bool KeyboardAcquire() {
    if (!g_devices.keyboard || !CheckFocus()) return false;
    if (!g_devices.keyboardAcquired) {
        // The event buffer starts from the state at acquisition.
        SnapshotKeys(g_devices.reported);
        g_devices.keyboardAcquired = true;
    }
    return true;
}

void KeyboardUnacquire() { g_devices.keyboardAcquired = false; }

bool KeyboardRead(std::uint8_t keys[256]) {
    if (!g_devices.keyboard || !CheckFocus() || !g_devices.keyboardAcquired) return false;
    std::array<std::uint8_t, 256> now;
    SnapshotKeys(now);
    std::copy(now.begin(), now.end(), keys);
    return true;
}

int KeyboardReadEvents(KeyboardEventData* out, int count) {
    if (!g_devices.keyboard || !CheckFocus() || !g_devices.keyboardAcquired) return -1;
    count = std::min(count, g_devices.bufferSize);
    std::array<std::uint8_t, 256> now;
    SnapshotKeys(now);
    int n = 0;
    std::uint32_t time = timeGetTime();
    for (int code = 0; code < 256 && n < count; ++code) {
        if (now[code] == g_devices.reported[code]) continue;
        g_devices.reported[code] = now[code];
        KeyboardEventData& e = out[n++];
        e.offset = static_cast<std::uint32_t>(code);
        e.data = now[code];
        e.timeStamp = time;
        e.sequence = g_devices.sequence++;
        e.appData = 0;
    }
    return n;
}

std::uint8_t KeyCodeOfVirtualKey(std::uint32_t vk) {
    for (const KeyCodePair& pair : kKeyCodes) {
        if (pair.vk == vk) return pair.dik;
    }
    return 0;
}

std::int16_t GetKeyState(std::uint32_t vk) {
    InputSource& source = CurrentInputSource();
    if (!source.HasFocus()) return 0;
    return source.VirtualKeyDown(vk) ? static_cast<std::int16_t>(-128) : 0;
}

void GetCursorClientPos(int& x, int& y) { CurrentInputSource().CursorPosition(x, y); }

// ---- Scripted input ----

bool LoadScriptedInput(const std::string& path, std::string& error) {
    std::vector<unsigned char> raw;
    FileOpenError openError;
    std::uint64_t bytes = 0;
    if (!ReadRegularFile(path, kMaxScriptBytes, raw, &openError, &bytes)) {
        error = "input script \"" + path + "\": cannot be read: " + openError.reason;
        return false;
    }
    if (bytes > kMaxScriptBytes) {
        error = "input script \"" + path + "\": too large (" + std::to_string(bytes) + " bytes)";
        return false;
    }
    if (bytes % 2 != 0) {
        error = "input script \"" + path + "\": odd size of " + std::to_string(bytes) +
                " bytes (one 16-bit word per frame)";
        return false;
    }
    if (raw.size() != bytes) {
        error = "input script \"" + path + "\": changed while it was read";
        return false;
    }
    std::vector<std::uint16_t> words(raw.size() / 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    }
    SetScriptedInput(std::move(words));
    return true;
}

void SetScriptedInput(std::vector<std::uint16_t> words) {
    g_script = Script{};
    g_script.active = true;
    g_script.words = std::move(words);
}

void ClearScriptedInput() { g_script = Script{}; }

bool ScriptedInputActive() { return g_script.active; }

std::uint16_t ScriptedInput() {
    if (!g_script.active) return 0;
    std::size_t i = g_script.position;
    g_script.current = i < g_script.words.size() ? g_script.words[i] : 0;
    ++g_script.position;
    return g_script.current;
}

std::uint16_t ScriptedInputWord() { return g_script.current; }

std::size_t ScriptedInputLength() { return g_script.words.size(); }

std::size_t ScriptedInputPosition() { return g_script.position; }

}  // namespace platform
