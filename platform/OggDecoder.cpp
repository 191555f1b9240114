// Ogg Vorbis to RIFF/WAVE in memory, driven through libogg's sync and stream
// layers and libvorbis's synthesis, one 4096-byte piece of input at a time.
#include "platform/OggDecoder.h"

#include "platform/Mixer.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif
#if defined(__SSE2__) && !defined(__EMSCRIPTEN__)
#include <emmintrin.h>
#define BRETTSPALT_OGG_SSE2 1
#endif

namespace OggDecoder {
namespace {

constexpr std::size_t kPieceBytes = 4096;
constexpr std::size_t kHeaderBytes = 44;
constexpr int kConvertSamples = 4096;  // 16-bit samples converted per step
constexpr std::size_t kLargestImage = 0xFFFFFFFFu;

bool verboseOutput = false;

// Float to integer the way the caller's rounding mode would convert it
// (toward zero while the game runs). The library itself runs under
// round-to-nearest, so the caller's mode is applied here explicitly.
template <int Mode>
inline int RoundAs(float v) {
    if constexpr (Mode == FE_TOWARDZERO) {
        return static_cast<int>(v);
    } else if constexpr (Mode == FE_DOWNWARD) {
        return static_cast<int>(std::floor(v));
    } else if constexpr (Mode == FE_UPWARD) {
        return static_cast<int>(std::ceil(v));
    } else {
#if defined(__SSE__) || defined(__x86_64__)
        return _mm_cvtss_si32(_mm_set_ss(v));  // nearest, ties to even
#else
        return static_cast<int>(std::nearbyint(v));
#endif
    }
}

template <int Mode>
inline i16 ToPcm16(float sample) {
    const float v = sample * 32767.f;
    if (!(v > -32768.f)) return -32768;  // NaN too
    if (v > 32767.f) return 32767;
    return static_cast<i16>(RoundAs<Mode>(v));
}

#if defined(BRETTSPALT_OGG_SSE2)
// Four samples at once, exactly as ToPcm16 converts each: the product, then
// NaN and everything at or below -32768 to -32768 (maxps gives its second
// operand when the first is NaN), above 32767 to 32767, then truncation or
// the rounding mode of the moment (round-to-nearest while the library works).
template <int Mode>
inline __m128i ToPcm32x4(const float* samples) {
    __m128 v = _mm_mul_ps(_mm_loadu_ps(samples), _mm_set1_ps(32767.f));
    v = _mm_min_ps(_mm_max_ps(v, _mm_set1_ps(-32768.f)), _mm_set1_ps(32767.f));
    return Mode == FE_TOWARDZERO ? _mm_cvttps_epi32(v) : _mm_cvtps_epi32(v);
}

// Mono and stereo under toward-zero or nearest, eight frames per step; the
// last few frames, and other cases, one sample at a time below.
template <int Mode>
int ConvertFramesWide(float** pcm, int channels, int count, i16* out) {
    if constexpr (Mode != FE_TOWARDZERO && Mode != FE_TONEAREST) return 0;
    int i = 0;
    if (channels == 1) {
        for (; i + 8 <= count; i += 8) {
            const __m128i packed =
                _mm_packs_epi32(ToPcm32x4<Mode>(pcm[0] + i), ToPcm32x4<Mode>(pcm[0] + i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
        }
    } else if (channels == 2) {
        for (; i + 8 <= count; i += 8) {
            const __m128i left =
                _mm_packs_epi32(ToPcm32x4<Mode>(pcm[0] + i), ToPcm32x4<Mode>(pcm[0] + i + 4));
            const __m128i right =
                _mm_packs_epi32(ToPcm32x4<Mode>(pcm[1] + i), ToPcm32x4<Mode>(pcm[1] + i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_unpacklo_epi16(left, right));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i + 8),
                             _mm_unpackhi_epi16(left, right));
        }
    }
    return i;
}
#endif

// Interleaves count frames of every channel into out.
template <int Mode>
void ConvertFrames(float** pcm, int channels, int count, i16* out) {
    int first = 0;
#if defined(BRETTSPALT_OGG_SSE2)
    first = ConvertFramesWide<Mode>(pcm, channels, count, out);
#endif
    for (int c = 0; c < channels; ++c) {
        const float* source = pcm[c];
        i16* target = out + first * channels + c;
        for (int i = first; i < count; ++i) {
            *target = ToPcm16<Mode>(source[i]);
            target += channels;
        }
    }
}

void ConvertFrames(float** pcm, int channels, int count, i16* out, int mode) {
    switch (mode) {
        case FE_TOWARDZERO:
            ConvertFrames<FE_TOWARDZERO>(pcm, channels, count, out);
            break;
        case FE_DOWNWARD:
            ConvertFrames<FE_DOWNWARD>(pcm, channels, count, out);
            break;
        case FE_UPWARD:
            ConvertFrames<FE_UPWARD>(pcm, channels, count, out);
            break;
        default:
            ConvertFrames<FE_TONEAREST>(pcm, channels, count, out);
            break;
    }
}

// Holds round-to-nearest while libvorbis works (its synthesis goes wrong
// under other modes) and gives the caller's mode back afterwards.
class NearestRounding {
public:
    NearestRounding() : callerMode(std::fegetround()) { std::fesetround(FE_TONEAREST); }
    ~NearestRounding() { std::fesetround(callerMode); }
    int CallerMode() const { return callerMode; }

private:
    int callerMode;
};

// The input, handed to the sync layer in consecutive pieces.
struct Input {
    const unsigned char* bytes;
    std::size_t size;
    std::size_t position = 0;

    // Bytes fed (0 at the end), or -1 when the sync layer has no room.
    long FeedPiece(ogg_sync_state* sync) {
        const std::size_t n = std::min(kPieceBytes, size - position);
        char* buffer = ogg_sync_buffer(sync, static_cast<long>(kPieceBytes));
        if (buffer == nullptr) return -1;
        if (n > 0) std::memcpy(buffer, bytes + position, n);
        ogg_sync_wrote(sync, static_cast<long>(n));
        position += n;
        return static_cast<long>(n);
    }
};

// The image being built: the 44 header bytes first, samples after them.
class WaveBuffer {
public:
    explicit WaveBuffer(std::size_t limit) : limit(limit) {}
    ~WaveBuffer() { std::free(data); }

    bool Start(std::size_t inputSize) {
        // Room for twenty times the input is enough for most pieces.
        std::size_t room = std::max(kHeaderBytes, inputSize > limit / 20 ? limit : inputSize * 20);
        room = std::min(room, limit);
        if (room < kHeaderBytes) return false;
        data = static_cast<unsigned char*>(std::malloc(room));
        if (data == nullptr) return false;
        capacity = room;
        used = kHeaderBytes;
        return true;
    }

    // Room for count more bytes after those used, to be written and then
    // kept with Commit; null when the buffer cannot hold them (out of memory
    // or past the limit), and the caller then gives up rather than lose
    // samples silently.
    unsigned char* Room(std::size_t count) {
        if (count > limit - used) return nullptr;
        if (used + count > capacity) {
            // At least twice what is asked for, and at least doubling, so a
            // long piece needs few reallocations.
            std::size_t grown = used + 2 * count;
            if (capacity <= limit / 2) grown = std::max(grown, capacity * 2);
            grown = std::min(grown, limit);
            void* bigger = std::realloc(data, grown);
            if (bigger == nullptr) return nullptr;
            data = static_cast<unsigned char*>(bigger);
            capacity = grown;
        }
        return data + used;
    }
    void Commit(std::size_t count) { used += count; }

    // Shrinks to the bytes used, writes the header and hands the block over.
    bool Finish(int channels, long rate, void** wave, u32* waveSize) {
        if (used != capacity) {
            void* exact = std::realloc(data, used);
            if (exact == nullptr) return false;
            data = static_cast<unsigned char*>(exact);
            capacity = used;
        }
        const u32 size = static_cast<u32>(used);
        const u32 blockAlign = static_cast<u32>(channels) * 2;
        unsigned char* h = data;
        auto put32 = [](unsigned char* p, u32 v) {
            p[0] = v & 0xFF;
            p[1] = (v >> 8) & 0xFF;
            p[2] = (v >> 16) & 0xFF;
            p[3] = (v >> 24) & 0xFF;
        };
        auto put16 = [](unsigned char* p, u32 v) {
            p[0] = v & 0xFF;
            p[1] = (v >> 8) & 0xFF;
        };
        std::memcpy(h + 0, "RIFF", 4);
        put32(h + 4, size - 8);
        std::memcpy(h + 8, "WAVE", 4);
        std::memcpy(h + 12, "fmt ", 4);
        put32(h + 16, 16);
        put16(h + 20, 1);
        put16(h + 22, static_cast<u32>(channels));
        put32(h + 24, static_cast<u32>(rate));
        put32(h + 28, static_cast<u32>(rate) * blockAlign);
        put16(h + 32, blockAlign);
        put16(h + 34, 16);
        std::memcpy(h + 36, "data", 4);
        put32(h + 40, size - static_cast<u32>(kHeaderBytes));
        *wave = data;
        *waveSize = size;
        data = nullptr;
        return true;
    }

private:
    unsigned char* data = nullptr;
    std::size_t used = 0;
    std::size_t capacity = 0;
    std::size_t limit;
};

enum class StreamResult { Decoded, InputExhausted, Failed };

// Decodes one logical stream; the sync layer keeps whatever input follows it.
StreamResult DecodeStream(ogg_sync_state* sync, Input& input, WaveBuffer& image, bool firstStream,
                          int roundingMode, int* channelsOut, long* rateOut) {
    ogg_page page;
    ogg_packet packet;

    const long fed = input.FeedPiece(sync);
    if (fed < 0) return StreamResult::Failed;
    if (ogg_sync_pageout(sync, &page) != 1) {
        // A short piece means the input has ended. An input that never held a
        // single page is not Ogg, however short it is.
        if (static_cast<std::size_t>(fed) < kPieceBytes && !firstStream) {
            return StreamResult::InputExhausted;
        }
        std::fputs("Input does not appear to be an Ogg bitstream.\n", stderr);
        return StreamResult::Failed;
    }

    ogg_stream_state stream;
    ogg_stream_init(&stream, ogg_page_serialno(&page));
    vorbis_info info;
    vorbis_comment comment;
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);

    auto failHeaders = [&](const char* message) {
        std::fputs(message, stderr);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
        ogg_stream_clear(&stream);
        return StreamResult::Failed;
    };

    if (ogg_stream_pagein(&stream, &page) < 0) {
        return failHeaders("Error reading first page of Ogg bitstream data.\n");
    }
    if (ogg_stream_packetout(&stream, &packet) != 1) {
        return failHeaders("Error reading initial header packet.\n");
    }
    if (vorbis_synthesis_headerin(&info, &comment, &packet) < 0) {
        return failHeaders("This Ogg bitstream does not contain Vorbis audio data.\n");
    }

    // The comment and codebook headers, feeding more input as needed.
    int headers = 0;
    while (headers < 2) {
        while (headers < 2) {
            int result = ogg_sync_pageout(sync, &page);
            if (result == 0) break;
            if (result == 1) {
                ogg_stream_pagein(&stream, &page);
                while (headers < 2) {
                    result = ogg_stream_packetout(&stream, &packet);
                    if (result == 0) break;
                    if (result < 0 || vorbis_synthesis_headerin(&info, &comment, &packet) < 0) {
                        return failHeaders("Corrupt secondary header.  Exiting.\n");
                    }
                    ++headers;
                }
            }
        }
        const long bytes = input.FeedPiece(sync);
        if (bytes < 0) return failHeaders("");
        if (bytes == 0 && headers < 2) {
            return failHeaders("End of file before finding all Vorbis headers!\n");
        }
    }

    if (verboseOutput) {
        for (int i = 0; i < comment.comments; ++i) {
            std::fprintf(stderr, "%s\n", comment.user_comments[i]);
        }
        std::fprintf(stderr, "\nBitstream is %d channel, %ldHz\n", info.channels, info.rate);
        std::fprintf(stderr, "Encoded by: %s\n\n", comment.vendor);
    }

    const int channels = info.channels;
    const int framesPerStep = kConvertSamples / channels;
    bool failed = false;

    vorbis_dsp_state dsp;
    vorbis_block block;
    if (vorbis_synthesis_init(&dsp, &info) == 0) {
        vorbis_block_init(&dsp, &block);
        bool endOfStream = false;
        while (!endOfStream && !failed) {
            while (!endOfStream && !failed) {
                int result = ogg_sync_pageout(sync, &page);
                if (result == 0) break;
                if (result < 0) {
                    std::fputs("Corrupt or missing data in bitstream; continuing...\n", stderr);
                    continue;
                }
                ogg_stream_pagein(&stream, &page);
                for (;;) {
                    result = ogg_stream_packetout(&stream, &packet);
                    if (result == 0) break;
                    if (result < 0) continue;  // a hole in the data: the next packet goes on
                    if (vorbis_synthesis(&block, &packet) == 0) {
                        vorbis_synthesis_blockin(&dsp, &block);
                    }
                    float** pcm;
                    int frames;
                    while ((frames = vorbis_synthesis_pcmout(&dsp, &pcm)) > 0) {
                        // Converted straight into the image: its used size
                        // is a whole number of 16-bit samples.
                        const int count = std::min(frames, framesPerStep);
                        const std::size_t bytes = sizeof(i16) * count * channels;
                        unsigned char* room = image.Room(bytes);
                        if (room == nullptr) {
                            std::fputs("Out of memory while decoding Ogg Vorbis data.\n", stderr);
                            failed = true;
                            break;
                        }
                        ConvertFrames(pcm, channels, count, reinterpret_cast<i16*>(room),
                                      roundingMode);
                        image.Commit(bytes);
                        vorbis_synthesis_read(&dsp, count);
                    }
                    if (failed) break;
                }
                if (ogg_page_eos(&page)) endOfStream = true;
            }
            if (!endOfStream && !failed) {
                const long bytes = input.FeedPiece(sync);
                if (bytes <= 0) endOfStream = true;
            }
        }
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
    } else {
        std::fputs("Error: Corrupt header during playback initialization.\n", stderr);
        failed = true;
    }

    *channelsOut = info.channels;
    *rateOut = info.rate;
    ogg_stream_clear(&stream);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return failed ? StreamResult::Failed : StreamResult::Decoded;
}

}  // namespace

bool DecodeWithLimit(const void* ogg, i32 oggSize, void** wave, u32* waveSize,
                     std::size_t maxImageBytes) {
    if (ogg == nullptr || oggSize < 0 || wave == nullptr || waveSize == nullptr) return false;
    const NearestRounding rounding;
    WaveBuffer image(std::min(maxImageBytes, kLargestImage));
    if (!image.Start(static_cast<std::size_t>(oggSize))) {
        std::fputs("Out of memory while decoding Ogg Vorbis data.\n", stderr);
        return false;
    }

    ogg_sync_state sync;
    ogg_sync_init(&sync);
    Input input{static_cast<const unsigned char*>(ogg), static_cast<std::size_t>(oggSize)};
    int channels = 0;
    long rate = 0;
    bool firstStream = true;
    bool ok = true;
    for (;;) {
        const StreamResult result =
            DecodeStream(&sync, input, image, firstStream, rounding.CallerMode(), &channels, &rate);
        if (result == StreamResult::Failed) {
            ok = false;
            break;
        }
        firstStream = false;
        if (result == StreamResult::InputExhausted) break;
    }
    ogg_sync_clear(&sync);
    if (!ok) return false;
    if (!image.Finish(channels, rate, wave, waveSize)) {
        std::fputs("Out of memory while decoding Ogg Vorbis data.\n", stderr);
        return false;
    }
    return true;
}

i16 SampleToPcm16(float v) {
    float* channel = &v;
    i16 out = 0;
    ConvertFrames(&channel, 1, 1, &out, std::fegetround());
    return out;
}

void SamplesToPcm16(float** channels, int channelCount, int frames, i16* out) {
    ConvertFrames(channels, channelCount, frames, out, std::fegetround());
}

void SetVerbose(bool verbose) {
    verboseOutput = verbose;
}

}  // namespace OggDecoder

bool DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize) {
    // A few kilobytes of Ogg can hold hours of silence. Nothing longer than
    // the mixer plays (ten minutes of 16-bit stereo at 44100 Hz) is decoded.
    return OggDecoder::DecodeWithLimit(ogg, oggSize, wave, waveSize,
                                       44 + kMaxConvertedFrames * 2 * 2);
}
