// The archive writer: the byte layout of a library and its picture encodings.
#include "tools/datalib/ArchiveWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LibraryFixture.h"
#include "TempDir.h"

namespace {

using datalib::ArchiveWriter;
using datalib::Data;
using datalib::Encoding;
using datalib::Entry;

std::uint32_t Word(const std::vector<u8>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
std::uint16_t Half(const std::vector<u8>& b, size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(ArchiveWriter, HeaderDirectoryAndBlocksFollowTheLayout) {
    ArchiveWriter w;
    Entry a;
    a.name = "Alpha";
    Data one;
    one.payload = {1, 2, 3};
    one.flags = 0x80;
    a.sequences[0] = Seq({one});
    a.sequences[3] = Seq({Data{}, one, one});
    Entry b;
    b.name = std::string(25, 'B');
    b.sequences[11] = Seq({one}, true);
    b.sequences[2] = Seq({});  // empty: left out
    w.Add(a);
    w.Add(b);
    const std::vector<u8> image = w.Build();
    ASSERT_FALSE(image.empty()) << w.LastError();
    EXPECT_EQ(image.size() % 4, 0u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "BSLB");
    EXPECT_EQ(Word(image, 4), 1u) << "format version";
    EXPECT_EQ(Word(image, 8), 16u + 2 * 48) << "names follow the sequence table";
    EXPECT_EQ(Word(image, 12), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[112])), "Alpha");
    for (int i = 5; i < 26; ++i) EXPECT_EQ(image[112 + i], 0) << "NUL padding at " << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[138])), std::string(25, 'B'));

    // Entry 0, sequence 0: a one-item block whose word is the item's offset.
    const std::uint32_t block0 = Word(image, 16);
    EXPECT_EQ(block0 % 4, 0u);
    const std::uint32_t item = Word(image, block0);
    EXPECT_EQ(item % 4, 0u);
    EXPECT_EQ(Word(image, item), 3u) << "payload size";
    EXPECT_EQ(image[item + 8], 0x80) << "flags";
    EXPECT_EQ(image[item + 12], 1);
    // Entry 0, sequence 3: -3 and three offsets.
    const std::uint32_t block3 = Word(image, 16 + 12);
    EXPECT_EQ(static_cast<std::int32_t>(Word(image, block3)), -3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Word(image, block3 + 4 + 4 * i) % 4, 0u);
    for (int s : {1, 2, 4, 11}) EXPECT_EQ(Word(image, 16 + 4 * s), 0u) << "slot " << s;
    // Entry 1: the empty sequence stays absent, the listed one is -1 + offset.
    EXPECT_EQ(Word(image, 64 + 8), 0u);
    EXPECT_EQ(static_cast<std::int32_t>(Word(image, Word(image, 64 + 44))), -1);

    EXPECT_EQ(w.Build(), image) << "the same input gives the same bytes";
}

