// Disk, memory and mapped files as the game sees them through the platform.
#include "platform/FileServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/ScriptedPlatform.h"

namespace {

const char* Base(const std::vector<u8>& bytes) {
    return reinterpret_cast<const char*>(bytes.data());
}

TEST(FileServices, MemoryFileTableHoldsTenSlots) {
    FileServices files;
    std::vector<std::vector<u8>> ranges(11, std::vector<u8>(8, 0));
    for (int i = 0; i < 10; ++i) {
        FileHandle h = files.Open(Base(ranges[i]), kFileRead, 8);
        ASSERT_EQ(h, reinterpret_cast<FileHandle>(ranges[i].data())) << "slot " << i;
    }
    EXPECT_EQ(files.Open(Base(ranges[10]), kFileRead, 8), kNoFile) << "an 11th memory file";
    EXPECT_TRUE(files.Close(reinterpret_cast<FileHandle>(ranges[3].data()), true));
    EXPECT_NE(files.Open(Base(ranges[10]), kFileRead, 8), kNoFile) << "a freed slot is reused";
    EXPECT_FALSE(files.Close(reinterpret_cast<FileHandle>(ranges[3].data()), true))
        << "that base is no longer registered";
    EXPECT_EQ(files.Open(nullptr, kFileRead, 8), kNoFile) << "a null base is refused";
    // The mode is ignored for memory files.
    files.Close(reinterpret_cast<FileHandle>(ranges[0].data()), true);
    EXPECT_NE(files.Open(Base(ranges[0]), 0, 8), kNoFile);
}

TEST(FileServices, MemoryReadUnscramblesAndStopsAtTheEnd) {
    FileServices files;
    std::vector<u8> stored(40, 0xB7);
    FileHandle h = files.Open(Base(stored), kFileRead, 40);
    std::vector<u8> out(100, 0xEE);
    EXPECT_EQ(files.Read(h, out.data(), 10, true), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], 0) << "byte " << i;
    EXPECT_EQ(out[10], 0xEE) << "nothing beyond the count is written";
    EXPECT_EQ(stored, std::vector<u8>(40, 0xB7)) << "stored bytes stay scrambled";
    EXPECT_EQ(files.Read(h, out.data(), 100, true), 30) << "30 bytes were left";
    EXPECT_EQ(files.Tell(h, true), 40);
    EXPECT_EQ(files.Read(h, out.data(), 100, true), 0) << "at the end";
    EXPECT_EQ(files.Read(h, out.data(), -1, true), -1) << "negative count";
    EXPECT_EQ(files.Read(h + 1, out.data(), 1, true), -1) << "no slot has that base";
    EXPECT_EQ(files.GetSize(h, true), 40u);
    EXPECT_EQ(files.GetSize(h + 1, true), 0xFFFFFFFFu);
    EXPECT_EQ(files.Tell(h + 1, true), -1);
}

TEST(FileServices, MemorySeekStaysInsideTheRange) {
    FileServices files;
    std::vector<u8> stored;
    for (int i = 0; i < 20; ++i) stored.push_back(static_cast<u8>(i ^ 0xB7));
    FileHandle h = files.Open(Base(stored), kFileRead, 20);
    u8 first[10], again[4];
    ASSERT_EQ(files.Read(h, first, 10, true), 10);
    ASSERT_TRUE(files.Seek(h, -4, kSeekCurrent, true));
    ASSERT_EQ(files.Read(h, again, 4, true), 4);
    EXPECT_EQ(0, std::memcmp(again, first + 6, 4)) << "re-read bytes are unscrambled again";
    EXPECT_EQ(again[0], 6);

    EXPECT_FALSE(files.Seek(h, 21, 0, true)) << "past the size";
    EXPECT_EQ(files.Tell(h, true), 10) << "a failed seek leaves the position";
    EXPECT_FALSE(files.Seek(h, -11, kSeekCurrent, true));
    EXPECT_TRUE(files.Seek(h, 20, 0, true)) << "the size itself is allowed";
    EXPECT_TRUE(files.Seek(h, -5, kSeekEnd, true));
    EXPECT_EQ(files.Tell(h, true), 15);
    EXPECT_TRUE(files.Seek(h, 3, 7, true)) << "unknown origins seek from the start";
    EXPECT_EQ(files.Tell(h, true), 3);
    EXPECT_FALSE(files.Seek(h + 1, 0, 0, true));
    EXPECT_EQ(files.Write(h, "x", 1, true), -1) << "memory files cannot be written";
    EXPECT_EQ(files.Tell(h, true), 3);
}

