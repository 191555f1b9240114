// Storage of the game's global records (see GameGlobals.h).
#include "game/GameGlobals.h"

GameGlobals gGame;
LevelState gLevel;
PlatformServices* gPlatform = nullptr;
AssetLibrary* gLibrary = nullptr;
