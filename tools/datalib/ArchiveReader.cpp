// Reading "Data.lib" for the datalib command (see ArchiveReader.h). The file
// is mapped through the scripted platform's file services and queried through
// the game's AssetLibrary, whose checks keep every read inside the file.
#include "tools/datalib/ArchiveReader.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ScriptedPlatform.h"

namespace datalib {
namespace {

u32 Le32(const u8* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (u32(p[3]) << 24);
}

std::uint8_t Widen5(u32 v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}
std::uint8_t Widen4(u32 v) {
    return static_cast<std::uint8_t>((v << 4) | v);
}

}  // namespace

const char* EncodingName(u8 format) {
    if (format & 16) return "shadow";
    if (format & 8) return "translucent";
    if (format & 1) return "colour-keyed";
    return "raw";
}

Encoding EncodingOf(u8 format) {
    if (format & 16) return Encoding::Shadow;
    if (format & 8) return Encoding::Translucent;
    if (format & 1) return Encoding::ColourKeyed;
    return Encoding::Raw;
}

RgbaImage DecodeToRgba(const PictureItem* item) {
    RgbaImage img;
    if (!item) return img;
    img.width = item->width;
    img.height = item->height;
    img.pixels.assign(static_cast<size_t>(img.width) * img.height, 0);
    const u8* data = reinterpret_cast<const u8*>(item) + 12;
    auto word = [&](size_t at) {
        u16 v;
        std::memcpy(&v, data + at, 2);
        return v;
    };
    auto colour555 = [](u16 w) {
        return 0xFF000000u | (u32(Widen5((w >> 10) & 31)) << 16) |
               (u32(Widen5((w >> 5) & 31)) << 8) | Widen5(w & 31);
    };
    const Encoding encoding = EncodingOf(item->format);
    if (encoding == Encoding::Raw) {
        for (size_t i = 0; i < img.pixels.size(); ++i) {
            img.pixels[i] = colour555(word(item->pixelSkip + 2 * i));
        }
        return img;
    }
    size_t at = 0;
    size_t out = 0;
    for (int y = 0; y < img.height; ++y) {
        int done = 0;
        while (done < img.width) {
            const u16 run = word(at);
            at += 2;
            if (run > 255) {
                done += run & 255;
                out += run & 255;
                continue;
            }
            for (int i = 0; i < run; ++i, at += 2) {
                const u16 w = word(at);
                u32 pixel;
                if (encoding == Encoding::Translucent) {
                    pixel = (u32(Widen4(w >> 12)) << 24) | (u32(Widen4((w >> 8) & 15)) << 16) |
                            (u32(Widen4((w >> 4) & 15)) << 8) | Widen4(w & 15);
                } else if (encoding == Encoding::Shadow) {
                    pixel = 0xFF000000u;
                } else {
                    pixel = colour555(w);
                }
                img.pixels[out++] = pixel;
            }
            done += run;
        }
    }
    return img;
}

ArchiveReader::ArchiveReader() = default;
ArchiveReader::~ArchiveReader() {
    Close();
}

bool ArchiveReader::Open(const std::string& path) {
    Close();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        error = "no such file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (st.st_size < 16) {
        error = "too short to be an asset library (" + std::to_string(st.st_size) + " bytes)";
        return false;
    }
    platform = std::make_unique<ScriptedPlatform>(".", "");
    library = std::make_unique<AssetLibrary>(platform.get());
    // The path is a host path, not a game name: make it absolute so that no
    // folder lookup applies.
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char* cwd = ::getcwd(nullptr, 0);
        if (cwd) {
            absolute = std::string(cwd) + "/" + path;
            std::free(cwd);
        }
    }
    if (!library->Open(absolute.c_str())) {
        error = "not an asset library, or damaged: its directory does not fit in the file";
        library.reset();
        platform.reset();
        return false;
    }
    error.clear();
    return true;
}

void ArchiveReader::Close() {
    if (library) library->Close();
    library.reset();
    platform.reset();
}

u32 ArchiveReader::FileSize() const {
    return library ? library->Size() : 0;
}
u32 ArchiveReader::Magic() const {
    return library ? Le32(library->Base()) : 0;
}
u32 ArchiveReader::Version() const {
    return library ? Le32(library->Base() + 4) : 0;
}

int ArchiveReader::EntryCount() const {
    if (!library) return 0;
    const i32 count = static_cast<i32>(Le32(library->Base() + 12));
    return count > 0 ? count : 0;
}

std::string ArchiveReader::EntryName(int entry) const {
    if (!library || entry < 0 || entry >= EntryCount()) return "";
    const char* name = reinterpret_cast<const char*>(library->Base() + Le32(library->Base() + 8)) +
                       26 * size_t(entry);
    return std::string(name, strnlen(name, 26));
}

AssetRef ArchiveReader::RefOf(int entry) const {
    // A reference that is already resolved to the entry: duplicate names are
    // listed each on its own.
    AssetRef ref;
    ref.Init(EntryName(entry).c_str());
    ref.index = entry;
    ref.resolved = 1;
    return ref;
}

bool ArchiveReader::HasSequence(int entry, int sequence) {
    if (!library || entry < 0 || entry >= EntryCount()) return false;
    AssetRef ref = RefOf(entry);
    return library->HasSequence(&ref, sequence);
}

