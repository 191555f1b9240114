// brettspalt: reads the command line, finds the game's folders and runs the
// game in an SDL window, or headless on a virtual clock.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bot/BotDriver.h"
#include "game/Game.h"
#include "game/GameGlobals.h"
#include "platform/HeadlessRunner.h"
#include "platform/HostOptions.h"
#include "platform/HostSettings.h"
#include "platform/OggDecoder.h"
#include "platform/PngWriter.h"
#include "platform/ReplayPlayer.h"
#include "platform/ReplayRecorder.h"
#include "platform/ScriptedPlatform.h"
#include "platform/SelfTestGame.h"
#include "platform/sdl/SdlHost.h"

namespace {

// Frames of a headless run that has neither a script nor --frames.
constexpr long kDefaultHeadlessFrames = 600;
// Frames the self-test shows when --frames is not given.
constexpr long kDefaultSelfTestFrames = 120;

GameEntryPoints RealGame() {
    GameEntryPoints game{GameInit, GameInitError, GameShutdown, GameIsRunning, GameFrame};
    game.setSwitches = GameSetSwitches;
    game.getSwitches = GameGetSwitches;
    game.pause = GamePause;
    return game;
}

// The score a replay is checked by.
i32 GameScore() {
    return gGame.score;
}

// --record FILE: the game's calls go through a recorder that writes the replay.
int Recorded(const HostOptions& options, const char* host, const std::string& saveFolder,
             const std::function<int(const GameEntryPoints&)>& run) {
    if (options.recordPath.empty()) return run(RealGame());
    ReplayRecorder recorder({options.recordPath, host, saveFolder, GameScore});
    std::string error;
    if (!recorder.Open(&error)) {
        std::cerr << "brettspalt: " << error << "\n";
        return 3;
    }
    const int status = run(recorder.Wrap(RealGame()));
    if (!recorder.Close(&error)) {
        std::cerr << "brettspalt: " << error << "\n";
        return status != 0 ? status : 3;
    }
    std::cout << "recorded " << options.recordPath << ": " << recorder.Frames()
              << " frames, score " << recorder.Score() << "\n";
    return status;
}

std::string ExecutableFolder() {
    std::vector<char> path(4096);
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return {};
    std::string exe(path.data(), static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

bool IsFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void ReportSearchedFolders(const std::vector<std::string>& searched) {
    std::cerr << "Data.lib was looked for in:";
    for (const std::string& folder : searched) std::cerr << " " << folder;
    std::cerr << "\n(use --data DIR to name the folder that holds it)\n";
}

int RunHeadless(const HostOptions& options, const std::string& dataFolder,
                const std::string& saveFolder, const std::vector<std::string>& searched,
                const GameEntryPoints& game) {
    HeadlessRunner::Settings settings;
    if (!options.scriptPath.empty()) {
        std::ifstream in(options.scriptPath);
        if (!in) {
            std::cerr << "brettspalt: the script " << options.scriptPath << " cannot be read\n";
            return 2;
        }
        std::string error;
        if (!ParseScript(in, &settings.script, &error)) {
            std::cerr << "brettspalt: " << options.scriptPath << ": " << error << "\n";
            return 2;
        }
    }
    settings.maxFrames = options.frames;
    if (settings.maxFrames < 0 && options.scriptPath.empty() && !options.bot) {
        settings.maxFrames = kDefaultHeadlessFrames;
    }
    settings.seeded = options.seeded;
    settings.seed = options.seed;
    settings.soundLogPath = options.soundLogPath;
    settings.nearestRounding = options.nearestRounding;
    ScriptedPlatform platform(dataFolder, saveFolder);
    BotDriver::Options botOptions;
    botOptions.startStreet = options.level > 0 ? static_cast<i32>(options.level) : 1;
    botOptions.wholeGame = options.level == 0;
    BotDriver bot(botOptions, &std::cout);
    if (options.bot) {
        settings.betweenFrames = [&bot, &platform](long frames) {
            const BotKeys keys = bot.Step(frames);
            using Key = ScriptedPlatform::Key;
            platform.SetKey(Key::Left, keys.left);
            platform.SetKey(Key::Right, keys.right);
            platform.SetKey(Key::Up, keys.up);
            platform.SetKey(Key::Down, keys.down);
            platform.SetKey(Key::Space, keys.space);
            return bot.Finished();
        };
    }
    HeadlessRunner runner(platform, game, std::move(settings), std::cout);
    const int status = runner.Run();
    // Name the folders only when it was Data.lib that could not be had.
    const char* reason = GameInitError();
    if (status == 1 && reason != nullptr && std::strstr(reason, "Data.lib") != nullptr)
        ReportSearchedFolders(searched);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const HostOptions options = ParseCommandLine(args);
    if (!options.error.empty()) {
        std::cerr << "brettspalt: " << options.error << "\n\n" << UsageText();
        return 2;
    }
    if (options.mode == HostOptions::Mode::Help) {
        std::cout << UsageText();
        return 0;
    }
    if (options.mode == HostOptions::Mode::Version) {
        std::cout << VersionText();
        return 0;
    }
    OggDecoder::SetVerbose(options.verbose);

    std::vector<std::string> searched;
    const std::string dataFolder = FindDataFolder(options.dataFolder, ExecutableFolder(),
                                                  std::getenv("XDG_DATA_DIRS"), IsFile, &searched);
    // --portable: everything the game writes stays beside the executable.
    const std::string saveFolder =
        options.portable ? ExecutableFolder()
                         : SaveFolderFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));

    if (!options.replayPath.empty()) {
        const int status =
            PlayReplayFile(options.replayPath, dataFolder, RealGame(), GameScore, std::cout, std::cerr);
        const char* reason = GameInitError();
        if (status == 1 && reason != nullptr && std::strstr(reason, "Data.lib") != nullptr)
            ReportSearchedFolders(searched);
        return status;
    }
    if (options.mode == HostOptions::Mode::Headless) {
        return Recorded(options, "headless", saveFolder, [&](const GameEntryPoints& game) {
            return RunHeadless(options, dataFolder, saveFolder, searched, game);
        });
    }

    SdlHostSettings settings;
    settings.windowed = options.windowed;
    settings.sound = !options.noSound;
    settings.pauseOnFocusLoss = options.pauseOnFocusLoss;
    if (options.scale > 0) {
        settings.windowW = 800 * options.scale;
        settings.windowH = 600 * options.scale;
    }
    settings.dataFolder = dataFolder;
    settings.dataFoldersSearched = searched;
    settings.saveFolder = saveFolder;
    if (options.mode == HostOptions::Mode::SelfTest) {
        // The self-test proves that frames reach the window: it fails unless
        // every frame it asked for was drawn and presented.
        settings.singleInstance = false;
        settings.verifyPresentation = true;
        settings.expectedPicture = SelfTestExpectedPicture;
        const long frames = options.frames >= 0 ? options.frames : kDefaultSelfTestFrames;
        const int status = RunSdlHost(settings, SelfTestGame(frames));
        std::cout << "self-test: " << SelfTestFramesDrawn() << " of " << frames
                  << " frames shown\n";
        return status != 0 ? status : (SelfTestFramesDrawn() >= frames ? 0 : 1);
    }

    // What the player chose last time; the command line overrides it.
    // (Without a folder to keep them in, nothing is read or written.)
    auto inFolder = [](const std::string& folder, const char* name) {
        return folder.empty() ? std::string() : folder + "/" + name;
    };
    const std::string settingsPath =
        options.portable ? inFolder(saveFolder, "settings.ini")
                         : SettingsPathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    DesktopSettings remembered;
    std::string warning;
    if (!settingsPath.empty() && !LoadSettings(settingsPath, &remembered, &warning)) {
        std::cerr << "brettspalt: " << warning << "\n";
        remembered = DesktopSettings{};
    }
    // --scale asks for a window of that size unless full screen is asked for too.
    settings.windowed = options.windowed ||
                        (!options.fullScreen && (options.scale > 0 || !remembered.fullScreen));
    settings.smooth = options.smooth || remembered.smooth;
    if (options.scale > 0) {
        remembered.scale = options.scale;
    } else if (remembered.windowW > 0 && remembered.windowH > 0) {
        settings.windowW = remembered.windowW;
        settings.windowH = remembered.windowH;
    } else {
        settings.windowW = 800 * remembered.scale;
        settings.windowH = 600 * remembered.scale;
    }
    settings.screenshotFolder =
        ScreenshotFolderFor(std::getenv("XDG_PICTURES_DIR"), std::getenv("XDG_CONFIG_HOME"),
                            std::getenv("HOME"), inFolder(saveFolder, "screenshots"));
    settings.remember = &remembered;
    if (options.demo) {
        // The bot plays game after game until a key or button is pressed.
        BotDriver::Options demoOptions;
        demoOptions.endless = true;
        auto bot = std::make_shared<BotDriver>(demoOptions, nullptr);
        settings.demo = [bot, frames = 0L](bool pressed) mutable -> u32 {
            if (pressed) {
                BotDriver::ReturnToMenu();
                return kDemoOver;
            }
            const BotKeys keys = bot->Step(++frames);
            return (keys.up ? kDemoUp : 0u) | (keys.down ? kDemoDown : 0u) |
                   (keys.left ? kDemoLeft : 0u) | (keys.right ? kDemoRight : 0u) |
                   (keys.space ? kDemoSpace : 0u);
        };
    }
    const int status = Recorded(options, "desktop", saveFolder,
                                [&](const GameEntryPoints& game) { return RunSdlHost(settings, game); });
    if (status == 0 && !settingsPath.empty()) {
        std::string error;
        if (!SaveSettings(settingsPath, remembered, &error)) {
            std::cerr << "brettspalt: the settings were not kept: " << error << "\n";
        }
    }
    return status;
}
