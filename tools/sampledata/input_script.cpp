#include "tools/sampledata/input_script.h"

#include <cstdlib>
#include <sstream>

namespace {

struct KeyName {
    const char* name;
    u16 bit;
};

// The bits of the game's input word.
constexpr KeyName kKeys[] = {
    {"Up", 1u << 0}, {"Down", 1u << 1}, {"Left", 1u << 2}, {"Right", 1u << 3}, {"Z", 1u << 4},  {"X", 1u << 5},
    {"V", 1u << 6},  {"C", 1u << 7},    {"A", 1u << 8},    {"S", 1u << 9},     {"T", 1u << 10},
};

bool ParseCount(const std::string& text, u64& out) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

bool ParseKeys(const std::string& text, u16& out) {
    out = 0;
    if (text.empty() || text == "-") return true;
    std::stringstream ss(text);
    std::string name;
    while (std::getline(ss, name, '+')) {
        bool found = false;
        for (const KeyName& k : kKeys) {
            if (name == k.name) {
                out = static_cast<u16>(out | k.bit);
                found = true;
            }
        }
        if (!found) return false;
    }
    return true;
}

struct Block {
    u64 times = 1;
    std::vector<u16> words;
    std::size_t line = 0;
};

}  // namespace

bool ParseInputScript(const std::string& text, std::vector<u16>& words, std::string& error, std::size_t maxFrames) {
    std::vector<Block> stack(1);
    std::stringstream in(text);
    std::string raw;
    std::size_t lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNumber;
        const std::size_t hash = raw.find('#');
        if (hash != std::string::npos) raw.erase(hash);
        std::stringstream fields(raw);
        std::string first;
        std::string second;
        std::string extra;
        if (!(fields >> first)) continue;
        fields >> second;
        if (fields >> extra) return fail("unexpected \"" + extra + "\"");
        if (first == "repeat") {
            u64 times = 0;
            if (!ParseCount(second, times)) return fail("repeat needs a count");
            Block b;
            b.times = times;
            b.line = lineNumber;
            stack.push_back(std::move(b));
            continue;
        }
        if (first == "end") {
            if (stack.size() < 2) return fail("end without repeat");
            if (!second.empty()) return fail("unexpected \"" + second + "\"");
            Block b = std::move(stack.back());
            stack.pop_back();
            auto& outer = stack.back().words;
            if (b.times > 0 && b.words.size() > (maxFrames - outer.size()) / b.times) {
                return fail("the script is longer than " + std::to_string(maxFrames) + " frames");
            }
            for (u64 i = 0; i < b.times; ++i) outer.insert(outer.end(), b.words.begin(), b.words.end());
            continue;
        }
        u64 count = 0;
        if (!ParseCount(first, count)) return fail("expected a frame count, \"repeat N\" or \"end\"");
        u16 keys = 0;
        if (!ParseKeys(second, keys)) return fail("unknown key in \"" + second + "\"");
        auto& out = stack.back().words;
        if (count > maxFrames - out.size()) {
            return fail("the script is longer than " + std::to_string(maxFrames) + " frames");
        }
        out.insert(out.end(), static_cast<std::size_t>(count), keys);
    }
    if (stack.size() > 1) {
        error = "line " + std::to_string(stack.back().line) + ": repeat without end";
        return false;
    }
    words = std::move(stack.front().words);
    return true;
}

std::vector<u8> InputScriptBytes(const std::vector<u16>& words) {
    std::vector<u8> bytes;
    bytes.reserve(words.size() * 2);
    for (u16 w : words) {
        bytes.push_back(static_cast<u8>(w & 0xFF));
        bytes.push_back(static_cast<u8>(w >> 8));
    }
    return bytes;
}
