#pragma once
// Ogg Vorbis encoding of PCM (libvorbisenc), for the sample music archive and
// for tests that need a real stream.
#include <vector>

#include "engine/core/types.h"
#include "platform/audio_format.h"

// Encodes PCM of `format` (8 or 16 bits, any channel count the encoder takes)
// as one logical Ogg stream with serial number `serial`, at variable bit rate
// of `quality` (-0.1 .. 1). False when the encoder refuses the format.
bool EncodeOggVorbis(const platform::WaveFormat& format, const std::vector<u8>& pcm, u32 serial, std::vector<u8>& out,
                     float quality = 0.4f);
