// The asset library: lookups, blocks, items and its checks against damaged
// files. Fixture archives are written with the archive writer in each test.
#include "game/AssetLibrary.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LibraryFixture.h"
#include "TempDir.h"

namespace {

using datalib::ArchiveWriter;
using datalib::Data;
using datalib::Encoding;
using datalib::Entry;

// Pixels used below: a transparent one and three colours.
constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kRed = 0xFFF80000;    // 555: 0x7C00
constexpr std::uint32_t kGreen = 0xFF00FF00;  // 555: 0x03E0
constexpr std::uint32_t kHalf = 0x80FFFFFF;   // translucent: alpha 8, white

// An archive with an entry of every kind the game reads.
std::vector<u8> RichArchive() {
    ArchiveWriter w;
    Entry pictures;
    pictures.name = "Player_Walk";
    pictures.sequences[0] =
        Seq({Pic(Image(3, 2, {kRed, kGreen, kRed, kGreen, kRed, kGreen}), Encoding::Raw, 1, 2, 6)});
    pictures.sequences[2] =
        Seq({Pic(Image(4, 2, {kClear, kRed, kRed, kClear, kGreen, kClear, kClear, kClear}),
                 Encoding::ColourKeyed, -3, 40),
             Pic(Image(2, 1, {kHalf, 0x0FFFFFFF}), Encoding::Translucent),
             Pic(Image(3, 1, {kRed, kClear, kRed}), Encoding::Shadow)});
    pictures.sequences[4] = Seq({Pic(Image(1, 1, {kRed}), Encoding::ColourKeyed)}, true);
    w.Add(pictures);

    Entry config;
    config.name = "Config";
    config.sequences[0] =
        Seq({ArchiveWriter::ScrambledText("unused"), ArchiveWriter::ScrambledText("#LEVEL 1\r\n")});
    config.sequences[1] = Seq({ArchiveWriter::ScrambledText("#ANIMPROP\r\n")});
    w.Add(config);

    Entry music;
    music.name = "SOUND_Music";
    Data ogg;
    ogg.payload = {'O', 'g', 'g', 'S', 1, 2, 3};
    ogg.flags = kDataItemOgg;
    Data wave;
    wave.payload = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    music.sequences[0] = Seq({ogg, wave});
    w.Add(music);

    Entry gui;
    gui.name = "GUI";
    gui.sequences[1] =
        Seq({Pic(Image(600, 1, std::vector<std::uint32_t>(600, kGreen)), Encoding::ColourKeyed),
             Pic(Image(300, 2, std::vector<std::uint32_t>(600, kClear)), Encoding::ColourKeyed)});
    w.Add(gui);

    Entry twin;  // a second entry of the same name, spelled differently
    twin.name = "gui";
    twin.sequences[0] = Seq({Data{}});
    w.Add(twin);
    return w.Build();
}

TEST(AssetLibrary, EveryItemKindSurvivesTheRoundTrip) {
    ImagePlatform platform(RichArchive());
    AssetLibrary lib(&platform);
    ASSERT_TRUE(lib.Open(ImagePlatform::kName));
    AssetRef walk = Ref("Player_Walk");

    const PictureItem* raw = lib.GetPicture(&walk, 0, 0);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->width, 3);
    EXPECT_EQ(raw->height, 2);
    EXPECT_EQ(raw->hotX, 1);
    EXPECT_EQ(raw->hotY, 2);
    EXPECT_EQ(raw->format, 0);
    EXPECT_EQ(raw->pixelSkip, 6);
    EXPECT_EQ(DecodePicture(raw),
              (std::vector<int>{0x7C00, 0x03E0, 0x7C00, 0x03E0, 0x7C00, 0x03E0}));

    const PictureItem* keyed = lib.GetPicture(&walk, 2, 0);
    ASSERT_NE(keyed, nullptr);
    EXPECT_EQ(keyed->format, 1);
    EXPECT_EQ(keyed->hotX, -3);
    EXPECT_EQ(keyed->hotY, 40);
    EXPECT_EQ(DecodePicture(keyed), (std::vector<int>{-1, 0x7C00, 0x7C00, -1, 0x03E0, -1, -1, -1}));

