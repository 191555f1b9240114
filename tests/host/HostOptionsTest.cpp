// The command line, the folders the game looks in, and the single-instance
// socket.
#include "platform/HostOptions.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "platform/SingleInstance.h"

namespace {

TEST(HostOptions, WindowSwitchInAnyCaseAnywhere) {
    EXPECT_FALSE(ParseCommandLine({}).windowed);
    EXPECT_TRUE(ParseCommandLine({"/WINDOW"}).windowed);
    EXPECT_TRUE(ParseCommandLine({"/wInDoW"}).windowed) << "mixed case";
    EXPECT_TRUE(ParseCommandLine({"x/windowed"}).windowed) << "inside a longer word";
    EXPECT_TRUE(ParseCommandLine({"--window"}).windowed);
    EXPECT_EQ(HostOptions::Mode::Play, ParseCommandLine({"/WINDOW"}).mode);

    // A path is not a switch, even when a folder is called "window".
    const HostOptions data = ParseCommandLine({"--data", "/home/me/Window/games"});
    EXPECT_FALSE(data.windowed);
    EXPECT_EQ("/home/me/Window/games", data.dataFolder);
}

TEST(HostOptions, HeadlessOptionsAndMistakes) {
    const HostOptions run = ParseCommandLine(
        {"--headless", "--script", "run.txt", "--frames", "120", "--seed", "4294967295"});
    EXPECT_TRUE(run.error.empty()) << run.error;
    EXPECT_EQ(HostOptions::Mode::Headless, run.mode);
    EXPECT_EQ("run.txt", run.scriptPath);
    EXPECT_EQ(120, run.frames);
    EXPECT_TRUE(run.seeded);
    EXPECT_EQ(4294967295u, run.seed);
    EXPECT_FALSE(run.nearestRounding);
    EXPECT_TRUE(ParseCommandLine({"--headless", "--fp-round", "nearest"}).nearestRounding);
    EXPECT_FALSE(ParseCommandLine({"--fp-round", "up"}).error.empty()) << "only nearest or zero";

    EXPECT_FALSE(ParseCommandLine({"--seed", "4294967296"}).error.empty()) << "too big";
    EXPECT_FALSE(ParseCommandLine({"--frames", "-3"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--frames"}).error.empty()) << "value missing";
    EXPECT_FALSE(ParseCommandLine({"--fullscreem"}).error.empty()) << "unknown option";
    EXPECT_TRUE(ParseCommandLine({"whatever"}).error.empty()) << "other words are ignored";
    EXPECT_EQ(HostOptions::Mode::Help, ParseCommandLine({"--headless", "--help"}).mode);
    EXPECT_EQ(HostOptions::Mode::SelfTest, ParseCommandLine({"--selftest"}).mode);
}

TEST(HostOptions, DesktopOptions) {
    const HostOptions play = ParseCommandLine(
        {"--fullscreen", "--scale", "3", "--smooth", "--nosound", "--portable",
         "--pause-on-focus-loss", "--data", "d"});
    EXPECT_TRUE(play.error.empty()) << play.error;
    EXPECT_EQ(HostOptions::Mode::Play, play.mode);
    EXPECT_TRUE(play.fullScreen);
    EXPECT_FALSE(play.windowed);
    EXPECT_EQ(3, play.scale);
    EXPECT_TRUE(play.smooth && play.noSound && play.portable && play.pauseOnFocusLoss);
    EXPECT_EQ(0, ParseCommandLine({}).scale) << "not given";
    EXPECT_TRUE(ParseCommandLine({"--fullscreen", "--window"}).windowed) << "the last one counts";
    EXPECT_FALSE(ParseCommandLine({"--window", "--fullscreen"}).windowed);
    EXPECT_EQ(HostOptions::Mode::Version, ParseCommandLine({"--version"}).mode);
    EXPECT_EQ(HostOptions::Mode::Help, ParseCommandLine({"--version", "-h"}).mode);
    EXPECT_EQ(16, ParseCommandLine({"--scale", "16"}).scale);
    for (const char* wrong : {"0", "17", "2.5", "", "x"}) {
        const HostOptions bad = ParseCommandLine({"--scale", wrong});
        EXPECT_NE(std::string::npos, bad.error.find("--scale")) << wrong;
    }
    EXPECT_NE(std::string::npos, ParseCommandLine({"-x"}).error.find("unknown option -x"));
    EXPECT_FALSE(ParseCommandLine({"--scale"}).error.empty()) << "value missing";

    // --help names every option the parser knows.
    const std::string usage = UsageText();
    for (const char* option :
         {"--window", "--fullscreen", "--scale", "--smooth", "--nosound", "--data", "--portable",
          "--pause-on-focus-loss", "--headless", "--script", "--frames", "--seed", "--sound-log",
          "--selftest", "--verbose", "--version", "--help"}) {
        EXPECT_NE(std::string::npos, usage.find(option)) << option;
    }
    EXPECT_EQ(std::string("brettspalt ") + kGameVersion + "\n", VersionText());
}

TEST(HostOptions, RecordAndReplay) {
    const HostOptions record = ParseCommandLine({"--window", "--record", "run.rep"});
    EXPECT_TRUE(record.error.empty()) << record.error;
    EXPECT_EQ(HostOptions::Mode::Play, record.mode) << "the desktop game records";
    EXPECT_EQ("run.rep", record.recordPath);
    EXPECT_EQ(HostOptions::Mode::Headless,
              ParseCommandLine({"--headless", "--script", "s", "--record", "r"}).mode);

    const HostOptions replay = ParseCommandLine({"--replay", "run.rep", "--data", "d"});
    EXPECT_TRUE(replay.error.empty()) << replay.error;
    EXPECT_EQ(HostOptions::Mode::Headless, replay.mode) << "a replay is always played headless";
    EXPECT_EQ("run.rep", replay.replayPath);
    for (const char* other : {"--script", "--seed", "--frames", "--record", "--sound-log"}) {
        EXPECT_FALSE(ParseCommandLine({"--replay", "r", other, "1"}).error.empty())
            << "the recording decides " << other;
    }
    EXPECT_FALSE(ParseCommandLine({"--record"}).error.empty()) << "value missing";
}

TEST(HostOptions, BotAndDemoOptions) {
    const HostOptions bot = ParseCommandLine({"--headless", "--bot", "--level", "41", "--seed", "3"});
    EXPECT_TRUE(bot.error.empty()) << bot.error;
    EXPECT_TRUE(bot.bot);
    EXPECT_EQ(41, bot.level);
    EXPECT_EQ(0, ParseCommandLine({"--headless", "--bot"}).level) << "a whole game";
    EXPECT_TRUE(ParseCommandLine({"--demo", "--window"}).demo);
    EXPECT_EQ(HostOptions::Mode::Play, ParseCommandLine({"--demo"}).mode);

    EXPECT_FALSE(ParseCommandLine({"--bot"}).error.empty()) << "the bot runs headless";
    EXPECT_FALSE(ParseCommandLine({"--headless", "--level", "2"}).error.empty()) << "no bot";
    EXPECT_FALSE(ParseCommandLine({"--headless", "--bot", "--level", "0"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--headless", "--bot", "--level", "100"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--headless", "--demo"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--headless", "--bot", "--record", "r"}).error.empty())
        << "a bot game cannot be recorded";
    EXPECT_FALSE(ParseCommandLine({"--demo", "--record", "r"}).error.empty());
}

TEST(HostOptions, DataFolderIsLookedForInOrder) {
    std::set<std::string> present;
    auto exists = [&](const std::string& path) { return present.count(path) > 0; };
    std::vector<std::string> searched;

    EXPECT_EQ("/given", FindDataFolder("/given", "/opt/bs", nullptr, exists, &searched));

    searched.clear();
    EXPECT_EQ(".", FindDataFolder("", "/opt/bs", "/a:/b", exists, &searched));
    const std::vector<std::string> order = {"/opt/bs/data", "/opt/bs/../share/brettspalt",
                                            "/a/brettspalt", "/b/brettspalt", "."};
    EXPECT_EQ(order, searched) << "every place is reported for the error message";

    present.insert("/b/brettspalt/Data.lib");
    EXPECT_EQ("/b/brettspalt", FindDataFolder("", "/opt/bs", "/a:/b", exists, nullptr));
    present.insert("/opt/bs/../share/brettspalt/Data.lib");
    EXPECT_EQ("/opt/bs/../share/brettspalt", FindDataFolder("", "/opt/bs", "/a:/b", exists, nullptr))
        << "an installed game finds its data from its executable, under any prefix";
    present.insert("/opt/bs/data/Data.lib");
    EXPECT_EQ("/opt/bs/data", FindDataFolder("", "/opt/bs", "/a:/b", exists, nullptr))
        << "beside the executable first";

    searched.clear();
    FindDataFolder("", "", nullptr, exists, &searched);
    EXPECT_EQ("/usr/local/share/brettspalt", searched.at(0)) << "the desktop's default";
}

TEST(HostOptions, SaveFolderFollowsTheDesktopRules) {
    EXPECT_EQ("/x/brettspalt", SaveFolderFor("/x", "/home/me"));
    EXPECT_EQ("/home/me/.local/share/brettspalt", SaveFolderFor(nullptr, "/home/me"));
    EXPECT_EQ("/home/me/.local/share/brettspalt", SaveFolderFor("relative", "/home/me"))
        << "a relative XDG_DATA_HOME is ignored";
    EXPECT_EQ("", SaveFolderFor(nullptr, nullptr));
}

TEST(SingleInstance, SecondCopyReachesTheFirstAndAsksItToRaise) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("brettspalt-instance-" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         std::to_string(reinterpret_cast<std::uintptr_t>(&folder)));
    std::filesystem::create_directories(folder);
    {
        SingleInstance first(folder.string());
        ASSERT_EQ(SingleInstance::Claim::First, first.Acquire());
        EXPECT_FALSE(first.RaiseRequested());
        SingleInstance second(folder.string());
        EXPECT_EQ(SingleInstance::Claim::AnotherRuns, second.Acquire());
        EXPECT_TRUE(first.RaiseRequested());
        EXPECT_FALSE(first.RaiseRequested()) << "one request, one answer";
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "brettspalt.socket")) << "cleaned up";

    // A socket file left behind by a copy that died is taken over.
    {
        const std::string path = (folder / "brettspalt.socket").string();
        const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(0, ::bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address));
        ::close(dead);  // the file stays, nobody listens
        ASSERT_TRUE(std::filesystem::exists(path));
        SingleInstance next(folder.string());
        EXPECT_EQ(SingleInstance::Claim::First, next.Acquire());
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
