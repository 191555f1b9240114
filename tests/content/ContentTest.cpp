// Our own Data.lib as the game sees it: every name the game asks for is
// there, every picture is well formed, every animation has the frames and the
// shadow it needs, the fonts have their glyphs, the configuration texts parse
// with the game's own readers and name only pictures and sounds that exist,
// and the generator gives the same bytes every time.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "actors/AnimationTable.h"
#include "actors/NonPlayerCharacter.h"
#include "actors/WorldObject.h"
#include "config/ConfigTokenizer.h"
#include "config/Settings.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "platform/Random.h"
#include "platform/ScriptedPlatform.h"
#include "render/TextDraw.h"

namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
fs::path DataDir() {
    return fs::path(Env("BRETTSPALT_BINARY_DIR")) / "data";
}
fs::path ConfigDir() {
    return fs::path(Env("BRETTSPALT_SOURCE_DIR")) / "content" / "config";
}

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The library opened through the scripted platform, the way the game opens it.
class ContentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_FALSE(Env("BRETTSPALT_BINARY_DIR").empty()) << "run through ctest";
    }

    void SetUp() override {
        std::fesetround(FE_TOWARDZERO);
        ASSERT_TRUE(fs::exists(DataDir() / "Data.lib")) << "build the content target first";
        platform = std::make_unique<ScriptedPlatform>(DataDir().string(), "");
        library = std::make_unique<AssetLibrary>(platform.get());
        ASSERT_TRUE(library->Open("Data.lib"));
        gPlatform = platform.get();
        gLibrary = library.get();
        gGame = GameGlobals{};
        gLevel = LevelState{};
        ResetTokenizer();
        ResetAnimationTable();
        Random::Seed(1);
    }

    void TearDown() override {
        for (i32 i = 0; i < gCharacterCount; ++i) {
            delete gCharacters[i];
            gCharacters[i] = nullptr;
        }
        gCharacterCount = 0;
        for (WorldObject& o : gObjects) o = WorldObject{};
        gObjectCount = 0;
        ResetAnimationTable();
        ResetTokenizer();
        gLibrary = nullptr;
        gPlatform = nullptr;
        library->Close();
    }

    AssetRef Ref(const std::string& name) {
        AssetRef ref;
        ref.Init(name.c_str());
        return ref;
    }

    // Entry names and their raw sequence words, straight from the file.
    struct RawEntry {
        std::string name;
        i32 slots[12];
    };
    std::vector<RawEntry> RawEntries() {
        const u8* base = library->Base();
        auto word = [base](u32 offset) {
            i32 v;
            std::memcpy(&v, base + offset, 4);
            return v;
        };
        const i32 nameTable = word(8), count = word(12);
        std::vector<RawEntry> out;
        for (i32 e = 0; e < count; ++e) {
            RawEntry r;
            r.name = reinterpret_cast<const char*>(base + nameTable + 26 * e);
            for (int s = 0; s < 12; ++s) r.slots[s] = word(16 + 48 * e + 4 * s);
            out.push_back(r);
        }
        return out;
    }

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<AssetLibrary> library;
};

TEST_F(ContentTest, EveryFixedAssetNameResolves) {
    const char* names[] = {"Config",         "SOUND_Music",
                           "font_gr_normal", "font_kl_normal",
                           "Background1",    "GUI",
                           "Player_Walk",    "Player_Idle",
                           "Player_Saegen",  "Player_Saegen_Flip",
                           "Player_Drohen",  "Player_loading",
                           "Player_KO",      "exfrau_walk",
                           "exfrau_flee",    "EXFRAU_idle",
                           "EXFRAU_idle2",   "EXFRAU_victory",
                           "wolke",          "moebelp_walk",
                           "moebelp_flee",   "moebelp_idle",
                           "moebelp_idle2",  "moebelp_prepare",
                           "moebelp_work",   "wachmann_walk",
                           "wachmann_anger", "wachmann_flee",
                           "wachmann_idle",  "anwalt_walk",
                           "anwalt_flee",    "anwalt_idle",
                           "anwalt_anger",   "moebel_wolke",
                           "Kanister gelb",  "moebelwagen"};
    for (const char* name : names) {
        AssetRef ref = Ref(name);
        EXPECT_GE(library->Resolve(&ref), 0) << name;
    }
    // The two music pieces: menu and in game.
    AssetRef music = Ref("SOUND_Music");
    EXPECT_NE(library->GetData(&music, 0, 0), nullptr);
    EXPECT_NE(library->GetData(&music, 0, 1), nullptr);
}

