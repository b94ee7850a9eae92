#pragma once
// Captures what the services log and the message boxes they raise, and swaps
// the audio device for a counter, for the length of one test.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/services/service_log.h"
#include "platform/com.h"
#include "tests/support/faults.h"

struct CapturedBox {
    u32 type;
    std::string caption;
    std::string text;
};

class ServiceCapture {
public:
    ServiceCapture() {
        SetServiceLogSink([this](const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            log_ += line;
        });
        SetServiceMessageBoxSink([this](u32 type, const std::string& caption, const std::string& text) {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back({type, caption, text});
        });
        platform::SetAudioDeviceOpener(
            {[this] { return static_cast<std::uint32_t>(++opened_); }, [this](std::uint32_t) { ++closed_; }});
    }
    ~ServiceCapture() {
        SetServiceLogSink({});
        SetServiceMessageBoxSink({});
        platform::SetAudioDeviceOpener({});
        testing_support::ClearFaults();
    }

    std::string Log() {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
    // Position of `text` in the log (npos when absent).
    std::size_t Where(const std::string& text) { return Log().find(text); }
    std::vector<CapturedBox> Boxes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    int DevicesOpened() const { return opened_.load(); }
    int DevicesClosed() const { return closed_.load(); }

private:
    std::mutex mutex_;
    std::string log_;
    std::vector<CapturedBox> boxes_;
    std::atomic<int> opened_{0};
    std::atomic<int> closed_{0};
};
