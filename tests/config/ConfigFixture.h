// A clean game world for the configuration tests: a temporary data folder
// (with a Config/ folder for files on disk), a Data.lib built with the archive
// writer (its "Config" entry holds the same files when the test reads from
// the library), the scripted platform as the game's platform, a fresh
// tokenizer, a clean animation table, default level values and empty figure
// and object lists. Other tests may copy the pattern.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfenv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
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
#include "tools/datalib/ArchiveWriter.h"

namespace configtest {

// A small opaque picture (the content does not matter to these tests).
inline datalib::Picture Dot() {
    datalib::Picture p;
    p.image.width = 2;
    p.image.height = 2;
    p.image.pixels.assign(4, 0xFF808080u);
    return p;
}

// The configuration files of a test, by their name in the Config folder
// ("Text.txt", "AnimProps.txt", "Level05.txt", ...).
using ConfigFiles = std::map<std::string, std::string>;

class ConfigFixture : public ::testing::Test {
protected:
    std::filesystem::path dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<AssetLibrary> library;

    void SetUp() override {
        std::fesetround(FE_TOWARDZERO);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        dir = std::filesystem::temp_directory_path() /
              ("brettspalt-config-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        platform = std::make_unique<ScriptedPlatform>(dir.string(), dir.string());
        gPlatform = platform.get();
        gGame = GameGlobals{};
        gLevel = LevelState{};
        ResetTokenizer();
        ResetAnimationTable();
        ClearWorld();
        Random::Seed(12345);
    }

    void TearDown() override {
        ClearWorld();
        CloseLibrary();
        gPlatform = nullptr;
        platform.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        ResetAnimationTable();
        ResetTokenizer();
    }

    static void ClearWorld() {
        for (i32 i = 0; i < gCharacterCount; ++i) {
            delete gCharacters[i];
            gCharacters[i] = nullptr;
        }
        gCharacterCount = 0;
        for (WorldObject& o : gObjects) o = WorldObject{};
        gObjectCount = 0;
    }

    void CloseLibrary() {
        if (library) library->Close();
        library.reset();
        gLibrary = nullptr;
    }

    // Writes one file into the Config folder on disk.
    void WriteDiskFile(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(dir / "Config");
        std::ofstream(dir / "Config" / name, std::ios::binary) << text;
    }

    // Puts the files on disk, or into the library's "Config" entry (sequence
    // 0 item n = Level<n>.txt, sequence 1 items 0..3 = AnimProps, CharProps,
    // ObjectProps, Text), and sets the configuration source to match. The
    // library also holds a small picture for every name in `pictures` and for
    // the default furniture, canister and van names used by these tests.
    void Install(const ConfigFiles& files, bool fromLibrary,
                 const std::vector<std::string>& pictures = {}) {
        CloseLibrary();
        datalib::ArchiveWriter writer;
        if (fromLibrary) {
            datalib::Entry config;
            config.name = "Config";
            datalib::Sequence levels;
            levels.listed = true;
            i32 lastLevel = 0;
            for (const auto& [name, text] : files) {
                int n = 0;
                if (std::sscanf(name.c_str(), "Level%d.txt", &n) == 1 && n > lastLevel)
                    lastLevel = n;
            }
            for (i32 n = 0; n <= lastLevel; ++n) {
                char name[32];
                std::snprintf(name, sizeof name, "Level%02d.txt", n);
                auto it = files.find(name);
                levels.items.push_back(
                    datalib::ArchiveWriter::ScrambledText(it != files.end() ? it->second : ""));
            }
            config.sequences[0] = levels;
            datalib::Sequence props;
            props.listed = true;
            for (const char* name :
                 {"AnimProps.txt", "CharProps.txt", "ObjectProps.txt", "Text.txt"}) {
                auto it = files.find(name);
                props.items.push_back(
                    datalib::ArchiveWriter::ScrambledText(it != files.end() ? it->second : ""));
            }
            config.sequences[1] = props;
            writer.Add(config);
        } else {
            std::filesystem::remove_all(dir / "Config");
            for (const auto& [name, text] : files) WriteDiskFile(name, text);
        }
        std::vector<std::string> names = pictures;
        names.insert(names.end(), {"Kanister gelb", "moebelwagen", "sofa"});
        for (const std::string& name : names) {
            datalib::Entry entry;
            entry.name = name;
            datalib::Sequence s;
            s.listed = true;
            s.items.push_back(Dot());
            s.items.push_back(Dot());
            entry.sequences[0] = s;
            writer.Add(entry);
        }
        ASSERT_TRUE(writer.Write((dir / "Data.lib").string())) << writer.LastError();
        library = std::make_unique<AssetLibrary>(platform.get());
        ASSERT_TRUE(library->Open("Data.lib"));
        gLibrary = library.get();
        configFromLibrary = fromLibrary;
    }

    // The messages shown so far, as "caption: text".
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& [text, caption] : platform->Messages())
            out.push_back(caption + ": " + text);
        return out;
    }

    NonPlayerCharacter& Figure(i32 i) { return *gCharacters[i]; }
};

// The same tests once with the files on disk and once inside the library.
class SourceTest : public ConfigFixture, public ::testing::WithParamInterface<bool> {
protected:
    bool FromLibrary() const { return GetParam(); }
    void Install(const ConfigFiles& files, const std::vector<std::string>& pictures = {}) {
        ConfigFixture::Install(files, FromLibrary(), pictures);
    }
};

inline std::string SourceName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "Library" : "Disk";
}

}  // namespace configtest