TEST_F(ContentTest, EveryPictureIsWellFormedAndListedSequencesHoldTwoItems) {
    int pictures = 0;
    for (const RawEntry& e : RawEntries()) {
        const bool data = e.name == "Config" || e.name.rfind("SOUND_", 0) == 0;
        AssetRef ref = Ref(e.name);
        for (int s = 0; s < 12; ++s) {
            if (e.slots[s] == 0) continue;
            i32 first;
            std::memcpy(&first, library->Base() + e.slots[s], 4);
            const i32 count = library->GetItemCount(&ref, s);
            if (first < 0) {
                EXPECT_GE(count, 2) << e.name << " sequence " << s << " lists fewer than two items";
            } else {
                EXPECT_EQ(count, 99) << e.name << " sequence " << s;
            }
            const i32 items = first < 0 ? count : 1;
            for (i32 i = 0; i < items; ++i) {
                if (data) {
                    EXPECT_NE(library->GetData(&ref, s, i), nullptr)
                        << e.name << " " << s << "/" << i;
                } else {
                    const PictureItem* p = library->GetPicture(&ref, s, i);
                    ASSERT_NE(p, nullptr) << e.name << " " << s << "/" << i;
                    ++pictures;
                }
            }
        }
    }
    EXPECT_GT(pictures, 1000);
}

TEST_F(ContentTest, FontsHaveGlyphsForTextAndUmlautsInBothStyles) {
    const int umlauts[] = {196, 214, 220, 223, 228, 246, 252};
    std::vector<int> codes;
    for (int c = 33; c <= 127; ++c) codes.push_back(c);
    codes.insert(codes.end(), std::begin(umlauts), std::end(umlauts));
    for (const char* font : {"font_gr_normal", "font_kl_normal"}) {
        AssetRef ref = Ref(font);
        int height = -1;
        for (int style = 0; style < 2; ++style) {
            for (int c : codes) {
                const PictureItem* g =
                    library->GetPicture(&ref, (c - 32) / 64 + 4 * style, (c - 32) % 64);
                ASSERT_NE(g, nullptr) << font << " code " << c;
                EXPECT_FALSE(g->width == 1 && g->height == 1)
                    << font << " code " << c << " is absent";
                EXPECT_EQ(g->hotX, 0);
                EXPECT_EQ(g->hotY, 0) << "a line's y is its top";
                if (height < 0) height = g->height;
                EXPECT_EQ(g->height, height) << font << " code " << c;
            }
        }
        // Codes the code page leaves empty are 1 x 1 pictures.
        const PictureItem* none = library->GetPicture(&ref, (129 - 32) / 64, (129 - 32) % 64);
        ASSERT_NE(none, nullptr);
        EXPECT_EQ(none->width, 1);
        EXPECT_EQ(none->height, 1);
        const bool large = std::string(font) == "font_gr_normal";
        EXPECT_NEAR(height, large ? 28 : 16, large ? 3 : 2) << font;
        // The clock's digits are drawn 18 pixels apart.
        if (large) {
            for (int c = '0'; c <= '9'; ++c)
                EXPECT_LE(library->GetPicture(&ref, 0, c - 32)->width, 19) << char(c);
        }
    }
}

TEST_F(ContentTest, BackgroundSetsAreScreenWideTilesCoveringThePlayBand) {
    AssetRef bg = Ref("Background1");
    for (int s = 0; s < 6; ++s) {
        ASSERT_EQ(library->GetItemCount(&bg, s), 3) << "sequence " << s;
        for (int i = 0; i < 3; ++i) {
            const PictureItem* p = library->GetPicture(&bg, s, i);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->width, 800);
            EXPECT_EQ(p->height, 440) << "rows 80 to 519";
            EXPECT_EQ(p->hotX, 0);
            EXPECT_EQ(p->hotY, 0);
            // The far layer is opaque; the street layer lets it show through.
            EXPECT_EQ(p->format & 1, s % 2 == 1 ? 0 : 1) << "sequence " << s;
        }
    }
}

