// Encodes test signals to Ogg Vorbis in memory with libvorbisenc, so the
// decoder's tests and benchmark need no sample files.
#pragma once

#include <vorbis/vorbisenc.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace OggTest {

// signal(channel, frame) gives a sample in -1..1.
inline std::vector<unsigned char> Encode(int channels, long rate, long frames,
                                         const std::function<float(int, long)>& signal,
                                         int serialNumber = 1, float quality = 0.3f) {
    // The encoder needs round-to-nearest, whatever the test runs under.
    const int savedRounding = std::fegetround();
    std::fesetround(FE_TONEAREST);
    std::vector<unsigned char> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        std::fesetround(savedRounding);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "test signal");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serialNumber);

    auto writePage = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet id, comm, code;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comm, &code);
    ogg_stream_packetin(&stream, &id);
    ogg_stream_packetin(&stream, &comm);
    ogg_stream_packetin(&stream, &code);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) writePage(page);

    const long chunk = 1024;
    long done = 0;
    bool endOfStream = false;
    while (!endOfStream) {
        const long n = std::min(chunk, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (int c = 0; c < channels; ++c) {
                for (long i = 0; i < n; ++i) buffer[c][i] = signal(c, done + i);
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (!endOfStream && ogg_stream_pageout(&stream, &page) != 0) {
                    writePage(page);
                    if (ogg_page_eos(&page)) endOfStream = true;
                }
            }
        }
        if (n <= 0 && !endOfStream) {
            // Flush whatever remains once the encoder has been told the end.
            while (ogg_stream_flush(&stream, &page) != 0) {
                writePage(page);
                if (ogg_page_eos(&page)) endOfStream = true;
            }
            if (!endOfStream) break;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    std::fesetround(savedRounding);
    return out;
}

inline float Sine(double hz, long rate, long frame, float amplitude = 0.5f) {
    return amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * frame / rate));
}

}  // namespace OggTest
