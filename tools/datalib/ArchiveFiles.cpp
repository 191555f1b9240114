// Extract, pack and verify for datalib (see ArchiveFiles.h).
//
// Manifest format, one statement per line ('#' starts a comment line):
//   library BSLB 1                            informational
//   entry NAME                                NAME percent-encoded (%20 for a space)
//   sequence N listed|single                  N = 0..11
//   picture FILE.png hotspot X Y ENCODING [skip N]
//   empty W H hotspot X Y ENCODING [skip N]   a picture without pixels
//   data FILE flags 0xNN                      sound, music or other payload
//   text FILE.txt                             configuration text, stored scrambled
// ENCODING is raw, colour-keyed, translucent or shadow.
#include "tools/datalib/ArchiveFiles.h"

#include <cairo.h>
#include <strings.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "tools/datalib/ArchiveReader.h"
#include "tools/datalib/ArchiveWriter.h"

namespace datalib {
namespace fs = std::filesystem;

namespace {

// ---- Names ----------------------------------------------------------------------

std::string PercentEncode(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (c > 0x20 && c < 0x7F && c != '%') {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

bool PercentDecode(const std::string& text, std::string* name) {
    name->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *name += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const std::string hex = text.substr(i + 1, 2);
        if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])) ||
            !std::isxdigit(static_cast<unsigned char>(hex[1]))) {
            return false;
        }
        *name += static_cast<char>(std::stoi(hex, nullptr, 16));
        i += 2;
    }
    return true;
}

// A folder name safe on any file system, unique by the entry's number.
std::string FolderFor(int entry, const std::string& name) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d_", entry);
    std::string safe;
    for (unsigned char c : name) {
        safe += (std::isalnum(c) || c == '_' || c == '-') ? static_cast<char>(c) : '_';
    }
    return prefix + safe;
}

bool IsConfigEntry(const std::string& name) {
    return strcasecmp(name.c_str(), "Config") == 0;
}

bool StartsWith(const u8* p, u32 size, const char* magic) {
    return size >= 4 && std::memcmp(p, magic, 4) == 0;
}

bool ParseEncoding(const std::string& word, Encoding* e) {
    if (word == "raw")
        *e = Encoding::Raw;
    else if (word == "colour-keyed")
        *e = Encoding::ColourKeyed;
    else if (word == "translucent")
        *e = Encoding::Translucent;
    else if (word == "shadow")
        *e = Encoding::Shadow;
    else
        return false;
    return true;
}

// ---- Files -----------------------------------------------------------------------

bool WriteFile(const fs::path& path, const void* bytes, size_t n) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(n));
    return static_cast<bool>(out);
}

bool ReadFile(const fs::path& path, std::vector<std::uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

// Cairo keeps colours premultiplied by alpha; the library does not.
std::uint32_t Premultiply(std::uint32_t p) {
    const std::uint32_t a = p >> 24;
    if (a == 255) return p;
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul((p >> 16) & 255) << 16) | (mul((p >> 8) & 255) << 8) | mul(p & 255);
}

std::uint32_t Unpremultiply(std::uint32_t p) {
    const std::uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0;
    auto div = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (div((p >> 16) & 255) << 16) | (div((p >> 8) & 255) << 8) | div(p & 255);
}

// Translucent pictures hold 4 bits per channel: snap each 8-bit value to the
// nearest of the 16 levels (a level v is stored as v * 17), so that what the
// premultiplied PNG round trip rounded comes back to the level it was.
std::uint32_t SnapTo4Bits(std::uint32_t p) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t v = (p >> shift) & 255;
        out |= (((v + 8) / 17) * 17) << shift;
    }
    return out;
}

bool WritePng(const fs::path& path, const RgbaImage& img) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, img.width);
    std::vector<unsigned char> data(static_cast<size_t>(stride) * img.height);
    for (int y = 0; y < img.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data.data() + static_cast<size_t>(y) * stride);
        for (int x = 0; x < img.width; ++x)
            row[x] = Premultiply(img.pixels[size_t(y) * img.width + x]);
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(data.data(), CAIRO_FORMAT_ARGB32,
                                                                   img.width, img.height, stride);
    const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
                    cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

