// Sounds and music from the library. Ogg Vorbis items are decoded once, when
// first played, and kept for the rest of the run: the platform knows a sound by
// the address of its wave image, so an item must always yield the same buffer
// or a looping sound could never be stopped again.
#include "game/SoundCues.h"

#include <cstdlib>
#include <cstring>

#include "config/AssetNames.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"

namespace {

constexpr i32 kCacheSize = 256;

struct DecodedSound {
    const void* key;  // payload of the library item
    void* buffer;     // decoded wave image, owned by the cache
    u32 size;
};

struct SoundCache {
    DecodedSound entries[kCacheSize];
    i32 count;
} gCache{};

// The two music pieces: item 0 the menu, item 1 the level.
constexpr i32 kMenuPiece = 0;
constexpr i32 kLevelPiece = 1;

AssetRef& MusicRef() {
    return AssetNames::Music();
}

void StopBothPieces() {
    StopLoopedSound(&MusicRef(), 0, kMenuPiece, true);
    StopLoopedSound(&MusicRef(), 0, kLevelPiece, true);
}

const DecodedSound* FindDecoded(const void* key) {
    for (i32 i = 0; i < gCache.count; ++i) {
        if (gCache.entries[i].key == key) return &gCache.entries[i];
    }
    return nullptr;
}

}  // namespace

void ClearSoundCache() {
    gCache = SoundCache{};
}

void FreeSoundCache() {
    for (i32 i = 0; i < gCache.count; ++i) std::free(gCache.entries[i].buffer);
    gCache = SoundCache{};
}

bool GetPlayableSound(const DataItem* item, const void** wave, u32* size) {
    if (item == nullptr) return false;
    if ((item->flags & kDataItemOgg) == 0) {
        *wave = item->Payload();
        *size = item->payloadSize;
        return true;
    }
    const void* key = item->Payload();
    if (const DecodedSound* known = FindDecoded(key)) {
        *wave = known->buffer;
        *size = known->size;
        return true;
    }
    if (gCache.count >= kCacheSize || gPlatform == nullptr) return false;
    if (item->payloadSize > 0x7FFFFFFFu) return false;

    void* decoded = nullptr;
    u32 decodedSize = 0;
    if (!gPlatform->DecodeOggToWave(key, static_cast<i32>(item->payloadSize), &decoded,
                                    &decodedSize) ||
        decoded == nullptr) {
        return false;
    }
    void* buffer = std::malloc(decodedSize == 0 ? 1 : decodedSize);
    if (buffer != nullptr) std::memcpy(buffer, decoded, decodedSize);
    std::free(decoded);
    if (buffer == nullptr) return false;

    DecodedSound& entry = gCache.entries[gCache.count++];
    entry.key = key;
    entry.buffer = buffer;
    entry.size = decodedSize;
    *wave = buffer;
    *size = decodedSize;
    return true;
}

void PlaySound(AssetRef* ref, i32 sequence, i32 item, bool loop, bool force) {
    if (!gGame.soundEffectsOn && !force) return;
    if (gLibrary == nullptr || gPlatform == nullptr || ref == nullptr) return;
    const void* wave = nullptr;
    u32 size = 0;
    if (!GetPlayableSound(gLibrary->GetData(ref, sequence, item), &wave, &size)) return;
    if (loop) {
        gPlatform->SoundLoop(wave, size, true);
    } else {
        gPlatform->SoundPlay(wave, size);
    }
}

void StopLoopedSound(AssetRef* ref, i32 sequence, i32 item, bool doIt) {
    if (gLibrary == nullptr || gPlatform == nullptr || ref == nullptr) return;
    const DataItem* data = gLibrary->GetData(ref, sequence, item);
    // An encoded item that was never decoded has never been played, so there
    // is nothing to stop; decoding it here (a whole music piece) would only
    // make a buffer for a stop the platform refuses.
    if (data != nullptr && (data->flags & kDataItemOgg) != 0 && !FindDecoded(data->Payload()))
        return;
    const void* wave = nullptr;
    u32 size = 0;
    if (!GetPlayableSound(data, &wave, &size)) return;
    if (doIt) gPlatform->SoundLoop(wave, size, false);
}

void PlayCue(const AnimationRecord& record) {
    if (record.soundAsset == nullptr || !record.soundAsset->assigned) return;
    i32 item = record.soundItem;
    if (item < 0) item = 0;
    if (item >= 1000) item -= 1000;
    if (!gGame.soundEffectsOn) return;
    const i32 sequence = std::abs(record.soundSequence) - 1;
    if (sequence < 0 || gLibrary == nullptr || gPlatform == nullptr) return;
    const void* wave = nullptr;
    u32 size = 0;
    if (!GetPlayableSound(gLibrary->GetData(record.soundAsset, sequence, item), &wave, &size)) {
        return;
    }
    gPlatform->SoundPlay(wave, size);
}

// Music is forced: it plays with the sound effects off; only musicOn governs it.
void SelectMusic(i32 n) {
    if (!gGame.musicOn) {
        if (gGame.currentMusic > 0) StopBothPieces();
        gGame.currentMusic = -1;
        return;
    }
    if (n == gGame.currentMusic) return;
    switch (n) {
        case 0:
            if (gGame.currentMusic > 0) StopBothPieces();
            break;
        case 1:
            StopBothPieces();
            PlaySound(&MusicRef(), 0, kLevelPiece, true, true);
            break;
        case 2:
            StopBothPieces();
            PlaySound(&MusicRef(), 0, kMenuPiece, true, true);
            break;
        default:
            break;
    }
    gGame.currentMusic = n;
}
