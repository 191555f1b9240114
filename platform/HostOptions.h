// The brettspalt command line and the folders the game uses: where Data.lib
// is looked for and where HiScore.dat is kept.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

struct HostOptions {
    enum class Mode { Play, Headless, SelfTest, Help, Version };
    Mode mode = Mode::Play;
    bool windowed = false;
    bool fullScreen = false;   // --fullscreen: full screen whatever was remembered
    i32 scale = 0;             // --scale N: a window of N x 800 by N x 600; 0: not given
    bool smooth = false;       // --smooth: fill the window, keeping the shape
    bool noSound = false;      // --nosound: no sound device at all
    bool portable = false;     // --portable: high scores and settings beside the executable
    bool pauseOnFocusLoss = false;
    std::string dataFolder;    // empty: look in the usual places
    std::string scriptPath;    // headless input script; empty: none
    std::string soundLogPath;  // headless: where the sound log goes; empty: none
    std::string recordPath;    // --record: write a replay of the run there; empty: none
    std::string replayPath;    // --replay: play this replay headless; empty: none
    long frames = -1;          // headless / self-test: frames to run; -1: until the end
    bool seeded = false;
    u32 seed = 0;
    bool verbose = false;
    bool nearestRounding = false;  // headless test switch: keep round-to-nearest
    bool bot = false;   // headless: the bot plays (one line per street)
    long level = 0;     // --level: the street a bot game starts at; 0: a whole game from 1
    bool demo = false;  // window: the bot plays as a showcase until a key is pressed
    std::string error;  // not empty: the command line is wrong, and this says how
};

// The version the game reports (--version).
extern const char kGameVersion[];

// "/WINDOW" anywhere in an argument, in any letter case (even inside a longer
// word, as the game has always accepted it), or --window gives a window. The
// values of --data, --script, --sound-log, --record and --replay are paths and are not searched for it.
HostOptions ParseCommandLine(const std::vector<std::string>& args);

// The text of --help (every option) and of --version.
std::string UsageText();
std::string VersionText();

// Where Data.lib is: the --data folder if given; else data/ beside the
// executable, then ../share/brettspalt from it (an installed game), then brettspalt/ in each folder of XDG_DATA_DIRS (default
// /usr/local/share:/usr/share), the first that holds Data.lib; else the
// current folder. searched receives every folder looked at, in order.
std::string FindDataFolder(const std::string& given, const std::string& executableFolder,
                           const char* xdgDataDirs,
                           const std::function<bool(const std::string&)>& fileExists,
                           std::vector<std::string>* searched);

// $XDG_DATA_HOME/brettspalt, or ~/.local/share/brettspalt; empty when neither
// variable is set.
std::string SaveFolderFor(const char* xdgDataHome, const char* home);
