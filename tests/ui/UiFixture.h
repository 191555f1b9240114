// A small game world for the menu and high-score tests: a temporary data
// folder with Config/Text.txt and a Data.lib holding "GUI" buttons and a
// small font, the scripted platform as the game's platform, and the text
// table and menu screens built from them.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "actors/AnimationTable.h"
#include "config/ConfigTokenizer.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "platform/ScriptedPlatform.h"
#include "tools/datalib/ArchiveWriter.h"
#include "ui/HighScores.h"
#include "ui/MenuButton.h"
#include "ui/Menus.h"

namespace uitest {

// Large buttons are 200 x 60, small ones 100 x 40: the hit tests below rely
// on these sizes.
inline constexpr int kLargeW = 200, kLargeH = 60, kSmallW = 100, kSmallH = 40;

inline datalib::Picture Box(int w, int h, std::uint32_t argb) {
    datalib::Picture p;
    p.image.width = w;
    p.image.height = h;
    p.image.pixels.assign(static_cast<std::size_t>(w) * h, argb);
    p.encoding = datalib::Encoding::ColourKeyed;
    return p;
}

inline datalib::Sequence Frames(int count, int w, int h) {
    datalib::Sequence s;
    s.listed = true;
    for (int i = 0; i < count; ++i) s.items.push_back(Box(w, h, 0xFF202020u + 0x101010u * i));
    return s;
}

// A 16-bit PCM wave image of a few samples.
inline datalib::Data Wave() {
    const std::uint8_t header[44] = {'R', 'I', 'F',  'F',  44,  0,   0,    0,    'W', 'A', 'V',
                                     'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                     1,   0,   0x22, 0x56, 0,   0,   0x44, 0xAC, 0,   0,   2,
                                     0,   16,  0,    'd',  'a', 't', 'a',  8,    0,   0,   0};
    datalib::Data d;
    d.payload.assign(header, header + 44);
    for (int i = 0; i < 8; ++i) d.payload.push_back(static_cast<std::uint8_t>(i * 17));
    return d;
}

class UiFixture : public ::testing::Test {
protected:
    std::filesystem::path dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<AssetLibrary> library;

    // Text.txt lines beyond the defaults below; later lines win.
    virtual std::string ExtraTexts() { return ""; }
    // Font glyphs present in the small font: these characters only.
    virtual std::string SmallGlyphs() {
        return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    }

    void SetUp() override {
        std::fesetround(FE_TOWARDZERO);
        dir = std::filesystem::temp_directory_path() /
              ("brettspalt-ui-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "Config");
        std::filesystem::create_directories(dir / "save");
        WriteTexts();
        WriteArchive();
        for (int level : {1, 11}) {
            std::ofstream(dir / "Config" / ("Level" + std::to_string(level) + ".txt"))
                << "#TIME 60\n";
        }
        std::filesystem::rename(dir / "Config" / "Level1.txt", dir / "Config" / "Level01.txt");

        platform = std::make_unique<ScriptedPlatform>(dir.string(), (dir / "save").string());
        gPlatform = platform.get();
        library = std::make_unique<AssetLibrary>(platform.get());
        ASSERT_TRUE(library->Open("Data.lib"));
        gLibrary = library.get();
        gGame = GameGlobals{};
        gGame.screenWidth = 800;
        ResetAnimationTable();
        ResetTokenizer();
        ASSERT_TRUE(LoadTextTable());
        ResetButtons();
        ResetHighScores();
        BuildMenuScreens();
    }

    void TearDown() override {
        gLibrary = nullptr;
        library.reset();
        gPlatform = nullptr;
        platform.reset();
        std::filesystem::remove_all(dir);
    }

    void WriteTexts() {
        std::ofstream t(dir / "Config" / "Text.txt");
        for (int n = 0; n < 64; ++n) t << "#TEXT " << n << " \"Text" << n << "\"\n";
        t << "#TEXT 7 \"Nobody\"\n#TEXT 60 \"12345\"\n#TEXT 9 \"_\"\n";
        t << ExtraTexts();
    }

    void WriteArchive() {
        datalib::ArchiveWriter writer;
        datalib::Entry gui;
        gui.name = "GUI";
        gui.sequences[0] = Frames(2, 8, 8);
        gui.sequences[1] = Frames(4, kLargeW, kLargeH);
        gui.sequences[2] = Frames(3, kSmallW, kSmallH);
        gui.sequences[3] = Frames(4, 16, 16);
        writer.Add(gui);

        datalib::Entry font;
        font.name = "font_kl_normal";
        for (int s = 0; s < 8; ++s) {
            font.sequences[s] = datalib::Sequence{};
            font.sequences[s]->listed = true;
            for (int i = 0; i < 64; ++i) {
                int c = 32 + (s % 4) * 64 + i;
                bool present = SmallGlyphs().find(static_cast<char>(c)) != std::string::npos;
                font.sequences[s]->items.push_back(present ? Box(6, 10, 0xFFFFFFFF) : Box(1, 1, 0));
            }
        }
        writer.Add(font);
        font.name = "font_gr_normal";
        writer.Add(font);

        datalib::Entry sounds;
        sounds.name = "SOUND_GUI";
        sounds.sequences[0] = datalib::Sequence{};
        sounds.sequences[0]->listed = true;
        sounds.sequences[0]->items = {Wave(), Wave()};
        writer.Add(sounds);
        ASSERT_TRUE(writer.Write((dir / "Data.lib").string()));
    }

    // Gives the two button records their hover (item 0) and click (item 1)
    // sounds, as an ANIMPROP SOUND line would.
    void GiveButtonSounds() {
        for (int id : {int(AII_GUIButton), int(AII_GUIButtonShort)}) {
            AnimationRecord& r = Animation(id);
            r.soundAsset->Assign("SOUND_GUI");
            r.soundSequence = 1;
            r.soundItem = id == AII_GUIButton ? 0 : 1;
        }
    }

    int Plays() const {
        int n = 0;
        for (const auto& e : platform->SoundLog())
            if (e.kind == ScriptedPlatform::SoundEvent::Play) ++n;
        return n;
    }
};

}  // namespace uitest
