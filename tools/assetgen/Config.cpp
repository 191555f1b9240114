// "Config": the configuration texts, read from content/config and stored
// scrambled. Sequence 0 item n is level file n (item 0 is a placeholder the
// game never asks for); sequence 1 items 0-3 are AnimProps, CharProps,
// ObjectProps and Text.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/assetgen/Generators.h"

namespace assetgen {
namespace {

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return true;
}

}  // namespace

bool MakeConfigEntry(const std::string& folder, datalib::Entry* entry, std::string* error) {
    entry->name = "Config";
    datalib::Sequence levels;
    levels.listed = true;
    levels.items.emplace_back(datalib::ArchiveWriter::ScrambledText("! No level 0.\r\n"));
    for (int n = 1; n < 100; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/Level%02d.txt", n);
        std::string text;
        if (!ReadFile(folder + name, &text)) break;
        levels.items.emplace_back(datalib::ArchiveWriter::ScrambledText(text));
    }
    if (levels.items.size() < 2) {
        *error = "no Level01.txt in " + folder;
        return false;
    }
    datalib::Sequence props;
    props.listed = true;
    for (const char* file : {"AnimProps.txt", "CharProps.txt", "ObjectProps.txt", "Text.txt"}) {
        std::string text;
        if (!ReadFile(folder + "/" + file, &text)) {
            *error = std::string("cannot read ") + folder + "/" + file;
            return false;
        }
        props.items.emplace_back(datalib::ArchiveWriter::ScrambledText(text));
    }
    entry->sequences[0] = std::move(levels);
    entry->sequences[1] = std::move(props);
    return true;
}

}  // namespace assetgen
