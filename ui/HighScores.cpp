// The ten-place high-score table, the name entry and "HiScore.dat" (164
// bytes: the magic number 0x0F7612B3, then ten records of a little-endian
// score and a 12-byte name).
#include "ui/HighScores.h"

#include <cstring>

#include "config/AssetNames.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "render/Compose.h"

namespace {

constexpr u32 kMagic = 0x0F7612B3;
constexpr i32 kEntries = 10;
constexpr i32 kNameBytes = 12;
constexpr i32 kRecordBytes = 4 + kNameBytes;
constexpr i32 kTableBytes = kEntries * kRecordBytes;  // 160
constexpr i32 kMaxTyped = 10;

struct ScoreEntry {
    i32 score;
    char name[kNameBytes];
};

struct HighScoreTable {
    char typedName[kNameBytes] = {};
    ScoreEntry entries[kEntries] = {};
    i32 lastKey = -1;
} table;

void PutLe32(u8* p, u32 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
    p[2] = static_cast<u8>(v >> 16);
    p[3] = static_cast<u8>(v >> 24);
}

u32 GetLe32(const u8* p) {
    return p[0] | (u32{p[1]} << 8) | (u32{p[2]} << 16) | (u32{p[3]} << 24);
}

void TableToBytes(u8* out) {
    for (i32 i = 0; i < kEntries; ++i) {
        PutLe32(out + i * kRecordBytes, static_cast<u32>(table.entries[i].score));
        std::memcpy(out + i * kRecordBytes + 4, table.entries[i].name, kNameBytes);
    }
}

// A file's bytes replace the entries as far as they reach, byte for byte.
void BytesToTable(const u8* in, i32 count) {
    u8 image[kTableBytes];
    TableToBytes(image);
    std::memcpy(image, in, count);
    for (i32 i = 0; i < kEntries; ++i) {
        table.entries[i].score = static_cast<i32>(GetLe32(image + i * kRecordBytes));
        std::memcpy(table.entries[i].name, image + i * kRecordBytes + 4, kNameBytes);
        // A name from a file is shown as text: it must end within its bytes.
        table.entries[i].name[kNameBytes - 1] = '\0';
    }
}

bool saveFailed = false;

bool WriteTable(const char* fileName) {
    FileHandle f = gPlatform->FileOpen(fileName, kFileWrite, 0);
    if (f == kNoFile) return false;
    u8 magic[4];
    PutLe32(magic, kMagic);
    if (gPlatform->FileWrite(f, magic, 4, false) != 4) {
        gPlatform->FileClose(f, false);
        return false;
    }
    u8 bytes[kTableBytes];
    TableToBytes(bytes);
    i32 written = gPlatform->FileWrite(f, bytes, kTableBytes, false);
    bool closed = gPlatform->FileClose(f, false);
    return written == kTableBytes && closed;
}

bool HasSmallGlyph(unsigned char c) {
    if (!gLibrary) return false;
    // A 1 x 1 picture stands for an absent glyph.
    const PictureItem* glyph =
        gLibrary->GetPicture(&AssetNames::FontSmall(), (c - 32) / 64, (c - 32) % 64);
    return glyph && !(glyph->width == 1 && glyph->height == 1);
}

}  // namespace

void ResetHighScores() {
    const char* name = GetText(7);
    for (i32 i = 0; i < kEntries; ++i) {
        table.entries[i].score = 100 - 10 * i;
        std::memset(table.entries[i].name, 0, kNameBytes);
        std::strncpy(table.entries[i].name, name, kNameBytes - 1);
    }
    std::memset(table.typedName, 0, kNameBytes);
    table.lastKey = -1;
}

bool LoadHighScores(const char* fileName) {
    FileHandle f = gPlatform->FileOpen(fileName, kFileRead, 0);
    if (f == kNoFile) return false;
    u8 magic[4];
    if (gPlatform->FileRead(f, magic, 4, false) != 4 || GetLe32(magic) != kMagic) {
        gPlatform->FileClose(f, false);
        return false;
    }
    u8 bytes[kTableBytes];
    i32 got = 0;
    while (got < kTableBytes) {
        i32 n = gPlatform->FileRead(f, bytes + got, kTableBytes - got, false);
        if (n <= 0) break;
        got += n;
    }
    gPlatform->FileClose(f, false);
    BytesToTable(bytes, got);
    return got == kTableBytes;
}

bool SaveHighScores(const char* fileName) {
    saveFailed = !WriteTable(fileName);
    return !saveFailed;
}

bool HighScoreSaveFailed() {
    return saveFailed;
}

bool QualifiesForHighScore(i32 score) {
    for (const ScoreEntry& e : table.entries)
        if (score >= e.score) return true;
    return false;
}

i32 HighScoreRank(i32 score) {
    for (i32 i = 0; i < kEntries; ++i)
        if (score >= table.entries[i].score) return i;
    return -1;
}

void InsertHighScore(i32 index, i32 score, const char* name, bool shift) {
    if (index < 0 || index >= kEntries) return;
    if (shift && index < kEntries - 1)
        std::memmove(&table.entries[index + 1], &table.entries[index],
                     sizeof(ScoreEntry) * (kEntries - 1 - index));
    std::memset(table.entries[index].name, 0, kNameBytes);
    std::strncpy(table.entries[index].name, name, kNameBytes - 1);
    table.entries[index].score = score;
}

const char* HighScoreName(i32 index) {
    return table.entries[index].name;
}
i32 HighScoreValue(i32 index) {
    return table.entries[index].score;
}
const char* TypedName() {
    return table.typedName;
}

bool RunNameEntry() {
    if (table.lastKey != -1 && gPlatform->IsCharKeyPressed(static_cast<char>(table.lastKey)))
        return false;
    table.lastKey = -1;

    if (gPlatform->IsCharKeyPressed(8)) {
        std::size_t length = std::strlen(table.typedName);
        if (length > 0) table.typedName[length - 1] = '\0';
        ResetNameCursor();
        table.lastKey = 8;
        return false;
    }
    if (gPlatform->IsEnterPressed()) {
        while (gPlatform->IsEnterPressed()) {
        }
        return true;
    }
    std::size_t length = std::strlen(table.typedName);
    if (length >= kMaxTyped) return false;

    for (i32 c = 32; c <= 254; ++c) {
        if (!gPlatform->IsCharKeyPressed(static_cast<char>(c))) continue;
        if (c != 32 && !HasSmallGlyph(static_cast<unsigned char>(c))) continue;
        table.typedName[length] = static_cast<char>(c);
        table.typedName[length + 1] = '\0';
        table.lastKey = c;
        ResetNameCursor();
        return false;
    }
    return false;
}