TEST_F(ContentTest, MenuPicturesMatchTheButtonsAndScreens) {
    AssetRef gui = Ref("GUI");
    for (int i = 0; i < 2; ++i) {
        const PictureItem* bg = library->GetPicture(&gui, 0, i);
        ASSERT_NE(bg, nullptr);
        EXPECT_EQ(bg->width, 800);
        EXPECT_EQ(bg->height, 600);
    }
    // Large buttons: plain and three highlight steps; small: plain and two.
    EXPECT_EQ(library->GetItemCount(&gui, 1), 4);
    EXPECT_EQ(library->GetItemCount(&gui, 2), 3);
    const PictureItem* large = library->GetPicture(&gui, 1, 0);
    ASSERT_NE(large, nullptr);
    // The main menu's button at x 613 must fit the screen; the name-entry
    // panel (the same picture, at y 240) must hold the name line at y 292.
    EXPECT_LE(613 + large->width, 800);
    EXPECT_GE(240 + large->height, 292 + 16);
    // The lives are drawn from (70, 460) to the right: they must hang in the
    // black band under the street, clear of the furniture, five of them on screen.
    const PictureItem* life = library->GetPicture(&gui, 4, 0);
    ASSERT_NE(life, nullptr);
    EXPECT_GE(460 - life->hotY, 520) << "the lives stand on the pavement";
    EXPECT_LE(460 - life->hotY + life->height, 600);
    EXPECT_LE(70 - life->hotX + 5 * life->width, 800);
    const PictureItem* small = library->GetPicture(&gui, 2, 0);
    ASSERT_NE(small, nullptr);
    EXPECT_LE(532 + small->width, 800);
    EXPECT_LT(10 + small->width, 400 - small->width / 2) << "help buttons must not overlap";
    EXPECT_GE(library->GetItemCount(&gui, 3), 2) << "title animation";
    const PictureItem* title = library->GetPicture(&gui, 3, 0);
    ASSERT_NE(title, nullptr);
    EXPECT_LE(title->height, 133) << "the title must stay above the first button";
}

// Pixels of a picture as 16-bit colours (transparent: -1).
std::vector<int> DecodePicture(const PictureItem* p) {
    std::vector<int> out(static_cast<size_t>(p->width) * p->height, -1);
    const u8* data = reinterpret_cast<const u8*>(p) + 12;
    auto word = [&](size_t i) { return static_cast<int>(data[i] | (data[i + 1] << 8)); };
    if ((p->format & (1 | 8 | 16)) == 0) {
        for (size_t i = 0; i < out.size(); ++i) out[i] = word(p->pixelSkip + 2 * i);
        return out;
    }
    size_t at = 0;
    for (int y = 0; y < p->height; ++y) {
        int x = 0;
        while (x < p->width) {
            const int run = word(at);
            at += 2;
            if (run > 255) {
                x += run & 255;
                continue;
            }
            for (int k = 0; k < run; ++k, at += 2)
                out[static_cast<size_t>(y) * p->width + x + k] = word(at);
            x += run;
        }
    }
    return out;
}

int ColourDistance(int a, int b) {
    if (a < 0 || b < 0) return (a < 0) == (b < 0) ? 0 : 31;
    return std::abs((a >> 10) - (b >> 10)) + std::abs(((a >> 5) & 31) - ((b >> 5) & 31)) +
           std::abs((a & 31) - (b & 31));
}

// The three tiles of a layer repeat along the street, the third followed by
// the first again: across every joint the picture must change no more than
// it does between two neighbouring columns inside a tile.
TEST_F(ContentTest, BackgroundTilesJoinWithoutSeams) {
    AssetRef bg = Ref("Background1");
    for (int s = 0; s < 6; ++s) {
        std::vector<std::vector<int>> tiles;
        for (int i = 0; i < 3; ++i) tiles.push_back(DecodePicture(library->GetPicture(&bg, s, i)));
        auto columnDistance = [](const std::vector<int>& a, int ca, const std::vector<int>& b,
                                 int cb) {
            long sum = 0;
            for (int y = 0; y < 440; ++y) sum += ColourDistance(a[y * 800 + ca], b[y * 800 + cb]);
            return sum;
        };
        long inside = 0;
        for (int i = 0; i < 3; ++i)
            for (int c = 100; c < 700; c += 50)
                inside = std::max(inside, columnDistance(tiles[i], c, tiles[i], c + 1));
        for (int i = 0; i < 3; ++i) {
            const long joint = columnDistance(tiles[i], 799, tiles[(i + 1) % 3], 0);
            EXPECT_LE(joint, inside + 200) << "sequence " << s << " joint after tile " << i;
        }
    }
}

// A picture's size, hotspot and decoded pixels, for comparing pictures.
std::string PictureBytes(const PictureItem* p) {
    const std::vector<int> pixels = DecodePicture(p);
    return std::string(reinterpret_cast<const char*>(p), 8) +
           std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(int));
}