bool ReadPng(const fs::path& path, RgbaImage* img, std::string* error) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        *error = "cannot read " + path.string() + ": " +
                 cairo_status_to_string(cairo_surface_status(surface));
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_surface_flush(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        *error = "unsupported PNG pixel format in " + path.string();
        cairo_surface_destroy(surface);
        return false;
    }
    img->width = cairo_image_surface_get_width(surface);
    img->height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    img->pixels.resize(static_cast<size_t>(img->width) * img->height);
    for (int y = 0; y < img->height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < img->width; ++x) {
            const std::uint32_t p = row[x];
            img->pixels[size_t(y) * img->width + x] =
                format == CAIRO_FORMAT_RGB24 ? (p | 0xFF000000u) : Unpremultiply(p);
        }
    }
    cairo_surface_destroy(surface);
    return true;
}

}  // namespace

// ---- Extract ------------------------------------------------------------------------

bool Extract(const std::string& file, const std::string& dir, std::string* error) {
    ArchiveReader reader;
    if (!reader.Open(file)) {
        *error = "cannot read " + file + ": " + reader.Error();
        return false;
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        *error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    std::ostringstream manifest;
    manifest << "# Brettspalt asset library, taken apart by datalib extract.\n"
                "# Edit the files or this list, then: datalib pack manifest.txt Data.lib\n";
    const u32 magic = reader.Magic();
    char magicText[5] = {};
    std::memcpy(magicText, &magic, 4);
    if (std::memcmp(magicText, "BSLB", 4) == 0)
        manifest << "library BSLB " << reader.Version() << "\n";

    for (int e = 0; e < reader.EntryCount(); ++e) {
        const std::string name = reader.EntryName(e);
        const std::string folder = FolderFor(e, name);
        manifest << "entry " << PercentEncode(name) << "\n";
        for (int s = 0; s < 12; ++s) {
            if (!reader.HasSequence(e, s)) {
                if (reader.SequenceSlot(e, s) == 0) continue;
                *error = "entry \"" + name + "\" sequence " + std::to_string(s) +
                         " names a block outside the file (datalib verify lists all)";
                return false;
            }
            manifest << "  sequence " << s << (reader.IsListed(e, s) ? " listed" : " single")
                     << "\n";
            for (int i = 0; i < reader.ItemCount(e, s); ++i) {
                char base[32];
                std::snprintf(base, sizeof base, "s%02d_%03d", s, i);
                const fs::path relative = fs::path(folder) / base;
                fs::create_directories(fs::path(dir) / folder, ec);
                const ItemKind kind = reader.KindOf(e, s, i);
                if (kind == ItemKind::Damaged) {
                    *error = "entry \"" + name + "\" sequence " + std::to_string(s) + " item " +
                             std::to_string(i) + " is damaged (datalib verify lists all)";
                    return false;
                }
                if (kind == ItemKind::Picture) {
                    const PictureItem* pic = reader.GetPicture(e, s, i);
                    std::ostringstream tail;
                    tail << " hotspot " << pic->hotX << " " << pic->hotY << " "
                         << EncodingName(pic->format);
                    if (EncodingOf(pic->format) == Encoding::Raw && pic->pixelSkip) {
                        tail << " skip " << int(pic->pixelSkip);
                    }
                    if (pic->width == 0 || pic->height == 0) {
                        manifest << "    empty " << pic->width << " " << pic->height << tail.str()
                                 << "\n";
                        continue;
                    }
                    const std::string png = relative.string() + ".png";
                    if (!WritePng(fs::path(dir) / png, DecodeToRgba(pic))) {
                        *error = "cannot write " + (fs::path(dir) / png).string();
                        return false;
                    }
                    manifest << "    picture " << png << tail.str() << "\n";
                    continue;
                }
                const DataItem* data = reader.GetData(e, s, i);
                const u8* payload = data->Payload();
                const u32 size = data->payloadSize;
                const bool wave = StartsWith(payload, size, "RIFF");
                const bool ogg = StartsWith(payload, size, "OggS") || (data->flags & kDataItemOgg);
                std::string path;
                bool written;
                if (IsConfigEntry(name) && data->flags == 0 && !wave && !ogg) {
                    std::vector<u8> text(payload, payload + size);
                    for (u8& c : text) c ^= 0xB7;
                    path = relative.string() + ".txt";
                    written = WriteFile(fs::path(dir) / path, text.data(), text.size());
                    manifest << "    text " << path << "\n";
                } else {
                    path = relative.string() + (wave ? ".wav" : ogg ? ".ogg" : ".bin");
                    written = WriteFile(fs::path(dir) / path, payload, size);
                    char flags[8];
                    std::snprintf(flags, sizeof flags, "0x%02X", data->flags);
                    manifest << "    data " << path << " flags " << flags << "\n";
                }
                if (!written) {
                    *error = "cannot write " + (fs::path(dir) / path).string();
                    return false;
                }
            }
        }
    }
    const std::string text = manifest.str();
    if (!WriteFile(fs::path(dir) / "manifest.txt", text.data(), text.size())) {
        *error = "cannot write " + (fs::path(dir) / "manifest.txt").string();
        return false;
    }
    return true;
}

// ---- Pack ---------------------------------------------------------------------------

namespace {

// Reads "hotspot X Y ENCODING [skip N]" from the words at `at`.
bool ParsePictureTail(const std::vector<std::string>& w, size_t at, Picture* pic,
                      std::string* why) {
    try {
        if (w.size() < at + 4 || w[at] != "hotspot") {
            *why = "expected: hotspot X Y ENCODING [skip N]";
            return false;
        }
        pic->hotX = std::stoi(w[at + 1]);
        pic->hotY = std::stoi(w[at + 2]);
        if (!ParseEncoding(w[at + 3], &pic->encoding)) {
            *why = "unknown encoding \"" + w[at + 3] + "\"";
            return false;
        }
        if (w.size() == at + 6 && w[at + 4] == "skip") {
            const int skip = std::stoi(w[at + 5]);
            if (skip < 0 || skip > 255 || pic->encoding != Encoding::Raw) {
                *why = "skip must be 0..255 and only for raw pictures";
                return false;
            }
            pic->pixelSkip = static_cast<std::uint8_t>(skip);
        } else if (w.size() != at + 4) {
            *why = "unexpected words after the encoding";
            return false;
        }
    } catch (const std::exception&) {
        *why = "not a number";
        return false;
    }
    return true;
}

}  // namespace

bool Pack(const std::string& manifestPath, const std::string& out, std::string* error) {
    std::ifstream in(manifestPath);
    if (!in) {
        *error = "cannot read " + manifestPath;
        return false;
    }
    const fs::path folder = fs::path(manifestPath).parent_path();
    ArchiveWriter writer;
    std::optional<Entry> entry;
    int sequence = -1;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        *error = manifestPath + ":" + std::to_string(number) + ": " + why;
        return false;
    };
    auto finishEntry = [&] {
        if (entry) writer.Add(std::move(*entry));
        entry.reset();
        sequence = -1;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty() || w[0][0] == '#') continue;
        const std::string& what = w[0];
        if (what == "library") continue;
        if (what == "entry") {
            std::string name;
            if (w.size() != 2 || !PercentDecode(w[1], &name)) return fail("expected: entry NAME");
            if (name.size() > 25) return fail("entry names have at most 25 characters");
            finishEntry();
            entry.emplace();
            entry->name = name;
            continue;
        }
        if (!entry) return fail("\"" + what + "\" before the first entry");
        if (what == "sequence") {
            if (w.size() != 3 || (w[2] != "listed" && w[2] != "single")) {
                return fail("expected: sequence N listed|single");
            }
            int n = -1;
            try {
                n = std::stoi(w[1]);
            } catch (const std::exception&) {
            }
            if (n < 0 || n > 11) return fail("sequence numbers are 0..11");
            if (entry->sequences[n]) return fail("sequence " + std::to_string(n) + " given twice");
            entry->sequences[n].emplace();
            entry->sequences[n]->listed = w[2] == "listed";
            sequence = n;
            continue;
        }
        if (sequence < 0) return fail("\"" + what + "\" before the first sequence of the entry");
        Sequence& seq = *entry->sequences[sequence];
        if (!seq.listed && !seq.items.empty()) return fail("a single sequence holds one item");
        std::string why;
        if (what == "picture") {
            Picture pic;
            if (w.size() < 2 || !ParsePictureTail(w, 2, &pic, &why)) return fail(why);
            if (!ReadPng(folder / w[1], &pic.image, &why)) return fail(why);
            if (pic.encoding == Encoding::Translucent) {
                for (std::uint32_t& p : pic.image.pixels) p = SnapTo4Bits(p);
            }
            seq.items.push_back(std::move(pic));
        } else if (what == "empty") {
            Picture pic;
            try {
                if (w.size() < 3) throw std::invalid_argument("size");
                pic.image.width = std::stoi(w[1]);
                pic.image.height = std::stoi(w[2]);
            } catch (const std::exception&) {
                return fail("expected: empty W H hotspot X Y ENCODING");
            }
            if (pic.image.width < 0 || pic.image.height < 0 ||
                (pic.image.width != 0 && pic.image.height != 0)) {
                return fail("an empty picture has a width or a height of 0");
            }
            if (!ParsePictureTail(w, 3, &pic, &why)) return fail(why);
            seq.items.push_back(std::move(pic));
        } else if (what == "data" || what == "text") {
            std::vector<std::uint8_t> bytes;
            if (w.size() < 2 || !ReadFile(folder / w[1], &bytes)) {
                return fail("cannot read " +
                            (w.size() < 2 ? std::string("(no file)") : (folder / w[1]).string()));
            }
            if (what == "text") {
                if (w.size() != 2) return fail("expected: text FILE");
                seq.items.push_back(
                    ArchiveWriter::ScrambledText(std::string(bytes.begin(), bytes.end())));
            } else {
                Data data;
                data.payload = std::move(bytes);
                unsigned long flags = 0;
                try {
                    if (w.size() != 4 || w[2] != "flags") throw std::invalid_argument("flags");
                    flags = std::stoul(w[3], nullptr, 0);
                } catch (const std::exception&) {
                    return fail("expected: data FILE flags 0xNN");
                }
                if (flags > 255) return fail("flags are one byte");
                data.flags = static_cast<std::uint8_t>(flags);
                seq.items.push_back(std::move(data));
            }
        } else {
            return fail("unknown statement \"" + what + "\"");
        }
    }
    finishEntry();
    const std::vector<std::uint8_t> image = writer.Build();
    if (image.empty()) {
        *error = "cannot build " + out + ": " + writer.LastError();
        return false;
    }
    if (!writer.Write(out)) {
        *error = "cannot write " + out;
        return false;
    }
    return true;
}

