// The world of the golden frame tests: a Data.lib written by the archive
// writer with pictures that make every layout mistake visible (readable fonts
// with proportional glyphs, backgrounds with a coordinate grid and scroll
// marks, numbered button and title frames, lettered figures), the texts and
// levels as files of the data folder's Config folder, the real game run
// through the scripted platform, and the comparison of a frame with its
// stored hash.
//
// Everything here is deterministic: the random generator is seeded, the
// clock is virtual, rounding is set toward zero, and the state the game keeps
// between runs is put back to its start value before each test (what cannot
// be reset from outside, the menus' selections and the title animation, the
// tests bring to a known value through the menus themselves).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "actors/AnimationTable.h"
#include "actors/NonPlayerCharacter.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "config/AssetNames.h"
#include "config/ConfigTokenizer.h"
#include "game/AssetLibrary.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "platform/Random.h"
#include "platform/ScreenFont.h"
#include "platform/ScriptedPlatform.h"
#include "render/Compose.h"
#include "tests/foundation/TempDir.h"
#include "tools/datalib/ArchiveWriter.h"
#include "ui/HighScores.h"
#include "ui/MenuButton.h"

namespace golden {

using Key = ScriptedPlatform::Key;
using Rgba = std::uint32_t;  // 0xAARRGGBB
inline constexpr Rgba kClear = 0x00000000u;

// ---- Pictures ---------------------------------------------------------------

inline datalib::Picture Blank(int w, int h, Rgba fill, int hotX = 0, int hotY = 0,
                              datalib::Encoding encoding = datalib::Encoding::ColourKeyed) {
    datalib::Picture p;
    p.image.width = w;
    p.image.height = h;
    p.image.pixels.assign(static_cast<std::size_t>(w) * h, fill);
    p.hotX = hotX;
    p.hotY = hotY;
    p.encoding = encoding;
    return p;
}

// The frame-buffer value of a picture colour.
inline u16 To555(Rgba c) {
    return static_cast<u16>((((c >> 16) & 0xFF) >> 3) << 10 | (((c >> 8) & 0xFF) >> 3) << 5 |
                            ((c & 0xFF) >> 3));
}

inline void Put(datalib::Picture& p, int x, int y, Rgba c) {
    if (x >= 0 && y >= 0 && x < p.image.width && y < p.image.height)
        p.image.pixels[static_cast<std::size_t>(y) * p.image.width + x] = c;
}

inline void FillRect(datalib::Picture& p, int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Put(p, i, j, c);
}

inline void Frame(datalib::Picture& p, Rgba c) {
    int w = p.image.width, h = p.image.height;
    FillRect(p, 0, 0, w, 1, c);
    FillRect(p, 0, h - 1, w, 1, c);
    FillRect(p, 0, 0, 1, h, c);
    FillRect(p, w - 1, 0, 1, h, c);
}

// Stamps text into a picture with the host's 8 x 16 debug font, each pixel
// scaled to a `scale` x `scale` block.
inline void Stamp(datalib::Picture& p, int x, int y, const std::string& text, Rgba c,
                  int scale = 1) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        unsigned char ch = static_cast<unsigned char>(text[k]);
        for (int row = 0; row < ScreenFont::kCellHeight; ++row) {
            u8 bits = ScreenFont::GlyphRow(ch, row);
            for (int col = 0; col < 8; ++col)
                if (bits & (0x80 >> col))
                    FillRect(p, x + (static_cast<int>(k) * 8 + col) * scale, y + row * scale, scale,
                             scale, c);
        }
    }
}

inline datalib::Sequence Listed(std::vector<datalib::Picture> pictures) {
    datalib::Sequence s;
    s.listed = true;
    for (auto& p : pictures) s.items.push_back(std::move(p));
    return s;
}

// ---- Fonts ------------------------------------------------------------------

