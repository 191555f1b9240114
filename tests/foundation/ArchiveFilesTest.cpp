// Taking a library apart into files and putting it back together.
#include "tools/datalib/ArchiveFiles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "LibraryFixture.h"
#include "TempDir.h"
#include "tools/datalib/ArchiveReader.h"

namespace {

using datalib::ArchiveWriter;
using datalib::Data;
using datalib::Encoding;
using datalib::Entry;

std::vector<u8> ModdableArchive() {
    ArchiveWriter w;
    Entry player;
    player.name = "Player Walk %1";  // a space and a percent sign in the name
    std::vector<std::uint32_t> gradient;
    for (int i = 0; i < 64 * 3; ++i) {
        gradient.push_back(0xFF000000u | (i * 4u << 16) | ((255 - i) << 8) | (i % 7 ? 0x40 : 0));
    }
    for (int i = 0; i < 64; ++i) gradient[i * 3] = 0;  // some keyed gaps
    player.sequences[0] = Seq({Pic(Image(64, 3, gradient), Encoding::ColourKeyed, 32, 90),
                               Pic(Image(64, 3, gradient), Encoding::Shadow, -1, -2)});
    player.sequences[1] = Seq({Pic(Image(2, 2, {0xFF123456, 0xFF654321, 0xFFABCDEF, 0xFF000000}),
                                   Encoding::Raw, 0, 0, 2)});
    // Every alpha and channel level of the translucent encoding.
    std::vector<std::uint32_t> levels;
    for (std::uint32_t a = 0; a < 16; ++a)
        for (std::uint32_t c = 0; c < 16; ++c)
            levels.push_back((a * 17) << 24 | (c * 17) << 16 | ((15 - c) * 17) << 8 |
                             ((c * 7 % 16) * 17));
    player.sequences[2] = Seq({Pic(Image(16, 16, levels), Encoding::Translucent)}, true);
    player.sequences[3] = Seq({Pic(Image(0, 5, {}), Encoding::ColourKeyed, 3, 4)});
    w.Add(player);
    Entry config;
    config.name = "Config";
    config.sequences[1] = Seq({ArchiveWriter::ScrambledText("#ANIMPROP AII_PlayerLeftStep1\r\n"),
                               ArchiveWriter::ScrambledText("#TEXT 1 \"\xE4\xF6\xFC\"\r\n")});
    w.Add(config);
    Entry sounds;
    sounds.name = "SOUND_Music";
    Data ogg;
    ogg.payload = {'O', 'g', 'g', 'S', 0, 1, 2};
    ogg.flags = 0x80;
    Data blob;
    blob.payload = {9, 8, 7};
    blob.flags = 0x01;
    sounds.sequences[0] = Seq({ogg, blob});
    w.Add(sounds);
    return w.Build();
}

TEST(ArchiveFiles, ExtractThenPackGivesTheSameBytes) {
    TempDir dir;
    const std::vector<u8> original = ModdableArchive();
    ASSERT_FALSE(original.empty());
    dir.Write("Data.lib", original);
    std::string error;
    ASSERT_TRUE(datalib::Extract(dir.File("Data.lib"), dir.File("out"), &error)) << error;
    const std::string manifest = dir.Read("out/manifest.txt");
    EXPECT_NE(manifest.find("entry Player%20Walk%20%251"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("hotspot 32 90 colour-keyed"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("empty 0 5 hotspot 3 4 colour-keyed"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("raw skip 2"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("flags 0x80"), std::string::npos) << manifest;
    EXPECT_EQ(dir.Read("out/001_Config/s01_000.txt"), "#ANIMPROP AII_PlayerLeftStep1\r\n")
        << "Config texts come out in plain text";
    EXPECT_EQ(dir.Read("out/002_SOUND_Music/s00_000.ogg").size(), 7u);
    EXPECT_EQ(dir.Read("out/002_SOUND_Music/s00_001.bin"), std::string("\x09\x08\x07"));

    ASSERT_TRUE(datalib::Pack(dir.File("out/manifest.txt"), dir.File("Again.lib"), &error))
        << error;
    const std::string again = dir.Read("Again.lib");
    ASSERT_EQ(again.size(), original.size());
    EXPECT_TRUE(again == std::string(original.begin(), original.end()))
        << "extract and pack must round-trip byte for byte";
}

TEST(ArchiveFiles, PackReadsEditedFilesAndReportsManifestErrors) {
    TempDir dir;
    dir.Write("Data.lib", ModdableArchive());
    std::string error;
    ASSERT_TRUE(datalib::Extract(dir.File("Data.lib"), dir.File("mod"), &error)) << error;
    dir.Write("mod/001_Config/s01_000.txt", "#ANIMPROP changed\r\n");
    ASSERT_TRUE(datalib::Pack(dir.File("mod/manifest.txt"), dir.File("Mod.lib"), &error)) << error;
    ImagePlatform platform;
    std::string packed = dir.Read("Mod.lib");
    platform.SetImage(std::vector<u8>(packed.begin(), packed.end()));
    AssetLibrary lib(&platform);
    ASSERT_TRUE(lib.Open(ImagePlatform::kName));
    AssetRef config = Ref("Config");
    const DataItem* text = lib.GetData(&config, 1, 0);
    ASSERT_NE(text, nullptr);
    std::string plain(reinterpret_cast<const char*>(text->Payload()), text->payloadSize);
    for (char& c : plain) c = static_cast<char>(c ^ 0xB7);
    EXPECT_EQ(plain, "#ANIMPROP changed\r\n") << "the edited text is stored scrambled";
    lib.Close();

    struct {
        const char* manifest;
        const char* expected;
    } broken[] = {
        {"sequence 0 single\n", ":1: \"sequence\" before the first entry"},
        {"entry A\nsequence 12 single\n", ":2: sequence numbers are 0..11"},
        {"entry A\nsequence 0 single\ndata x.bin flags 0x00\n", ":3: cannot read"},
        {"entry A\nsequence 0 sometimes\n", ":2: expected: sequence N listed|single"},
        {"entry ABCDEFGHIJKLMNOPQRSTUVWXYZ\n", ":1: entry names have at most 25"},
        {"entry A\nsequence 0 listed\npicture p.png hotspot 1 x raw\n", ":3: not a number"},
        {"entry A\nsequence 0 listed\nempty 0 0 hotspot 0 0 sepia\n", ":3: unknown encoding"},
        {"# fine\n\nentry A\nfrobnicate\n", ":4: \"frobnicate\" before the first sequence"},
        {"entry A\nsequence 0 listed\nwobble x\n", ":3: unknown statement \"wobble\""},
    };
    for (const auto& b : broken) {
        dir.Write("bad/manifest.txt", b.manifest);
        error.clear();
        EXPECT_FALSE(datalib::Pack(dir.File("bad/manifest.txt"), dir.File("Bad.lib"), &error))
            << b.manifest;
        EXPECT_NE(error.find(b.expected), std::string::npos) << error;
    }
    EXPECT_TRUE(dir.Read("Bad.lib").empty()) << "nothing written on failure";
    EXPECT_FALSE(datalib::Pack(dir.File("none/manifest.txt"), dir.File("Bad.lib"), &error));
    EXPECT_FALSE(datalib::Extract(dir.File("missing.lib"), dir.File("x"), &error));
    EXPECT_NE(error.find("no such file"), std::string::npos) << error;
}

TEST(ArchiveFiles, VerifyReportsDamageAndTroubles) {
    TempDir dir;
    std::ostringstream out;
    dir.Write("Data.lib", ModdableArchive());
    EXPECT_EQ(datalib::Verify(dir.File("Data.lib"), out), 0) << out.str();
    EXPECT_NE(out.str().find("lists 1 item(s)"), std::string::npos)
        << "a listed sequence of one picture is a warning\n"
        << out.str();

    ArchiveWriter w;
    Entry a, b;
    a.name = "GUI";
    a.sequences[0] = Seq({Data{}});
    b.name = "gui";
    b.sequences[0] = Seq({Data{}});
    w.Add(a);
    w.Add(b);
    std::vector<u8> image = w.Build();
    // Sequence 1 of entry 0 names a block far beyond the end.
    image[16 + 4] = 0xF0;
    image[16 + 5] = 0xFF;
    image[16 + 6] = 0xFF;
    dir.Write("Dup.lib", image);
    out.str("");
    EXPECT_EQ(datalib::Verify(dir.File("Dup.lib"), out), 1) << out.str();
    EXPECT_NE(out.str().find("hidden by entry 0"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("outside the file"), std::string::npos) << out.str();

    std::string error;
    EXPECT_FALSE(datalib::Extract(dir.File("Dup.lib"), dir.File("dup"), &error)) << "damaged";

    out.str("");
    EXPECT_EQ(datalib::Verify(dir.File("nothing.lib"), out), -1);
}

}  // namespace
