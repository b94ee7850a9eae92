#include "engine/app/application_main.h"

#include <chrono>
#include <cstring>
#include <string>

#include "engine/app/managers.h"
#include "engine/app/run_options.h"
#include "engine/app/screenshot.h"
#include "engine/app/startup_report.h"
#include "engine/core/application.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/gfx/draw_list.h"
#include "platform/system.h"

namespace {

GameSetupFn g_gameSetup = nullptr;
GameMainFn g_gameMain = nullptr;
i64 g_framesRun = 0;

std::string Sjis(const char* utf8) { return platform::Utf8ToSjis(utf8); }

platform::VirtualClock& HeadlessClock() {
    static platform::VirtualClock clock;
    return clock;
}

// The blocking loop of the threaded start: no frame runs.
i32 BlockingLoop() {
    ApplicationState& app = App();
    for (;;) {
        platform::Msg m;
        if (!platform::PeekAppMessage(m)) {
            platform::WaitAppMessage(100);
            continue;
        }
        if (m.message == platform::WM_QUIT) {
            app.running = 0;
            app.lastMessageWParam = m.wParam;
            return 0;
        }
        platform::DispatchAppMessage(m);
    }
}

}  // namespace

void SetGameCallbacks(GameSetupFn setup, GameMainFn main) {
    g_gameSetup = setup;
    g_gameMain = main;
}

i64 PacingSleepMs(u32 elapsed, i32 frameRate) {
    if (frameRate <= 0) return 0;
    // 64-bit so a long pause cannot overflow 60 x e; never more than one frame.
    i64 s = (1000 - static_cast<i64>(frameRate) * static_cast<i64>(elapsed)) / frameRate;
    if (s <= 0) return 0;
    i64 frame = 1000 / frameRate;
    return s > frame ? frame : s;
}

void FrameSync() {
    ApplicationState& app = App();
    u32 now = platform::timeGetTime();
    u32 e = now - app.frameTimeStamp;
    if (app.frameRate != 0) {
        i64 s = PacingSleepMs(e, app.frameRate);
        if (s > 0) platform::Sleep(static_cast<u32>(s));
        now = platform::timeGetTime();
    }
    app.frameTimeStamp = now;
    if (!app.secondStarted) {
        app.secondStarted = true;
        app.secondStart = now;
    } else if (now - app.secondStart >= 1000) {
        app.lastSecondFrames = app.frameCount;
        app.lastSecondPolygons = app.polygonCount;
        app.frameCount = 0;
        app.polygonCount = 0;
        app.secondStart = now;
    }
}

i32 ApplicationPump() {
    ApplicationState& app = App();
    if (IsThreadedInitialize()) return BlockingLoop();
    // The frame before this call has been presented.
    SaveScreenshotAfterFrame(g_framesRun);
    PrintPictureHashAfterFrame(g_framesRun);
    // --frames N: the Nth call asks to end, so exactly N frames run.
    if (Options().frameLimit >= 0 && g_framesRun >= Options().frameLimit && !app.exitRequested) ApplicationExit();
    for (;;) {
        platform::Msg m;
        while (platform::PeekAppMessage(m)) {
            if (m.message == platform::WM_QUIT) {
                app.active = 1;
                app.running = 0;
                app.lastMessageWParam = m.wParam;
                FrameSync();
                return 0;
            }
            platform::DispatchAppMessage(m);
        }
        if (!app.active && app.running) {
            // In the background no frame runs; wait for the next event instead
            // of spinning.
            platform::WaitAppMessage(100);
            continue;
        }
        FrameSync();
        if (app.running) {
            ++g_framesRun;
            // --draw-frames: the frame about to run is drawn or not.
            if (!Options().drawFrames.empty()) platform::gfx::SetDrawingEnabled(FrameDrawn(Options(), g_framesRun));
        }
        return app.running;
    }
}

