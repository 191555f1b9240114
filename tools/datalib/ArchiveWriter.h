// Builds a complete "Data.lib" from pictures given as RGBA pixels, data items
// and configuration texts. Used by the tests to make fixture archives and by
// the content generator to pack our own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace datalib {

// Pixel encodings of a picture item.
enum class Encoding : std::uint8_t {
    Raw,          // format 0: opaque 16-bit pixels, no transparency
    ColourKeyed,  // format 1: run-length, alpha < 128 transparent, else opaque
    Translucent,  // format 1|8: run-length 4-4-4-4 (alpha 0 transparent)
    Shadow,       // format 1|16: run-length, only the shape matters
};

// 8-bit RGBA pixels, row-major, top row first; each pixel 0xAARRGGBB.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

struct Picture {
    RgbaImage image;
    int hotX = 0;
    int hotY = 0;
    Encoding encoding = Encoding::ColourKeyed;
    std::uint8_t pixelSkip = 0;  // raw only: padding bytes before the pixels
};

struct Data {
    std::vector<std::uint8_t> payload;
    std::uint8_t flags = 0;  // bit 7: Ogg Vorbis
};

using Item = std::variant<Picture, Data>;

// A sequence of items. A sequence of one item is written as a one-item block
// (its first word is the item's offset) unless `listed` asks for a list.
struct Sequence {
    std::vector<Item> items;
    bool listed = false;
};

struct Entry {
    std::string name;  // at most 25 characters
    std::array<std::optional<Sequence>, 12> sequences;
};

class ArchiveWriter {
public:
    // Adds an entry; entries keep the order they were added in.
    void Add(Entry entry);
    // Convenience for the configuration texts: the bytes are scrambled
    // (XOR 0xB7) as the game expects them.
    static Data ScrambledText(const std::string& text);

    // The complete file image; empty when an entry cannot be written (name
    // longer than 25 characters, picture larger than 65535 pixels or with a
    // pixel count that does not match, hotspot outside 16 bits, archive
    // beyond 2 GiB); LastError() then says why. A sequence without items is
    // left out (its slot stays 0).
    std::vector<std::uint8_t> Build() const;
    // Builds and writes the file; false (with a message on stderr) on failure.
    bool Write(const std::string& path) const;

    const std::string& LastError() const { return lastError; }

private:
    std::vector<Entry> entries;
    mutable std::string lastError;
};

}  // namespace datalib
