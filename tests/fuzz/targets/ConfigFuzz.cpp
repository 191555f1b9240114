// Any text as one of the configuration files (the first byte picks which:
// Text.txt, AnimProps.txt, CharProps.txt, ObjectProps.txt or the first
// street's level file), the others as shipped; the texts are read as at
// start-up, the street is started and a few frames are played with the saw
// running and the player walking.
#include <cstdint>
#include <string>

#include "config/Settings.h"
#include "config/TextTable.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "tests/fuzz/targets/FuzzWorld.h"

using Key = ScriptedPlatform::Key;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static int lastChanged = -1;
    ScriptedPlatform& platform = fuzzworld::Platform();
    const int which = data[0] % fuzzworld::kConfigFileCount;
    if (lastChanged >= 0 && lastChanged != which) {
        fuzzworld::WriteDataFile(std::string("Config/") + fuzzworld::kConfigFiles[lastChanged],
                                 fuzzworld::ShippedConfig(lastChanged));
    }
    fuzzworld::WriteDataFile(std::string("Config/") + fuzzworld::kConfigFiles[which],
                             std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    lastChanged = which;

    LoadTextTable();
    LoadAnimProps();
    StartLevel(1);
    SetScreenState(Playing, 0);
    platform.SetKey(Key::Space, true);
    platform.SetKey(data[size - 1] & 1 ? Key::Left : Key::Right, true);
    // The last frame comes after more than a second: the clock counts down.
    for (int f = 0; f < 6; ++f) fuzzworld::Frame(f == 0 ? 1 : (f == 5 ? 1100 : 40));
    fuzzworld::ReleaseAllKeys();
    fuzzworld::Frame();
    platform.ClearMessages();
    platform.ClearSoundLog();
    return 0;
}
