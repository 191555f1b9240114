// Writes "Data.lib" (see ArchiveWriter.h). The layout, in file order: the
// 16-byte header, the sequence table, the name table, then for every entry and
// every sequence in order its block followed by its items, each on a 4-byte
// boundary. The same input always gives the same bytes.
#include "tools/datalib/ArchiveWriter.h"

#include <cstdio>
#include <limits>

namespace datalib {
namespace {

constexpr std::uint32_t kHeaderBytes = 16;
constexpr std::uint32_t kRowBytes = 48;
constexpr std::uint32_t kNameBytes = 26;
constexpr std::uint8_t kFormatRunLength = 1;
constexpr std::uint8_t kFormatTranslucent = 8;
constexpr std::uint8_t kFormatShadow = 16;

class Buffer {
public:
    std::vector<std::uint8_t> bytes;

    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes.size()); }
    void Align4() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
    void U8(std::uint8_t v) { bytes.push_back(v); }
    void U16(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void PutU32(std::uint32_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

std::uint32_t Alpha(std::uint32_t p) {
    return p >> 24;
}
std::uint32_t Red(std::uint32_t p) {
    return (p >> 16) & 0xFF;
}
std::uint32_t Green(std::uint32_t p) {
    return (p >> 8) & 0xFF;
}
std::uint32_t Blue(std::uint32_t p) {
    return p & 0xFF;
}

std::uint16_t To555(std::uint32_t p) {
    return static_cast<std::uint16_t>(((Red(p) >> 3) << 10) | ((Green(p) >> 3) << 5) |
                                      (Blue(p) >> 3));
}

std::uint16_t To4444(std::uint32_t p) {
    return static_cast<std::uint16_t>(((Alpha(p) >> 4) << 12) | ((Red(p) >> 4) << 8) |
                                      ((Green(p) >> 4) << 4) | (Blue(p) >> 4));
}

// Whether a pixel is drawn, and the word it is drawn with, per encoding.
bool Opaque(Encoding e, std::uint32_t p) {
    return e == Encoding::Translucent ? (Alpha(p) >> 4) != 0 : Alpha(p) >= 128;
}

std::uint16_t PixelWord(Encoding e, std::uint32_t p) {
    switch (e) {
        case Encoding::Translucent:
            return To4444(p);
        case Encoding::Shadow:
            return 0;  // only the shape of a shadow matters
        default:
            return To555(p);
    }
}

// One row as runs: opaque runs (run word = length, then the pixel words) and
// transparent runs (run word = 256 + length), none longer than 255 pixels.
void WriteRuns(Buffer& out, const Picture& pic, int row) {
    const RgbaImage& img = pic.image;
    const std::uint32_t* pixels = img.pixels.data() + static_cast<size_t>(row) * img.width;
    int x = 0;
    while (x < img.width) {
        const bool opaque = Opaque(pic.encoding, pixels[x]);
        int end = x;
        while (end < img.width && end - x < 255 && Opaque(pic.encoding, pixels[end]) == opaque) {
            ++end;
        }
        const int length = end - x;
        if (opaque) {
            out.U16(static_cast<std::uint16_t>(length));
            for (int i = x; i < end; ++i) out.U16(PixelWord(pic.encoding, pixels[i]));
        } else {
            out.U16(static_cast<std::uint16_t>(0x100 | length));
        }
        x = end;
    }
}

std::string CheckPicture(const Picture& pic) {
    const RgbaImage& img = pic.image;
    if (img.width < 0 || img.height < 0 || img.width > 0xFFFF || img.height > 0xFFFF) {
        return "picture size out of range (0..65535)";
    }
    if (img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height)) {
        return "picture pixel count does not match its size";
    }
    const int lo = std::numeric_limits<std::int16_t>::min();
    const int hi = std::numeric_limits<std::int16_t>::max();
    if (pic.hotX < lo || pic.hotX > hi || pic.hotY < lo || pic.hotY > hi) {
        return "hotspot out of range (-32768..32767)";
    }
    return "";
}

void WritePicture(Buffer& out, const Picture& pic) {
    const RgbaImage& img = pic.image;
    std::uint8_t format = 0;
    switch (pic.encoding) {
        case Encoding::Raw:
            format = 0;
            break;
        case Encoding::ColourKeyed:
            format = kFormatRunLength;
            break;
        case Encoding::Translucent:
            format = kFormatRunLength | kFormatTranslucent;
            break;
        case Encoding::Shadow:
            format = kFormatRunLength | kFormatShadow;
            break;
    }
    out.U16(static_cast<std::uint16_t>(img.width));
    out.U16(static_cast<std::uint16_t>(img.height));
    out.U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(pic.hotX)));
    out.U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(pic.hotY)));
    out.U8(format);
    out.U8(pic.encoding == Encoding::Raw ? pic.pixelSkip : 0);
    out.U16(0);
    if (pic.encoding == Encoding::Raw) {
        for (int i = 0; i < pic.pixelSkip; ++i) out.U8(0);
        for (std::uint32_t p : img.pixels) out.U16(To555(p));
        return;
    }
    for (int row = 0; row < img.height; ++row) WriteRuns(out, pic, row);
}

