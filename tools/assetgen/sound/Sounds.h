// Every sound of the game, synthesized: the sound entries of "Data.lib".
// The content generator packs what MakeSoundEntries returns; docs/sounds.md
// lists the entries, sequences and items by name, and
// content/config/sound-lines.txt holds the AnimProps and ObjectProps lines
// that give them to the animations and the furniture.
#pragma once

#include <string>
#include <vector>

#include "tools/datalib/ArchiveWriter.h"

namespace sound {

// Every sound entry of the archive: "SOUND_Music" (sequence 0: item 0 menu
// piece, item 1 in-game piece, both Ogg Vorbis with flags 0x80) and the effect
// entries ("SOUND_Saw", "SOUND_Cuts", "SOUND_Steps", "SOUND_Figures",
// "SOUND_GUI", "SOUND_Jingles"), all sequences listed. Same bytes every run.
std::vector<datalib::Entry> MakeSoundEntries();

// Only part of them (the tests look at the effects and the music apart): the
// same entries with the other kind's items left out.
enum class SoundKinds { All, Effects, Music };
std::vector<datalib::Entry> MakeSoundEntries(SoundKinds kinds);

// What one item is, without synthesizing it (for the docs and the tests).
struct SoundListing {
    std::string entry;
    int sequence = 0;
    int item = 0;
    std::string description;
    bool ogg = false;        // stored as Ogg Vorbis, 44.1 kHz stereo
    double loopSeconds = 0;  // > 0: loops seamlessly with exactly this length
    double barSeconds = 0;   // music: the length of one bar
    double peakDb = -1;      // the peak the item is levelled to, in dBFS
};

// In entry, sequence and item order.
std::vector<SoundListing> SoundListings();

}  // namespace sound
