// A small street for the figure and object tests: a fixture "Data.lib" with
// pictures for every figure's animations, a furniture piece, a canister, a
// dust cloud and a handful of sounds, the scripted platform as the game's
// platform, and clean global records (animation table, level values, player,
// figures, objects, sound cache) for every test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfenv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "actors/AnimationTable.h"
#include "actors/NonPlayerCharacter.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "blit/Blitter.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"
#include "platform/Random.h"
#include "platform/ScriptedPlatform.h"
#include "tools/datalib/ArchiveWriter.h"

namespace actortest {

// Every figure animation in the fixture has this many frames, so a cycle is
// 7 frame units long.
inline constexpr int kFrames = 8;
// dt of one 16 ms frame.
inline constexpr float kDt = 1.28f;

inline datalib::Picture Box(int w, int h, std::uint32_t argb, int hotX = 0, int hotY = 0) {
    datalib::Picture p;
    p.image.width = w;
    p.image.height = h;
    p.image.pixels.assign(static_cast<std::size_t>(w) * h, argb);
    p.hotX = hotX;
    p.hotY = hotY;
    p.encoding = datalib::Encoding::ColourKeyed;
    return p;
}

// A figure's frames stand on the anchor line: hotspot at the bottom middle.
inline datalib::Sequence FigureFrames(int count, std::uint32_t colour) {
    datalib::Sequence s;
    s.listed = true;
    for (int i = 0; i < count; ++i) s.items.push_back(Box(10, 20, colour + 0x000101u * i, 5, 20));
    return s;
}

// A sequence of one picture (a one-item block: it reports 99 items).
inline datalib::Sequence Still(std::uint32_t colour, int w = 10, int h = 20, int hotX = 5,
                               int hotY = 20) {
    datalib::Sequence s;
    s.items.push_back(Box(w, h, colour, hotX, hotY));
    return s;
}

// A 16-bit mono wave image; `tag` makes each one's samples different.
inline datalib::Data Wave(int tag, int samples = 800) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples) * 2;
    const std::uint32_t riffBytes = 36 + dataBytes;
    std::vector<std::uint8_t> h = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W', 'A', 'V',
                                   'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                   1,   0,   0x22, 0x56, 0,   0,   0x44, 0xAC, 0,   0,   2,
                                   0,   16,  0,    'd',  'a', 't', 'a',  0,    0,   0,   0};
    for (int i = 0; i < 4; ++i) {
        h[4 + i] = static_cast<std::uint8_t>(riffBytes >> (8 * i));
        h[40 + i] = static_cast<std::uint8_t>(dataBytes >> (8 * i));
    }
    datalib::Data d;
    d.payload = h;
    for (int i = 0; i < samples; ++i) {
        d.payload.push_back(static_cast<std::uint8_t>(tag));
        d.payload.push_back(static_cast<std::uint8_t>(i));
    }
    return d;
}

inline datalib::Sequence Sounds(int count, int firstTag) {
    datalib::Sequence s;
    s.listed = true;
    for (int i = 0; i < count; ++i) s.items.push_back(Wave(firstTag + i));
    return s;
}

// Name of the fixture's sound entry: sequence 0 holds six waves (items 0..5),
// sequence 1 two more.
inline constexpr const char* kSoundEntry = "SOUND_Test";
inline constexpr const char* kFurnitureName = "Schrank";

class ActorsFixture : public ::testing::Test {
protected:
    std::filesystem::path dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<AssetLibrary> library;

    // Entries a test adds to the fixture archive.
    virtual void AddEntries(datalib::ArchiveWriter&) {}