// Glyph of code c in the fixture fonts: the debug font's letter, doubled in
// size for the large font, as wide as its inked columns plus a gap, so that
// every change of text, position or spacing changes the frame. Code 127 is
// the gas symbol (a can). Codes without a letter are 1 x 1 placeholders,
// which the game treats as absent.
inline datalib::Picture Glyph(int c, bool large, Rgba colour) {
    const int scale = large ? 2 : 1;
    if (c == 127) {
        datalib::Picture can = Blank(10 * scale, 14 * scale, kClear);
        FillRect(can, 0, 3 * scale, 8 * scale, 11 * scale, colour);
        FillRect(can, 2 * scale, 0, 4 * scale, 3 * scale, colour);
        FillRect(can, 2 * scale, 6 * scale, 4 * scale, 4 * scale, kClear);
        return can;
    }
    if (c <= 32 || c > 126) return Blank(1, 1, 0xFF000000u);
    int last = -1;
    for (int row = 0; row < ScreenFont::kCellHeight; ++row)
        for (int col = 0; col < 8; ++col)
            if (ScreenFont::GlyphRow(static_cast<unsigned char>(c), row) & (0x80 >> col))
                last = std::max(last, col);
    if (last < 0) return Blank(1, 1, 0xFF000000u);
    // The pen moves on by the width minus one: one clear column between glyphs.
    datalib::Picture g = Blank((last + 1) * scale + 2, ScreenFont::kCellHeight * scale, kClear);
    Stamp(g, 0, 0, std::string(1, static_cast<char>(c)), colour, scale);
    return g;
}

inline datalib::Entry Font(const char* name, bool large) {
    datalib::Entry font;
    font.name = name;
    const Rgba plain = large ? 0xFFFFF0A0u : 0xFFA0F0FFu;
    const Rgba second = large ? 0xFFFF5040u : 0xFFFF80C0u;
    for (int s = 0; s < 8; ++s) {
        std::vector<datalib::Picture> glyphs;
        for (int i = 0; i < 64; ++i)
            glyphs.push_back(Glyph(32 + (s % 4) * 64 + i, large, s < 4 ? plain : second));
        font.sequences[s] = Listed(std::move(glyphs));
    }
    return font;
}

// ---- Backgrounds and menu pictures -----------------------------------------

// A full-screen menu background: a colour ramp with a 50-pixel grid, brighter
// every 100 pixels and labelled with its coordinates, so that positions can be
// read off a written frame.
inline datalib::Picture GridBackground(Rgba base, const std::string& label) {
    datalib::Picture p = Blank(800, 600, 0xFF000000u, 0, 0, datalib::Encoding::Raw);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            Rgba c = base + static_cast<Rgba>((y / 20) << 16) + static_cast<Rgba>((x / 25) << 0);
            if (x % 100 == 0 || y % 100 == 0)
                c = 0xFF707070u;
            else if (x % 50 == 0 || y % 50 == 0)
                c = 0xFF484848u;
            Put(p, x, y, c);
        }
    for (int x = 100; x < 800; x += 100) Stamp(p, x + 2, 2, std::to_string(x), 0xFF909090u);
    for (int y = 100; y < 600; y += 100) Stamp(p, 2, y + 2, std::to_string(y), 0xFF909090u);
    Stamp(p, 300, 580, label, 0xFF909090u);
    return p;
}

// Button picture `frame` (0 = plain, then brighter towards the full
// highlight): rounded corners, a border, and its frame number in a corner.
inline datalib::Picture ButtonPicture(int w, int h, int frame, Rgba base) {
    datalib::Picture p = Blank(w, h, base + 0x00181818u * frame);
    Frame(p, 0xFFC0C0C0u);
    for (int x : {0, w - 1})
        for (int y : {0, h - 1}) Put(p, x, y, kClear);
    Stamp(p, w - 10, h - 17, std::to_string(frame), 0xFF000000u);
    return p;
}

