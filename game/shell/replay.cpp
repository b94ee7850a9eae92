#include "game/shell/replay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "game/shell/play_state.h"
#include "game/shell/shell_text.h"
#include "platform/regular_file.h"

PlayRecord g_PlayRecord;
std::vector<ReplayHeader> g_ReplayList;
std::vector<std::string> g_ReplayPathList;

namespace {

bool ValidStage(i32 stage) { return stage >= 0 && stage < kStageSlots; }

template <typename T>
T ClampTo(T value, T lo, T hi) {
    return value < lo ? lo : (value > hi ? hi : value);
}

// The summary's lines end in a carriage return and a line feed, as the game's
// text files do.
std::string ToCrlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

std::string QuoteName(const std::string& path) { return "\"" + path + "\""; }

// The first value of a decoded header outside the range the game makes, as
// "<field>[<slot>] is <value>, outside <lo> to <hi>"; empty when there is none.
std::string FirstValueOutOfRange(const ReplayHeader& h) {
    std::string found;
    const auto check = [&found](const char* field, int slot, u64 value, u64 hi) {
        if (!found.empty() || value <= hi) return;
        found = std::string(field) + (slot >= 0 ? "[" + std::to_string(slot) + "]" : std::string()) + " is " +
                std::to_string(value) + ", outside 0 to " + std::to_string(hi);
    };
    check("score", -1, h.score, kMaxRunScore);
    for (int s = 0; s < kStageSlots; ++s) {
        check("played", s, h.played[s], 1);
        check("stageScore", s, h.stageScore[s], kMaxStageScore);
        check("livesAtStart", s, h.livesAtStart[s], kMaxRecordedLives);
        check("extendsAtStart", s, h.extendsAtStart[s], kMaxRecordedExtends);
        check("extendPointsAtStart", s, h.extendPointsAtStart[s], kMaxRecordedExtendPoints);
        check("seed", s, h.seed[s], kMaxStageSeed);
    }
    for (int f = 0; f < kStoryFlagCount; ++f) check("storyFlags", f, h.storyFlags[f], 1);
    return found;
}

LocalTimeSource& TimeSource() {
    static LocalTimeSource source;
    return source;
}

}  // namespace

// ---------------------------------------------------------------------------
// The run record.

void ResetPlayRecord(PlayRecord& record) {
    record.played.fill(0);
    record.seed.fill(0);
    record.stageScore.fill(0);
    record.livesAtStart.fill(0);
    record.extendsAtStart.fill(0);
    record.extendPointsAtStart.fill(0);
    for (auto& stream : record.input) std::vector<u16>().swap(stream);
}

void ClearStageRanks(PlayRecord& record) { record.stageRank.fill(0); }

void RecordStageStart(PlayRecord& record, i32 stage, u32 seed, u32 lives, u32 extendCount, u32 extendPoints) {
    if (!ValidStage(stage)) return;
    record.played[stage] = 1;
    record.stageScore[stage] = 0;
    record.extendsAtStart[stage] = extendCount;
    record.extendPointsAtStart[stage] = extendPoints;
    record.livesAtStart[stage] = lives;
    record.input[stage].clear();
    record.seed[stage] = seed;
}

void AppendInputWord(PlayRecord& record, i32 stage, u16 word) {
    if (!ValidStage(stage)) return;
    record.input[stage].push_back(word);
}

u16 PlayRecordInputWord(const PlayRecord& record, i32 stage, i64 frame) {
    if (!ValidStage(stage) || frame < 0) return 0;
    const auto& stream = record.input[stage];
    if (static_cast<u64>(frame) >= stream.size()) return 0;
    return stream[static_cast<std::size_t>(frame)];
}

u32 ComputeResultScore(const PlayRecord& record) {
    u32 total = 0;
    for (int s = 0; s < kPlayableStages; ++s) total += record.stageScore[s];
    return total;
}

// ---------------------------------------------------------------------------
// The header.

std::vector<u8> EncodeReplayHeader(const ReplayHeader& h) {
    std::vector<u8> bytes;
    bytes.reserve(kReplayHeaderSize);
    ByteWriter w(bytes);
    w.I32(h.version);
    for (u32 c : h.name) w.U32(c);
    w.I32(h.StartKind);
    w.I32(h.Difficulty);
    w.U32(h.score);
    for (u8 p : h.played) w.U8(p);
    for (u32 v : h.inputCount) w.U32(v);
    for (u32 v : h.stageScore) w.U32(v);
    for (u32 v : h.stageRank) w.U32(v);
    for (u32 v : h.livesAtStart) w.U32(v);
    for (u32 v : h.extendsAtStart) w.U32(v);
    for (u32 v : h.extendPointsAtStart) w.U32(v);
    for (u32 v : h.seed) w.U32(v);
    for (u8 f : h.storyFlags) w.U8(f);
    return bytes;
}

