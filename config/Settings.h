// The settings files: AnimProps, CharProps, ObjectProps and the level files,
// all read with one keyword table.
#pragma once

#include "platform/PlatformServices.h"

// Reads AnimProps alone (game start). Shows its own parse error.
bool LoadAnimProps();
// Reads AnimProps, level file n, ObjectProps and CharProps in that order
// (with EnsureWife after the level file). Shows its own parse error.
bool LoadLevelConfig(i32 n);
bool LevelFileExists(i32 n);
