#include "tools/sampledata/vorbis_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace {

void AppendPage(std::vector<u8>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

bool EncodeOggVorbis(const platform::WaveFormat& format, const std::vector<u8>& pcm, u32 serial, std::vector<u8>& out,
                     float quality) {
    const int channels = format.channels;
    const std::size_t bytesPerSample = format.bitsPerSample / 8;
    if (channels < 1 || bytesPerSample < 1 || bytesPerSample > 2) return false;
    const std::size_t frames = pcm.size() / (bytesPerSample * static_cast<std::size_t>(channels));
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, static_cast<long>(format.samplesPerSec), quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "make_sample_data");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, static_cast<int>(serial));
    ogg_packet header, commentHeader, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

    const auto sample = [&](std::size_t frame, int c) -> float {
        const u8* p =
            pcm.data() + (frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)) * bytesPerSample;
        if (bytesPerSample == 1) return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
        return static_cast<float>(static_cast<i16>(p[0] | (p[1] << 8))) / 32768.0f;
    };
    constexpr std::size_t kPiece = 1024;
    for (std::size_t done = 0;;) {
        const std::size_t n = std::min(kPiece, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (std::size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c) buffer[c][i] = sample(done + i, c);
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));  // 0 marks the end
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
            }
        }
        if (n == 0) break;
        done += n;
    }
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}
