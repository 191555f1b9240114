// The reader behind the datalib command, and the command itself.
#include "tools/datalib/ArchiveReader.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "LibraryFixture.h"
#include "TempDir.h"

namespace {

using datalib::ArchiveReader;
using datalib::ArchiveWriter;
using datalib::Data;
using datalib::Encoding;
using datalib::Entry;
using datalib::ItemKind;

std::vector<u8> SampleArchive() {
    ArchiveWriter w;
    Entry pics;
    pics.name = "Player_Idle";
    pics.sequences[0] = Seq(
        {Pic(Image(2, 2, {0xFFFF0000, 0, 0x80102030, 0xFF00FF00}), Encoding::ColourKeyed, 5, -6),
         Pic(Image(1, 1, {0x80FFFFFF}), Encoding::Translucent)});
    pics.sequences[1] = Seq({Pic(Image(2, 1, {0xFF0000FF, 0xFFFFFFFF}), Encoding::Raw, 0, 0, 2)});
    pics.sequences[3] = Seq({Pic(Image(3, 1, {0xFF000000, 0, 0xFF000000}), Encoding::Shadow)});
    w.Add(pics);
    Entry sounds;
    sounds.name = "SOUND_Saege";
    Data wave;
    wave.payload = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
    Data ogg;
    ogg.payload = {'O', 'g', 'g', 'S'};
    ogg.flags = 0x80;
    sounds.sequences[0] = Seq({wave, ogg});
    w.Add(sounds);
    Entry config;
    config.name = "Config";
    config.sequences[1] = Seq({ArchiveWriter::ScrambledText("#TEXT\r\n")}, true);
    w.Add(config);
    return w.Build();
}

TEST(ArchiveReader, ReadsEntriesSequencesAndItems) {
    TempDir dir;
    dir.Write("Data.lib", SampleArchive());
    ArchiveReader reader;
    ASSERT_TRUE(reader.Open(dir.File("Data.lib"))) << reader.Error();
    EXPECT_EQ(reader.EntryCount(), 3);
    EXPECT_EQ(reader.EntryName(1), "SOUND_Saege");
    EXPECT_EQ(reader.EntryName(3), "");
    EXPECT_EQ(reader.Version(), 1u);
    EXPECT_EQ(reader.ItemCount(0, 0), 2);
    EXPECT_EQ(reader.ItemCount(0, 1), 1) << "one-item block: its real count";
    EXPECT_FALSE(reader.IsListed(0, 1));
    EXPECT_TRUE(reader.IsListed(2, 1));
    EXPECT_EQ(reader.ItemCount(0, 2), 0);
    EXPECT_EQ(reader.KindOf(0, 0, 0), ItemKind::Picture);
    EXPECT_EQ(reader.KindOf(0, 1, 0), ItemKind::Picture) << "a raw picture at hotspot 0,0";
    EXPECT_EQ(reader.KindOf(1, 0, 0), ItemKind::Data);
    EXPECT_EQ(reader.KindOf(1, 0, 1), ItemKind::Data);
    EXPECT_EQ(reader.KindOf(2, 1, 0), ItemKind::Data) << "a short text";
    EXPECT_EQ(reader.KindOf(0, 0, 2), ItemKind::Damaged) << "no such item";

    std::ostringstream listing;
    EXPECT_EQ(reader.List(listing), 0);
    const std::string text = listing.str();
    for (const char* expected :
         {"3 entries", "entry 0 \"Player_Idle\"", "sequence 0: 2 items",
          "item 0: picture 2x2 hotspot 5,-6 colour-keyed", "picture 1x1 hotspot 0,0 translucent",
          "picture 2x1 hotspot 0,0 raw skip 2", "sequence 1: 1 item (one-item block)",
          "picture 3x1 hotspot 0,0 shadow", "data 12 bytes flags 0x00 (wave)",
          "data 4 bytes flags 0x80 (Ogg Vorbis)", "entry 2 \"Config\"",
          "data 7 bytes flags 0x00"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

TEST(ArchiveReader, DecodesPicturesBackToTheirPixels) {
    ImagePlatform platform;
    TempDir dir;
    dir.Write("Data.lib", SampleArchive());
    ArchiveReader reader;
    ASSERT_TRUE(reader.Open(dir.File("Data.lib")));
    datalib::RgbaImage keyed = datalib::DecodeToRgba(reader.GetPicture(0, 0, 0));
    EXPECT_EQ(keyed.pixels, (std::vector<std::uint32_t>{0xFFFF0000, 0, 0xFF102131, 0xFF00FF00}))
        << "555 widened: 0x10 -> 0x10, 0x20 -> 0x21, 0x30 -> 0x31";
    datalib::RgbaImage translucent = datalib::DecodeToRgba(reader.GetPicture(0, 0, 1));
    EXPECT_EQ(translucent.pixels, std::vector<std::uint32_t>{0x88FFFFFF});
    datalib::RgbaImage raw = datalib::DecodeToRgba(reader.GetPicture(0, 1, 0));
    EXPECT_EQ(raw.pixels, (std::vector<std::uint32_t>{0xFF0000FF, 0xFFFFFFFF}));
    datalib::RgbaImage shadow = datalib::DecodeToRgba(reader.GetPicture(0, 3, 0));
    EXPECT_EQ(shadow.pixels, (std::vector<std::uint32_t>{0xFF000000, 0, 0xFF000000}));
}

TEST(ArchiveReader, ReportsFilesItCannotRead) {
    TempDir dir;
    ArchiveReader reader;
    EXPECT_FALSE(reader.Open(dir.File("missing.lib")));
    EXPECT_EQ(reader.Error(), "no such file");
    EXPECT_FALSE(reader.Open(dir.Path()));
    dir.Write("short.lib", "BSLB");
    EXPECT_FALSE(reader.Open(dir.File("short.lib")));
    EXPECT_NE(reader.Error().find("too short"), std::string::npos);

    std::vector<u8> cut = SampleArchive();
    cut.resize(100);  // the name table is gone
    dir.Write("cut.lib", cut);
    EXPECT_FALSE(reader.Open(dir.File("cut.lib")));
    EXPECT_NE(reader.Error().find("damaged"), std::string::npos);

    // The directory survives but the items do not: listed as damaged.
    std::vector<u8> items = SampleArchive();
    items.resize(items.size() - 40);
    dir.Write("items.lib", items);
    ASSERT_TRUE(reader.Open(dir.File("items.lib")));
    std::ostringstream listing;
    EXPECT_GT(reader.List(listing), 0);
    EXPECT_NE(listing.str().find("damaged"), std::string::npos);
}

// The build folder: from CTest's environment, else the folder above this
// test executable (tests/ of the build folder).
std::string BinaryDir() {
    if (const char* bin = std::getenv("BRETTSPALT_BINARY_DIR")) return bin;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().parent_path().string();
}

// Runs the datalib command; returns its exit status and standard output.
int RunDatalib(const std::string& args, std::string* output) {
    const std::string command = BinaryDir() + "/datalib " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output->append(buf, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DatalibCommand, ListsALibraryAndRefusesWhatItCannotRead) {
    if (!std::filesystem::exists(BinaryDir() + "/datalib")) GTEST_SKIP() << "datalib is not built";
    TempDir dir;
    dir.Write("Data.lib", SampleArchive());
    std::string out;
    EXPECT_EQ(RunDatalib("list " + dir.File("Data.lib"), &out), 0) << out;
    EXPECT_NE(out.find("entry 1 \"SOUND_Saege\""), std::string::npos) << out;

    out.clear();
    EXPECT_EQ(RunDatalib("list " + dir.File("missing.lib"), &out), 1);
    EXPECT_NE(out.find("cannot read"), std::string::npos) << out;
    EXPECT_NE(out.find("no such file"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(RunDatalib("verify " + dir.File("Data.lib"), &out), 0) << out;
    EXPECT_NE(out.find("0 error(s)"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(RunDatalib("extract " + dir.File("Data.lib") + " " + dir.File("x"), &out), 0) << out;
    EXPECT_EQ(RunDatalib("pack " + dir.File("x/manifest.txt") + " " + dir.File("Again.lib"), &out),
              0)
        << out;
    EXPECT_EQ(dir.Read("Again.lib"), dir.Read("Data.lib"));

    std::vector<u8> damaged = SampleArchive();
    damaged.resize(damaged.size() - 40);
    dir.Write("Damaged.lib", damaged);
    out.clear();
    EXPECT_EQ(RunDatalib("verify " + dir.File("Damaged.lib"), &out), 2) << out;
    EXPECT_EQ(RunDatalib("list " + dir.File("Damaged.lib"), &out), 2) << out;
    EXPECT_EQ(RunDatalib("extract " + dir.File("Damaged.lib") + " " + dir.File("y"), &out), 1)
        << out;

    out.clear();
    EXPECT_NE(RunDatalib("frobnicate", &out), 0);
    EXPECT_NE(out.find("usage"), std::string::npos) << out;
}

}  // namespace