FileStatus DecodeReplayHeader(const u8* bytes, std::size_t size, const std::string& fileName, ReplayHeader& header) {
    if (size < kReplayHeaderSize) {
        return FileStatus::Failure(QuoteName(fileName) + ": replay header is truncated (" + std::to_string(size) +
                                   " of " + std::to_string(kReplayHeaderSize) + " bytes)");
    }
    ByteReader r(bytes, kReplayHeaderSize);
    ReplayHeader h;
    h.version = r.I32();
    if (h.version != kReplayVersion) {
        return FileStatus::Failure(QuoteName(fileName) + ": not a replay file (version " + std::to_string(h.version) +
                                   ", expected " + std::to_string(kReplayVersion) + ")");
    }
    for (u32& c : h.name) c = r.U32();
    h.StartKind = r.I32();
    h.Difficulty = r.I32();
    h.score = r.U32();
    for (u8& p : h.played) p = r.U8();
    for (u32& v : h.inputCount) v = r.U32();
    for (u32& v : h.stageScore) v = r.U32();
    for (u32& v : h.stageRank) v = r.U32();
    for (u32& v : h.livesAtStart) v = r.U32();
    for (u32& v : h.extendsAtStart) v = r.U32();
    for (u32& v : h.extendPointsAtStart) v = r.U32();
    for (u32& v : h.seed) v = r.U32();
    for (u8& f : h.storyFlags) f = r.U8();
    const std::string outside = FirstValueOutOfRange(h);
    if (!outside.empty()) {
        return FileStatus::Failure(QuoteName(fileName) + ": not a replay the game wrote (" + outside + ")");
    }
    header = h;
    return FileStatus::Success();
}

void ClampReplayHeader(ReplayHeader& h) {
    h.Difficulty = ClampTo<i32>(h.Difficulty, 0, kDifficultyCount - 1);
    h.StartKind = ClampTo<i32>(h.StartKind, 0, 2);
    for (u32& r : h.stageRank) r = std::min(r, kMaxStageRank);
    for (u32& c : h.name) c = ClampNameCharacter(c);
}

// ---------------------------------------------------------------------------
// Names and numbers.

std::string ReplayFileName(i32 number) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s/vosket%03d.rpl", kReplayFolder, number);
    return buffer;
}

i32 FindFreeReplayNumber(std::string* path, const std::string& baseDir) {
    for (i32 n = 0; n < kReplayNumberCount; ++n) {
        const std::string candidate = JoinShellPath(baseDir, ReplayFileName(n));
        std::error_code ec;
        // Anything under the name (even a file we cannot read) keeps its number.
        const auto status = std::filesystem::symlink_status(candidate, ec);
        if (status.type() == std::filesystem::file_type::not_found) {
            if (path) *path = candidate;
            return n;
        }
    }
    if (path) path->clear();
    return kReplayNumberCount;
}

// ---------------------------------------------------------------------------
// Saving.

ReplayHeader MakeReplayHeader(const PlayRecord& record, const ReplayRunInfo& run) {
    ReplayHeader h;
    h.Difficulty = run.Difficulty;
    h.StartKind = run.StartKind;
    h.version = kReplayVersion;
    h.score = run.score;
    for (int s = 0; s < kStageSlots; ++s) {
        h.played[s] = record.played[s];
        h.stageScore[s] = record.stageScore[s];
        h.stageRank[s] = record.stageRank[s];
        const std::size_t length = record.input[s].size();
        h.inputCount[s] = length > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<u32>(length);
        h.extendsAtStart[s] = record.extendsAtStart[s];
        h.extendPointsAtStart[s] = record.extendPointsAtStart[s];
        h.livesAtStart[s] = record.livesAtStart[s];
        h.seed[s] = record.seed[s];
    }
    h.storyFlags = run.storyFlags;
    h.name = run.name;
    return h;
}

std::string FormatAscTime(const std::tm& t) {
    static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[ClampTo(t.tm_wday, 0, 6)],
                  kMonths[ClampTo(t.tm_mon, 0, 11)], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 1900 + t.tm_year);
    return buffer;
}