    void SetUp() override {
        std::fesetround(FE_TOWARDZERO);
        dir = std::filesystem::temp_directory_path() /
              ("brettspalt-actors-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        WriteArchive();
        std::filesystem::create_directories(dir / "Config");
        {
            std::ofstream t(dir / "Config" / "Text.txt");
            for (int n = 0; n < 64; ++n)
                if (n < 26 || n > 28) t << "#TEXT " << n << " \"T" << n << "\"\n";
            t << "#TEXT 26 \"Leaflet: %d seconds\"\n#TEXT 27 \"-%d s\"\n#TEXT 28 \"-%d\"\n";
        }

        platform = std::make_unique<ScriptedPlatform>(dir.string(), dir.string());
        gPlatform = platform.get();
        library = std::make_unique<AssetLibrary>(platform.get());
        ASSERT_TRUE(library->Open("Data.lib"));
        gLibrary = library.get();

        gGame = GameGlobals{};
        gGame.screenWidth = 800;
        gGame.screenState = Playing;
        gGame.clockBudget = 100000;
        gGame.timeLeft = 100000;
        gGame.clockStart = platform->GetTimeMs();
        gLevel = LevelState{};
        gLevel.playfieldWidth = 3;
        ResetAnimationTable();
        ASSERT_TRUE(LoadTextTable());
        ClearSoundCache();
        ClearFigures();
        for (WorldObject& o : gObjects) o = WorldObject{};
        gObjectCount = 0;
        gPlayer = PlayerCharacter{};
        Random::Seed(12345);
        SetBlitTarget(platform->GetScreenPixels(), platform->GetScreenPitch());
        SetBlitClip(0, 0, platform->ScreenWidth(), platform->ScreenHeight());
    }

    void TearDown() override {
        ClearFigures();
        gObjectCount = 0;
        FreeSoundCache();
        gPlayer = PlayerCharacter{};
        gLibrary = nullptr;
        library.reset();
        gPlatform = nullptr;
        platform.reset();
        std::filesystem::remove_all(dir);
    }

    static void ClearFigures() {
        for (NonPlayerCharacter*& c : gCharacters) {
            delete c;
            c = nullptr;
        }
        gCharacterCount = 0;
    }

    void WriteArchive() {
        datalib::ArchiveWriter writer;
        auto figure = [&](const char* name, int sequencePairs, std::uint32_t colour) {
            datalib::Entry e;
            e.name = name;
            for (int s = 0; s < sequencePairs; ++s) {
                e.sequences[2 * s] = FigureFrames(kFrames, colour + 0x100000u * s);
                e.sequences[2 * s + 1] = Still(0xFF101010u, 12, 4, 6, 4);  // shadow underlay
            }
            writer.Add(e);
        };
        figure("Player_Walk", 4, 0xFF2040A0u);
        figure("Player_Idle", 2, 0xFF2050A0u);
        figure("Player_Saegen", 3, 0xFF2060A0u);
        figure("Player_Saegen_Flip", 3, 0xFF2070A0u);
        figure("Player_Drohen", 4, 0xFF2080A0u);
        figure("Player_loading", 4, 0xFF2090A0u);
        figure("Player_KO", 1, 0xFF20A0A0u);
        figure("wolke", 1, 0xFFA0A0A0u);
        for (const char* n :
             {"exfrau_walk", "exfrau_flee", "moebelp_walk", "moebelp_flee", "wachmann_walk",
              "wachmann_anger", "wachmann_flee", "anwalt_walk", "anwalt_flee"}) {
            figure(n, 4, 0xFF802020u);
        }
        for (const char* n : {"EXFRAU_idle", "EXFRAU_idle2", "EXFRAU_victory", "moebelp_idle",
                              "moebelp_idle2", "wachmann_idle", "anwalt_idle", "anwalt_anger"}) {
            figure(n, 2, 0xFF803020u);
        }
        figure("moebelp_prepare", 1, 0xFF804020u);
        figure("moebelp_work", 1, 0xFF805020u);

        // The dust cloud: five frames.
        datalib::Entry cloud;
        cloud.name = "moebel_wolke";
        cloud.sequences[0] = FigureFrames(5, 0xFFC0C0C0u);
        writer.Add(cloud);

        // A furniture piece: five stages (object, underlay) and the nail.
        datalib::Entry piece;
        piece.name = kFurnitureName;
        for (int s = 0; s < 5; ++s) {
            piece.sequences[2 * s] = Still(0xFF00FF00u - 0x3000u * s, 40, 30, 20, 30);
            piece.sequences[2 * s + 1] = Still(0xFF101010u, 44, 4, 22, 4);
        }
        piece.sequences[10] = Still(0xFFFFFF00u, 6, 6, 3, 6);
        writer.Add(piece);

        datalib::Entry can;
        can.name = "Kanister gelb";
        for (int s = 0; s < 5; ++s) {
            can.sequences[2 * s] = Still(0xFFFFE000u, 12, 16, 6, 16);
            can.sequences[2 * s + 1] = Still(0xFF101010u, 14, 3, 7, 3);
        }
        writer.Add(can);

        datalib::Entry sounds;
        sounds.name = kSoundEntry;
        sounds.sequences[0] = Sounds(6, 1);
        sounds.sequences[1] = Sounds(2, 20);
        writer.Add(sounds);

        datalib::Entry music;
        music.name = "SOUND_Music";
        music.sequences[0] = Sounds(2, 40);
        writer.Add(music);

        // The large font: every glyph a 9 x 10 box, so a text advances 8
        // pixels per character.
        datalib::Entry font;
        font.name = "font_gr_normal";
        for (int s = 0; s < 4; ++s) {
            font.sequences[s] = datalib::Sequence{};
            font.sequences[s]->listed = true;
            for (int i = 0; i < 64; ++i)
                font.sequences[s]->items.push_back(Box(9, 10, 0xFFFFFFFFu));
        }
        writer.Add(font);

        AddEntries(writer);
        ASSERT_TRUE(writer.Write((dir / "Data.lib").string()));
    }

    // ---- Helpers ------------------------------------------------------------

    // The payload address of item `item` of sequence `sequence` of an entry:
    // the platform knows a plain wave sound by it.
    const void* SoundAddress(const char* entry, int sequence, int item) {
        AssetRef ref{};
        ref.Init(entry);
        const DataItem* d = library->GetData(&ref, sequence, item);
        return d != nullptr ? d->Payload() : nullptr;
    }

    std::vector<ScriptedPlatform::SoundEvent> Events(ScriptedPlatform::SoundEvent::Kind kind) {
        std::vector<ScriptedPlatform::SoundEvent> out;
        for (const auto& e : platform->SoundLog())
            if (e.kind == kind) out.push_back(e);
        return out;
    }

    // Names a record's sound, as an ANIMPROP SOUND line would.
    static void GiveSound(i32 id, i32 sequence, i32 item) {
        AnimationRecord& r = Animation(id);
        r.soundAsset->Assign(kSoundEntry);
        r.soundSequence = sequence;
        r.soundItem = item;
    }

    static NonPlayerCharacter* AddFigure(i32 type, float position, bool facingLeft) {
        auto* c = new NonPlayerCharacter(type);
        c->SetPosition(position);
        c->facingLeft = facingLeft;
        c->Reset();
        gCharacters[gCharacterCount++] = c;
        return c;
    }

    static i32 AddObject(float position, i32 type, const char* name) {
        const i32 index = gObjectCount++;
        SpawnObject(gObjects[index], position, type, name);
        return index;
    }

    // The player stands at `position`, facing right, idle, with a full tank.
    static void PlacePlayer(float position) {
        gLevel.playfieldPos = position - 0.5f;
        gPlayer.SetPosition(position);
        gPlayer.gas = 1.0f;
        gPlayer.Reset();
    }
};

}  // namespace actortest
