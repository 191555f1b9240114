// Writes the seed inputs of the fuzz targets from our own content:
//   fuzz_seeds SOURCE_DIR DATA_LIB OUT_DIR
// OUT_DIR/<target>/ gets a handful of small, valid inputs each: tiny asset
// libraries with every kind of picture and data item, the shipped
// configuration texts, high-score tables, the smallest sounds and Ogg items of
// Data.lib, command lines and the end-to-end input scripts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/AssetLibrary.h"
#include "platform/ScriptedPlatform.h"
#include "tests/host/OggTestEncoder.h"
#include "tools/datalib/ArchiveWriter.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string outDir;
int written = 0;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(outDir + "/" + target);
    std::ofstream(outDir + "/" + target + "/" + name, std::ios::binary) << bytes;
    ++written;
}
void Put(const std::string& target, const std::string& name, const Bytes& bytes) {
    Put(target, name, std::string(bytes.begin(), bytes.end()));
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The smallest WAVE images of Data.lib (its Ogg items are whole pieces of
// music, too large for seeds: short Ogg signals are encoded instead).
struct Sounds {
    std::vector<Bytes> waves, oggs;
};

Sounds SmallestSounds(const std::string& dataLib, std::size_t keep) {
    Sounds found;
    const fs::path path = fs::absolute(dataLib);
    ScriptedPlatform platform(path.parent_path().string(), "");
    AssetLibrary library(&platform);
    if (!library.Open(path.filename().string().c_str())) return found;
    std::int32_t count = 0, nameTable = 0;
    std::memcpy(&nameTable, library.Base() + 8, 4);
    std::memcpy(&count, library.Base() + 12, 4);
    for (std::int32_t e = 0; e < count; ++e) {
        AssetRef ref;
        ref.Init(std::string(reinterpret_cast<const char*>(library.Base() + nameTable + 26 * e),
                             strnlen(reinterpret_cast<const char*>(library.Base() + nameTable + 26 * e), 25))
                     .c_str());
        for (i32 s = 0; s < 12; ++s) {
            const i32 items = std::min(library.GetItemCount(&ref, s), 99);
            for (i32 i = 0; i < items; ++i) {
                const DataItem* d = library.GetData(&ref, s, i);
                if (!d || d->payloadSize < 12) continue;
                Bytes bytes(d->Payload(), d->Payload() + d->payloadSize);
                if (!(d->flags & kDataItemOgg) && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF")) {
                    found.waves.push_back(std::move(bytes));
                }
            }
        }
    }
    std::sort(found.waves.begin(), found.waves.end(),
              [](const Bytes& a, const Bytes& b) { return a.size() < b.size(); });
    found.waves.erase(std::unique(found.waves.begin(), found.waves.end()), found.waves.end());
    if (found.waves.size() > keep) found.waves.resize(keep);
    auto tone = [](int channel, long frame) {
        return OggTest::Sine(channel ? 660.0 : 440.0, 22050, frame, 0.4f);
    };
    found.oggs.push_back(OggTest::Encode(1, 22050, 1500, tone));
    found.oggs.push_back(OggTest::Encode(2, 44100, 1200, tone, 7, 0.0f));
    return found;
}

datalib::Picture Box(int w, int h, std::uint32_t argb, datalib::Encoding encoding, int hotX = 0,
                     int hotY = 0) {
    datalib::Picture p;
    p.image.width = w;
    p.image.height = h;
    p.image.pixels.resize(static_cast<std::size_t>(w) * h);
    // A hole in the middle, so that run-length rows have several runs.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.image.pixels[y * w + x] = (x > w / 3 && x < w / 2) ? 0x00000000u : argb + x;
    p.encoding = encoding;
    p.hotX = hotX;
    p.hotY = hotY;
    return p;
}

void AssetSeeds(const Sounds& sounds) {
    using datalib::Encoding;
    datalib::ArchiveWriter small;
    datalib::Entry pictures;
    pictures.name = "pictures";
    datalib::Sequence s0;
    s0.items = {Box(6, 4, 0xFF204060u, Encoding::Raw), Box(9, 5, 0xFF802040u, Encoding::ColourKeyed, 4, 2),
                Box(7, 3, 0x80FF8000u, Encoding::Translucent), Box(5, 6, 0xFF000000u, Encoding::Shadow, -3, 9)};
    s0.listed = true;
    pictures.sequences[0] = s0;
    datalib::Sequence still;
    still.items = {Box(3, 3, 0xFFFFFFFFu, Encoding::ColourKeyed)};
    pictures.sequences[3] = still;
    small.Add(pictures);

    datalib::Entry data;
    data.name = "SOUND_Small";
    datalib::Sequence sd;
    if (!sounds.waves.empty()) sd.items.push_back(datalib::Data{sounds.waves[0], 0});
    if (!sounds.oggs.empty()) sd.items.push_back(datalib::Data{sounds.oggs[0], kDataItemOgg});
    sd.items.push_back(datalib::ArchiveWriter::ScrambledText("#TEXT 0 \"Hello\"\n"));
    sd.listed = true;
    data.sequences[1] = sd;
    small.Add(data);
    Put("asset_library", "small.lib", small.Build());

    datalib::ArchiveWriter one;
    datalib::Entry only;
    only.name = "moebel";
    datalib::Sequence big;
    big.items = {Box(40, 30, 0xFF336699u, Encoding::ColourKeyed, 20, 30)};
    only.sequences[0] = big;
    one.Add(only);
    Put("asset_library", "one-picture.lib", one.Build());
    Put("asset_library", "empty.lib", datalib::ArchiveWriter().Build());
}

void ConfigSeeds(const std::string& source) {
    const char* files[] = {"Text.txt", "AnimProps.txt", "CharProps.txt", "ObjectProps.txt"};
    for (int i = 0; i < 4; ++i) {
        Put("config", files[i], std::string(1, static_cast<char>(i)) +
                                    ReadAll(source + "/content/config/" + files[i]));
    }
    for (int level = 1; level <= 12; ++level) {
        char name[32];
        std::snprintf(name, sizeof name, "Level%02d.txt", level);
        const std::string text = ReadAll(source + "/content/config/" + name);
        if (!text.empty()) Put("config", name, std::string(1, '\4') + text);
    }
}

void HighScoreSeeds() {
    std::string table = "\xB3\x12\x76\x0F";
    for (int i = 0; i < 10; ++i) {
        const int score = 5000 - 400 * i;
        for (int k = 0; k < 4; ++k) table += static_cast<char>(score >> (8 * k));
        std::string name = "Player " + std::to_string(i);
        name.resize(12, '\0');
        table += name;
    }
    Put("high_scores", "table.dat", table);
    Put("high_scores", "short.dat", table.substr(0, 50));
    Put("high_scores", "foreign.dat", "RIFF" + table.substr(4));
}

void SoundSeeds(const Sounds& sounds) {
    for (std::size_t i = 0; i < sounds.waves.size(); ++i) {
        Bytes b = {0};
        b.insert(b.end(), sounds.waves[i].begin(), sounds.waves[i].end());
        Put("sound", "wave" + std::to_string(i), b);
    }
    for (std::size_t i = 0; i < sounds.oggs.size(); ++i) {
        Bytes b = {1};
        b.insert(b.end(), sounds.oggs[i].begin(), sounds.oggs[i].end());
        Put("sound", "ogg" + std::to_string(i), b);
    }
}

void ParserSeeds(const std::string& source) {
    const char* lines[] = {"--headless\n--frames\n600\n--seed\n42\n--data\ndata",
                           "--headless\n--script\nrun.script\n--sound-log\nsounds.log",
                           "/window", "--window\n--verbose", "--help", "--self-test\n--frames\n5"};
    int n = 0;
    for (const char* l : lines) Put("parsers", "args" + std::to_string(n++), std::string(1, '\0') + l);
    for (const auto& e : fs::directory_iterator(source + "/tests/e2e")) {
        if (e.path().extension() == ".script")
            Put("parsers", e.path().filename().string(), "\1" + ReadAll(e.path().string()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: fuzz_seeds SOURCE_DIR DATA_LIB OUT_DIR\n");
        return 64;
    }
    const std::string source = argv[1];
    outDir = argv[3];
    const Sounds sounds = SmallestSounds(argv[2], 3);
    if (sounds.waves.empty() || sounds.oggs.empty()) {
        std::fprintf(stderr, "fuzz_seeds: no sounds found in %s\n", argv[2]);
        return 1;
    }
    AssetSeeds(sounds);
    ConfigSeeds(source);
    HighScoreSeeds();
    SoundSeeds(sounds);
    ParserSeeds(source);
    std::printf("fuzz_seeds: %d seed inputs in %s\n", written, outDir.c_str());
    return 0;
}
