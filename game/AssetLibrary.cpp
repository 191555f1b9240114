// "Data.lib": the mapped asset library and the named references into it.
//
// The file is read in place. Unlike a plain trusting reader, every offset the
// file holds is checked against the file's size before it is followed, and a
// picture's pixel rows are walked once before the blitter may see them: a
// damaged or hostile library makes its items absent, never crashes the game.
#include "game/AssetLibrary.h"

#include "blit/Blitter.h"

#include <algorithm>
#include <cstring>

using i64 = long long;
using u64 = unsigned long long;

namespace {

// Keeps the reads of Touch from being optimised away.
volatile u32 touchSum = 0;

constexpr i32 kSequenceSlots = 12;
constexpr u32 kHeaderBytes = 16;
constexpr u32 kRowBytes = kSequenceSlots * 4;
constexpr u32 kNameBytes = 26;
constexpr u32 kItemHeaderBytes = 12;

// Mapped bytes may be at any alignment: read words by copying.
i32 ReadI32(const u8* p) {
    i32 v;
    std::memcpy(&v, p, 4);
    return v;
}
u16 ReadU16(const u8* p) {
    u16 v;
    std::memcpy(&v, p, 2);
    return v;
}

// Whether [offset, offset + length) lies inside a file of `size` bytes.
bool Inside(long long offset, long long length, u32 size) {
    return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares a name of the table (26 bytes, NUL-terminated within them as a
// rule, but not trusted to be) with a reference's name, ignoring letter case.
bool SameName(const char* tableName, const char* refName) {
    for (u32 i = 0; i < kNameBytes; ++i) {
        const char a = FoldCase(tableName[i]);
        const char b = FoldCase(refName[i]);
        if (a != b) return false;
        if (a == 0) return true;
    }
    return true;
}

// Walks the run-length rows of a picture: every row's runs must add up to
// exactly the width, and every run word and pixel word must lie inside the
// `available` bytes.
bool RunsFit(const u8* pixels, u64 available, u32 width, u32 height) {
    u64 at = 0;
    for (u32 row = 0; row < height; ++row) {
        u32 done = 0;
        while (done < width) {
            if (available - at < 2) return false;
            const u16 run = ReadU16(pixels + at);
            at += 2;
            if (run <= 255) {
                const u64 bytes = u64(run) * 2;
                if (available - at < bytes) return false;
                at += bytes;
                done += run;
            } else {
                done += run & 255;
            }
        }
        if (done != width) return false;
    }
    return true;
}

}  // namespace

// ---- AssetRef ---------------------------------------------------------------

void AssetRef::Init(const char* defaultName) {
    std::memset(name, 0, sizeof name);
    if (defaultName) std::strncpy(name, defaultName, sizeof name - 1);
    index = -1;
    resolved = 0;
    assigned = 0;
}

void AssetRef::Assign(const char* newName) {
    std::memset(name, 0, sizeof name);
    if (newName) std::strncpy(name, newName, sizeof name - 1);
    index = -1;
    resolved = 0;
    assigned = 1;
}

// ---- Opening and closing ------------------------------------------------------

AssetLibrary::AssetLibrary(PlatformServices* platform) : platform(platform) {}

bool AssetLibrary::Open(const char* fileName) {
    Close();
    if (!platform || !fileName) return false;

    // Learn the size first: the directory is checked against it.
    const FileHandle file = platform->FileOpen(fileName, kFileRead, 0);
    if (file == kNoFile) return false;
    const u32 fileSize = platform->FileGetSize(file, false);
    platform->FileClose(file, false);
    if (fileSize == 0xFFFFFFFFu || fileSize < kHeaderBytes) return false;

    const u8* view = static_cast<const u8*>(platform->FileMap(fileName));
    if (!view) return false;

    const i32 count = std::max(ReadI32(view + 12), 0);
    const u32 nameTable = static_cast<u32>(ReadI32(view + 8));
    const bool directoryFits = Inside(kHeaderBytes, i64(count) * kRowBytes, fileSize) &&
                               (count == 0 || Inside(nameTable, i64(count) * kNameBytes, fileSize));
    if (!directoryFits) {
        platform->FileUnmap(view);
        return false;
    }
    base = view;
    sequenceTable = reinterpret_cast<const i32*>(view + kHeaderBytes);
    size = fileSize;
    entryCount = count;
    nameTableOffset = nameTable;
    // The mapping stays as it is until Close, so the blitter may keep faster
    // forms of its pictures until then.
    BlitKeepPictures(base, base + size);
    return true;
}

void AssetLibrary::Close() {
    if (base) {
        BlitForgetPictures(base, base + size);
        platform->FileUnmap(base);
    }
    base = nullptr;
    sequenceTable = nullptr;
    size = 0;
    entryCount = 0;
    nameTableOffset = 0;
    checkedPictures.clear();
}

void AssetLibrary::Touch(i32 wordCount) {
    if (!base) return;
    // Never past the mapped file, whatever the caller believes its size is.
    const i64 limit = std::min<i64>(i64(wordCount) - 4, i64(size / 4));
    for (int pass = 0; pass < 3; ++pass) {
        for (i64 word = 0; word < limit; word += 400) {
            touchSum = touchSum + static_cast<u32>(ReadI32(base + word * 4));
        }
    }
}

// ---- Lookups ------------------------------------------------------------------

i32 AssetLibrary::Resolve(AssetRef* ref) {
    if (!ref) return -1;
    if (ref->resolved) return ref->index;
    // A closed library finds nothing and leaves the reference to be looked up
    // once it is open.
    if (!base) return -1;
    const char* names = reinterpret_cast<const char*>(base + nameTableOffset);
    for (i32 e = 0; e < entryCount; ++e) {
        if (SameName(names + i64(e) * kNameBytes, ref->name)) {
            ref->index = e;
            ref->resolved = 1;
            return e;
        }
    }
    ref->resolved = 1;
    return -1;
}

// Finds the block of an entry's sequence and checks that it lies inside the
// file: the first word, and for a listed block the n offsets after it. A
// sequence slot that holds 0 has no block.
bool AssetLibrary::FindBlock(AssetRef* ref, i32 sequence, u32* blockOffset, i32* firstWord) {
    if (!base || sequence < 0 || sequence >= kSequenceSlots) return false;
    const i32 e = Resolve(ref);
    if (e < 0 || e >= entryCount) return false;
    const i32 slot = ReadI32(base + kHeaderBytes + i64(e) * kRowBytes + i64(sequence) * 4);
    if (slot == 0) return false;
    // The block is the word the offset falls in (counted in whole words).
    const i64 block = i64(slot / 4) * 4;
    if (!Inside(block, 4, size)) return false;
    const i32 w = ReadI32(base + block);
    if (w < 0 && !Inside(block + 4, -i64(w) * 4, size)) return false;
    *blockOffset = static_cast<u32>(block);
    *firstWord = w;
    return true;
}

const void* AssetLibrary::GetItem(AssetRef* ref, i32 sequence, i32 item) {
    u32 block;
    i32 w;
    if (item < 0 || !FindBlock(ref, sequence, &block, &w)) return nullptr;
    i64 offset;
    if (w < 0) {
        if (item >= -i64(w)) return nullptr;
        offset = ReadI32(base + block + 4 + i64(item) * 4);
    } else {
        // A one-item block has no item 1 or beyond.
        if (item > 0) return nullptr;
        offset = w;
    }
    if (!Inside(offset, kItemHeaderBytes, size)) return nullptr;
    return base + offset;
}

const PictureItem* AssetLibrary::GetPicture(AssetRef* ref, i32 sequence, i32 item) {
    const u8* p = static_cast<const u8*>(GetItem(ref, sequence, item));
    if (!p) return nullptr;
    const u32 offset = static_cast<u32>(p - base);
    if (offset % alignof(PictureItem) != 0) return nullptr;
    if (checkedPictures.count(offset)) return reinterpret_cast<const PictureItem*>(p);

    PictureItem header;
    std::memcpy(&header, p, sizeof header);
    const u64 available = u64(size) - offset - kItemHeaderBytes;
    const u8* pixels = p + kItemHeaderBytes;
    bool fits;
    if ((header.format & (1 | 8 | 16)) == 0) {
        const u64 bytes = u64(header.pixelSkip) + u64(header.width) * header.height * 2;
        fits = bytes <= available;
    } else {
        fits = RunsFit(pixels, available, header.width, header.height);
    }
    if (!fits) return nullptr;
    checkedPictures.insert(offset);
    return reinterpret_cast<const PictureItem*>(p);
}

const DataItem* AssetLibrary::GetData(AssetRef* ref, i32 sequence, i32 item) {
    const u8* p = static_cast<const u8*>(GetItem(ref, sequence, item));
    if (!p) return nullptr;
    const u32 offset = static_cast<u32>(p - base);
    if (offset % alignof(DataItem) != 0) return nullptr;
    const u32 payload = static_cast<u32>(ReadI32(p));
    if (u64(payload) > u64(size) - offset - kItemHeaderBytes) return nullptr;
    return reinterpret_cast<const DataItem*>(p);
}

i32 AssetLibrary::GetItemCount(AssetRef* ref, i32 sequence) {
    u32 block;
    i32 w;
    if (!FindBlock(ref, sequence, &block, &w)) return 0;
    // A one-item block reports 99, not 1: a still picture plays as a long
    // cycle of 98 frame units. Kept on purpose; the animations rely on it.
    return w < 0 ? -w : 99;
}

bool AssetLibrary::HasSequence(AssetRef* ref, i32 sequence) {
    u32 block;
    i32 w;
    return FindBlock(ref, sequence, &block, &w);
}