    const PictureItem* translucent = lib.GetPicture(&walk, 2, 1);
    ASSERT_NE(translucent, nullptr);
    EXPECT_EQ(translucent->format, 1 | 8);
    EXPECT_EQ(DecodePicture(translucent), (std::vector<int>{0x8FFF, -1})) << "alpha 0 is a gap";

    const PictureItem* shadow = lib.GetPicture(&walk, 2, 2);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->format, 1 | 16);
    EXPECT_EQ(DecodePicture(shadow), (std::vector<int>{0, -1, 0}));

    AssetRef gui = Ref("GUI");
    const PictureItem* wide = lib.GetPicture(&gui, 1, 0);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(DecodePicture(wide), std::vector<int>(600, 0x03E0)) << "runs split at 255";
    const PictureItem* gap = lib.GetPicture(&gui, 1, 1);
    ASSERT_NE(gap, nullptr);
    EXPECT_EQ(DecodePicture(gap), std::vector<int>(600, -1));

    AssetRef music = Ref("SOUND_Music");
    const DataItem* ogg = lib.GetData(&music, 0, 0);
    ASSERT_NE(ogg, nullptr);
    EXPECT_EQ(ogg->payloadSize, 7u);
    EXPECT_EQ(ogg->flags, kDataItemOgg);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ogg->Payload()), 4), "OggS");
    const DataItem* wave = lib.GetData(&music, 0, 1);
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->flags, 0);
    EXPECT_EQ(wave->payloadSize, 12u);

    // Configuration texts come out of the memory-file read in plain text.
    AssetRef config = Ref("Config");
    const DataItem* level = lib.GetData(&config, 0, 1);
    ASSERT_NE(level, nullptr);
    FileHandle h = platform.FileOpen(reinterpret_cast<const char*>(level->Payload()), kFileRead,
                                     level->payloadSize);
    ASSERT_NE(h, kNoFile);
    char text[32] = {};
    EXPECT_EQ(platform.FileRead(h, text, sizeof text, true), 10);
    EXPECT_EQ(std::string(text), "#LEVEL 1\r\n");
    platform.FileClose(h, true);

    lib.Close();
    EXPECT_EQ(platform.unmaps, 1);
    EXPECT_FALSE(lib.IsOpen());
}

TEST(AssetLibrary, NamesResolveWithoutCaseOnceAndFirstWins) {
    ImagePlatform platform(RichArchive());
    AssetLibrary lib(&platform);
    ASSERT_TRUE(lib.Open(ImagePlatform::kName));
    AssetRef upper = Ref("GUI");
    AssetRef lower = Ref("gui");
    EXPECT_EQ(lib.Resolve(&upper), 3);
    EXPECT_EQ(lib.Resolve(&lower), 3) << "the first of the two entries wins";
    EXPECT_EQ(upper.resolved, 1);
    EXPECT_EQ(lib.GetItemCount(&lower, 1), 2);

    AssetRef missing = Ref("Player_Fly");
    EXPECT_EQ(lib.GetItem(&missing, 0, 0), nullptr);
    EXPECT_EQ(missing.resolved, 1) << "the failed lookup is cached";
    EXPECT_EQ(missing.index, -1);
    EXPECT_EQ(lib.GetItemCount(&missing, 0), 0);
    EXPECT_FALSE(lib.HasSequence(&missing, 0));
    EXPECT_EQ(lib.GetPicture(&missing, 0, 0), nullptr);
    EXPECT_EQ(lib.GetData(&missing, 0, 0), nullptr);

    // Cached means never searched again: a library that has the name does
    // not help a reference that already failed, until it is renamed.
    AssetRef walk = Ref("Player_Walk");
    walk.resolved = 1;  // as if an earlier lookup had failed
    EXPECT_EQ(lib.Resolve(&walk), -1);
    walk.Assign("player_walk");
    EXPECT_EQ(walk.assigned, 1);
    EXPECT_EQ(lib.Resolve(&walk), 0);
    EXPECT_EQ(lib.GetItemCount(&walk, 2), 3);
    lib.Close();
}