void WindowProc(const platform::Msg& msg) {
    ApplicationState& app = App();
    switch (msg.message) {
        case platform::WM_CREATE:
            if (app.showCursor == 0) platform::SetCursorVisible(false);
            break;
        case platform::WM_DESTROY:
            if (app.showCursor == 0) platform::SetCursorVisible(true);
            platform::PostQuitMessage(0);
            break;
        case platform::WM_MOVE:
            app.windowX = static_cast<i16>(msg.lParam & 0xFFFF);
            app.windowY = static_cast<i16>((msg.lParam >> 16) & 0xFFFF);
            break;
        case platform::WM_CLOSE:
            SuspendAllThreads();
            app.hasWindow = false;
            break;
        case platform::WM_ACTIVATEAPP:
            app.active = msg.wParam != 0;
            if (app.active) ResumeAllThreads();
            else SuspendAllThreads();
            break;
        case platform::WM_CHAR: TextInputChar(static_cast<i32>(msg.wParam)); break;
        case platform::WM_MOUSEWHEEL: InputMouseWheel(static_cast<i16>((msg.wParam >> 16) & 0xFFFF)); break;
        case platform::WM_LBUTTONDBLCLK: InputMouseLeftDoubleClick(); break;
        case platform::WM_RBUTTONDBLCLK: InputMouseRightDoubleClick(); break;
        case platform::WM_MBUTTONDBLCLK: InputMouseMiddleDoubleClick(); break;
        case platform::MM_MCINOTIFY:
            if (msg.wParam == 1) MciNotify();
            break;
        case platform::WM_USER + 1: DirectShowPumpEvents(); break;
        default: break;
    }
    for (i32 i = 0; i < app.hookCount; ++i) {
        if (app.hooks[i].message == msg.message && app.hooks[i].callback) app.hooks[i].callback(msg.wParam, msg.lParam);
    }
    // The default handling of WM_CLOSE destroys the window, which sends
    // WM_DESTROY and so posts WM_QUIT.
    if (msg.message == platform::WM_CLOSE) platform::DestroyMainWindow();
}

i32 InitializeApplication() {
    ApplicationState& app = App();
    DrawStartupLog(" -> Check System...");
    WriteSystemReport();
    DrawStartupLog(" -> Initialize MultimediaTimer...");
    app.performanceFrequency = static_cast<u64>(std::chrono::steady_clock::period::den) /
                               static_cast<u64>(std::chrono::steady_clock::period::num);
    app.hasPerformanceCounter = 1;
    app.frameTimeStamp = platform::timeGetTime();
    InitializeMath();
    InitializeTextInput();
    // Graphics is always on.
    DrawStartupLog(" -> Initialize DirectXGraphics...");
    if (!InitializeDirectXGraphics()) return 0;
    InitializeCamera();
    InitializeVertexShader();
    InitializeTexture();
    InitializeSprite();
    InitializeScene();
    InitializeModel();
    InitializeSurface();
    InitializeListSprite();
    InitializeFont();
    InitializeFontSprite();
    InitializeFontFx();
    InitializeSheet();
    InitializePrimitive();
    InitializePrimitive2();
    InitializePerticle();
    const u32 mask = app.SubsystemMask;
    if (mask & kSubsystemDirectInput) {
        DrawStartupLog(" -> Initialize Directinput...");
        InitializeDirectInput();
    }
    if (mask & kSubsystemDirectSound) {
        DrawStartupLog(" -> Initialize DirectSound...");
        InitializeDirectSound();
    }
    if (mask & kSubsystemDirectMusic) {
        DrawStartupLog(" -> Initialize DirectMusic...");
        InitializeDirectMusic();
    }
    if (mask & kSubsystemDirectShow) {
        DrawStartupLog(" -> Initialize DirectShow...");
        InitializeDirectShow();
    }
    if (mask & kSubsystemDirectPlay) {
        DrawStartupLog(" -> Initialize DirectPlay...");
        InitializeDirectPlay();
    }
    if (mask & kSubsystemMediaStream) {
        DrawStartupLog(" -> Initialize MediaStream...");
        InitializeMediaStream();
    }
    if (mask & kSubsystemMCI) {
        DrawStartupLog(" -> Initialize MCI...");
        InitializeMCI();
    }
    app.initialised = 1;
    return 1;
}

void FinalizeApplication() {
    const u32 mask = App().SubsystemMask;
    DestroyMath();
    DestroyTextInput();
    CloseImeWindow();
    if (mask & kSubsystemMCI) DestroyMCI();
    if (mask & kSubsystemMediaStream) DestroyMediaStream();
    if (mask & kSubsystemDirectPlay) DestroyDirectPlay();
    if (mask & kSubsystemDirectShow) DestroyDirectShow();
    if (mask & kSubsystemDirectMusic) DestroyDirectMusic();
    if (mask & kSubsystemDirectSound) DestroyDirectSound();
    if (mask & kSubsystemDirectInput) DestroyDirectInput();
    DestroyPerticle();
    DestroyPrimitive2();
    DestroyPrimitive();
    DestroySheet();
    DestroyFontFx();
    DestroyFontSprite();
    DestroyFont();
    DestroyListSprite();
    DestroySprite();
    DestroyScene();
    DestroyModel();
    DestroyVertexShader();
    DestroySurface();
    DestroyTexture();
    DestroyCamera();
    DestroyDirectXGraphics();
}