TEST(FileServices, SameRangeTwiceTakesTwoSlots) {
    FileServices files;
    std::vector<u8> stored(4, 0xB7);
    FileHandle a = files.Open(Base(stored), kFileRead, 4);
    FileHandle b = files.Open(Base(stored), kFileRead, 4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(files.UsedMemorySlots(), 2);
    u8 out[4];
    EXPECT_EQ(files.Read(a, out, 3, true), 3) << "reads use the first slot";
    EXPECT_TRUE(files.Close(a, true));
    EXPECT_EQ(files.UsedMemorySlots(), 1);
    EXPECT_EQ(files.Read(b, out, 4, true), 4) << "the second slot starts at 0";
    EXPECT_TRUE(files.Close(b, true));
    EXPECT_FALSE(files.Close(b, true));
}

TEST(FileServices, DiskOpenModes) {
    TempDir dir;
    FileServices files;
    files.SetDataFolder(dir.Path());
    EXPECT_EQ(files.Open("a.bin", 0, 0), kNoFile) << "neither read nor write";
    EXPECT_EQ(files.Open("a.bin", kFileRandom, 0), kNoFile) << "only the hint";
    EXPECT_EQ(files.Open("a.bin", kFileRead, 0), kNoFile) << "reading needs the file";
    EXPECT_EQ(files.Open("", kFileRead, 0), kNoFile);
    EXPECT_EQ(files.Open(nullptr, kFileRead, 0), kNoFile);

    FileHandle w = files.Open("a.bin", kFileWrite, 0);
    ASSERT_NE(w, kNoFile);
    EXPECT_EQ(files.Write(w, "hello world", 11, false), 11);
    EXPECT_EQ(files.Read(w, nullptr, 0, false), 0);
    char buf[32];
    EXPECT_EQ(files.Read(w, buf, 4, false), -1) << "opened for writing only";
    EXPECT_TRUE(files.Close(w, false));
    EXPECT_FALSE(files.Close(w, false)) << "already closed";

    FileHandle r = files.Open("a.bin", kFileRead | kFileRandom, 0);
    ASSERT_NE(r, kNoFile);
    EXPECT_EQ(files.GetSize(r, false), 11u);
    EXPECT_EQ(files.Read(r, buf, 5, false), 5);
    EXPECT_EQ(std::string(buf, 5), "hello") << "disk files are not unscrambled";
    EXPECT_EQ(files.Tell(r, false), 5);
    EXPECT_TRUE(files.Seek(r, -2, kSeekCurrent, false));
    EXPECT_EQ(files.Read(r, buf, 32, false), 8);
    EXPECT_EQ(std::string(buf, 8), "lo world");
    EXPECT_EQ(files.Read(r, buf, 32, false), 0) << "at the end";
    EXPECT_TRUE(files.Seek(r, -5, kSeekEnd, false));
    EXPECT_EQ(files.Tell(r, false), 6);
    EXPECT_FALSE(files.Seek(r, -100, 0, false)) << "before the start";
    EXPECT_EQ(files.Write(r, "x", 1, false), -1) << "opened for reading only";
    EXPECT_TRUE(files.Close(r, false));

    FileHandle rw = files.Open("a.bin", kFileRead | kFileWrite, 0);
    ASSERT_NE(rw, kNoFile);
    EXPECT_EQ(files.GetSize(rw, false), 0u) << "read+write truncates too";
    EXPECT_EQ(files.Write(rw, "abc", 3, false), 3);
    EXPECT_TRUE(files.Seek(rw, 0, 0, false));
    EXPECT_EQ(files.Read(rw, buf, 3, false), 3);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_TRUE(files.Close(rw, false));
    EXPECT_EQ(files.OpenDiskFileCount(), 0);

    dir.Write("sub/x", "");
    EXPECT_EQ(files.Open("sub", kFileRead, 0), kNoFile) << "a folder is not a file";
}

TEST(FileServices, FileOpenTwiceIsRefused) {
    TempDir dir;
    dir.Write("HiScore.dat", "0123456789");
    FileServices files;
    files.SetDataFolder(dir.Path());
    FileHandle a = files.Open("HiScore.dat", kFileRead, 0);
    ASSERT_NE(a, kNoFile);
    EXPECT_EQ(files.Open("HiScore.dat", kFileRead, 0), kNoFile) << "no sharing";
    EXPECT_EQ(files.Open(dir.File("HiScore.dat").c_str(), kFileWrite, 0), kNoFile)
        << "not even by another name for the same file";
    EXPECT_EQ(dir.Read("HiScore.dat"), "0123456789") << "the refused write did not truncate";
    EXPECT_TRUE(files.Close(a, false));
    FileHandle b = files.Open("HiScore.dat", kFileRead, 0);
    EXPECT_NE(b, kNoFile) << "free again after closing";
    files.Close(b, false);
}

TEST(FileServices, OnlyOurOwnDescriptorsAreUsed) {
    FileServices files;
    char c;
    EXPECT_EQ(files.Write(1, "x", 1, false), -1) << "standard output was not opened by us";
    EXPECT_EQ(files.Read(0, &c, 1, false), -1);
    EXPECT_FALSE(files.Close(2, false));
    EXPECT_EQ(files.GetSize(1, false), 0xFFFFFFFFu);
    EXPECT_EQ(files.Tell(1, false), -1);
    EXPECT_FALSE(files.Seek(1, 0, 0, false));
}

TEST(FileServices, GameNamesMapToFolders) {
    TempDir data, save;
    data.Write("Config/Text.txt", "from data");
    data.Write("Config/AnimProps.txt", "anim in data");
    save.Write("Config/AnimProps.txt", "anim in save");
    data.Write("Levels/level01.txt", "lower case on disk");
    FileServices files;
    files.SetDataFolder(data.Path());
    files.SetSaveFolder(save.Path() + "/brettspalt");
    char buf[64] = {};

    auto readAll = [&](const char* name) {
        FileHandle h = files.Open(name, kFileRead, 0);
        if (h == kNoFile) return std::string("<missing>");
        i32 n = files.Read(h, buf, sizeof buf, false);
        files.Close(h, false);
        return std::string(buf, n > 0 ? n : 0);
    };
    EXPECT_EQ(readAll("Config\\Text.txt"), "from data") << "backslashes are folders";
    EXPECT_EQ(readAll("Levels\\Level01.TXT"), "lower case on disk") << "case is ignored";
    EXPECT_EQ(readAll("Config\\Missing.txt"), "<missing>");

    // The save folder does not exist yet: it is made on the first write.
    FileHandle w = files.Open("HiScore.dat", kFileWrite, 0);
    ASSERT_NE(w, kNoFile);
    files.Write(w, "scores", 6, false);
    files.Close(w, false);
    EXPECT_EQ(save.Read("brettspalt/HiScore.dat"), "scores") << "writes go to the save folder";
    EXPECT_EQ(readAll("HiScore.dat"), "scores") << "reads look in the save folder first";

    files.SetSaveFolder(save.Path());
    EXPECT_EQ(readAll("Config\\AnimProps.txt"), "anim in save") << "a modder's override wins";
    EXPECT_EQ(readAll(data.File("Config/AnimProps.txt").c_str()), "anim in data")
        << "absolute names are used as they are";
}

// A platform that counts the file operations the mapping makes through it.
class CountingPlatform : public ScriptedPlatform {
public:
    using ScriptedPlatform::ScriptedPlatform;
    FileHandle FileOpen(const char* name, u8 mode, u32 size) override {
        ++opens;
        return ScriptedPlatform::FileOpen(name, mode, size);
    }
    bool FileClose(FileHandle h, bool isMemory) override {
        ++closes;
        return ScriptedPlatform::FileClose(h, isMemory);
    }
    int opens = 0;
    int closes = 0;
};

TEST(FileServices, MapGoesThroughTheOwnersFileOperations) {
    TempDir dir;
    dir.Write("Data.lib", "library bytes");
    CountingPlatform platform(dir.Path());
    const char* view = static_cast<const char*>(platform.FileMap("Data.lib"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(view, 13), "library bytes");
    EXPECT_EQ(platform.opens, 1);
    EXPECT_EQ(platform.FileOpen("Data.lib", kFileRead, 0), kNoFile) << "stays open while mapped";
    EXPECT_TRUE(platform.FileUnmap(view));
    EXPECT_EQ(platform.closes, 1);
    EXPECT_FALSE(platform.FileUnmap(view)) << "no slot holds it any more";
    EXPECT_FALSE(platform.FileUnmap(nullptr));
    EXPECT_EQ(platform.Files().OpenDiskFileCount(), 0);
}

TEST(FileServices, MapFailuresLeaveNothingBehind) {
    TempDir dir;
    dir.Write("Data.lib", "x");
    dir.Write("Empty.lib", "");
    CountingPlatform platform(dir.Path());
    EXPECT_EQ(platform.FileMap("Missing.lib"), nullptr);
    EXPECT_EQ(platform.Files().UsedMapSlots(), 0);
    EXPECT_EQ(platform.FileMap("Empty.lib"), nullptr) << "an empty file cannot be mapped";
    EXPECT_EQ(platform.Files().OpenDiskFileCount(), 0) << "its file was closed again";

    std::vector<std::string> names;
    std::vector<const void*> views;
    for (int i = 0; i < 10; ++i) {
        names.push_back("f" + std::to_string(i));
        dir.Write(names.back(), "data");
        views.push_back(platform.FileMap(names.back().c_str()));
        ASSERT_NE(views.back(), nullptr) << "map " << i;
    }
    const int opensBefore = platform.opens;
    EXPECT_EQ(platform.FileMap("Data.lib"), nullptr) << "an 11th view";
    EXPECT_EQ(platform.opens, opensBefore) << "the file was not even opened";
    EXPECT_TRUE(platform.FileUnmap(views[4]));
    EXPECT_NE(platform.FileMap("Data.lib"), nullptr) << "a freed slot is reused";
}

TEST(FileServices, DestructionUnmapsAndClosesEverything) {
    TempDir dir;
    dir.Write("Data.lib", "abc");
    {
        ScriptedPlatform platform(dir.Path());
        ASSERT_NE(platform.FileMap("Data.lib"), nullptr);
        ASSERT_NE(platform.FileOpen("other", kFileWrite, 0), kNoFile);
    }
    // Nothing of the old platform holds the files: a new one opens them.
    ScriptedPlatform platform(dir.Path());
    FileHandle h = platform.FileOpen("Data.lib", kFileRead, 0);
    EXPECT_NE(h, kNoFile);
    platform.FileClose(h, false);
}

}  // namespace
