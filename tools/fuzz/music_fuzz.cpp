// The music archive: a stretch of it (a track of the game's table, or the
// whole input) through the player as the game plays it, or through the
// decoder alone. The first byte chooses: below 26 a track of the table (26
// and 27: the whole input as one stretch) read from a file and played
// through the null audio output; otherwise the rest of the input decoded
// directly, which is the faster road for the decoder's own fuzzing.
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/shell/music.h"
#include "platform/audio_mixer.h"
#include "platform/audio_output.h"
#include "platform/music_decoder.h"
#include "platform/music_player.h"

namespace {

// The archive file the inputs are written to, removed when the run ends.
struct ArchiveFile {
    std::string path;
    ArchiveFile() {
        char name[] = "/tmp/tolvarin-music-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) std::abort();
        close(fd);
        path = name;
        platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
        platform::InitializeMusicPlayer();
    }
    ~ArchiveFile() { unlink(path.c_str()); }
};

const std::string& ArchivePath() {
    static const ArchiveFile file;
    return file.path;
}

void PlayFromFile(std::uint8_t choice, const std::uint8_t* data, std::size_t size) {
    const std::string& path = ArchivePath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    const bool whole = choice >= kMusicTrackCount;
    const MusicTrack track = whole ? MusicTrack{0, static_cast<u32>(size)} : MusicTrackTable[choice];
    platform::MusicInstance* music = platform::CreateMusicInstanceFromFile(path, track.offset, track.size, 1);
    music->WaitUntilDecoded();
    music->Play(choice == kMusicTrackCount ? 0 : -1, 0);
    std::int16_t out[2 * 256];
    platform::RenderNullAudio(out, 256);
    music->Release();
}

void DecodeDirectly(const std::uint8_t* data, std::size_t size) {
    std::string error;
    std::unique_ptr<platform::MusicDecoder> decoder =
        platform::MusicDecoder::Open(std::vector<std::uint8_t>(data, data + size), error);
    if (!decoder) return;
    auto stream = platform::PcmStream::WithCapacity(decoder->FrameLimit());
    if (!stream) return;
    std::atomic<bool> cancel{false};
    decoder->DecodeInto(*stream, cancel, error);
    if (stream->readyFrames.load() > stream->capacityFrames) {
        std::fprintf(stderr, "the decoder wrote past the frames it measured\n");
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    if (choice < kMusicTrackCount + 2) {
        PlayFromFile(choice, data + 1, size - 1);
    } else {
        DecodeDirectly(data + 1, size - 1);
    }
    return 0;
}