TEST(AssetLibrary, ListedAndOneItemBlocks) {
    ImagePlatform platform(RichArchive());
    AssetLibrary lib(&platform);
    ASSERT_TRUE(lib.Open(ImagePlatform::kName));
    AssetRef walk = Ref("Player_Walk");

    EXPECT_EQ(lib.GetItemCount(&walk, 2), 3) << "a block of -3 and three offsets";
    EXPECT_NE(lib.GetItem(&walk, 2, 2), nullptr);
    EXPECT_EQ(lib.GetItem(&walk, 2, 3), nullptr);
    EXPECT_EQ(lib.GetItem(&walk, 2, -1), nullptr);

    // One-item block: 99 items reported (a still picture is a long cycle),
    // but only item 0 exists.
    EXPECT_EQ(lib.GetItemCount(&walk, 0), 99);
    EXPECT_NE(lib.GetItem(&walk, 0, 0), nullptr);
    EXPECT_EQ(lib.GetItem(&walk, 0, 1), nullptr);
    EXPECT_EQ(lib.GetItemCount(&walk, 4), 1) << "a listed sequence of one item";

    EXPECT_FALSE(lib.HasSequence(&walk, 5)) << "slot 5 holds 0";
    EXPECT_EQ(lib.GetItemCount(&walk, 5), 0);
    EXPECT_EQ(lib.GetItem(&walk, 5, 0), nullptr);
    EXPECT_TRUE(lib.HasSequence(&walk, 0));
    for (int bad : {-1, 12, 1000}) {
        EXPECT_FALSE(lib.HasSequence(&walk, bad)) << "sequence " << bad;
        EXPECT_EQ(lib.GetItemCount(&walk, bad), 0) << "sequence " << bad;
        EXPECT_EQ(lib.GetItem(&walk, bad, 0), nullptr) << "sequence " << bad;
    }
    // Asking for a data item where a picture is, and the reverse, is the
    // caller's business; both still lie inside the file.
    AssetRef music = Ref("SOUND_Music");
    EXPECT_NE(lib.GetItem(&music, 0, 0), nullptr);
    lib.Close();
}

TEST(AssetLibrary, ClosedOrUnreadableLibrariesAnswerNothing) {
    ImagePlatform platform;
    AssetLibrary lib(&platform);
    AssetRef gui = Ref("GUI");
    EXPECT_EQ(lib.Resolve(&gui), -1);
    EXPECT_EQ(gui.resolved, 0) << "looked up again once a library is open";
    EXPECT_EQ(lib.GetItem(&gui, 0, 0), nullptr);
    EXPECT_EQ(lib.GetItemCount(&gui, 0), 0);
    EXPECT_FALSE(lib.HasSequence(&gui, 0));
    lib.Touch(1000);
    lib.Close();

    EXPECT_FALSE(lib.Open("Missing.lib"));
    EXPECT_FALSE(lib.Open(ImagePlatform::kName)) << "empty file";
    platform.SetImage(std::vector<u8>(15, 0));
    EXPECT_FALSE(lib.Open(ImagePlatform::kName)) << "shorter than the header";

    std::vector<u8> image = RichArchive();
    image.resize(16 + 48 * 5 - 1);
    platform.SetImage(image);
    EXPECT_FALSE(lib.Open(ImagePlatform::kName)) << "the sequence table is cut off";
    EXPECT_EQ(platform.mapped, nullptr) << "the view was given back";

    image = RichArchive();
    image[12] = 0xFF, image[13] = 0xFF, image[14] = 0xFF, image[15] = 0xFF;  // entryCount -1
    platform.SetImage(image);
    ASSERT_TRUE(lib.Open(ImagePlatform::kName)) << "no entries is a valid library";
    AssetRef again = Ref("GUI");
    EXPECT_EQ(lib.Resolve(&again), -1);
    lib.Close();

    image = RichArchive();
    image[8] = 0xF0, image[9] = 0xFF, image[10] = 0xFF, image[11] = 0x7F;  // names beyond the file
    platform.SetImage(image);
    EXPECT_FALSE(lib.Open(ImagePlatform::kName));
}

TEST(AssetLibrary, OpensARealFileThroughFileMap) {
    TempDir dir;
    dir.Write("Data.lib", RichArchive());
    ScriptedPlatform platform(dir.Path());
    AssetLibrary lib(&platform);
    ASSERT_TRUE(lib.Open("Data.lib"));
    EXPECT_EQ(lib.Size(), RichArchive().size());
    EXPECT_EQ(platform.Files().UsedMapSlots(), 1);
    lib.Touch(static_cast<i32>(lib.Size() / 4));
    lib.Touch(0x7FFFFFFF);  // more words than the file has: stays inside it
    AssetRef gui = Ref("GUI");
    EXPECT_NE(lib.GetPicture(&gui, 1, 0), nullptr);
    ASSERT_TRUE(lib.Open("Data.lib")) << "opening again closes the first view";
    EXPECT_EQ(platform.Files().UsedMapSlots(), 1);
    lib.Close();
    EXPECT_EQ(platform.Files().UsedMapSlots(), 0);
    EXPECT_EQ(platform.Files().OpenDiskFileCount(), 0);
}