// Each piece stands on its bottom centre; its five stages differ (the cuts
// progress), each has a shadow, and the nailed boards (drawn 10 pixels below
// the piece's anchor) cover the middle of the piece.
TEST_F(ContentTest, FurnitureStagesShowTheCutsProgressing) {
    int pieces = 0;
    for (const RawEntry& e : RawEntries()) {
        if (e.slots[10] == 0) continue;
        ++pieces;
        AssetRef ref = Ref(e.name);
        std::set<std::string> stages;
        const PictureItem* whole = library->GetPicture(&ref, 0, 0);
        ASSERT_NE(whole, nullptr) << e.name;
        EXPECT_NEAR(whole->hotX, whole->width / 2, whole->width / 4) << e.name;
        EXPECT_LE(whole->height - whole->hotY, 4) << e.name << " must stand on its anchor";
        for (int stage = 0; stage < 5; ++stage) {
            const PictureItem* p = library->GetPicture(&ref, 2 * stage, 0);
            ASSERT_NE(p, nullptr) << e.name << " stage " << stage;
            EXPECT_NE(library->GetPicture(&ref, 2 * stage + 1, 0), nullptr)
                << e.name << " shadow " << stage;
            stages.insert(PictureBytes(p));
        }
        EXPECT_EQ(stages.size(), 5u) << e.name << ": every cut must show";
        const PictureItem* boards = library->GetPicture(&ref, 10, 0);
        ASSERT_NE(boards, nullptr);
        const int boardsMiddle = 490 - boards->hotY + boards->height / 2;
        const int pieceMiddle = 480 - whole->hotY + whole->height / 2;
        EXPECT_NEAR(boardsMiddle, pieceMiddle, whole->height / 4) << e.name;
    }
    EXPECT_GE(pieces, 14);
    // Every piece the object file gives values to has its five stages and boards.
    std::set<std::string> named;
    std::istringstream props(ReadText(ConfigDir() / "ObjectProps.txt"));
    for (std::string line; std::getline(props, line);) {
        std::istringstream words(line);
        std::string keyword, sub, name;
        words >> keyword >> sub >> name;
        if (keyword == "#OBJPROP" && name.front() != '"' && name != "moebelwagen")
            named.insert(name);
    }
    EXPECT_GE(named.size(), 14u);
    for (const std::string& name : named) {
        AssetRef ref = Ref(name);
        for (int s = 0; s <= 10; ++s)
            EXPECT_NE(library->GetPicture(&ref, s, 0), nullptr) << name << " sequence " << s;
    }
    // The canister and the van keep their picture in every stage.
    for (const char* name : {"Kanister gelb", "moebelwagen"}) {
        AssetRef ref = Ref(name);
        for (int s = 0; s < 10; ++s) EXPECT_TRUE(library->HasSequence(&ref, s)) << name << " " << s;
    }
    AssetRef dust = Ref("moebel_wolke");
    EXPECT_GE(library->GetItemCount(&dust, 0), 4) << "the dust cloud needs several frames";
}

