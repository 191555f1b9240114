// The parts of our own Data.lib, each drawn by its own generator.
#pragma once

#include <string>
#include <vector>

#include "tools/datalib/ArchiveWriter.h"

namespace assetgen {

// Player, wife, removal men, policemen, lawyers and the fight cloud.
std::vector<datalib::Entry> MakeFigureEntries();
// Every furniture piece, the canister, the van and the dust cloud.
std::vector<datalib::Entry> MakeFurnitureEntries();
// The names of the furniture pieces (the level files place them by name).
std::vector<std::string> FurnitureNames();
// "Background1": three sets of far and street layers.
datalib::Entry MakeBackgroundEntry();
// "GUI": menu backgrounds, buttons, title animation and HUD icons.
datalib::Entry MakeGuiEntry();
// "font_gr_normal" and "font_kl_normal".
std::vector<datalib::Entry> MakeFontEntries();
// "Config" from the text files of a folder; false with a message on failure.
bool MakeConfigEntry(const std::string& folder, datalib::Entry* entry, std::string* error);

// One PNG per entry (pictures in a grid, one row per sequence) into folder.
bool WriteContactSheets(const std::vector<datalib::Entry>& entries, const std::string& folder);

}  // namespace assetgen