std::string BuildReplaySummary(const ReplayHeader& h, std::string_view applicationName, const std::tm& localTime) {
    const std::string hyphens = std::string(75, '-') + "\n";
    const std::string square = ShellTextToSjis("■");
    const std::string star = ShellTextToSjis("★");
    const std::string dot = ShellTextToSjis("・");

    std::string text;
    text += "\n";
    text += hyphens;
    text += square;
    text += applicationName;
    text += square + "\n";
    text += "\n";
    text += "Name:\n\t";
    for (u32 c : h.name) text.push_back(NameCharacterAt(c));
    text += "\n";
    text += "Time:\n";
    text += "\t" + FormatAscTime(localTime) + "\n";
    text += "Difficulty:\n";
    if (h.Difficulty == kDifficultyEasy) {
        text += "\tEASY\n";
    } else if (h.Difficulty == kDifficultyNormal) {
        text += "\tNORMALY\n";
    } else {
        text += "\tHARD\n";
    }
    text += "Score:\n";
    for (int s = 0; s < kPlayableStages; ++s) {
        text += Printf("\tStage%d:%10d point\t", s + 1, static_cast<i32>(h.stageScore[s]));
        for (u32 r = 1; r <= kMaxStageRank; ++r) text += r <= h.stageRank[s] ? star : dot;
        text += "\n";
    }
    text += "\n";
    text += Printf("\ttotal :%10d point\n", static_cast<i32>(h.score));
    text += "\n";
    text += hyphens;
    text += ShellTextToSjis(
        "※注意　：このファイルを保存し直すとデータが破損する場合があります。\n"
        "　　　　　保存は行わないでください。\n");
    return ToCrlf(text);
}

std::vector<u8> EncodeReplayFile(const ReplayHeader& header, const PlayRecord& record, std::string_view applicationName,
                                 const std::tm& localTime) {
    std::vector<u8> bytes = EncodeReplayHeader(header);
    ByteWriter w(bytes);
    for (int s = 0; s < kStageSlots; ++s) {
        const auto& stream = record.input[s];
        const std::size_t count = std::min<std::size_t>(stream.size(), header.inputCount[s]);
        for (std::size_t i = 0; i < count; ++i) w.U16(stream[i]);
        // A header that promises more words than the record holds gets no input.
        for (std::size_t i = count; i < header.inputCount[s]; ++i) w.U16(0);
    }
    w.Text(BuildReplaySummary(header, applicationName, localTime));
    return bytes;
}

void SetReplayTimeSource(LocalTimeSource source) { TimeSource() = std::move(source); }

std::tm ReplayLocalTime() {
    if (TimeSource()) return TimeSource()();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

SaveReplayResult SaveReplay(const PlayRecord& record, const ReplayRunInfo& run, std::string_view applicationName,
                            const std::string& baseDir) {
    SaveReplayResult result;
    std::error_code ec;
    std::filesystem::create_directories(JoinShellPath(baseDir, kReplayFolder), ec);
    std::string path;
    const i32 number = FindFreeReplayNumber(&path, baseDir);
    if (number >= kReplayNumberCount) {
        result.status = FileStatus::Failure(
            "the replay folder is full (numbers 0 to 998 are all taken); the replay was not "
            "saved");
        return result;
    }
    const ReplayHeader header = MakeReplayHeader(record, run);
    const std::vector<u8> bytes = EncodeReplayFile(header, record, applicationName, ReplayLocalTime());
    result.status = WriteFileReplacing(path, bytes);
    if (result.status) {
        result.number = number;
        result.path = path;
    }
    return result;
}

// ---------------------------------------------------------------------------
// Reading.

FileStatus ReadReplayFile(const std::string& path, ReplayHeader& header, PlayRecord& record) {
    platform::FileOpenError error;
    std::FILE* f = platform::OpenRegularFile(path, &error);
    if (!f) return FileStatus::Failure("cannot read " + QuoteName(path) + ": " + error.reason);
    const FileStatus status = ReadReplayStream(f, path, header, record);
    std::fclose(f);
    return status;
}

FileStatus ReadReplayStream(std::FILE* f, const std::string& path, ReplayHeader& header, PlayRecord& record) {
    u64 fileSize = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long end = std::ftell(f);
        if (end > 0) fileSize = static_cast<u64>(end);
    }
    std::fseek(f, 0, SEEK_SET);

    std::vector<u8> head(kReplayHeaderSize);
    const std::size_t headRead = std::fread(head.data(), 1, head.size(), f);
    ReplayHeader h;
    FileStatus status = DecodeReplayHeader(head.data(), headRead, path, h);
    if (!status) return status;

    // The streams: never more words than the file holds behind the header.
    u64 wordsLeft = fileSize > kReplayHeaderSize ? (fileSize - kReplayHeaderSize) / 2 : 0;
    PlayRecord loaded;
    std::string shortStages;
    std::vector<u8> buffer;
    for (int s = 0; s < kStageSlots; ++s) {
        const u64 want = h.inputCount[s];
        const u64 take = std::min(want, wordsLeft);
        buffer.resize(static_cast<std::size_t>(take) * 2);
        const std::size_t got = take ? std::fread(buffer.data(), 1, buffer.size(), f) : 0;
        const std::size_t words = got / 2;
        auto& stream = loaded.input[s];
        stream.resize(words);
        for (std::size_t i = 0; i < words; ++i) {
            stream[i] = static_cast<u16>(buffer[2 * i] | (buffer[2 * i + 1] << 8));
        }
        wordsLeft = words < take ? 0 : wordsLeft - take;
        if (words < want) {
            if (!shortStages.empty()) shortStages += ", ";
            shortStages += std::to_string(s) + " (" + std::to_string(words) + " of " + std::to_string(want) + " words)";
            h.inputCount[s] = static_cast<u32>(words);
        }
    }

    ClampReplayHeader(h);
    for (int s = 0; s < kStageSlots; ++s) {
        loaded.played[s] = h.played[s];
        loaded.extendsAtStart[s] = h.extendsAtStart[s];
        loaded.extendPointsAtStart[s] = h.extendPointsAtStart[s];
        loaded.livesAtStart[s] = h.livesAtStart[s];
        loaded.stageScore[s] = h.stageScore[s];
        loaded.seed[s] = h.seed[s];
        loaded.stageRank[s] = h.stageRank[s];
    }
    header = h;
    record = std::move(loaded);
    if (!shortStages.empty()) {
        return FileStatus::Success(QuoteName(path) + ": input ends early in stage " + shortStages +
                                   "; the missing frames play as no input");
    }
    return FileStatus::Success();
}

