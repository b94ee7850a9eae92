#include "platform/mci.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/regular_file.h"
#include "platform/window.h"

namespace platform {
namespace {

struct Device {
    std::uint32_t id = 0;
    std::string alias;
    std::string type;     // "cdaudio", "waveaudio" or "sequencer"
    std::string element;  // the file, when one was opened
    std::string mode = "stopped";
    std::string timeFormat = "milliseconds";
    std::int64_t position = 0;
    std::int64_t length = 0;
    std::int64_t playTo = 0;
    bool notifyPending = false;
    bool noDisc = false;
};

struct MciState {
    std::mutex mutex;
    std::vector<Device> devices;
    std::uint32_t nextId = 1;
    bool disc = false;
    std::int64_t discLength = 0;
    MciNotifySink sink;
};

MciState& State() {
    static MciState state;
    return state;
}

struct Notice {
    std::uint32_t flag;
    std::uint32_t id;
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Words(const char* command) {
    std::vector<std::string> words;
    std::istringstream in(command);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool ParseNumber(const std::string& s, std::int64_t& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || v < 0) return false;
    out = v;
    return true;
}

Device* Find(MciState& st, const std::string& alias) {
    const std::string key = Lower(alias);
    for (auto& d : st.devices) {
        if (Lower(d.alias) == key) return &d;
    }
    return nullptr;
}

std::string TypeOfFile(const std::string& file) {
    const std::string lower = Lower(file);
    auto endsWith = [&](const char* ext) {
        const std::size_t n = std::strlen(ext);
        return lower.size() >= n && lower.compare(lower.size() - n, n, ext) == 0;
    };
    if (endsWith(".wav")) return "waveaudio";
    if (endsWith(".mid") || endsWith(".midi") || endsWith(".rmi")) return "sequencer";
    return "";
}

std::int64_t FileLength(const std::string& file) {
    std::FILE* f = OpenRegularFile(file);
    if (!f) return -1;
    const bool sized = std::fseek(f, 0, SEEK_END) == 0;
    const long end = sized ? std::ftell(f) : -1;
    std::fclose(f);
    return end;
}

// Ends a pending notification with `flag`.
void Conclude(Device& d, std::uint32_t flag, std::vector<Notice>& out) {
    if (!d.notifyPending) return;
    d.notifyPending = false;
    out.push_back({flag, d.id});
}

std::uint32_t Run(MciState& st, const std::vector<std::string>& w, bool notify, std::string& answer,
                  std::vector<Notice>& notices) {
    const std::string verb = Lower(w[0]);
    if (verb == "open") {
        if (w.size() < 2) return MCIERR_MISSING_PARAMETER;
        std::string name = w[1];
        std::string type;
        std::string alias;
        for (std::size_t i = 2; i < w.size(); ++i) {
            const std::string k = Lower(w[i]);
            if ((k == "type" || k == "alias") && i + 1 < w.size()) {
                (k == "type" ? type : alias) = w[++i];
            } else if (k != "wait" && k != "notify" && k != "shareable") {
                return MCIERR_UNRECOGNIZED_KEYWORD;
            }
        }
        Device d;
        const std::string lname = Lower(name);
        if (lname == "cdaudio" || lname == "waveaudio" || lname == "sequencer") {
            if (!type.empty()) return MCIERR_UNRECOGNIZED_KEYWORD;
            d.type = lname;
            d.noDisc = lname == "cdaudio" && !st.disc;
            if (lname == "cdaudio") d.length = st.discLength;
        } else {
            d.type = type.empty() ? TypeOfFile(name) : Lower(type);
            if (d.type != "waveaudio" && d.type != "sequencer") return MCIERR_INVALID_DEVICE_NAME;
            const std::int64_t size = FileLength(name);
            if (size < 0) return MCIERR_FILE_NOT_FOUND;
            d.element = name;
            d.length = size;
        }
        d.alias = alias.empty() ? name : alias;
        if (Find(st, d.alias) != nullptr) return MCIERR_DEVICE_OPEN;
        if (d.noDisc) d.mode = "not ready";
        d.id = st.nextId++;
        answer = std::to_string(d.id);
        st.devices.push_back(d);
        if (notify) notices.push_back({MCI_NOTIFY_SUCCESSFUL, d.id});
        return 0;
    }

    static const char* const kVerbs[] = {"close", "play", "stop", "pause", "resume", "seek", "set", "status"};
    bool known = false;
    for (const char* v : kVerbs) known = known || verb == v;
    if (!known) return MCIERR_UNRECOGNIZED_COMMAND;
    if (w.size() < 2) return MCIERR_MISSING_PARAMETER;
    if (verb == "close" && Lower(w[1]) == "all") {
        for (auto& d : st.devices) Conclude(d, MCI_NOTIFY_ABORTED, notices);
        st.devices.clear();
        return 0;
    }
    Device* d = Find(st, w[1]);
    if (d == nullptr) return MCIERR_INVALID_DEVICE_NAME;
    const std::uint32_t id = d->id;

    if (verb == "close") {
        Conclude(*d, MCI_NOTIFY_ABORTED, notices);
        st.devices.erase(st.devices.begin() + (d - st.devices.data()));
        if (notify) notices.push_back({MCI_NOTIFY_SUCCESSFUL, id});
        return 0;
    }
    if (verb == "play") {
        if (d->noDisc) return MCIERR_DEVICE_NOT_READY;
        std::int64_t from = d->position;
        std::int64_t to = d->length;
        for (std::size_t i = 2; i < w.size(); ++i) {
            const std::string k = Lower(w[i]);
            if (k == "from" || k == "to") {
                if (i + 1 >= w.size()) return MCIERR_MISSING_PARAMETER;
                std::int64_t v = 0;
                if (!ParseNumber(w[++i], v)) return MCIERR_OUTOFRANGE;
                (k == "from" ? from : to) = v;
            } else if (k != "notify" && k != "wait") {
                return MCIERR_UNRECOGNIZED_KEYWORD;
            }
        }
        if (from > d->length || to > d->length || from > to) return MCIERR_OUTOFRANGE;
        Conclude(*d, MCI_NOTIFY_SUPERSEDED, notices);
        d->position = from;
        d->playTo = to;
        d->mode = "playing";
        d->notifyPending = notify;
        return 0;
    }
    if (verb == "stop" || verb == "pause") {
        if (d->noDisc) return MCIERR_DEVICE_NOT_READY;
        Conclude(*d, MCI_NOTIFY_ABORTED, notices);
        d->mode = verb == "stop" ? "stopped" : "paused";
        if (notify) notices.push_back({MCI_NOTIFY_SUCCESSFUL, id});
        return 0;
    }
    if (verb == "resume") {
        if (d->noDisc) return MCIERR_DEVICE_NOT_READY;
        if (d->mode == "paused") d->mode = "playing";
        return 0;
    }
    if (verb == "seek") {
        if (d->noDisc) return MCIERR_DEVICE_NOT_READY;
        if (w.size() < 4 || Lower(w[2]) != "to") return MCIERR_MISSING_PARAMETER;
        const std::string where = Lower(w[3]);
        std::int64_t v = 0;
        if (where == "start") {
            v = 0;
        } else if (where == "end") {
            v = d->length;
        } else if (!ParseNumber(where, v) || v > d->length) {
            return MCIERR_OUTOFRANGE;
        }
        Conclude(*d, MCI_NOTIFY_ABORTED, notices);
        d->position = v;
        d->mode = "stopped";
        if (notify) notices.push_back({MCI_NOTIFY_SUCCESSFUL, id});
        return 0;
    }
    if (verb == "set") {
        if (w.size() < 5 || Lower(w[2]) != "time" || Lower(w[3]) != "format") return MCIERR_MISSING_PARAMETER;
        d->timeFormat = Lower(w[4]);
        return 0;
    }
    if (verb == "status") {
        std::string item;
        for (std::size_t i = 2; i < w.size(); ++i) {
            const std::string k = Lower(w[i]);
            if (k == "wait" || k == "notify") continue;
            item += (item.empty() ? "" : " ") + k;
        }
        if (item == "mode") {
            answer = d->mode;
        } else if (item == "ready") {
            answer = d->noDisc ? "false" : "true";
        } else if (item == "media present") {
            answer = d->noDisc ? "false" : "true";
        } else if (d->noDisc) {
            return MCIERR_DEVICE_NOT_READY;
        } else if (item == "position") {
            answer = std::to_string(d->position);
        } else if (item == "length") {
            answer = std::to_string(d->length);
        } else if (item == "time format") {
            answer = d->timeFormat;
        } else if (item.empty()) {
            return MCIERR_MISSING_PARAMETER;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        return 0;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;  // not reached: every known verb returns above
}

void Deliver(MciState& st, const std::vector<Notice>& notices) {
    MciNotifySink sink;
    {
        std::lock_guard<std::mutex> lock(st.mutex);
        sink = st.sink;
    }
    for (const Notice& n : notices) {
        if (sink) {
            sink(MM_MCINOTIFY, n.flag, static_cast<std::intptr_t>(n.id));
        } else {
            PostAppMessage(MM_MCINOTIFY, n.flag, static_cast<std::intptr_t>(n.id));
        }
    }
}

}  // namespace

std::uint32_t mciSendStringA(const char* command, char* reply, std::uint32_t replySize, bool callback) {
    if (command == nullptr) return MCIERR_MISSING_PARAMETER;
    const std::vector<std::string> words = Words(command);
    if (words.empty()) return MCIERR_UNRECOGNIZED_COMMAND;
    bool notify = false;
    for (const auto& word : words) notify = notify || Lower(word) == "notify";
    notify = notify && callback;

    MciState& st = State();
    std::string answer;
    std::vector<Notice> notices;
    std::uint32_t result;
    {
        std::lock_guard<std::mutex> lock(st.mutex);
        result = Run(st, words, notify, answer, notices);
    }
    if (result == 0 && reply != nullptr && replySize > 0) {
        const std::size_t n = std::min<std::size_t>(answer.size(), replySize - 1);
        std::memcpy(reply, answer.data(), n);
        reply[n] = '\0';
    }
    Deliver(st, notices);
    return result;
}

void SetMciNotifySink(MciNotifySink sink) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().sink = std::move(sink);
}

bool EndMciPlay(const std::string& alias) {
    MciState& st = State();
    std::vector<Notice> notices;
    {
        std::lock_guard<std::mutex> lock(st.mutex);
        Device* d = Find(st, alias);
        if (d == nullptr || d->mode != "playing") return false;
        d->position = d->playTo;
        d->mode = "stopped";
        Conclude(*d, MCI_NOTIFY_SUCCESSFUL, notices);
    }
    Deliver(st, notices);
    return true;
}

void SetMciDisc(bool present, std::int64_t length) {
    MciState& st = State();
    std::vector<Notice> notices;
    {
        std::lock_guard<std::mutex> lock(st.mutex);
        st.disc = present;
        st.discLength = present ? length : 0;
        for (auto& d : st.devices) {
            if (d.type != "cdaudio") continue;
            Conclude(d, MCI_NOTIFY_ABORTED, notices);
            d.noDisc = !present;
            d.length = st.discLength;
            d.position = 0;
            d.mode = present ? "stopped" : "not ready";
        }
    }
    Deliver(st, notices);
}

void ResetMci() {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().devices.clear();
    State().nextId = 1;
    State().disc = false;
    State().discLength = 0;
}

std::uint32_t MciDeviceId(const std::string& alias) {
    std::lock_guard<std::mutex> lock(State().mutex);
    const Device* d = Find(State(), alias);
    return d == nullptr ? 0 : d->id;
}

}  // namespace platform
