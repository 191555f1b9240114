// The real game for the fuzz targets that play: our own Data.lib (from the
// folder in BRETTSPALT_DATA_DIR, as the main build makes it) with a Config
// folder beside it holding the shipped configuration texts, the scripted
// platform on a virtual clock, and GameInit run once.
#pragma once

#include <string>

#include "platform/ScriptedPlatform.h"

namespace fuzzworld {

// The configuration texts in the order the fuzz inputs' first byte picks them.
inline constexpr const char* kConfigFiles[] = {"Text.txt", "AnimProps.txt", "CharProps.txt",
                                               "ObjectProps.txt", "Level01.txt"};
inline constexpr int kConfigFileCount = 5;

// The platform of the running game; the first call sets everything up and
// aborts with a message when the data are not there.
ScriptedPlatform& Platform();
// Folder of the game's data (Data.lib and Config/).
const std::string& DataFolder();
// The shipped text of one configuration file.
const std::string& ShippedConfig(int which);
// Writes a file below the data folder.
void WriteDataFile(const std::string& name, const std::string& bytes);

// One game frame of `ms` virtual milliseconds; keys held or tapped before.
// A frame that polls keys hundreds of times is waiting for one to come up:
// every key and button is released then.
void Frame(unsigned ms = 16);
void ReleaseAllKeys();

}  // namespace fuzzworld