// The middle layer (sequence 1, covering rows 80..519) and the playfield
// layer (sequence 0, the street, rows 80..519, clear above row 420) of background set 0: every
// tile has its own colour, its number, and marks every 50 pixels, so a
// scroll by one pixel changes the frame.
inline datalib::Entry Backgrounds() {
    datalib::Entry background;
    background.name = "Background1";
    std::vector<datalib::Picture> middle, street;
    for (int t = 0; t < 3; ++t) {
        datalib::Picture m = Blank(800, 440, 0xFF000000u, 0, 0, datalib::Encoding::Raw);
        for (int y = 0; y < 440; ++y)
            for (int x = 0; x < 800; ++x)
                Put(m, x, y,
                    0xFF000000u | static_cast<Rgba>((30 + 40 * t) << 16) |
                        static_cast<Rgba>((60 + y / 8) << 8) | static_cast<Rgba>(90 + x / 10));
        for (int x = 0; x < 800; x += 50) FillRect(m, x, 0, 2, x % 100 == 0 ? 40 : 20, 0xFFFFFFFFu);
        Stamp(m, 380, 120, "M" + std::to_string(t), 0xFFE0E0E0u, 3);
        middle.push_back(std::move(m));

        // The street: as tall as the middle layer, as the game's own streets
        // are (so the play scene draws the two layers in one pass), clear
        // down to row 340 and a road from there: drawn at y = 80 it shows on
        // rows 420..519.
        datalib::Picture s = Blank(800, 440, kClear, 0, 0);
        FillRect(s, 0, 340, 800, 100, 0xFF505050u + 0x00100000u * t);
        for (int x = 0; x < 800; x += 40) FillRect(s, x, 380, 20, 4, 0xFFE0E0E0u);
        Stamp(s, 20 + 260 * t, 410, "S" + std::to_string(t), 0xFFFFFF00u);
        street.push_back(std::move(s));
    }
    background.sequences[0] = Listed(std::move(street));
    background.sequences[1] = Listed(std::move(middle));
    return background;
}

// Each title frame has its own colour; the main-menu test finds frame 0 by it.
inline constexpr Rgba TitleColour(int frame) {
    return 0xFF602060u + 0x00200800u * static_cast<Rgba>(frame);
}

inline datalib::Entry Gui() {
    datalib::Entry gui;
    gui.name = "GUI";
    std::vector<datalib::Picture> screens;
    screens.push_back(GridBackground(0xFF102040u, "MAIN MENU BACKGROUND"));
    screens.push_back(GridBackground(0xFF183018u, "MENU BACKGROUND"));
    gui.sequences[0] = Listed(std::move(screens));
    std::vector<datalib::Picture> large, small, title;
    for (int f = 0; f < 4; ++f) large.push_back(ButtonPicture(200, 60, f, 0xFF204080u));
    for (int f = 0; f < 3; ++f) small.push_back(ButtonPicture(100, 40, f, 0xFF804020u));
    for (int f = 0; f < 4; ++f) {
        datalib::Picture t = Blank(360, 70, TitleColour(f));
        Frame(t, 0xFFFFFFFFu);
        Stamp(t, 60, 3, "TITLE " + std::to_string(f), 0xFF000000u, 4);
        title.push_back(std::move(t));
    }
    gui.sequences[1] = Listed(std::move(large));
    gui.sequences[2] = Listed(std::move(small));
    gui.sequences[3] = Listed(std::move(title));
    return gui;
}

// ---- Figures and objects ----------------------------------------------------

// A figure entry: picture sequences 0, 2, 4, 6, 8, 10 with four frames each
// (a body of the figure's colour with its letter, the frame number as a bar
// that moves down) and the underlay sequences 1, 3, ... with a dark oval.
inline datalib::Entry Figure(const char* name, char letter, Rgba colour, int sequenceOffset) {
    datalib::Entry figure;
    figure.name = name;
    for (int s = 0; s < 12; s += 2) {
        std::vector<datalib::Picture> frames;
        for (int f = 0; f < 4; ++f) {
            datalib::Picture p = Blank(28, 70, kClear, 14, 70);
            FillRect(p, 8, 0, 12, 12, colour | 0x00404040u);  // head
            FillRect(p, 2, 12, 24, 40, colour);               // body
            FillRect(p, 4 + f * 3, 52, 6, 18, colour);        // legs move with the frame
            FillRect(p, 18 - f * 3, 52, 6, 18, colour);
            Stamp(p, 10, 20, std::string(1, letter), 0xFFFFFFFFu);
            FillRect(p, 2, 38 + f * 3, 24, 2,
                     0xFF000000u + 0x00203040u * ((s + sequenceOffset) % 5));
            frames.push_back(std::move(p));
        }
        figure.sequences[s] = Listed(std::move(frames));
        datalib::Picture under = Blank(36, 8, kClear, 18, 4);
        FillRect(under, 4, 1, 28, 6, 0xFF101010u);
        figure.sequences[s + 1] = Listed({under});
    }
    return figure;
}

