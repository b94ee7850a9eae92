#include "engine/app/startup_report.h"

#include <cpuid.h>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstring>

#include "engine/core/application.h"

// --- start-up report ---

StartupLogLines& StartupLog() {
    static StartupLogLines log;
    return log;
}

void DrawStartupLog(const char* line) {
    if (!App().drawStartupText || !HasWindow()) return;
    StartupLogLines& log = StartupLog();
    if (log.count < kStartupLogLines) {
        std::strncpy(log.lines[log.count], line, kStartupLogLineBytes - 1);
        log.lines[log.count][kStartupLogLineBytes - 1] = 0;
        ++log.count;
    }
}

void LogOSVersion() {
    struct utsname u {};
    if (uname(&u) == 0) {
        LogPrintf("  ■ OS         : %s %s ( %s )\n", u.sysname, u.release, u.machine);
    } else {
        LogPrintf("  ■ OS         : UnKnown\n");
    }
}

void LogCPUInfo() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char vendor[13] = {};
    if (__get_cpuid(0, &a, &b, &c, &d)) {
        std::memcpy(vendor, &b, 4);
        std::memcpy(vendor + 4, &d, 4);
        std::memcpy(vendor + 8, &c, 4);
    }
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __get_cpuid(1, &eax, &ebx, &ecx, &edx);
    unsigned family = (eax >> 8) & 0xF, model = (eax >> 4) & 0xF, stepping = eax & 0xF;
    unsigned type = (eax >> 12) & 0x3;
    auto yn = [](bool v) { return v ? "yes" : "no"; };
    unsigned ea = 0, eb = 0, ec = 0, ed = 0;
    __get_cpuid(0x80000001, &ea, &eb, &ec, &ed);
    LogPrintf("  ■ CPU        : %s Type %u Family %u Model %u Stepping %u\n", vendor, type, family, model, stepping);
    LogPrintf(
        "     FPU %s / CPUID %s / MMX %s / MMX2 %s / SSE %s / SSE2 %s / 3DNow %s / E3DNow %s / "
        "CMOV %s / FCMOV %s / TSC %s\n",
        yn(edx & (1u << 0)), yn(true), yn(edx & (1u << 23)), yn(edx & (1u << 25)), yn(edx & (1u << 25)),
        yn(edx & (1u << 26)), yn(ed & (1u << 31)), yn(ed & (1u << 30)), yn(edx & (1u << 15)),
        yn((edx & (1u << 15)) && (edx & 1u)), yn(edx & (1u << 4)));
}

void WriteSystemReport() {
    LogPrintf("  ■ Directory  : %s\n", App().applicationFolder);
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
        double unit = static_cast<double>(si.mem_unit);
        LogPrintf("  ■ RAM        : Total %.3lfMB / Free %.3lfMB\n",
                  static_cast<double>(si.totalram) * unit / 1048576.0,
                  static_cast<double>(si.freeram) * unit / 1048576.0);
    }
    LogOSVersion();
    const char* user = getlogin();
    if (!user) {
        if (struct passwd* pw = getpwuid(getuid())) user = pw->pw_name;
    }
    LogPrintf("  ■ User Name  : %s\n", user ? user : "");
    LogPrintf("  ■ Boot Mode  : Normal Boot\n");
    LogCPUInfo();
}

// --- thread table ---

ThreadTable& Threads() {
    static ThreadTable table;
    return table;
}

i32 InitializeThread() {
    ThreadTable& t = Threads();
    for (ThreadSlot& s : t.slots) {
        s.inUse = false;
        s.running = false;
        s.paused = false;
        s.name[0] = 0;
    }
    t.suspended = false;
    return 1;
}

i32 DestroyThread() {
    ThreadTable& t = Threads();
    for (int i = kThreadSlots - 1; i >= 0; --i) {
        ThreadSlot& s = t.slots[i];
        if (!s.inUse || !s.thread.joinable()) continue;
        LogPrintf("■ Thread Abort No.%02d [0x%08X] [%s]\n", i, static_cast<unsigned>(i), s.name);
        s.running = false;
        s.paused = false;
        s.thread.join();
        s.inUse = false;
    }
    InitializeThread();
    return 0;
}

void SuspendAllThreads() {
    ThreadTable& t = Threads();
    if (t.suspended) return;
    t.suspended = true;
    for (ThreadSlot& s : t.slots)
        if (s.inUse && s.running) s.paused = true;
}

void ResumeAllThreads() {
    ThreadTable& t = Threads();
    if (!t.suspended) return;
    t.suspended = false;
    for (ThreadSlot& s : t.slots)
        if (s.inUse && s.running) s.paused = false;
}

// --- text input ---

TextInputRing& TextInput() {
    static TextInputRing ring;
    return ring;
}

i32 InitializeTextInput() {
    TextInputRing& r = TextInput();
    std::memset(r.text, 0, sizeof r.text);
    r.start = 0;
    r.hasContext = true;
    return 1;
}

void DestroyTextInput() { TextInput().hasContext = false; }

void CloseImeWindow() {}

namespace {

int RingIndex(int i) { return ((i % kTextRingBytes) + kTextRingBytes) % kTextRingBytes; }

// Offset of the terminator from the start, or -1 when the text fills 256 bytes.
int TextLength(const TextInputRing& r) {
    for (int k = 0; k < kTextMaxBytes; ++k)
        if (r.text[RingIndex(r.start + k)] == 0) return k;
    return -1;
}

}  // namespace

void TextInputChar(i32 ch) {
    TextInputRing& r = TextInput();
    if (!r.hasContext) return;
    if (ch == 8) {
        TextInputBackspace();
        return;
    }
    if (ch == 13 || ch == 27) return;
    int len = TextLength(r);
    if (len < 0) return;
    r.text[RingIndex(r.start + len)] = static_cast<u8>(ch);
    int term = RingIndex(r.start + len + 1);
    r.text[term] = 0;
    if (term == r.start) r.start = RingIndex(r.start + 1);
}

void TextInputBackspace() {
    TextInputRing& r = TextInput();
    if (!r.hasContext) return;
    int len = TextLength(r);
    if (len < 0) len = kTextMaxBytes;
    if (len == 0) return;
    if (len == 1) {
        for (int k = 0; k < kTextMaxBytes; ++k) r.text[k] = 0;
        r.start = 0;
        return;
    }
    int last = 0;
    for (int k = 0; k < len;) {
        last = k;
        k += IsSjisLeadByte(r.text[RingIndex(r.start + k)]) ? 2 : 1;
    }
    r.text[RingIndex(r.start + last)] = 0;
}

std::string TextInputString() {
    const TextInputRing& r = TextInput();
    std::string s;
    for (int k = 0; k < kTextMaxBytes; ++k) {
        u8 c = r.text[RingIndex(r.start + k)];
        if (c == 0) break;
        s += static_cast<char>(c);
    }
    return s;
}
