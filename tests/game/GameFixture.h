// A small but complete game for the flow, level-rule and frame tests: a
// temporary data folder with a Data.lib written by the archive writer (fonts,
// background, menu pictures, figure pictures, furniture, canister, sounds and
// every configuration text inside its Config entry), the scripted platform as
// the game's platform, and helpers that play the game frame by frame through
// the real entry points.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "actors/AnimationTable.h"
#include "actors/NonPlayerCharacter.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "config/AssetNames.h"
#include "game/AssetLibrary.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "platform/Random.h"
#include "platform/ScriptedPlatform.h"
#include "tests/foundation/TempDir.h"
#include "tools/datalib/ArchiveWriter.h"

namespace flowtest {

using Key = ScriptedPlatform::Key;

// Picture sizes the tests rely on.
inline constexpr int kLargeButtonW = 200, kLargeButtonH = 60;
inline constexpr int kSmallButtonW = 100, kSmallButtonH = 40;
inline constexpr int kLifeW = 16;  // the life symbol (first picture of "moebel_wolke")

// Glyph widths: the large font's glyph of code c is 10 + c % 4 pixels wide,
// the small font's 6 + c % 3. Codes 33..127 have glyphs; every other code is
// a 1 x 1 placeholder, which counts as absent.
inline int LargeGlyphWidth(int c) {
    return 10 + c % 4;
}
inline int SmallGlyphWidth(int c) {
    return 6 + c % 3;
}
inline bool HasGlyph(int c) {
    return c >= 33 && c <= 127;
}

// Colours of the test pictures (0xAARRGGBB) and their frame-buffer values.
inline constexpr std::uint32_t kPlainGlyph = 0xFFF0F0F0u;
inline constexpr std::uint32_t kSecondGlyph = 0xFFF80000u;
inline std::uint16_t To555(std::uint32_t argb) {
    return static_cast<std::uint16_t>((((argb >> 16) & 0xFF) >> 3) << 10 |
                                      (((argb >> 8) & 0xFF) >> 3) << 5 | ((argb & 0xFF) >> 3));
}
// Background tile t of layer sequence s: a plain colour of its own.
inline std::uint32_t TileColour(int sequence, int tile) {
    return 0xFF000000u | static_cast<std::uint32_t>((40 + 60 * tile) << 16) |
           static_cast<std::uint32_t>((40 + 100 * sequence) << 8) | 0x18u;
}

inline datalib::Picture Box(int w, int h, std::uint32_t argb, int hotX = 0, int hotY = 0,
                            datalib::Encoding encoding = datalib::Encoding::ColourKeyed) {
    datalib::Picture p;
    p.image.width = w;
    p.image.height = h;
    p.image.pixels.assign(static_cast<std::size_t>(w) * h, argb);
    p.hotX = hotX;
    p.hotY = hotY;
    p.encoding = encoding;
    return p;
}

inline datalib::Sequence FrameSeq(int count, int w, int h, std::uint32_t argb, int hotX = 0,
                                  int hotY = 0) {
    datalib::Sequence s;
    s.listed = true;
    for (int i = 0; i < count; ++i)
        s.items.push_back(Box(w, h, argb + 0x00010101u * i, hotX, hotY));
    return s;
}

// A 16-bit mono wave image of `samples` samples at 11025 Hz.
inline datalib::Data Wave(int samples, int tag) {
    std::uint32_t bytes = static_cast<std::uint32_t>(samples) * 2;
    auto u32 = [](std::vector<std::uint8_t>& v, std::uint32_t x) {
        for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    auto u16 = [](std::vector<std::uint8_t>& v, std::uint16_t x) {
        v.push_back(static_cast<std::uint8_t>(x));
        v.push_back(static_cast<std::uint8_t>(x >> 8));
    };
    datalib::Data d;
    auto& p = d.payload;
    p = {'R', 'I', 'F', 'F'};
    u32(p, 36 + bytes);
    p.insert(p.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(p, 16);
    u16(p, 1);
    u16(p, 1);
    u32(p, 11025);
    u32(p, 22050);
    u16(p, 2);
    u16(p, 16);
    p.insert(p.end(), {'d', 'a', 't', 'a'});
    u32(p, bytes);
    for (int i = 0; i < samples; ++i) u16(p, static_cast<std::uint16_t>(tag * 31 + i));
    return d;
}

inline datalib::Data Text(const std::string& text) {
    return datalib::ArchiveWriter::ScrambledText(text);
}

// Items of the "SOUND_Cues" entry (sequence 1 in ANIMPROP SOUND lines).
enum Cue {
    kCueLevelWon,
    kCueGameWon,
    kCueCountDown,
    kCueLifes,
    kCueExtra1,
    kCueExtra2,
    kCueExtra3,
    kCueExtra4,
    kCueNoGas,
    kCueHover,
    kCueClick,
    kCueCount
};

// The fixture's default level: a playfield of three screens, 60 seconds, one
// small sofa right in front of the player (who stands at 2.0 after the level
// start) and a canister under him. The sofa's four sections of 10 are sawn
// through in 32 frames of 16 ms.
inline const char* kDefaultLevel =
    "#VIRTUALPLAYFIELDWIDTH 3\n"
    "#TIME 60\n"
    "#OBJECT 2.1 Sofa\n"
    "#GAS 2.0\n";

inline const char* kDefaultObjectProps =
    "! furniture of the test levels\n"
    "#OBJPROP SCORE Sofa 10\n"
    "#OBJPROP SAWCYCLES Sofa 10 10 10 10 500000\n";

struct TestWorld {
    std::map<int, std::string> levels = {{1, kDefaultLevel}, {2, kDefaultLevel}};
    std::string objectProps = kDefaultObjectProps;
    std::string charProps = "! no character tuning\n";
    std::string extraAnimProps;
    // Replaces the default text n ("Tn", or the ones set below).
    std::map<int, std::string> texts = {{10, "Level"},      {23, "Time %d"},    {24, "Bonus %d"},
                                        {25, "Total %d"},   {26, "Leaflet %d"}, {27, "Leaflet %d"},
                                        {28, "Leaflet %d"}, {60, "12345"}};
    bool brokenText = false;  // a Text.txt line the reader rejects
};

class GameFixture : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::vector<Key> tappedKeys;
    bool tappedMouse = false;
    int pollsThisFrame = 0;

    // Tests change the world before StartGame (or call BuildWorld themselves).
    TestWorld world;

    void SetUp() override {
        std::fesetround(FE_TOWARDZERO);
        ResetGameState();
    }

    void TearDown() override {
        if (gLibrary) GameShutdown();
        gPlatform = nullptr;
        platform.reset();
    }

    // Everything the game keeps between runs goes back to its start values,
    // as in a freshly started program.
    static void ResetGameState() {
        gGame = GameGlobals{};
        gLevel = LevelState{};
        gPlayer = PlayerCharacter{};
        ClearLevelLeftovers();
        for (int i = 0; i < AssetNames::Count(); ++i) {
            AssetRef* ref = AssetNames::At(i);
            ref->index = -1;
            ref->resolved = 0;
        }
        // The records' sound references are unnamed at start.
        for (int id = 1; id <= kAnimationCount; ++id) AssetNames::AnimationSound(id)->Init("");
        ResetAnimationTable();
        ResetDebugKeyLatches();
        Random::Seed(12345);
    }

    static void ClearLevelLeftovers() {
        for (int i = 0; i < gCharacterCount; ++i) delete gCharacters[i];
        gCharacterCount = 0;
        gObjectCount = 0;
    }

    static std::string TextFile(const TestWorld& w) {
        std::string t = "! texts of the test game\n";
        for (int n = 0; n < 64; ++n) {
            auto it = w.texts.find(n);
            std::string text = it != w.texts.end() ? it->second : "T" + std::to_string(n);
            t += "#TEXT " + std::to_string(n) + " \"" + text + "\"\n";
        }
        if (w.brokenText) t += "#TEXT 99 \"out of range\"\n";
        return t;
    }

    static std::string AnimPropsFile(const TestWorld& w) {
        static const char* kRecords[kCueCount] = {
            "AII_LevelWon", "AII_GameWon",   "AII_CountDown",     "AII_Lifes",
            "AII_Extra1",   "AII_Extra2",    "AII_Extra3",        "AII_Extra4",
            "AII_NoGas",    "AII_GUIButton", "AII_GUIButtonShort"};
        std::string t = "! sounds of the test game\n";
        for (int i = 0; i < kCueCount; ++i)
            t += std::string("#ANIMPROP SOUND ") + kRecords[i] + " SOUND_Cues 1 " +
                 std::to_string(i) + "\n";
        return t + w.extraAnimProps;
    }

    // Writes Data.lib for `w` into the data folder.
    void BuildWorld(const TestWorld& w) {
        datalib::ArchiveWriter writer;

        datalib::Entry config;
        config.name = "Config";
        int lastLevel = w.levels.empty() ? 0 : w.levels.rbegin()->first;
        datalib::Sequence levels;
        levels.listed = true;
        for (int n = 0; n <= lastLevel; ++n) {
            auto it = w.levels.find(n);
            levels.items.push_back(Text(it != w.levels.end() ? it->second : "! none\n"));
        }
        config.sequences[0] = levels;
        datalib::Sequence files;
        files.listed = true;
        files.items = {Text(AnimPropsFile(w)), Text(w.charProps), Text(w.objectProps),
                       Text(TextFile(w))};
        config.sequences[1] = files;
        writer.Add(config);

        for (int large = 0; large < 2; ++large) {
            datalib::Entry font;
            font.name = large ? "font_gr_normal" : "font_kl_normal";
            for (int s = 0; s < 8; ++s) {
                datalib::Sequence seq;
                seq.listed = true;
                for (int i = 0; i < 64; ++i) {
                    int c = 32 + (s % 4) * 64 + i;
                    int width = large ? LargeGlyphWidth(c) : SmallGlyphWidth(c);
                    seq.items.push_back(HasGlyph(c) ? Box(width, large ? 20 : 10,
                                                          s < 4 ? kPlainGlyph : kSecondGlyph)
                                                    : Box(1, 1, 0xFF000000u));
                }
                font.sequences[s] = seq;
            }
            writer.Add(font);
        }

        // Background set 0: the middle layer (sequence 1) covers the play
        // band, rows 80..519; the playfield layer (sequence 0) is a strip over
        // it, rows 100..119.
        datalib::Entry background;
        background.name = "Background1";
        for (int s = 0; s < 2; ++s) {
            datalib::Sequence seq;
            seq.listed = true;
            for (int t = 0; t < 3; ++t)
                seq.items.push_back(Box(800, s == 0 ? 20 : 440, TileColour(s, t), 0,
                                        s == 0 ? -20 : 0, datalib::Encoding::Raw));
            background.sequences[s] = seq;
        }
        writer.Add(background);

        datalib::Entry gui;
        gui.name = "GUI";
        gui.sequences[0] = FrameSeq(2, 8, 8, 0xFF303030u);
        gui.sequences[1] = FrameSeq(4, kLargeButtonW, kLargeButtonH, 0xFF406080u);
        gui.sequences[2] = FrameSeq(3, kSmallButtonW, kSmallButtonH, 0xFF604020u);
        gui.sequences[3] = FrameSeq(4, 16, 16, 0xFF808080u);
        writer.Add(gui);

        // The pictures of every figure: twelve sequences of four frames.
        static const char* kFigures[] = {
            "Player_Walk",    "Player_Idle",     "Player_Saegen", "Player_Saegen_Flip",
            "Player_Drohen",  "Player_loading",  "Player_KO",     "exfrau_walk",
            "exfrau_flee",    "EXFRAU_idle",     "EXFRAU_idle2",  "EXFRAU_victory",
            "wolke",          "moebelp_walk",    "moebelp_flee",  "moebelp_idle",
            "moebelp_idle2",  "moebelp_prepare", "moebelp_work",  "wachmann_walk",
            "wachmann_anger", "wachmann_flee",   "wachmann_idle", "anwalt_walk",
            "anwalt_flee",    "anwalt_idle",     "anwalt_anger"};
        std::uint32_t colour = 0xFF204000u;
        for (const char* name : kFigures) {
            datalib::Entry figure;
            figure.name = name;
            for (int s = 0; s < 12; ++s) figure.sequences[s] = FrameSeq(4, 12, 40, colour, 6, 40);
            colour += 0x00000808u;
            writer.Add(figure);
        }
        datalib::Entry cloud;
        cloud.name = "moebel_wolke";
        cloud.sequences[0] = FrameSeq(3, kLifeW, 16, 0xFFE0E000u);
        writer.Add(cloud);

        for (const char* name : {"Sofa", "Kanister gelb", "moebelwagen"}) {
            datalib::Entry object;
            object.name = name;
            for (int s = 0; s < 11; ++s)
                object.sequences[s] = FrameSeq(1, 30, 20, 0xFF0000C0u, 15, 20);
            writer.Add(object);
        }

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

        ASSERT_TRUE(writer.Write(dir.File("Data.lib"))) << writer.LastError();
    }

    void MakePlatform() {
        platform = std::make_unique<ScriptedPlatform>(dir.Path(), dir.Path());
        // Time 0 would read as "no time taken yet".
        platform->SetTime(100000);
        platform->SetPollHook([this] { OnPoll(); });
    }

    // Builds the world, creates the platform and runs GameInit.
    void StartGame() {
        BuildWorld(world);
        MakePlatform();
        ASSERT_TRUE(GameInit(platform.get())) << GameInitError();
    }

    // ---- Input -----------------------------------------------------------

    // A key pressed for one frame: released after that frame, or as soon as
    // the game waits in a loop for it to come up.
    void Tap(Key k) {
        platform->SetKey(k, true);
        tappedKeys.push_back(k);
    }
    void Hold(Key k) { platform->SetKey(k, true); }
    void Release(Key k) { platform->SetKey(k, false); }

    // A click on the screen position for one frame.
    void Click(int x, int y) {
        platform->SetMouse(x, y);
        platform->SetMouseButton(0, true);
        tappedMouse = true;
    }

    void ReleaseTapped() {
        for (Key k : tappedKeys) platform->SetKey(k, false);
        tappedKeys.clear();
        if (tappedMouse) platform->SetMouseButton(0, false);
        tappedMouse = false;
    }

    // A frame queries each key a few times at most; hundreds of queries mean
    // the game waits for a tapped key to come up.
    void OnPoll() {
        if (++pollsThisFrame > 300) ReleaseTapped();
    }

    // ---- Frames ----------------------------------------------------------

    u32 Frame(u32 ms = 16, bool fullPresent = false) {
        platform->AdvanceTime(ms);
        pollsThisFrame = 0;
        u32 band = GameFrame(fullPresent);
        ReleaseTapped();
        return band;
    }

    void RunFrames(int count, u32 ms = 16) {
        for (int i = 0; i < count; ++i) Frame(ms);
    }

    // Runs frames until the state is reached; false after `limit` frames.
    bool RunUntilState(i32 state, int limit = 2000, u32 ms = 16) {
        for (int i = 0; i < limit; ++i) {
            if (gGame.screenState == state) return true;
            Frame(ms);
        }
        return gGame.screenState == state;
    }

    // From the main menu through the start-level screen to play at the given
    // start button (12..16), until the level runs.
    void StartFromMenu(int button = 12) {
        ASSERT_TRUE(RunUntilState(MainMenu));
        Frame();  // the first call only takes the time
        Frame();
        ClickButton(1);
        Frame();
        ASSERT_EQ(gGame.screenState, StartLevelSelect);
        Frame();
        ClickButton(button);
        Frame();
        ASSERT_EQ(gGame.screenState, LevelStart);
        ASSERT_TRUE(RunUntilState(Playing));
    }

    // A click in the middle of a large menu button (numbers of the menu).
    void ClickButton(int button) {
        struct Pos {
            int x, y;
        };
        static const std::map<int, Pos> kButtons = {
            {1, {513, 133}}, {2, {563, 193}},  {3, {613, 253}},  {4, {578, 313}},
            {5, {518, 530}}, {6, {90, 110}},   {7, {90, 190}},   {8, {300, 510}},
            {12, {90, 106}}, {13, {90, 182}},  {14, {90, 258}},  {15, {90, 334}},
            {16, {90, 410}}, {17, {300, 510}}, {18, {300, 190}}, {19, {300, 270}}};
        Pos p = kButtons.at(button);
        Click(p.x + kLargeButtonW / 2, p.y + kLargeButtonH / 2);
    }

    // ---- Read-outs -------------------------------------------------------

    const void* CueWave(int cue) {
        AssetRef ref;
        ref.Init("SOUND_Cues");
        const DataItem* item = gLibrary->GetData(&ref, 0, cue);
        return item ? static_cast<const void*>(item->Payload()) : nullptr;
    }
    const void* MusicWave(int piece) {
        AssetRef ref;
        ref.Init("SOUND_Music");
        const DataItem* item = gLibrary->GetData(&ref, 0, piece);
        return item ? static_cast<const void*>(item->Payload()) : nullptr;
    }
    // How often the cue was played (one-shot) since the log was cleared.
    int CuePlays(int cue) {
        const void* wave = CueWave(cue);
        int n = 0;
        for (const auto& e : platform->SoundLog())
            if (e.kind == ScriptedPlatform::SoundEvent::Play && e.wave == wave) ++n;
        return n;
    }

    static float SectionsLeft(const WorldObject& o) {
        return o.sections[0] + o.sections[1] + o.sections[2] + o.sections[3];
    }
    static int FindObjectNamed(const char* name) {
        for (int i = 0; i < gObjectCount; ++i)
            if (std::string(gObjects[i].name) == name) return i;
        return -1;
    }
};

}  // namespace flowtest