TEST(ArchiveWriter, PictureEncodings) {
    ArchiveWriter w;
    Entry e;
    e.name = "P";
    // RGB888 to 555 by dropping the low three bits; raw ignores alpha.
    e.sequences[0] = Seq({Pic(Image(2, 1, {0x00FF8040, 0xFF07070F}), Encoding::Raw, -2, 7, 4)});
    // Colour key at alpha 128; runs of more than 255 are split.
    std::vector<std::uint32_t> row(700, 0xFF000000);
    for (int i = 256; i < 600; ++i) row[i] = 0x7FFFFFFF;
    e.sequences[1] = Seq({Pic(Image(700, 1, row), Encoding::ColourKeyed)});
    // Translucent: nibbles of alpha and colour; alpha below 16 is a gap.
    e.sequences[2] =
        Seq({Pic(Image(3, 1, {0xF0123456, 0x0FFFFFFF, 0x10FF00FF}), Encoding::Translucent)});
    // Shadow: the shape only, pixel words 0.
    e.sequences[3] = Seq({Pic(Image(2, 2, {0xFFFFFFFF, 0, 0, 0x80ABCDEF}), Encoding::Shadow)});
    w.Add(e);
    const std::vector<u8> image = w.Build();
    ASSERT_FALSE(image.empty()) << w.LastError();

    const std::uint32_t raw = Word(image, Word(image, 16));
    EXPECT_EQ(Half(image, raw), 2);
    EXPECT_EQ(Half(image, raw + 2), 1);
    EXPECT_EQ(static_cast<std::int16_t>(Half(image, raw + 4)), -2);
    EXPECT_EQ(Half(image, raw + 6), 7);
    EXPECT_EQ(image[raw + 8], 0);
    EXPECT_EQ(image[raw + 9], 4) << "pixelSkip";
    EXPECT_EQ(Half(image, raw + 12 + 4), (31 << 10) | (16 << 5) | 8);
    EXPECT_EQ(Half(image, raw + 12 + 6), (0 << 10) | (0 << 5) | 1);

    const std::uint32_t keyed = Word(image, Word(image, 20));
    EXPECT_EQ(image[keyed + 8], 1);
    size_t at = keyed + 12;
    EXPECT_EQ(Half(image, at), 255) << "first opaque run";
    at += 2 + 255 * 2;
    EXPECT_EQ(Half(image, at), 1) << "the rest of the 256 opaque pixels";
    at += 2 + 2;
    EXPECT_EQ(Half(image, at), 0x100 | 255) << "transparent run split";
    EXPECT_EQ(Half(image, at + 2), 0x100 | 89);
    EXPECT_EQ(Half(image, at + 4), 100) << "the last opaque run";

    const std::uint32_t tr = Word(image, Word(image, 24));
    EXPECT_EQ(image[tr + 8], 1 | 8);
    EXPECT_EQ(Half(image, tr + 12), 1);
    EXPECT_EQ(Half(image, tr + 14), 0xF135);
    EXPECT_EQ(Half(image, tr + 16), 0x100 | 1);
    EXPECT_EQ(Half(image, tr + 18), 1);
    EXPECT_EQ(Half(image, tr + 20), 0x1F0F);

    const std::uint32_t sh = Word(image, Word(image, 28));
    EXPECT_EQ(image[sh + 8], 1 | 16);
    const std::vector<std::uint16_t> shadowWords = {1, 0, 0x101, 0x101, 1, 0};
    for (size_t i = 0; i < shadowWords.size(); ++i) {
        EXPECT_EQ(Half(image, sh + 12 + 2 * i), shadowWords[i]) << "word " << i;
    }
}

TEST(ArchiveWriter, RefusesWhatTheFormatCannotHold) {
    auto buildWith = [](Entry e) {
        ArchiveWriter w;
        w.Add(std::move(e));
        std::vector<u8> image = w.Build();
        return std::make_pair(image.empty(), w.LastError());
    };
    Entry longName;
    longName.name = std::string(26, 'x');
    EXPECT_TRUE(buildWith(longName).first);
    EXPECT_NE(buildWith(longName).second.find("25"), std::string::npos);

    Entry mismatch;
    mismatch.name = "m";
    mismatch.sequences[0] = Seq({Pic(Image(3, 3, {0, 0}), Encoding::ColourKeyed)});
    EXPECT_TRUE(buildWith(mismatch).first);

    Entry hot;
    hot.name = "h";
    hot.sequences[0] = Seq({Pic(Image(1, 1, {0}), Encoding::ColourKeyed, 40000, 0)});
    EXPECT_TRUE(buildWith(hot).first);

    Entry wide;
    wide.name = "w";
    wide.sequences[0] = Seq({Pic(Image(70000, 0, {}), Encoding::ColourKeyed)});
    EXPECT_TRUE(buildWith(wide).first);

    TempDir dir;
    ArchiveWriter ok;
    Entry e;
    e.name = "e";
    ok.Add(e);
    EXPECT_TRUE(ok.Write(dir.File("Data.lib")));
    EXPECT_EQ(dir.Read("Data.lib").size(), 16u + 48 + 28);
    EXPECT_FALSE(ok.Write(dir.File("no/such/folder/Data.lib")));

    ArchiveWriter bad;
    bad.Add(longName);
    EXPECT_FALSE(bad.Write(dir.File("Bad.lib")));
    EXPECT_TRUE(dir.Read("Bad.lib").empty()) << "nothing written";
}

TEST(ArchiveWriter, ScrambledTextIsTheTextXoredWithTheKey) {
    Data d = ArchiveWriter::ScrambledText("A\xB7z");
    ASSERT_EQ(d.payload.size(), 3u);
    EXPECT_EQ(d.payload[0], 'A' ^ 0xB7);
    EXPECT_EQ(d.payload[1], 0) << "a byte equal to the key is stored as 0";
    EXPECT_EQ(d.payload[2], 'z' ^ 0xB7);
    EXPECT_EQ(d.flags, 0);
}

}  // namespace