// The configuration texts read with the game's own readers from the library.
TEST_F(ContentTest, ConfigurationTextsParseAndEveryLevelLoads) {
    configFromLibrary = true;
    configErrorLine = -1;
    ASSERT_TRUE(LoadTextTable()) << "line " << configErrorLine;
    EXPECT_TRUE(configFromLibrary) << "no Config folder beside the archive";
    for (i32 n = 0; n < kTextCount; ++n) EXPECT_STRNE(GetText(n), "") << "text " << n;
    // Button labels are used only below 32 characters.
    for (i32 n :
         {0, 1, 2, 3, 5, 6, 14, 15, 16, 17, 19, 20, 21, 22, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59})
        EXPECT_LT(std::strlen(GetText(n)), 32u) << "text " << n;
    // Formats: exactly one integer conversion each.
    for (i32 n : {23, 24, 25, 26, 27, 28}) {
        const std::string t = GetText(n);
        EXPECT_EQ(std::count(t.begin(), t.end(), '%'), 1) << "text " << n << ": " << t;
        EXPECT_NE(t.find("%d"), std::string::npos) << "text " << n;
    }
    ASSERT_TRUE(LoadAnimProps()) << "AnimProps line " << configErrorLine;
    int levels = 0;
    for (i32 n = 1; LevelFileExists(n); ++n) {
        for (i32 i = 0; i < gCharacterCount; ++i) delete gCharacters[i];
        gCharacterCount = 0;
        gObjectCount = 0;
        ASSERT_TRUE(LoadLevelConfig(n)) << "level " << n << " line " << configErrorLine;
        ++levels;
        int furniture = 0, canisters = 0;
        for (i32 i = 0; i < gObjectCount; ++i) {
            const WorldObject& o = gObjects[i];
            EXPECT_TRUE(o.active) << "level " << n << " object " << o.name << " has no picture";
            if (o.objectType == 2) ++canisters;
            if (o.objectType != 1) continue;
            ++furniture;
            AssetRef pic = Ref(o.name);
            for (int s = 0; s <= 10; ++s)
                EXPECT_TRUE(library->HasSequence(&pic, s)) << o.name << " sequence " << s;
            // The object file gave every piece its sounds.
            AssetRef cut = o.cutSoundRef, loop = o.loopSoundRef;
            for (int k = 0; k < 5; ++k)
                EXPECT_NE(library->GetData(&cut, o.cutSoundSequence, o.cutSoundItems[k]), nullptr)
                    << o.name << " cut sound " << k;
            EXPECT_NE(library->GetData(&loop, o.loopSoundSequence, o.loopSoundItem), nullptr)
                << o.name << " loop";
        }
        EXPECT_GE(furniture, 4) << "level " << n;
        EXPECT_GE(canisters, 1) << "level " << n;
    }
    EXPECT_GE(levels, 5);
    // Every level file of the sources is in the archive, after the placeholder.
    int files = 0;
    for (const auto& f : fs::directory_iterator(ConfigDir()))
        if (f.path().filename().string().rfind("Level", 0) == 0) ++files;
    EXPECT_EQ(levels, files);
    AssetRef config = Ref("Config");
    EXPECT_EQ(library->GetItemCount(&config, 0), files + 1);
    EXPECT_EQ(library->GetItemCount(&config, 1), 4);
    EXPECT_TRUE(platform->Messages().empty()) << platform->Messages().front().first;
}

// Labels are drawn centred on their buttons in the large font; they must fit
// the plate. Help pages are laid out in the small font from y 80 in lines of
// 20 pixels and must end above the buttons at y 510.
TEST_F(ContentTest, TextsFitTheirButtonsAndHelpPagesFitTheBoard) {
    configFromLibrary = true;
    configErrorLine = -1;
    ASSERT_TRUE(LoadTextTable());
    AssetRef gui = Ref("GUI");
    const i32 largeWidth = library->GetPicture(&gui, 1, 0)->width;
    const i32 smallWidth = library->GetPicture(&gui, 2, 0)->width;
    ASSERT_GT(TextWidth("Quit", false), 40) << "the large font must measure";
    for (i32 n : {0, 1, 2, 3, 5, 6, 14, 15, 16, 17, 19, 20, 50, 51, 52, 53, 54})
        EXPECT_LE(TextWidth(GetText(n), false), largeWidth - 8)
            << "text " << n << ": " << GetText(n);
    for (i32 n : {6, 21, 22})
        EXPECT_LE(TextWidth(GetText(n), false), smallWidth - 8) << "text " << n;
    for (i32 n = 55; n <= 59; ++n)
        EXPECT_LE(TextWidth(GetText(n), true), largeWidth) << "text " << n;
    // The name entry: ten of the widest glyphs and the cursor, 40 pixels in
    // from the panel's left edge, stay inside its rim; the line (y 292, 16
    // high) stays above its bottom rim. The panel is GUI 9 when there is one.
    i32 widest = 0;
    for (int c = 33; c <= 254; ++c) {
        const char glyph[2] = {static_cast<char>(c), 0};
        widest = std::max(widest, TextWidth(glyph, true));
    }
    AssetRef panelRef = Ref("GUI");
    const PictureItem* panel = library->HasSequence(&panelRef, 9)
                                   ? library->GetPicture(&panelRef, 9, 0)
                                   : library->GetPicture(&panelRef, 1, 0);
    ASSERT_NE(panel, nullptr);
    EXPECT_LE(40 + 10 * widest + TextWidth(GetText(9), true), panel->width - 6)
        << "the widest glyph is " << widest << " pixels";
    EXPECT_GE(240 + panel->height, 292 + 16 + 8);
    EXPECT_LE(panel->width, 760);
    for (i32 page = 30; page <= 33; ++page) {
        const std::string text = GetText(page);
        i32 x = 30, y = 80;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find_first_of(" *", start);
            end = end == std::string::npos ? text.size() : end + 1;
            const std::string word = text.substr(start, end - start);
            const i32 w = TextWidth(word.c_str(), true);
            if (x + w > 489) y += 20, x = 30;
            x += w;
            if (word.back() == '*') y += 20, x = 30;
            start = end;
        }
        EXPECT_LE(y + 17, 500) << "help page " << page - 29 << " runs into the buttons";
    }
}

