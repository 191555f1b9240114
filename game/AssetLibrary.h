// "Data.lib", mapped into memory whole and read in place, and the named
// references the game uses to find entries in it.
#pragma once

#include <unordered_set>

#include "blit/PictureItem.h"
#include "platform/PlatformServices.h"

// A named reference into the library: resolved by name on first use, then
// cached. 32 bytes, in this field order.
struct AssetRef {
    i32 index;      // entry found by the last lookup; -1 until found
    char name[26];  // entry name, NUL-terminated
    u8 resolved;    // a lookup has run for this name (found or not)
    u8 assigned;    // the name was given at run time by the configuration

    // Gives the reference a new name at run time: name copied (at most 25
    // characters), index -1, resolved 0, assigned 1.
    void Assign(const char* newName);
    // Builds a fixed reference: name copied, index -1, both flags 0.
    void Init(const char* defaultName);
};
static_assert(sizeof(AssetRef) == 32);

// 12-byte header of a data item (sound, music, configuration text).
struct DataItem {
    u32 payloadSize;
    u32 unused0;
    u8 flags;  // bit 7: the payload is Ogg Vorbis and must be decoded
    u8 unused1[3];
    const u8* Payload() const { return reinterpret_cast<const u8*>(this) + 12; }
};
static_assert(sizeof(DataItem) == 12);

inline constexpr u8 kDataItemOgg = 0x80;

class AssetLibrary {
public:
    explicit AssetLibrary(PlatformServices* platform);

    // Maps the file with FileMap and checks its header and directory against
    // the mapped size. False (and closed) when it cannot be mapped or is not a
    // library.
    bool Open(const char* fileName);
    void Close();
    bool IsOpen() const { return base != nullptr; }

    // Pre-faults the mapping: three passes reading every 400th word below
    // wordCount - 4.
    void Touch(i32 wordCount);

    // Entry number of ref's name (case-insensitive, first match wins), -1 when
    // absent. A lookup runs once per name; its result is cached in ref.
    i32 Resolve(AssetRef* ref);
    // The 12-byte header of item `item` of sequence `sequence` (0..11), or
    // null. Every offset is checked against the file: whatever does not lie
    // wholly inside it is absent.
    const void* GetItem(AssetRef* ref, i32 sequence, i32 item);
    // The same, as a picture whose pixel data has been checked to lie inside
    // the file (raw size, or every run-length row walked to its width), so it
    // is safe to hand to the blitter. Null otherwise.
    const PictureItem* GetPicture(AssetRef* ref, i32 sequence, i32 item);
    // The same, as a data item whose payload lies inside the file.
    const DataItem* GetData(AssetRef* ref, i32 sequence, i32 item);
    // Item count of a sequence; a one-item block reports 99 (a still picture
    // is a long cycle); 0 when there is nothing.
    i32 GetItemCount(AssetRef* ref, i32 sequence);
    // Whether the entry's sequence slot is not 0.
    bool HasSequence(AssetRef* ref, i32 sequence);

    const u8* Base() const { return base; }
    u32 Size() const { return size; }

private:
    // The block of an entry's sequence, checked to lie inside the file.
    bool FindBlock(AssetRef* ref, i32 sequence, u32* blockOffset, i32* firstWord);

    const u8* base = nullptr;
    const i32* sequenceTable = nullptr;
    PlatformServices* platform;
    u32 size = 0;
    i32 entryCount = 0;
    u32 nameTableOffset = 0;
    // Offsets of the pictures whose pixel data has been checked already.
    std::unordered_set<u32> checkedPictures;
};
