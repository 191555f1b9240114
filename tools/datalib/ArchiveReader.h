// Reads a "Data.lib" for the datalib command: its entries, sequences and
// items, with every offset checked by the game's own library code, so that a
// damaged file is reported instead of trusted.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "game/AssetLibrary.h"
#include "tools/datalib/ArchiveWriter.h"

class ScriptedPlatform;

namespace datalib {

// What an item is. The file does not say; the reader tells by the header and
// the payload (a data item's unused header bytes are 0 and its flags 0 or
// 0x80; sound payloads start with "RIFF" or "OggS").
enum class ItemKind { Picture, Data, Damaged };

class ArchiveReader {
public:
    ArchiveReader();
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Maps the file; false with Error() saying why in plain words.
    bool Open(const std::string& path);
    void Close();
    const std::string& Error() const { return error; }

    u32 FileSize() const;
    // The two header words the game does not read ("BSLB" and 1 when we wrote it).
    u32 Magic() const;
    u32 Version() const;

    int EntryCount() const;
    // The entry's name (at most 26 characters, even when its NUL is missing).
    std::string EntryName(int entry) const;
    bool HasSequence(int entry, int sequence);
    // The raw word of the sequence table (0 when the entry has no such
    // sequence); it may name a block outside the file.
    u32 SequenceSlot(int entry, int sequence) const;
    // The real number of items (1 for a one-item block, unlike the game's 99).
    int ItemCount(int entry, int sequence);
    // Whether the block lists its items (first word negative).
    bool IsListed(int entry, int sequence);

    ItemKind KindOf(int entry, int sequence, int item);
    // Checked items, null when absent or damaged.
    const PictureItem* GetPicture(int entry, int sequence, int item);
    const DataItem* GetData(int entry, int sequence, int item);

    // Writes the listing of `datalib list`: every entry, its sequences and
    // items, picture sizes, hotspots and encodings, data sizes and flags.
    // Returns the number of damaged items met.
    int List(std::ostream& out);

private:
    AssetRef RefOf(int entry) const;
    bool BlockWord(int entry, int sequence, i32* word);

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<AssetLibrary> library;
    std::string error;
};

// The name of an encoding as the listing and the manifest spell it.
const char* EncodingName(u8 format);
// A checked picture item back as RGBA pixels (raw and colour-keyed: 555
// widened to 8 bits, alpha 255 or 0; translucent: the 4-bit channels widened;
// shadow: black of alpha 255 where the shape is).
RgbaImage DecodeToRgba(const PictureItem* item);
// The writer's encoding of a picture's format byte.
Encoding EncodingOf(u8 format);

}  // namespace datalib