void ApplyWindowStyle() { platform::SetFullScreen(!App().windowed); }

void ToggleWindowMode() {
    ApplicationState& app = App();
    SuspendAllThreads();
    if (app.windowed) {
        app.windowed = 0;
        ApplyWindowStyle();
        RestoreDevice(1);
    } else {
        app.windowed = 1;
        RestoreDevice(1);
        ApplyWindowStyle();
    }
    ResumeAllThreads();
}

i32 ApplicationMain(int argc, char** argv) {
    ApplicationState& app = App();
    g_framesRun = 0;
    ResetScreenshots();
    // 1. The program's folder becomes the current directory.
    std::string folder = platform::ProgramFolder();
    std::strncpy(app.applicationFolder, folder.c_str(), sizeof app.applicationFolder - 1);
    ResetCurrentDirectory();
    // A headless run's virtual clock starts at zero at every start, as a new
    // program's would: the engine's generator is seeded from it, so a second
    // run in the same process must not start from where the first one ended.
    if (Options().headless && &platform::CurrentClock() == &platform::RealClock()) {
        HeadlessClock() = platform::VirtualClock();
        platform::SetClock(&HeadlessClock());
    }

    // 2. The game's settings, before any window exists.
    if (g_gameSetup) g_gameSetup();
    if (app.exitRequested || platform::LeaveSignal() != 0) return 0;
    platform::gfx::SetDrawingEnabled(FrameDrawn(Options(), 1));
    platform::gfx::SetDrawThreads(Options().drawThreads > 0
                                      ? Options().drawThreads
                                      : DefaultDrawThreads(Options().headless, platform::UsableProcessors()));

    // 3. Only one running copy in the program's folder (where its files are).
    platform::SingleInstanceLock lock;
    bool started = false;
    i32 failed = 0;
    if (!lock.Acquire(app.applicationFolder)) {
        ShowMessageBox(16, "Error", "%s", Sjis("2重起動は出来ません").c_str());
        failed = 1;
    } else {
        // 4-6. The window.
        std::string error;
        if (!platform::InitVideo(Options().headless, error)) {
            ShowMessageBox(16, "Error", "%s", Sjis("ウィンドウの生成に失敗").c_str());
            failed = 1;
        } else {
            platform::WindowDesc desc;
            desc.title = platform::SjisToUtf8(app.applicationName);
            desc.clientWidth = app.clientWidth;
            desc.clientHeight = app.clientHeight;
            desc.fullScreen = !app.windowed;
            desc.showCursor = app.showCursor != 0;
            app.hasWindow = true;
            if (!platform::CreateMainWindow(desc, WindowProc)) {
                app.hasWindow = false;
                ShowMessageBox(16, "Error", "%s", Sjis("ウィンドウの生成に失敗").c_str());
                failed = 1;
            } else {
                // 7. Managers.
                DrawStartupLog(Sjis("■ Vexa3rd Phase 10.22... 2005.02.20").c_str());
                DrawStartupLog(" -> Create Window...");
                started = IsThreadedInitialize() ? InitializeThread() != 0 : InitializeApplication() != 0;
                if (!started) failed = 1;
            }
        }
    }
    // 8. The game.
    if (started) {
        app.frameTimeStamp = platform::timeGetTime();
        if (g_gameMain) g_gameMain(argc, argv);
    }
    // 9. Finish.
    if (IsThreadedInitialize()) DestroyThread();
    else FinalizeApplication();
    platform::DestroyMainWindow();
    platform::ShutdownVideo();
    lock.Release();
    if (&platform::CurrentClock() == &HeadlessClock()) platform::SetClock(nullptr);
    platform::gfx::SetDrawingEnabled(true);
    platform::gfx::SetDrawThreads(1);
    // A copy that could not start says so in its status too, and so does a
    // run whose screenshot could not be written.
    if (failed) return failed;
    if (ScreenshotFailed() && app.lastMessageWParam == 0) return 1;
    return static_cast<i32>(app.lastMessageWParam);
}