// A piece of furniture (or the canister, or the van) with its ten stage
// sequences: stage k (sequence 2k) shows k saw cuts, the odd sequences a
// shadow under it.
inline datalib::Entry ObjectEntry(const char* name, int w, int h, Rgba colour,
                                  const std::string& label) {
    datalib::Entry object;
    object.name = name;
    for (int stage = 0; stage < 5; ++stage) {
        datalib::Picture p = Blank(w, h, colour, w / 2, h);
        Frame(p, 0xFF000000u);
        for (int k = 1; k <= stage; ++k) FillRect(p, k * w / 5, 0, 2, h, kClear);
        Stamp(p, 3, 2, label, 0xFFFFFFFFu);
        object.sequences[2 * stage] = Listed({p});
        datalib::Picture under = Blank(w + 8, 6, kClear, w / 2 + 4, 3);
        FillRect(under, 0, 1, w + 8, 4, 0xFF181818u);
        object.sequences[2 * stage + 1] = Listed({under});
    }
    return object;
}

// A 16-bit mono wave image of `samples` samples at 11025 Hz.
inline datalib::Data Wave(int samples, int tag) {
    std::uint32_t bytes = static_cast<std::uint32_t>(samples) * 2;
    std::vector<std::uint8_t> p = {'R', 'I', 'F', 'F'};
    auto u32 = [&p](std::uint32_t x) {
        for (int i = 0; i < 4; ++i) p.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    auto u16 = [&p](std::uint16_t x) {
        p.push_back(static_cast<std::uint8_t>(x));
        p.push_back(static_cast<std::uint8_t>(x >> 8));
    };
    u32(36 + bytes);
    p.insert(p.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);
    u16(1);
    u32(11025);
    u32(22050);
    u16(2);
    u16(16);
    p.insert(p.end(), {'d', 'a', 't', 'a'});
    u32(bytes);
    for (int i = 0; i < samples; ++i) u16(static_cast<std::uint16_t>(tag * 31 + i));
    datalib::Data d;
    d.payload = std::move(p);
    return d;
}

// ---- Configuration ------------------------------------------------------------

// Level 1: the player (at 2.0 after the level start) sees a sofa right in
// front of him, a second one further right, a canister, the van and three
// figures; a sofa sawn through always pays a time bonus of 90 seconds; level 2 exists so that level
// 1 is not the last. Level 11 is the last level (no level 12): one sofa. Level 21 starts with
// almost no gas and burns it fast, so its lives are lost within a few frames; level 22 exists so
// that the screen closes at the end of level 21's life-lost screen.
inline std::map<int, std::string> Levels() {
    const char* level1 =
        "#VIRTUALPLAYFIELDWIDTH 3\n"
        "#TIME 125\n"
        "#OBJECT 2.1 Sofa\n"
        "#OBJECT 2.42 Sofa\n"
        "#OBJPROP BONUS Sofa 1 100 90\n"
        "#GAS 2.09\n"
        "#VAN 1.62\n"
        "#CHARACTER 1.75 REMOVALMAN 1\n"
        "#CHARACTER 2.3 POLICEMAN 0\n"
        "#CHARACTER 1.55 LAWYER 1\n";
    const char* level11 =
        "#VIRTUALPLAYFIELDWIDTH 3\n"
        "#TIME 61\n"
        "#BONUS 3\n"
        "#OBJECT 2.1 Sofa\n";
    const char* level21 =
        "#VIRTUALPLAYFIELDWIDTH 3\n"
        "#TIME 30\n"
        "#STARTGAS 1\n"
        "#CONSUMPTION 0.002 0.002 0.002\n"
        "#OBJECT 2.1 Sofa\n";
    return {{1, level1}, {2, level11}, {11, level11}, {21, level21}, {22, level11}};
}

inline const char* kObjectProps =
    "! furniture of the golden levels\n"
    "#OBJPROP SCORE Sofa 10\n"
    "#OBJPROP SAWCYCLES Sofa 10 10 10 10 500000\n";

inline std::string TextFile() {
    std::map<int, std::string> t = {
        {0, "Start"},
        {1, "Help"},
        {2, "Options"},
        {3, "High scores"},
        {5, "Quit"},
        {6, "Back"},
        {7, "Nobody"},
        {8, "Enter your name"},
        {9, "_"},
        {10, "Level"},
        {11, "Get ready!"},
        {12, "Game over"},
        {13, "Level complete"},
        {14, "Sound on"},
        {15, "Sound off"},
        {16, "Music on"},
        {17, "Music off"},
        {18, "Paused"},
        {19, "To the menu"},
        {20, "Continue"},
        {21, "Next"},
        {22, "Prev"},
        {23, "Time left %d"},
        {24, "Bonus per second %d"},
        {25, "Total %d"},
        {29, "Out of gas!"},
        {30,
         "Saw all furniture before the time runs out.* Walk with the arrow keys, "
         "saw with the space bar, threaten with the up arrow."},
        {31,
         "Removal men nail furniture shut.* The lawyer hands you leaflets that cost "
         "time.*  *Keep away from the police!"},
        {32,
         "Gas:* Every canister refills the saw. When the gas runs out and no canister "
         "is left, a life is lost."},
        {33, "Bonuses:* time, points, double speed and double sawing power."},
        {40, "Congratulations!"},
        {41, "You sawed"},
        {42, "every piece"},
        {43, "of furniture"},
        {44, "in the street."},
        {45, "The removal men"},
        {46, "have given up."},
        {47, "Thank you"},
        {48, "for playing"},
        {49, "Brettspalt"},
        {50, "Level 1"},
        {51, "Level 11"},
        {52, "Level 21"},
        {53, "Level 31"},
        {54, "Level 41"},
        {55, "not installed"},
        {56, "not installed"},
        {57, "not installed"},
        {58, "not installed"},
        {59, "not installed"},
        {60, "1235"},
        {61, "Bonus!"},
        {62, "Life lost"},
    };
    std::string text = "! texts of the golden game\n";
    for (int n = 0; n < 64; ++n) {
        auto it = t.find(n);
        text += "#TEXT " + std::to_string(n) + " \"" +
                (it != t.end() ? it->second : "Text " + std::to_string(n)) + "\"\n";
    }
    return text;
}

// Items of the "SOUND_Cues" entry, named by the animation record that plays
// them.
inline const char* const kCueRecords[] = {"AII_LevelWon",  "AII_GameWon",       "AII_CountDown",
                                          "AII_Lifes",     "AII_Extra1",        "AII_Extra2",
                                          "AII_Extra3",    "AII_Extra4",        "AII_NoGas",
                                          "AII_GUIButton", "AII_GUIButtonShort"};
inline constexpr int kCueCount = sizeof kCueRecords / sizeof kCueRecords[0];

inline std::string AnimPropsFile() {
    std::string t = "! sounds of the golden game\n";
    for (int i = 0; i < kCueCount; ++i)
        t += std::string("#ANIMPROP SOUND ") + kCueRecords[i] + " SOUND_Cues 1 " +
             std::to_string(i) + "\n";
    return t;
}

// The configuration files, read from the data folder's Config folder as a
// modder's files would be: the levels offered by the start-level screen need
// not be consecutive there.
inline void WriteConfig(const TempDir& dir) {
    for (const auto& [n, text] : Levels()) {
        char name[32];
        std::snprintf(name, sizeof name, "Config/Level%02d.txt", n);
        dir.Write(name, text);
    }
    dir.Write("Config/AnimProps.txt", AnimPropsFile());
    dir.Write("Config/CharProps.txt", std::string("! no character tuning\n"));
    dir.Write("Config/ObjectProps.txt", std::string(kObjectProps));
    dir.Write("Config/Text.txt", TextFile());
}

// The whole archive.
inline bool WriteArchive(const std::string& path) {
    datalib::ArchiveWriter writer;

    writer.Add(Font("font_gr_normal", true));
    writer.Add(Font("font_kl_normal", false));
    writer.Add(Backgrounds());
    writer.Add(Gui());

    struct FigureKind {
        const char* names[8];
        char letter;
        Rgba colour;
    };
    const FigureKind kinds[] = {
        {{"Player_Walk", "Player_Idle", "Player_Saegen", "Player_Saegen_Flip", "Player_Drohen",
          "Player_loading", "Player_KO", nullptr},
         'P',
         0xFF2060C0u},
        {{"exfrau_walk", "exfrau_flee", "EXFRAU_idle", "EXFRAU_idle2", "EXFRAU_victory", nullptr},
         'W',
         0xFFC02080u},
        {{"moebelp_walk", "moebelp_flee", "moebelp_idle", "moebelp_idle2", "moebelp_prepare",
          "moebelp_work", nullptr},
         'R',
         0xFF808020u},
        {{"wachmann_walk", "wachmann_anger", "wachmann_flee", "wachmann_idle", nullptr},
         'C',
         0xFF2040A0u},
        {{"anwalt_walk", "anwalt_flee", "anwalt_idle", "anwalt_anger", nullptr}, 'L', 0xFF404040u},
    };
    for (const FigureKind& kind : kinds)
        for (int i = 0; kind.names[i]; ++i)
            writer.Add(Figure(kind.names[i], kind.letter, kind.colour, i));
    // The fight cloud of every figure.
    writer.Add(Figure("wolke", '*', 0xFFC0C0C0u, 0));

    // The furniture dust cloud; its first picture is also the life symbol.
    datalib::Entry cloud;
    cloud.name = "moebel_wolke";
    std::vector<datalib::Picture> puffs;
    for (int f = 0; f < 3; ++f) {
        datalib::Picture p = Blank(20, 18, kClear);
        FillRect(p, 2, 2, 16, 14, 0xFFE0E040u - 0x00202000u * f);
        Stamp(p, 6, 1, "+", 0xFF000000u);
        puffs.push_back(std::move(p));
    }
    cloud.sequences[0] = Listed(std::move(puffs));
    writer.Add(cloud);

    writer.Add(ObjectEntry("Sofa", 70, 34, 0xFF8B4513u, "SOFA"));
    writer.Add(ObjectEntry("Kanister gelb", 22, 30, 0xFFE0C000u, "G"));
    writer.Add(ObjectEntry("moebelwagen", 150, 90, 0xFF3A6E3Au, "VAN"));

    datalib::Entry music;
    music.name = "SOUND_Music";
    music.sequences[0] = datalib::Sequence{};
    music.sequences[0]->listed = true;
    music.sequences[0]->items = {Wave(2000, 100), Wave(2000, 101)};
    writer.Add(music);

    datalib::Entry cues;
    cues.name = "SOUND_Cues";
    cues.sequences[0] = datalib::Sequence{};
    cues.sequences[0]->listed = true;
    for (int i = 0; i < kCueCount; ++i) cues.sequences[0]->items.push_back(Wave(64, i));
    writer.Add(cues);

    if (!writer.Write(path)) {
        ADD_FAILURE() << writer.LastError();
        return false;
    }
    return true;
}

// ---- The fixture ------------------------------------------------------------------

class GoldenTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::vector<Key> tappedKeys;
    std::vector<unsigned char> tappedChars;
    int pollsThisFrame = 0;

    void SetUp() override {
        std::fesetround(FE_TOWARDZERO);
        // Everything the game keeps between runs goes back to its start
        // values, as in a freshly started program.
        gGame = GameGlobals{};
        gLevel = LevelState{};
        gPlayer = PlayerCharacter{};
        for (int i = 0; i < gCharacterCount; ++i) delete gCharacters[i];
        gCharacterCount = 0;
        gObjectCount = 0;
        for (int i = 0; i < AssetNames::Count(); ++i) {
            AssetRef* ref = AssetNames::At(i);
            ref->index = -1;
            ref->resolved = 0;
        }
        for (int id = 1; id <= kAnimationCount; ++id) AssetNames::AnimationSound(id)->Init("");
        ResetAnimationTable();
        ResetDebugKeyLatches();
        ResetTokenizer();
        ResetButtons();
        ResetNameCursor();
        Random::Seed(12345);
    }

    void TearDown() override {
        if (gLibrary) GameShutdown();
        gPlatform = nullptr;
        platform.reset();
    }

    // Writes the archive, creates the platform at a fixed time and runs
    // GameInit. The high-score file goes to a folder of its own.
    void StartGame() {
        WriteConfig(dir);
        ASSERT_TRUE(WriteArchive(dir.File("Data.lib")));
        std::filesystem::create_directories(dir.File("save"));
        platform = std::make_unique<ScriptedPlatform>(dir.Path(), dir.File("save"));
        platform->SetTime(100000);  // time 0 would read as "no time taken yet"
        platform->SetPollHook([this] { OnPoll(); });
        ASSERT_TRUE(GameInit(platform.get())) << GameInitError();
    }

    // ---- Input ------------------------------------------------------------

    // A key held for one frame: released after it, or as soon as the game
    // waits in a loop for it to come up.
    void Tap(Key k) {
        platform->SetKey(k, true);
        tappedKeys.push_back(k);
    }
    void TapChar(unsigned char c) {
        platform->SetCharKey(c, true);
        tappedChars.push_back(c);
    }
    void Hold(Key k) { platform->SetKey(k, true); }
    void Release(Key k) { platform->SetKey(k, false); }

    void ReleaseTapped() {
        for (Key k : tappedKeys) platform->SetKey(k, false);
        for (unsigned char c : tappedChars) platform->SetCharKey(c, false);
        tappedKeys.clear();
        tappedChars.clear();
    }

    // A frame polls each key a few times; hundreds of polls mean the game
    // waits for a tapped key to come up.
    void OnPoll() {
        if (++pollsThisFrame > 300) ReleaseTapped();
    }

    // ---- Frames -----------------------------------------------------------

    void Frame(u32 ms = 16) {
        platform->AdvanceTime(ms);
        pollsThisFrame = 0;
        GameFrame(false);
        ReleaseTapped();
    }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) Frame();
    }
    bool RunUntilState(i32 state, int limit = 3000) {
        for (int i = 0; i < limit && gGame.screenState != state; ++i) Frame();
        return gGame.screenState == state;
    }
    // One arrow (or Enter) press, then a frame with it released.
    void Press(Key k) {
        Tap(k);
        Frame();
        Frame();
    }

    // From the start of the program to the main menu with `choice` (1..5)
    // selected by the keyboard, whatever the menu kept from earlier runs.
    void MainMenuSelecting(int choice) {
        ASSERT_TRUE(RunUntilState(MainMenu));
        Frames(2);
        for (int i = 0; i < 4; ++i) Press(Key::Up);
        for (int i = 1; i < choice; ++i) Press(Key::Down);
    }

    // Through the start-level choice into the first frame of GetReady of the
    // level behind start button `button` (12..16), by the keyboard.
    void StartAt(int button) {
        MainMenuSelecting(1);
        Press(Key::Enter);
        ASSERT_EQ(gGame.screenState, StartLevelSelect);
        for (int i = 0; i < 5; ++i) Press(Key::Up);
        for (int b = 12; b < button; ++b) Press(Key::Down);
        Tap(Key::Enter);
        Frame();
        ASSERT_EQ(gGame.screenState, LevelStart);
        ASSERT_TRUE(RunUntilState(GetReady));
    }

    // Lets the highlight of the buttons reach their targets.
    void SettleButtons() { Frames(30); }