u32 ArchiveReader::SequenceSlot(int entry, int sequence) const {
    if (!library || entry < 0 || entry >= EntryCount() || sequence < 0 || sequence >= 12) return 0;
    return Le32(library->Base() + 16 + 48 * size_t(entry) + 4 * size_t(sequence));
}

bool ArchiveReader::BlockWord(int entry, int sequence, i32* word) {
    if (!HasSequence(entry, sequence)) return false;
    const u8* base = library->Base();
    const i32 slot = static_cast<i32>(Le32(base + 16 + 48 * size_t(entry) + 4 * size_t(sequence)));
    // HasSequence checked that this block lies inside the file.
    *word = static_cast<i32>(Le32(base + (slot / 4) * 4));
    return true;
}

int ArchiveReader::ItemCount(int entry, int sequence) {
    i32 w;
    if (!BlockWord(entry, sequence, &w)) return 0;
    return w < 0 ? -w : 1;
}

bool ArchiveReader::IsListed(int entry, int sequence) {
    i32 w;
    return BlockWord(entry, sequence, &w) && w < 0;
}

const PictureItem* ArchiveReader::GetPicture(int entry, int sequence, int item) {
    if (!library || entry < 0 || entry >= EntryCount()) return nullptr;
    AssetRef ref = RefOf(entry);
    return library->GetPicture(&ref, sequence, item);
}

const DataItem* ArchiveReader::GetData(int entry, int sequence, int item) {
    if (!library || entry < 0 || entry >= EntryCount()) return nullptr;
    AssetRef ref = RefOf(entry);
    return library->GetData(&ref, sequence, item);
}

ItemKind ArchiveReader::KindOf(int entry, int sequence, int item) {
    // A data item leaves header bytes 4-7 and 9-11 at 0. Sounds and music are
    // told by their payload or the Ogg flag, configuration texts by their
    // entry; a short payload read as a picture would have no rows.
    const DataItem* data = GetData(entry, sequence, item);
    const u8* raw = reinterpret_cast<const u8*>(data);
    const bool dataShape =
        data && Le32(raw + 4) == 0 && raw[9] == 0 && raw[10] == 0 && raw[11] == 0;
    if (dataShape) {
        const u8* payload = data->Payload();
        const bool sound = data->payloadSize >= 4 && (std::memcmp(payload, "RIFF", 4) == 0 ||
                                                      std::memcmp(payload, "OggS", 4) == 0);
        if (sound || (data->flags & kDataItemOgg) ||
            strcasecmp(EntryName(entry).c_str(), "Config") == 0) {
            return ItemKind::Data;
        }
    }
    const PictureItem* pic = GetPicture(entry, sequence, item);
    if (pic && pic->width > 0 && pic->height > 0) return ItemKind::Picture;
    if (dataShape) return ItemKind::Data;
    if (pic) return ItemKind::Picture;
    return ItemKind::Damaged;
}

int ArchiveReader::List(std::ostream& out) {
    int damaged = 0;
    const u32 magic = Magic();
    out << EntryCount() << " entries, " << FileSize() << " bytes";
    if (std::memcmp(&magic, "BSLB", 4) == 0) out << ", format version " << Version();
    out << "\n";
    for (int e = 0; e < EntryCount(); ++e) {
        out << "entry " << e << " \"" << EntryName(e) << "\"\n";
        for (int s = 0; s < 12; ++s) {
            if (!HasSequence(e, s)) {
                // A slot that names a block the file does not hold.
                if (SequenceSlot(e, s) != 0) {
                    out << "  sequence " << s << ": damaged (block outside the file)\n";
                    ++damaged;
                }
                continue;
            }
            const int n = ItemCount(e, s);
            out << "  sequence " << s << ": " << n << (n == 1 ? " item" : " items")
                << (IsListed(e, s) ? "" : " (one-item block)") << "\n";
            for (int i = 0; i < n; ++i) {
                out << "    item " << i << ": ";
                switch (KindOf(e, s, i)) {
                    case ItemKind::Picture: {
                        const PictureItem* p = GetPicture(e, s, i);
                        out << "picture " << p->width << "x" << p->height << " hotspot " << p->hotX
                            << "," << p->hotY << " " << EncodingName(p->format);
                        if (EncodingOf(p->format) == Encoding::Raw && p->pixelSkip) {
                            out << " skip " << int(p->pixelSkip);
                        }
                        break;
                    }
                    case ItemKind::Data: {
                        const DataItem* d = GetData(e, s, i);
                        char flags[8];
                        std::snprintf(flags, sizeof flags, "0x%02X", d->flags);
                        out << "data " << d->payloadSize << " bytes flags " << flags;
                        if (d->flags & kDataItemOgg) {
                            out << " (Ogg Vorbis)";
                        } else if (d->payloadSize >= 4 &&
                                   std::memcmp(d->Payload(), "RIFF", 4) == 0) {
                            out << " (wave)";
                        }
                        break;
                    }
                    case ItemKind::Damaged:
                        out << "damaged (outside the file or malformed)";
                        ++damaged;
                        break;
                }
                out << "\n";
            }
        }
    }
    return damaged;
}

}  // namespace datalib
