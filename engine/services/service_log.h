#pragma once
// Log lines and message boxes of the services. By default lines go to the
// engine's log (LogPrintf) and message boxes to ShowMessageBox on the calling
// thread; a worker thread shows its own box (or writes it to standard error
// when there is no display) and never hands it to the main thread, which may
// be waiting for that worker. Tests install sinks to read what was said.
#include <functional>
#include <string>

#include "engine/core/types.h"

void ServiceLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ServiceMessageBox(u32 type, const char* caption, const char* text);

using ServiceLogSink = std::function<void(const std::string& line)>;
using ServiceMessageBoxSink = std::function<void(u32 type, const std::string& caption, const std::string& text)>;
// Empty functions restore the defaults. Sinks may be called from any thread.
void SetServiceLogSink(ServiceLogSink sink);
void SetServiceMessageBoxSink(ServiceMessageBoxSink sink);

// Message box types and the texts the services share.
constexpr u32 kMessageBoxOk = 0x00;
constexpr u32 kMessageBoxIconError = 0x10;
inline constexpr const char* kDirectXMissingText = "DirectX8.1が正しくインストールされていない可能性があります";
inline constexpr const char* kDirectXInstallLine = "    [ DirectX8.1以降をインストールしてください。 ]\n";

// What a service says when it cannot make one of its platform objects: `line`
// and the install hint in the log, then the DirectX message box of `boxType`.
void ServiceReportMissingDirectX(const char* line, u32 boxType);