// After our AnimProps every record points at frames (and figures at a shadow
// in the next sequence), and every sound it names exists.
TEST_F(ContentTest, EveryAnimationRecordHasItsPicturesAndSounds) {
    configFromLibrary = true;
    configErrorLine = -1;
    ASSERT_TRUE(LoadAnimProps()) << "line " << configErrorLine;
    for (i32 id = 1; id <= kAnimationCount; ++id) {
        const AnimationRecord& r = Animation(id);
        if (id == AII_GameWon) continue;  // an unnamed picture; only its sound is used
        AssetRef pic = *r.animationAsset;
        pic.index = -1;
        pic.resolved = 0;
        ASSERT_TRUE(library->HasSequence(&pic, r.sequence))
            << AnimationName(id) << " " << pic.name << " sequence " << r.sequence;
        EXPECT_GE(library->GetItemCount(&pic, r.sequence), 2) << AnimationName(id);
        if (id <= AII_LawyerFight) {
            EXPECT_NE(library->GetPicture(&pic, r.sequence + 1, 0), nullptr)
                << AnimationName(id) << " has no shadow";
            const PictureItem* frame = library->GetPicture(&pic, r.sequence, 0);
            ASSERT_NE(frame, nullptr);
            // Nothing hangs far below the anchor line.
            EXPECT_LE(frame->height - frame->hotY, 12) << AnimationName(id) << " below the feet";
            if ((r.job >= 2 && r.job <= 7) || r.job == 20 || r.job == 21) {
                // Standing and walking figures are about 150 to 190 pixels tall
                // (a helmet, a cap or a raised hand adds a little).
                EXPECT_GE(frame->hotY, 150) << AnimationName(id);
                EXPECT_LE(frame->hotY, 210) << AnimationName(id);
            }
        }
        if (r.soundSequence != 0) {
            AssetRef snd = *r.soundAsset;
            snd.index = -1;
            snd.resolved = 0;
            EXPECT_NE(library->GetData(&snd, std::abs(r.soundSequence) - 1, r.soundItem % 1000),
                      nullptr)
                << AnimationName(id) << " sound " << snd.name;
        }
    }
    // The records that need a sound have one.
    for (i32 id : {AII_GUIButton, AII_GUIButtonShort, AII_NoGas, AII_PlayerLeftSaw, AII_Lifes})
        EXPECT_NE(Animation(id).soundSequence, 0) << AnimationName(id);
}

// Left and right pictures of a walk face opposite ways: the left ones are the
// mirror images of the right ones.
TEST_F(ContentTest, LeftFacingFramesMirrorTheRightFacingOnes) {
    AssetRef walk = Ref("Player_Walk");
    const PictureItem* left = library->GetPicture(&walk, 0, 2);
    const PictureItem* right = library->GetPicture(&walk, 4, 2);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_NEAR(left->width, right->width, 1);
    EXPECT_NEAR(left->hotX, right->width - right->hotX, 1);
    EXPECT_EQ(left->hotY, right->hotY);
}

TEST_F(ContentTest, TheGeneratorGivesTheSameBytesEveryTime) {
    const fs::path generator = fs::path(Env("BRETTSPALT_BINARY_DIR")) / "assetgen";
    ASSERT_TRUE(fs::exists(generator));
    const fs::path out =
        fs::temp_directory_path() / ("brettspalt-content-" + std::to_string(::getpid()) + ".lib");
    const std::string command = "\"" + generator.string() + "\" --config \"" +
                                ConfigDir().string() + "\" --out \"" + out.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string again = ReadText(out);
    const std::string built = ReadText(DataDir() / "Data.lib");
    fs::remove(out);
    ASSERT_EQ(again.size(), built.size());
    EXPECT_TRUE(again == built) << "two runs differ";

    // Without its texts the generator fails and writes nothing.
    const std::string broken = "\"" + generator.string() + "\" --config \"" +
                               (fs::temp_directory_path() / "brettspalt-no-such-folder").string() +
                               "\" --out \"" + out.string() + "\" 2>/dev/null";
    EXPECT_NE(std::system(broken.c_str()), 0);
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