// ---- Verify -------------------------------------------------------------------------

int Verify(const std::string& file, std::ostream& out) {
    ArchiveReader reader;
    if (!reader.Open(file)) {
        out << file << ": cannot read: " << reader.Error() << "\n";
        return -1;
    }
    int errors = 0;
    int warnings = 0;
    std::map<std::string, int> seen;
    for (int e = 0; e < reader.EntryCount(); ++e) {
        const std::string name = reader.EntryName(e);
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.size() == 26) {
            out << "warning: entry " << e << " has no NUL within its 26 name bytes\n";
            ++warnings;
        }
        if (seen.count(lower)) {
            out << "warning: entry " << e << " \"" << name << "\" is hidden by entry "
                << seen[lower] << " of the same name\n";
            ++warnings;
        } else {
            seen[lower] = e;
        }
        for (int s = 0; s < 12; ++s) {
            if (!reader.HasSequence(e, s)) {
                if (reader.SequenceSlot(e, s) != 0) {
                    out << "error: entry \"" << name << "\" sequence " << s
                        << " names a block outside the file\n";
                    ++errors;
                }
                continue;
            }
            const int n = reader.ItemCount(e, s);
            if (reader.IsListed(e, s) && n < 2) {
                out << "warning: entry \"" << name << "\" sequence " << s << " lists " << n
                    << " item(s); an animation needs two\n";
                ++warnings;
            }
            for (int i = 0; i < n; ++i) {
                const ItemKind kind = reader.KindOf(e, s, i);
                if (kind == ItemKind::Damaged) {
                    out << "error: entry \"" << name << "\" sequence " << s << " item " << i
                        << " lies outside the file or is malformed\n";
                    ++errors;
                } else if (kind == ItemKind::Picture) {
                    const PictureItem* pic = reader.GetPicture(e, s, i);
                    if (EncodingOf(pic->format) == Encoding::Raw && (pic->pixelSkip & 1)) {
                        out << "warning: entry \"" << name << "\" sequence " << s << " item " << i
                            << " has an odd pixel skip\n";
                        ++warnings;
                    }
                }
            }
        }
    }
    out << file << ": " << reader.EntryCount() << " entries, " << errors << " error(s), "
        << warnings << " warning(s)\n";
    return errors;
}

}  // namespace datalib
