#pragma once
// The application's global state and the small services every engine layer
// uses (exit request, folders, screen size, message boxes, log). The frame
// itself (ApplicationMain, the pump, the window procedure, manager start and
// stop) lives in engine/app.
#include "engine/core/types.h"

using MessageHookFn = void (*)(std::uintptr_t wParam, std::intptr_t lParam);

struct MessageHook {
    u32 message = 0;
    MessageHookFn callback = nullptr;
};

constexpr int kMaxMessageHooks = 64;

// Bits of the subsystem mask.
enum SubsystemBits : u32 {
    kSubsystemGraphics = 1u << 0,
    kSubsystemDirectInput = 1u << 1,
    kSubsystemDirectSound = 1u << 2,
    kSubsystemDirectMusic = 1u << 3,
    kSubsystemDirectShow = 1u << 4,
    kSubsystemDirectPlay = 1u << 5,
    kSubsystemMediaStream = 1u << 6,
    kSubsystemMCI = 1u << 7,
    kSubsystemThreadedStart = 1u << 8,
};

struct ApplicationState {
    char applicationName[256] = "Vexa";
    i32 clientWidth = 640;
    i32 clientHeight = 480;
    i32 drawStartupText = 1;
    i32 windowFrame = 1;
    i32 active = 1;
    i32 frameRate = 60;
    i32 running = 1;
    bool hasWindow = false;
    u32 SubsystemMask = 0;
    i32 windowed = 0;
    i32 showCursor = 0;
    MessageHook hooks[kMaxMessageHooks] = {};
    i32 hookCount = 0;
    std::uintptr_t lastMessageWParam = 0;  // the exit code after WM_QUIT
    i32 windowX = 0;
    i32 windowY = 0;
    u32 frameTimeStamp = 0;
    i32 exitRequested = 0;
    char applicationFolder[256] = "";
    char folderCopy[256] = "";
    u64 performanceFrequency = 1000;
    i32 hasPerformanceCounter = 0;
    i32 initialised = 0;
    // Statistics of the current and the last second.
    i32 frameCount = 0;
    i32 polygonCount = 0;
    i32 lastSecondFrames = 0;
    i32 lastSecondPolygons = 0;
    u32 secondStart = 0;
    bool secondStarted = false;
};

ApplicationState& App();
// Back to the defaults (tests).
void ResetApplicationState();

// Set-up (called by the game before the window exists).
void SetApplicationName(const char* name);
void SetScreenSize(i32 width, i32 height);
void SetDrawStartupLog(i32 flag);
void SetFrameRate(i32 fps);
void SetWindowMode(i32 windowed);
void SetShowCursor(i32 show);
void SetUseSubsystems(i32 mask);
i32 AddMessageHook(u32 message, MessageHookFn callback);

// Run time.
void ApplicationExit();
i32 ResetCurrentDirectory();
const char* GetApplicationDirectory();
void GetScreenSize(i32* width, i32* height);
i32 IsWindowMode();
i32 IsApplicationActive();
i32 IsThreadedInitialize();
bool HasWindow();
// Caption and text are Shift-JIS (code page 932); the platform converts them
// once, for display.
i32 ShowMessageBox(u32 type, const char* caption, const char* format, ...) __attribute__((format(printf, 3, 4)));
// "DirectX8.1が正しくインストールされていない可能性があります" in code page 932:
// the text of the box shown when the graphics or input devices cannot start.
inline constexpr char kDirectXInstallText[] =
    "DirectX8.1"
    "\x82\xaa\x90\xb3\x82\xb5\x82\xad\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb3"
    "\x82\xea\x82\xc4\x82\xa2\x82\xc8\x82\xa2\x89\xc2\x94\x5c\x90\xab\x82\xaa\x82\xa0\x82\xe8"
    "\x82\xdc\x82\xb7";
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Sets the log file; empty or null switches logging off (the default).
void SetLogFileName(const char* path);
i32 IsSjisLeadByte(u8 byte);
void AddFrameCount(i32 n);
void AddPolygonCount(i32 n);