ReplayScan ScanReplayFolder(const std::string& baseDir) {
    namespace fs = std::filesystem;
    ReplayScan scan;
    const std::string folder = JoinShellPath(baseDir, kReplayFolder);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return scan;  // no folder: no replays

    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (name.size() < 4) continue;
        std::string extension = name.substr(name.size() - 4);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".rpl") continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());

    for (const std::string& name : names) {
        if (scan.headers.size() >= kReplayListLimit) break;
        const std::string path = JoinShellPath(folder, name);
        std::vector<u8> bytes;
        FileStatus status = ReadFileBytes(path, kReplayHeaderSize, bytes);
        ReplayHeader header;
        if (status) status = DecodeReplayHeader(bytes.data(), bytes.size(), path, header);
        if (!status) {
            scan.rejected.push_back(status.message);
            continue;
        }
        ClampReplayHeader(header);
        scan.headers.push_back(header);
        scan.paths.push_back(path);
    }
    return scan;
}

std::vector<std::string> ScanReplayFiles(const std::string& baseDir) {
    ReplayScan scan = ScanReplayFolder(baseDir);
    g_ReplayList = std::move(scan.headers);
    g_ReplayPathList = std::move(scan.paths);
    return scan.rejected;
}

FileStatus LoadReplay(i32 index, PlayRecord& record, ReplayHeader& header) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_ReplayPathList.size()) {
        return FileStatus::Failure("no replay at list entry " + std::to_string(index) + " (" +
                                   std::to_string(g_ReplayPathList.size()) + " listed)");
    }
    return ReadReplayFile(g_ReplayPathList[static_cast<std::size_t>(index)], header, record);
}

ReplayPlaybackStart PrepareReplayPlayback(const ReplayHeader& header, i32 stageIndex) {
    ReplayPlaybackStart start;
    start.Difficulty = ClampTo<i32>(header.Difficulty, 0, kDifficultyCount - 1);
    start.StartKind = ClampTo<i32>(header.StartKind, 0, 2);
    start.StageIndex = ClampTo<i32>(stageIndex, 0, kPlayableStages - 1);
    start.GameMode = kGameModeReplay;
    start.StoryFlags = header.storyFlags;
    start.RunScore = 0;
    for (i32 s = 0; s < start.StageIndex; ++s) start.RunScore += header.stageScore[s];
    return start;
}

FileStatus LoadDemoReplay(PlayRecord& record, ReplayPlaybackStart& start, const std::string& baseDir) {
    const std::string path = JoinShellPath(baseDir, kDemoReplayFile);
    ReplayHeader header;
    PlayRecord loaded;
    FileStatus status = ReadReplayFile(path, header, loaded);
    if (!status) return status;
    if (header.played[kDemoStageIndex] == 0) {
        return FileStatus::Failure(QuoteName(path) + ": stage index " + std::to_string(kDemoStageIndex) +
                                   " was not played, so there is nothing to demonstrate");
    }
    start = PrepareReplayPlayback(header, kDemoStageIndex);
    start.GameMode = kGameModeDemo;
    record = std::move(loaded);
    return status;
}