void WriteData(Buffer& out, const Data& data) {
    out.U32(static_cast<std::uint32_t>(data.payload.size()));
    out.U32(0);
    out.U8(data.flags);
    out.U8(0);
    out.U16(0);
    out.bytes.insert(out.bytes.end(), data.payload.begin(), data.payload.end());
}

}  // namespace

void ArchiveWriter::Add(Entry entry) {
    entries.push_back(std::move(entry));
}

Data ArchiveWriter::ScrambledText(const std::string& text) {
    Data data;
    data.payload.reserve(text.size());
    for (unsigned char c : text) data.payload.push_back(static_cast<std::uint8_t>(c ^ 0xB7));
    return data;
}

std::vector<std::uint8_t> ArchiveWriter::Build() const {
    lastError.clear();
    Buffer out;
    const std::uint32_t count = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t nameTable = kHeaderBytes + count * kRowBytes;

    // Header: a magic word and a format version, which the game does not read.
    out.bytes.insert(out.bytes.end(), {'B', 'S', 'L', 'B'});
    out.U32(1);
    out.U32(nameTable);
    out.U32(count);
    out.bytes.resize(nameTable + count * kNameBytes, 0);
    for (std::uint32_t e = 0; e < count; ++e) {
        const std::string& name = entries[e].name;
        if (name.size() > kNameBytes - 1) {
            lastError = "entry name longer than 25 characters: " + name;
            return {};
        }
        std::copy(name.begin(), name.end(), out.bytes.begin() + nameTable + e * kNameBytes);
    }

    for (std::uint32_t e = 0; e < count; ++e) {
        for (std::uint32_t s = 0; s < 12; ++s) {
            const std::optional<Sequence>& seq = entries[e].sequences[s];
            // An empty sequence cannot be written as a block: it stays absent.
            if (!seq || seq->items.empty()) continue;
            const size_t n = seq->items.size();
            const bool listed = seq->listed || n > 1;
            out.Align4();
            const std::uint32_t block = out.Size();
            out.PutU32(kHeaderBytes + e * kRowBytes + s * 4, block);
            if (listed) {
                out.U32(static_cast<std::uint32_t>(-static_cast<std::int64_t>(n)));
                for (size_t i = 0; i < n; ++i) out.U32(0);
            } else {
                out.U32(0);
            }
            for (size_t i = 0; i < n; ++i) {
                out.Align4();
                const std::uint32_t at = out.Size();
                out.PutU32(listed ? block + 4 + static_cast<std::uint32_t>(i) * 4 : block, at);
                if (const Picture* pic = std::get_if<Picture>(&seq->items[i])) {
                    lastError = CheckPicture(*pic);
                    if (!lastError.empty()) {
                        lastError = entries[e].name + ": " + lastError;
                        return {};
                    }
                    WritePicture(out, *pic);
                } else {
                    WriteData(out, std::get<Data>(seq->items[i]));
                }
                // Offsets are signed 32-bit words.
                if (out.bytes.size() >
                    static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) {
                    lastError = "archive larger than 2 GiB";
                    return {};
                }
            }
        }
    }
    out.Align4();
    return std::move(out.bytes);
}

bool ArchiveWriter::Write(const std::string& path) const {
    const std::vector<std::uint8_t> image = Build();
    if (image.empty()) {
        std::fprintf(stderr, "datalib: cannot build %s: %s\n", path.c_str(), lastError.c_str());
        return false;
    }
    // Written beside the target and renamed, so a failed write never leaves a
    // half-written library in its place.
    const std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "datalib: cannot write %s\n", temp.c_str());
        return false;
    }
    const bool written = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "datalib: cannot write %s\n", path.c_str());
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace datalib
