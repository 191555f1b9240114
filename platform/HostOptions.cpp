// The command line and the game's folders (see HostOptions.h).
#include "platform/HostOptions.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, unsigned long long limit, unsigned long long* value) {
    if (text.empty() || text.size() > 20) return false;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > limit) return false;
    }
    *value = v;
    return true;
}

bool AsksForWindow(const std::string& arg) {
    std::string upper = arg;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper.find("/WINDOW") != std::string::npos;
}

}  // namespace

const char kGameVersion[] = "1.04";

namespace {
#ifdef BRETTSPALT_DATA_FROM_BIN
constexpr char kDataFromExecutable[] = BRETTSPALT_DATA_FROM_BIN;
#else
constexpr char kDataFromExecutable[] = "../share/brettspalt";
#endif
}  // namespace

HostOptions ParseCommandLine(const std::vector<std::string>& args) {
    HostOptions options;
    bool selfTest = false, headless = false, help = false, version = false;
    auto needValue = [&](std::size_t& i, std::string* value) {
        if (i + 1 >= args.size()) {
            options.error = args[i] + " needs a value";
            return false;
        }
        *value = args[++i];
        return true;
    };
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        unsigned long long number = 0;
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "--window") {
            options.windowed = true;
            options.fullScreen = false;
        } else if (arg == "--fullscreen") {
            options.fullScreen = true;
            options.windowed = false;
        } else if (arg == "--smooth") {
            options.smooth = true;
        } else if (arg == "--nosound") {
            options.noSound = true;
        } else if (arg == "--portable") {
            options.portable = true;
        } else if (arg == "--pause-on-focus-loss") {
            options.pauseOnFocusLoss = true;
        } else if (arg == "--scale") {
            if (needValue(i, &value)) {
                if (ParseNumber(value, 16, &number) && number >= 1) {
                    options.scale = static_cast<i32>(number);
                } else {
                    options.error = "--scale needs a whole number from 1 to 16, not \"" + value + "\"";
                }
            }
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--selftest") {
            selfTest = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--bot") {
            options.bot = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--level") {
            if (needValue(i, &value)) {
                if (ParseNumber(value, 99ull, &number) && number >= 1) {
                    options.level = static_cast<long>(number);
                } else {
                    options.error = "--level needs a street number from 1 to 99, not \"" + value + "\"";
                }
            }
        } else if (arg == "--data") {
            if (needValue(i, &value)) options.dataFolder = value;
        } else if (arg == "--script") {
            if (needValue(i, &value)) options.scriptPath = value;
        } else if (arg == "--sound-log") {
            if (needValue(i, &value)) options.soundLogPath = value;
        } else if (arg == "--record") {
            if (needValue(i, &value)) options.recordPath = value;
        } else if (arg == "--replay") {
            if (needValue(i, &value)) options.replayPath = value;
        } else if (arg == "--frames") {
            if (needValue(i, &value)) {
                if (ParseNumber(value, 1000000000ull, &number)) {
                    options.frames = static_cast<long>(number);
                } else {
                    options.error = "--frames needs a number of frames, not \"" + value + "\"";
                }
            }
        } else if (arg == "--seed") {
            if (needValue(i, &value)) {
                if (ParseNumber(value, 0xFFFFFFFFull, &number)) {
                    options.seeded = true;
                    options.seed = static_cast<u32>(number);
                } else {
                    options.error =
                        "--seed needs a number from 0 to 4294967295, not \"" + value + "\"";
                }
            }
        } else if (arg == "--fp-round") {
            // Test-only: compare a headless run with the browser build, whose
            // arithmetic always rounds to nearest.
            if (needValue(i, &value)) {
                if (value == "nearest" || value == "zero") {
                    options.nearestRounding = value == "nearest";
                } else {
                    options.error = "--fp-round takes nearest or zero, not \"" + value + "\"";
                }
            }
        } else if (AsksForWindow(arg)) {
            options.windowed = true;
        } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            options.error = "unknown option " + arg + " (brettspalt --help lists them)";
        }
        // Anything else is ignored, as the game always ignored what it did
        // not know on its command line.
    }
    if (!options.error.empty()) return options;
    if (!options.soundLogPath.empty() && !headless && !help) {
        options.error = "--sound-log is for headless runs (--headless)";
        return options;
    }
    // A replay brings its own input, seed and length, and is played headless.
    if (!options.replayPath.empty() && !help) {
        if (!options.scriptPath.empty() || options.seeded || options.frames >= 0 ||
            !options.recordPath.empty() || !options.soundLogPath.empty() || selfTest) {
            options.error = "--replay takes its input, seed and length from the recording; "
                            "it goes with --data only";
            return options;
        }
        headless = true;
    }
    if (!options.recordPath.empty() && selfTest && !headless && !help) {
        options.error = "--record is for the game, not the self-test";
        return options;
    }
    if (options.bot && !headless && !help) {
        options.error = "--bot is for headless runs (--headless); the window has --demo";
        return options;
    }
    if (options.demo && headless && !help) {
        options.error = "--demo shows the bot in the window; headless, use --bot";
        return options;
    }
    if (options.level != 0 && !options.bot && !help) {
        options.error = "--level is for the bot (--headless --bot)";
        return options;
    }
    // The bot starts its streets by setting the game up directly, not through
    // the menus, so a recording of its game would not play back.
    if (!options.recordPath.empty() && (options.bot || options.demo) && !help) {
        options.error = "--record does not go with --bot or --demo";
        return options;
    }
    if (help) {
        options.mode = HostOptions::Mode::Help;
    } else if (version) {
        options.mode = HostOptions::Mode::Version;
    } else if (headless) {
        options.mode = HostOptions::Mode::Headless;
    } else if (selfTest) {
        options.mode = HostOptions::Mode::SelfTest;
    }
    return options;
}