// Writes a little-endian word into an image.
void Poke32(std::vector<u8>& image, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4 && at + i < image.size(); ++i)
        image[at + i] = static_cast<u8>(v >> (8 * i));
}

// Asks every question the game may ask of every entry and checks that every
// answer lies inside the file; reading the pictures pixel by pixel makes the
// address sanitizer see any read past the end.
void QueryEverything(AssetLibrary& lib, const ImagePlatform& platform) {
    const char* names[] = {"Player_Walk", "Config", "SOUND_Music", "GUI", "gui", "nothing"};
    const u8* base = lib.Base();
    const size_t size = lib.Size();
    for (const char* name : names) {
        AssetRef ref = Ref(name);
        for (int s = -1; s <= 12; ++s) {
            lib.HasSequence(&ref, s);
            const int count = lib.GetItemCount(&ref, s);
            const int items = std::min(count, 8) + 1;
            for (int i = -1; i < items; ++i) {
                if (const u8* item = static_cast<const u8*>(lib.GetItem(&ref, s, i))) {
                    ASSERT_GE(item, base);
                    ASSERT_LE(static_cast<size_t>(item - base) + 12, size);
                }
                if (const PictureItem* pic = lib.GetPicture(&ref, s, i)) {
                    const std::vector<int> pixels = DecodePicture(pic);
                    ASSERT_EQ(pixels.size(), size_t(pic->width) * pic->height)
                        << name << " " << s << " " << i;
                }
                if (const DataItem* data = lib.GetData(&ref, s, i)) {
                    const u8* end = data->Payload() + data->payloadSize;
                    ASSERT_LE(static_cast<size_t>(end - base), size);
                    unsigned sum = 0;
                    for (const u8* p = data->Payload(); p < end; ++p) sum += *p;
                    (void)sum;
                }
            }
        }
    }
    (void)platform;
}

TEST(AssetLibrary, TruncatedArchivesNeverReadOutside) {
    const std::vector<u8> full = RichArchive();
    ImagePlatform platform;
    for (size_t length = 0; length <= full.size(); ++length) {
        platform.SetImage(std::vector<u8>(full.begin(), full.begin() + length));
        AssetLibrary lib(&platform);
        if (lib.Open(ImagePlatform::kName)) {
            QueryEverything(lib, platform);
            lib.Close();
        }
        ASSERT_FALSE(HasFatalFailure()) << "length " << length;
    }
}

TEST(AssetLibrary, CorruptedOffsetsNeverReadOutside) {
    const std::vector<u8> full = RichArchive();
    std::mt19937 rng(20240601);  // fixed seed: the same damage every run
    ImagePlatform platform;
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<u8> image = full;
        const int hits = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < hits; ++k) {
            const size_t at = (rng() % (image.size() / 4)) * 4 + (round % 7 == 0 ? rng() % 4 : 0);
            std::uint32_t value;
            switch (rng() % 5) {
                case 0:
                    value = rng();
                    break;  // anything
                case 1:
                    value = static_cast<std::uint32_t>(rng() % (image.size() + 64));
                    break;  // near the end
                case 2:
                    value = static_cast<std::uint32_t>(-static_cast<int>(rng() % 1000));
                    break;  // long lists
                case 3:
                    value = 0x0000FFFFu & rng();
                    break;  // big sizes, runs
                default:
                    value = 0x01000100u | (rng() & 0x00FF00FF);
                    break;  // run words
            }
            Poke32(image, at, value);
        }
        platform.SetImage(image);
        AssetLibrary lib(&platform);
        if (lib.Open(ImagePlatform::kName)) {
            ++opened;
            QueryEverything(lib, platform);
            lib.Close();
        }
        ASSERT_FALSE(HasFatalFailure()) << "round " << round;
    }
    EXPECT_GT(opened, 1000) << "most damage leaves the directory readable";
}

}  // namespace
