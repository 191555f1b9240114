// The remembered desktop settings: the text round trip, files that are
// damaged or not ours, the safe write and where the file lives.
#include "platform/HostSettings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostSettings, RoundTripAndDamagedFiles) {
    DesktopSettings changed;
    changed.soundEffects = false;
    changed.music = false;
    changed.fullScreen = false;
    changed.smooth = true;
    changed.scale = 3;
    changed.windowW = 2400;
    changed.windowH = 1800;
    for (const DesktopSettings& s : {DesktopSettings{}, changed}) {
        DesktopSettings read;
        read.scale = 7;
        std::string error;
        ASSERT_TRUE(ParseSettings(FormatSettings(s), &read, &error)) << error;
        EXPECT_EQ(s, read);
    }

    // Hand-edited: comments, blanks, CR LF, another program's section and a
    // later version's key are all fine.
    DesktopSettings read;
    std::string error;
    ASSERT_TRUE(ParseSettings("; mine\r\n[other]\r\nscale=99\r\n[brettspalt]\r\n music = off \r\n"
                              "future_key=whatever\r\n",
                              &read, &error))
        << error;
    EXPECT_FALSE(read.music);
    EXPECT_EQ(1, read.scale) << "the other section's scale is not ours";

    // Damaged or foreign: nothing is taken over, and the reason names the line.
    const std::string bad[] = {
        "",                                        // empty
        "<?xml version=\"1.0\"?><settings/>\n",   // foreign
        "[brettspalt]\nmusic=loud\n",             // bad switch
        "[brettspalt]\nscale=0\n",                // out of range
        "[brettspalt]\nscale=17\n",
        "[brettspalt]\nscale=2x\n",
        "[brettspalt]\nwindow_width=99999999\n",
        "[brettspalt]\nwindow_width=1000\n",      // half a size
        "[brettspalt]\nfullscreen\n",             // no value
        std::string("[brettspalt]\nmusic=on\0\n", 23),
    };
    for (const std::string& text : bad) {
        DesktopSettings kept = changed;
        error.clear();
        EXPECT_FALSE(ParseSettings(text, &kept, &error)) << text;
        EXPECT_EQ(changed, kept) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(std::string::npos, error.find('\n')) << "one line";
    }
}

TEST(HostSettings, FilesAreWrittenSafelyAndFoundWhereTheDesktopSays) {
    EXPECT_EQ("/c/brettspalt/settings.ini", SettingsPathFor("/c", "/h"));
    EXPECT_EQ("/h/.config/brettspalt/settings.ini", SettingsPathFor("rel", "/h"))
        << "a relative XDG_CONFIG_HOME is ignored";
    EXPECT_EQ("", SettingsPathFor(nullptr, nullptr));

    const std::string root = ::testing::TempDir() + "brettspalt-settings-" +
                             std::to_string(::getpid());
    std::filesystem::remove_all(root);
    const std::string path = root + "/config/brettspalt/settings.ini";

    DesktopSettings loaded;
    std::string warning;
    EXPECT_TRUE(LoadSettings(path, &loaded, &warning)) << "no file yet: the defaults";
    EXPECT_EQ(DesktopSettings{}, loaded);

    DesktopSettings saved;
    saved.music = false;
    saved.windowW = 1000;
    saved.windowH = 750;
    std::string error;
    ASSERT_TRUE(SaveSettings(path, saved, &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path + ".new")) << "the temporary file is renamed";
    ASSERT_TRUE(LoadSettings(path, &loaded, &warning)) << warning;
    EXPECT_EQ(saved, loaded);

    // A damaged file: a one-line warning naming it, the defaults kept.
    { std::ofstream(path, std::ios::binary) << "[brettspalt]\nscale=-1\n"; }
    DesktopSettings fresh;
    EXPECT_FALSE(LoadSettings(path, &fresh, &warning));
    EXPECT_EQ(DesktopSettings{}, fresh);
    EXPECT_NE(std::string::npos, warning.find(path));
    EXPECT_EQ(std::string::npos, warning.find('\n'));
    // Saving again replaces it whole.
    ASSERT_TRUE(SaveSettings(path, saved, &error)) << error;
    EXPECT_EQ(FormatSettings(saved), Slurp(path));

    // A folder that cannot be made (a file stands in the way) is reported.
    { std::ofstream(root + "/blocked") << "x"; }
    EXPECT_FALSE(SaveSettings(root + "/blocked/brettspalt/settings.ini", saved, &error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(root);
}

}  // namespace