std::string UsageText() {
    return "Usage: brettspalt [--window | --fullscreen] [--scale N] [--smooth] [--nosound]\n"
           "                  [--data DIR] [--portable] [--pause-on-focus-loss] [--record FILE]\n"
           "       brettspalt --headless [--script FILE] [--frames N] [--seed N] [--data DIR]\n"
           "                  [--sound-log FILE] [--record FILE]\n"
           "       brettspalt --replay FILE [--data DIR]\n"
           "       brettspalt --headless --bot [--level N] [--seed N] [--data DIR]\n"
           "       brettspalt --demo [--window] [--data DIR]\n"
           "\n"
           "  --window, /WINDOW  play in a window instead of full screen\n"
           "  --fullscreen       play in full screen (the default, unless a window was\n"
           "                     chosen last time)\n"
           "  --scale N          open the window at N x 800 by N x 600 pixels (1 to 16)\n"
           "  --smooth           fill the window, keeping the 4:3 shape, instead of the\n"
           "                     largest whole multiple of the picture with sharp pixels\n"
           "  --nosound          play without sound\n"
           "  --data DIR         the folder that holds Data.lib (and an optional Config folder)\n"
           "  --portable         keep high scores and settings beside the executable\n"
           "  --pause-on-focus-loss  mute the sound and pause the street when the window\n"
           "                     loses the focus\n"
           "  --headless         run without window or sound on a virtual clock, driven by an\n"
           "                     input script (see docs/headless.md)\n"
           "  --script FILE      the input script of a headless run\n"
           "  --frames N         end a headless run after N frames\n"
           "  --seed N           seed of the random numbers of a headless run\n"
           "  --sound-log FILE   write every sound call of a headless run to FILE\n"
           "  --fp-round nearest (tests) keep float rounding at nearest in a headless run,\n"
           "                     as the browser build computes\n"
           "  --record FILE      write a replay of the run (desktop or headless) to FILE\n"
           "  --replay FILE      play a replay headless and check it against the recording\n"
           "                     (see docs/replays.md)\n"
           "  --bot              a headless run in which the bot plays a whole game (or the\n"
           "                     street of --level N from a full start); one line per street\n"
           "  --demo             the bot plays in the window until a key is pressed\n"
           "  --selftest         show the window with a built-in test picture (--frames N)\n"
           "  --verbose          report the details of decoded music on standard error\n"
           "  --version          the game's version\n"
           "  --help             this text\n"
           "\n"
           "Keys besides the game's own: Alt+Enter or F11 switches between window and full\n"
           "screen, F12 saves a screenshot. A gamepad works as the keyboard.\n"
           "High scores are kept in $XDG_DATA_HOME/brettspalt (~/.local/share/brettspalt),\n"
           "settings in $XDG_CONFIG_HOME/brettspalt/settings.ini (~/.config/brettspalt).\n";
}

std::string VersionText() {
    return std::string("brettspalt ") + kGameVersion + "\n";
}

std::string FindDataFolder(const std::string& given, const std::string& executableFolder,
                           const char* xdgDataDirs,
                           const std::function<bool(const std::string&)>& fileExists,
                           std::vector<std::string>* searched) {
    auto record = [&](const std::string& folder) {
        if (searched != nullptr) searched->push_back(folder);
    };
    if (!given.empty()) {
        record(given);
        return given;
    }
    std::vector<std::string> candidates;
    if (!executableFolder.empty()) {
        candidates.push_back(executableFolder + "/data");
        // An installed game: bin/brettspalt beside share/brettspalt/Data.lib,
        // under whatever prefix it was installed.
        candidates.push_back(executableFolder + "/" + kDataFromExecutable);
    }
    const std::string dirs =
        xdgDataDirs != nullptr && *xdgDataDirs != 0 ? xdgDataDirs : "/usr/local/share:/usr/share";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        const std::size_t to = std::min(dirs.find(':', from), dirs.size());
        if (to > from) candidates.push_back(dirs.substr(from, to - from) + "/brettspalt");
        from = to + 1;
    }
    for (const std::string& folder : candidates) {
        record(folder);
        if (fileExists(folder + "/Data.lib")) return folder;
    }
    record(".");
    return ".";
}

std::string SaveFolderFor(const char* xdgDataHome, const char* home) {
    // Only an absolute XDG_DATA_HOME counts, as the desktop rules say.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return std::string(xdgDataHome) + "/brettspalt";
    }
    if (home != nullptr && *home != 0) return std::string(home) + "/.local/share/brettspalt";
    return {};
}
