#pragma once
// Start-up report, thread table and text input of the application frame.
#include <atomic>
#include <string>
#include <thread>

#include "engine/core/types.h"

// --- start-up report ---
constexpr int kStartupLogLines = 32;
constexpr int kStartupLogLineBytes = 128;

struct StartupLogLines {
    char lines[kStartupLogLines][kStartupLogLineBytes] = {};
    i8 count = 0;
};

StartupLogLines& StartupLog();
// Keeps the line when the start-up text flag is set and the window exists.
// (The lines are kept for the window; this build draws no text on it.)
void DrawStartupLog(const char* line);
void LogOSVersion();
void LogCPUInfo();
// The system description InitializeApplication writes to the log.
void WriteSystemReport();

// --- thread table ---
constexpr int kThreadSlots = 16;

struct ThreadSlot {
    bool inUse = false;
    std::atomic<bool> running{false};  // cleared to ask the thread to stop
    std::atomic<bool> paused{false};   // set while the table is suspended
    std::thread thread;
    char name[64] = "";
};

struct ThreadTable {
    ThreadSlot slots[kThreadSlots];
    bool suspended = false;
};

ThreadTable& Threads();
i32 InitializeThread();
i32 DestroyThread();
// Threads of the table are asked to pause (they check their slot's paused flag);
// nested calls suspend and resume once.
void SuspendAllThreads();
void ResumeAllThreads();

// --- text input ---
constexpr int kTextRingBytes = 4096;
constexpr int kTextMaxBytes = 256;

struct TextInputRing {
    u8 text[kTextRingBytes] = {};
    i32 start = 0;
    bool hasContext = false;
};

TextInputRing& TextInput();
i32 InitializeTextInput();
void DestroyTextInput();
void CloseImeWindow();
void TextInputChar(i32 ch);
void TextInputBackspace();
// The collected text from the start index up to its terminator.
std::string TextInputString();
