// Writes the sound-effect archive "vsk6.dat" and the music archive "vsk5.dat"
// from the manifest's effect and track entries. Every effect is a short
// synthesised sound of its own (a waveform, a pitch sweep and a decay); every
// non-empty track is a short synthesised loop (an arpeggio over a bass note)
// stored at the start of the track's stretch as a RIFF WAVE file, or, for a
// track with format=ogg, as an Ogg Vorbis stream encoded with libvorbisenc; the
// rest of the stretch and the table's gaps are zero.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/core/radians.h"
#include "platform/audio_format.h"
#include "tools/sampledata/manifest.h"
#include "tools/sampledata/output.h"
#include "tools/sampledata/vorbis_encode.h"
#include "tools/sampledata/writers.h"

namespace {

// The loudest an effect gets, as a fraction of full scale: about -14 dB, so
// that the guns, engines and bursts that sound together, with the music under
// them, stay clear of full scale at the default volumes.
constexpr double kEffectPeak = 0.2;

struct Params {
    std::map<std::string, std::string> values;
    std::string Get(const std::string& key, const std::string& fallback) const {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    double Number(const std::string& key, double fallback) const {
        auto it = values.find(key);
        return it == values.end() ? fallback : std::stod(it->second, nullptr);
    }
    unsigned long long Integer(const std::string& key, unsigned long long fallback) const {
        auto it = values.find(key);
        return it == values.end() ? fallback : std::stoull(it->second, nullptr, 0);
    }
};

Params ParseParams(const std::vector<std::string>& fields) {
    Params p;
    for (const std::string& f : fields) {
        const auto eq = f.find('=');
        if (eq != std::string::npos) p.values[f.substr(0, eq)] = f.substr(eq + 1);
    }
    return p;
}

// A small deterministic noise source.
struct Noise {
    u32 state;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

double Wave(const std::string& kind, double phase, Noise& noise) {
    const double frac = phase - std::floor(phase);
    if (kind == "square") return frac < 0.5 ? 0.8 : -0.8;
    if (kind == "saw") return 2.0 * frac - 1.0;
    if (kind == "triangle") return frac < 0.5 ? 4.0 * frac - 1.0 : 3.0 - 4.0 * frac;
    if (kind == "noise") return noise.Next();
    return std::sin(2.0 * kPiDouble * phase);
}

struct Pcm {
    platform::WaveFormat format;
    std::vector<u8> bytes;
};

void AppendSample(Pcm& pcm, double v) {
    v = std::clamp(v, -1.0, 1.0);
    if (pcm.format.bitsPerSample == 8) {
        pcm.bytes.push_back(static_cast<u8>(std::lround(128.0 + v * 127.0)));
    } else {
        const i16 s = static_cast<i16>(std::lround(v * 32000.0));
        pcm.bytes.push_back(static_cast<u8>(s & 0xFF));
        pcm.bytes.push_back(static_cast<u8>((s >> 8) & 0xFF));
    }
}

platform::WaveFormat MakeFormat(const Params& p) {
    platform::WaveFormat f;
    f.formatTag = platform::kWaveFormatPcm;
    f.channels = static_cast<u16>(p.Integer("ch", 1));
    f.samplesPerSec = static_cast<u32>(p.Integer("rate", 22050));
    f.bitsPerSample = static_cast<u16>(p.Integer("bits", 16));
    f.blockAlign = static_cast<u16>(f.channels * f.bitsPerSample / 8);
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    f.extraSize = 0;
    return f;
}

// An effect: waveform `wave` swept from `f` to `f2` Hz over `ms` milliseconds,
// with a 2 ms attack and an exponential decay (`decay` per second); stereo
// entries are panned by `pan` (-1 left .. 1 right).
Pcm SynthesiseEffect(const Params& p, u32 seed) {
    Pcm pcm;
    pcm.format = MakeFormat(p);
    const std::string wave = p.Get("wave", "sine");
    const double f0 = p.Number("f", 440.0);
    const double f1 = p.Number("f2", f0);
    const double seconds = p.Number("ms", 150.0) / 1000.0;
    const double decay = p.Number("decay", 12.0);
    const double pan = p.Number("pan", 0.0);
    const double rate = pcm.format.samplesPerSec;
    const std::size_t frames = static_cast<std::size_t>(seconds * rate);
    Noise noise{seed};
    double phase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = i / rate;
        const double freq = f0 + (f1 - f0) * (t / seconds);
        phase += freq / rate;
        const double env = std::min(1.0, t / 0.002) * std::exp(-decay * t) * std::min(1.0, (seconds - t) / 0.005);
        const double v = kEffectPeak * env * Wave(wave, phase, noise);
        if (pcm.format.channels == 2) {
            AppendSample(pcm, v * std::min(1.0, 1.0 - pan));
            AppendSample(pcm, v * std::min(1.0, 1.0 + pan));
        } else {
            AppendSample(pcm, v);
        }
    }
    return pcm;
}

// A track: `beats` beats at `bpm`, eighth-note arpeggio over MIDI note `root`
// (major or minor by `mode`) in waveform `wave`, with a bass note every beat.
Pcm SynthesiseLoop(const Params& p, u32 seed) {
    Pcm pcm;
    pcm.format = MakeFormat(p);
    const std::string wave = p.Get("wave", "triangle");
    const int root = static_cast<int>(p.Integer("root", 57));
    const double bpm = p.Number("bpm", 120.0);
    const int beats = static_cast<int>(p.Integer("beats", 4));
    const bool minor = p.Get("mode", "major") == "minor";
    const int steps[8] = {0, minor ? 3 : 4, 7, 12, 7, minor ? 3 : 4, 0, -5};
    const double rate = pcm.format.samplesPerSec;
    const double eighth = 30.0 / bpm;
    const std::size_t frames = static_cast<std::size_t>(beats * 2 * eighth * rate);
    Noise noise{seed};
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = i / rate;
        const int step = static_cast<int>(t / eighth);
        const double tn = t - step * eighth;
        const double note = root + steps[step % 8];
        const double fn = 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
        const double fb = 440.0 * std::pow(2.0, (root - 12 - 69.0) / 12.0);
        const double tb = t - std::floor(t / (2 * eighth)) * 2 * eighth;
        const double lead = Wave(wave, fn * tn, noise) * std::exp(-6.0 * tn) * std::min(1.0, tn / 0.003);
        const double bass = std::sin(2.0 * kPiDouble * fb * tb) * std::exp(-3.0 * tb) * std::min(1.0, tb / 0.003);
        const double v = 0.35 * lead + 0.3 * bass;
        for (int c = 0; c < pcm.format.channels; ++c) AppendSample(pcm, v);
    }
    return pcm;
}

void Put32(std::vector<u8>& v, u32 x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<u8>(x >> (8 * i)));
}

