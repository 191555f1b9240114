// F12's screenshots: where they go, and that two in one second never
// overwrite each other.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/PngWriter.h"

namespace {

TEST(Screenshot, FolderFollowsTheDesktopAndFilesAreNeverOverwritten) {
    const std::string root =
        ::testing::TempDir() + "brettspalt-shots-" + std::to_string(::getpid());
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root + "/config");

    EXPECT_EQ("/p/brettspalt", ScreenshotFolderFor("/p", nullptr, "/h", "/save"));
    EXPECT_EQ("/h/Bilder/brettspalt", ScreenshotFolderFor("$HOME/Bilder", nullptr, "/h", "/save"));
    EXPECT_EQ("/save", ScreenshotFolderFor("relative", nullptr, "/h", "/save"));
    EXPECT_EQ("/save", ScreenshotFolderFor(nullptr, (root + "/config").c_str(), "/h", "/save"))
        << "no user-dirs.dirs";
    {
        std::ofstream dirs(root + "/config/user-dirs.dirs");
        dirs << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
             << "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n";
    }
    EXPECT_EQ("/h/Pictures/brettspalt",
              ScreenshotFolderFor(nullptr, (root + "/config").c_str(), "/h", "/save"));
    {
        std::ofstream dirs(root + "/config/user-dirs.dirs");
        dirs << "XDG_PICTURES_DIR=\"$HOME/\"\n";
    }
    EXPECT_EQ("/save", ScreenshotFolderFor(nullptr, (root + "/config").c_str(), "/h/", "/save"))
        << "the home folder itself is no pictures folder";

    // Three pictures at once: three files, each a PNG of the whole picture.
    std::vector<u16> pixels(8 * 4, 0x7FFF);
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        std::string error;
        const std::string path = WriteScreenshot(root + "/shots/deep", pixels.data(), 8, 8, 4, &error);
        ASSERT_FALSE(path.empty()) << error;
        paths.push_back(path);
    }
    EXPECT_NE(paths[0], paths[1]);
    EXPECT_NE(paths[1], paths[2]);
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GT(bytes.size(), 24u);
        EXPECT_EQ("\x89PNG", bytes.substr(0, 4));
        EXPECT_EQ(8, static_cast<unsigned char>(bytes[19])) << "width";
        EXPECT_EQ(4, static_cast<unsigned char>(bytes[23])) << "height";
    }
    std::string error;
    EXPECT_TRUE(WriteScreenshot("", pixels.data(), 8, 8, 4, &error).empty());
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(root);
}

}  // namespace
