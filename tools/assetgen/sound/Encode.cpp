// RIFF/WAVE and Ogg Vorbis writers for our own sounds.
#include "tools/assetgen/sound/Encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sound {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::vector<std::uint8_t> Header(int channels, int rate, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, static_cast<std::uint16_t>(channels));
    Put32(out, static_cast<std::uint32_t>(rate));
    Put32(out, static_cast<std::uint32_t>(rate * channels * 2));
    Put16(out, static_cast<std::uint16_t>(channels * 2));
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    return out;
}

}  // namespace

std::int16_t ToPcm16(float x) {
    long v = std::lround(static_cast<double>(x) * 32767.0);
    return static_cast<std::int16_t>(std::clamp(v, -32768L, 32767L));
}

std::vector<std::uint8_t> WaveImage(const Mono& m) {
    std::vector<std::uint8_t> out = Header(1, m.rate, static_cast<std::uint32_t>(m.Frames() * 2));
    for (float s : m.samples) Put16(out, static_cast<std::uint16_t>(ToPcm16(s)));
    return out;
}

std::vector<std::uint8_t> WaveImage(const Stereo& s) {
    std::vector<std::uint8_t> out = Header(2, s.rate, static_cast<std::uint32_t>(s.Frames() * 4));
    for (int i = 0; i < s.Frames(); ++i) {
        Put16(out, static_cast<std::uint16_t>(ToPcm16(s.left[i])));
        Put16(out, static_cast<std::uint16_t>(ToPcm16(s.right[i])));
    }
    return out;
}

std::vector<std::uint8_t> OggVorbis(const Stereo& s, float quality, int serial) {
    std::vector<std::uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, s.rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "ENCODER", "Brettspalt assetgen");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    auto appendPage = [&out](const ogg_page& og) {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    while (ogg_stream_flush(&os, &og) != 0) appendPage(og);

    const int kChunk = 1024;
    int pos = 0;
    bool endSent = false;
    while (true) {
        int n = std::min(kChunk, s.Frames() - pos);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            std::memcpy(buffer[0], s.left.data() + pos, sizeof(float) * n);
            std::memcpy(buffer[1], s.right.data() + pos, sizeof(float) * n);
            vorbis_analysis_wrote(&vd, n);
            pos += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
            endSent = true;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) appendPage(og);
            }
        }
        if (endSent) {
            while (ogg_stream_flush(&os, &og) != 0) appendPage(og);
            break;
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace sound