std::string UpperCase(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool WriteEffects(const std::string& dir, const Manifest& manifest) {
    std::vector<u8> archive;
    u32 seed = 1;
    int count = 0;
    for (const ManifestEntry& e : manifest.entries) {
        if (e.kind != "effect") continue;
        if (e.name.size() > 30) {
            std::fprintf(stderr, "make_sample_data: effect name %s is too long\n", e.name.c_str());
            return false;
        }
        const Pcm pcm = SynthesiseEffect(ParseParams(e.params), seed++);
        Put32(archive, static_cast<u32>(pcm.bytes.size()));
        const std::string stored = UpperCase(e.name);
        archive.insert(archive.end(), stored.begin(), stored.end());
        archive.push_back(0);
        const std::vector<u8> format = platform::EncodeWaveFormat(pcm.format);
        Put32(archive, static_cast<u32>(format.size()));
        archive.insert(archive.end(), format.begin(), format.end());
        archive.insert(archive.end(), pcm.bytes.begin(), pcm.bytes.end());
        ++count;
    }
    if (count == 0) return true;
    return WriteGeneratedFile(dir, "vsk6.dat", archive);
}

bool WriteMusic(const std::string& dir, const Manifest& manifest) {
    std::vector<u8> archive;
    u32 seed = 1000;
    int count = 0;
    for (const ManifestEntry& e : manifest.entries) {
        if (e.kind != "track") continue;
        const Params p = ParseParams(e.params);
        const std::size_t offset = p.Integer("offset", 0);
        const std::size_t size = p.Integer("size", 0);
        ++count;
        if (archive.size() < offset + size) archive.resize(offset + size, 0);
        if (size == 0) continue;
        const Pcm pcm = SynthesiseLoop(p, seed);
        std::vector<u8> track;
        if (p.Get("format", "wav") == "ogg") {
            if (!EncodeOggVorbis(pcm.format, pcm.bytes, seed, track)) {
                std::fprintf(stderr, "make_sample_data: track %s: the Vorbis encoder refused its format\n",
                             e.name.c_str());
                return false;
            }
        } else {
            track = platform::BuildRiffWave(pcm.format, pcm.bytes.data(), pcm.bytes.size());
        }
        ++seed;
        if (track.size() > size) {
            std::fprintf(stderr, "make_sample_data: track %s (%zu bytes) does not fit its %zu-byte stretch\n",
                         e.name.c_str(), track.size(), size);
            return false;
        }
        std::copy(track.begin(), track.end(), archive.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    if (count == 0) return true;
    return WriteGeneratedFile(dir, "vsk5.dat", archive);
}

}  // namespace

bool WriteSoundArchives(const std::string& dir, const Manifest& manifest) {
    bool ok = WriteEffects(dir, manifest);
    ok = WriteMusic(dir, manifest) && ok;
    return ok;
}
