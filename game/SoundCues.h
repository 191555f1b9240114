// Sounds and music from the library: the decoded-sound cache, playing and
// stopping items, animation cues and the music selection.
#pragma once

#include "actors/AnimationTable.h"

// Empties the cache (GameInit) / frees every decoded buffer (GameShutdown).
void ClearSoundCache();
void FreeSoundCache();
// A playable wave image of a data item: its payload, or for an Ogg item the
// decoded image from the cache. False when decoding fails or the cache is full.
bool GetPlayableSound(const DataItem* item, const void** wave, u32* size);
void PlaySound(AssetRef* ref, i32 sequence, i32 item, bool loop, bool force);
void StopLoopedSound(AssetRef* ref, i32 sequence, i32 item, bool doIt);
void PlayCue(const AnimationRecord& record);
void SelectMusic(i32 n);