public:
    // ---- Comparison -------------------------------------------------------

    // Compares the frame buffer with its stored hash. On a mismatch the frame
    // is written as a PNG next to the others of this run and the new hash is
    // printed, ready to be copied into the constant once the picture is
    // right. With BRETTSPALT_GOLDEN_DIR set, every compared frame is written
    // there.
    void ExpectFrame(const char* name, std::uint64_t expected) {
        const std::uint64_t hash = platform->FrameHash();
        if (const char* all = std::getenv("BRETTSPALT_GOLDEN_DIR"); all && *all) {
            std::filesystem::create_directories(all);
            platform->WritePng(
                (std::filesystem::path(all) / (std::string(name) + ".png")).string());
        }
        if (hash == expected) return;
        const std::filesystem::path out =
            std::filesystem::temp_directory_path() / "brettspalt-golden";
        std::filesystem::create_directories(out);
        const std::string png = (out / (std::string(name) + ".png")).string();
        const bool written = platform->WritePng(png);
        char text[32];
        std::snprintf(text, sizeof text, "0x%016llxull", static_cast<unsigned long long>(hash));
        ADD_FAILURE() << "frame '" << name << "' changed: its hash is now " << text << "\n"
                      << (written ? "frame written to " + png : "frame could not be written")
                      << "\nLook at it; if it is right, store the new hash in the test.";
    }
};

}  // namespace golden
