// The settings files: AnimProps, CharProps, ObjectProps and the level files,
// all read with one keyword table.
#pragma once

#include "config/ConfigTokenizer.h"
#include "platform/PlatformServices.h"

// Reads AnimProps alone (game start). Shows its own parse error.
bool LoadAnimProps();
// Reads AnimProps, level file n, ObjectProps and CharProps in that order
// (with EnsureWife after the level file). Shows its own parse error.
bool LoadLevelConfig(i32 n);
bool LevelFileExists(i32 n);
// Reads one settings file (any of the four kinds: every keyword is accepted in
// each) from the library or from disk. False on a parse error (with
// configErrorLine set) or when the file cannot be opened (configErrorLine
// untouched); the lines read before the failure keep their effects.
bool ParseSettingsFile(const ConfigSource& file);
