// The real game for the fuzz targets that play (see FuzzWorld.h).
#include "tests/fuzz/targets/FuzzWorld.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "game/Game.h"
#include "tests/foundation/TempDir.h"

namespace fuzzworld {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "fuzz world: %s\n", why.c_str());
    std::abort();
}

struct World {
    TempDir dir;
    std::string shipped[kConfigFileCount];
    std::unique_ptr<ScriptedPlatform> platform;
    int polls = 0;

    void ReleaseAll() {
        for (int k = 0; k <= static_cast<int>(ScriptedPlatform::Key::Alt); ++k)
            platform->SetKey(static_cast<ScriptedPlatform::Key>(k), false);
        for (int c = 0; c < 256; ++c) platform->SetCharKey(static_cast<unsigned char>(c), false);
        platform->SetMouseButton(0, false);
        platform->SetMouseButton(1, false);
    }

    World() {
        const char* data = std::getenv("BRETTSPALT_DATA_DIR");
        const char* source = std::getenv("BRETTSPALT_SOURCE_DIR");
        if (!data || !source) {
            Fail("set BRETTSPALT_DATA_DIR (the folder of a built Data.lib) and "
                 "BRETTSPALT_SOURCE_DIR (the source tree); scripts/fuzz does");
        }
        std::error_code ec;
        std::filesystem::create_symlink(std::filesystem::absolute(std::string(data) + "/Data.lib"),
                                        dir.File("Data.lib"), ec);
        if (ec || !std::filesystem::exists(dir.File("Data.lib"))) Fail("no Data.lib in " + std::string(data));
        for (int i = 0; i < kConfigFileCount; ++i) {
            shipped[i] = ReadAll(std::string(source) + "/content/config/" + kConfigFiles[i]);
            if (shipped[i].empty()) Fail(std::string("no shipped ") + kConfigFiles[i]);
            dir.Write(std::string("Config/") + kConfigFiles[i], shipped[i]);
        }
        std::filesystem::create_directories(dir.File("save"));
        platform = std::make_unique<ScriptedPlatform>(dir.Path(), dir.File("save"));
        platform->SetTime(100000);  // 0 would read as "no time taken yet"
        // A frame that polls hundreds of times waits for a key to come up.
        platform->SetPollHook([this] {
            if (++polls > 300) ReleaseAll();
        });
        if (!GameInit(platform.get())) Fail(std::string("GameInit: ") + GameInitError());
    }
};

World& TheWorld() {
    static World world;
    return world;
}

}  // namespace

ScriptedPlatform& Platform() {
    return *TheWorld().platform;
}

const std::string& DataFolder() {
    return TheWorld().dir.Path();
}

const std::string& ShippedConfig(int which) {
    return TheWorld().shipped[which];
}

void WriteDataFile(const std::string& name, const std::string& bytes) {
    TheWorld().dir.Write(name, bytes);
}

void ReleaseAllKeys() {
    TheWorld().ReleaseAll();
}

void Frame(unsigned ms) {
    TheWorld().polls = 0;
    Platform().AdvanceTime(ms);
    GameFrame(false);
}

}  // namespace fuzzworld
