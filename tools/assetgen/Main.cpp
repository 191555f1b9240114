// assetgen: draws our own Data.lib. Every picture and glyph is drawn here,
// the sounds come from the sound library, the configuration texts from
// content/config. Same sources, same bytes.
//
//   assetgen --config DIR --out FILE [--contact-sheets DIR]
//   assetgen --icons DIR          the game's icons (tools/assetgen/Icon.h)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/assetgen/Generators.h"
#include "tools/assetgen/Icon.h"
#if defined(ASSETGEN_HAVE_SOUND)
#include "tools/assetgen/sound/Sounds.h"
#endif

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: assetgen --config DIR --out FILE [--contact-sheets DIR]\n"
                 "       assetgen --icons DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], "--icons")) return assetgen::WriteIcons(argv[2]) ? 0 : 1;
    std::string configDir, outFile, sheetDir;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--config") && hasValue)
            configDir = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && hasValue)
            outFile = argv[++i];
        else if (!std::strcmp(argv[i], "--contact-sheets") && hasValue)
            sheetDir = argv[++i];
        else
            return Usage();
    }
    if (configDir.empty() || (outFile.empty() && sheetDir.empty())) return Usage();

    std::vector<datalib::Entry> entries;
    datalib::Entry config;
    std::string error;
    if (!assetgen::MakeConfigEntry(configDir, &config, &error)) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    entries.push_back(std::move(config));
#if defined(ASSETGEN_HAVE_SOUND)
    for (auto& e : sound::MakeSoundEntries()) entries.push_back(std::move(e));
#endif
    auto fonts = assetgen::MakeFontEntries();
    if (fonts.size() != 2 || !fonts[0].sequences[0] || !fonts[1].sequences[0]) {
        std::fprintf(stderr, "assetgen: the fonts could not be drawn\n");
        return 1;
    }
    for (auto& e : fonts) entries.push_back(std::move(e));
    entries.push_back(assetgen::MakeBackgroundEntry());
    entries.push_back(assetgen::MakeGuiEntry());
    for (auto& e : assetgen::MakeFigureEntries()) entries.push_back(std::move(e));
    for (auto& e : assetgen::MakeFurnitureEntries()) entries.push_back(std::move(e));

    if (!sheetDir.empty() && !assetgen::WriteContactSheets(entries, sheetDir)) {
        std::fprintf(stderr, "assetgen: cannot write the contact sheets to %s\n", sheetDir.c_str());
        return 1;
    }
    if (!outFile.empty()) {
        datalib::ArchiveWriter writer;
        for (auto& e : entries) writer.Add(std::move(e));
        if (!writer.Write(outFile)) return 1;
    }
    return 0;
}
