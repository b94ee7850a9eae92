#include "engine/services/service_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

#include "engine/core/application.h"
#include "platform/system.h"

namespace {

struct Sinks {
    std::mutex mutex;
    ServiceLogSink log;
    ServiceMessageBoxSink messageBox;
};

Sinks& TheSinks() {
    static Sinks sinks;
    return sinks;
}

}  // namespace

void ServiceLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);

    ServiceLogSink sink;
    {
        std::lock_guard<std::mutex> lock(TheSinks().mutex);
        sink = TheSinks().log;
    }
    if (sink) {
        sink(line);
    } else {
        LogPrintf("%s", line.c_str());
    }
}

void ServiceMessageBox(u32 type, const char* caption, const char* text) {
    ServiceMessageBoxSink sink;
    {
        std::lock_guard<std::mutex> lock(TheSinks().mutex);
        sink = TheSinks().messageBox;
    }
    if (sink) {
        sink(type, caption, text);
        return;
    }
    // The engine's texts are Shift-JIS.
    const std::string sjisCaption = platform::Utf8ToSjis(caption);
    const std::string sjisText = platform::Utf8ToSjis(text);
    ShowMessageBox(type, sjisCaption.c_str(), "%s", sjisText.c_str());
}

void ServiceReportMissingDirectX(const char* line, u32 boxType) {
    ServiceLog("%s", line);
    ServiceLog("%s", kDirectXInstallLine);
    ServiceMessageBox(boxType, "Error", kDirectXMissingText);
}

void SetServiceLogSink(ServiceLogSink sink) {
    std::lock_guard<std::mutex> lock(TheSinks().mutex);
    TheSinks().log = std::move(sink);
}

void SetServiceMessageBoxSink(ServiceMessageBoxSink sink) {
    std::lock_guard<std::mutex> lock(TheSinks().mutex);
    TheSinks().messageBox = std::move(sink);
}
