// datalib: looks into, takes apart, rebuilds and checks the game's asset
// library "Data.lib".
#include <cstring>
#include <iostream>
#include <string>

#include "tools/datalib/ArchiveFiles.h"
#include "tools/datalib/ArchiveReader.h"

namespace {

int Usage(std::ostream& out, int status) {
    out << "usage: datalib COMMAND ...\n"
           "  list FILE            print every entry of an asset library with its sequences,\n"
           "                       item counts, picture sizes, hotspots and encodings, and\n"
           "                       data sizes and flags\n"
           "  extract FILE DIR     write every item into DIR (pictures as PNG, sounds as\n"
           "                       .wav/.ogg, Config texts as plain .txt) with DIR/manifest.txt\n"
           "  pack MANIFEST OUT    build a library from a manifest and the files it names\n"
           "  verify FILE          check every entry, sequence and item\n";
    return status;
}

int List(const std::string& path) {
    datalib::ArchiveReader reader;
    if (!reader.Open(path)) {
        std::cerr << "datalib: cannot read " << path << ": " << reader.Error() << "\n";
        return 1;
    }
    std::cout << path << ": ";
    const int damaged = reader.List(std::cout);
    if (damaged > 0) {
        std::cerr << "datalib: " << path << ": " << damaged << " damaged item(s)\n";
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        return Usage(std::cout, 0);
    }
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "list" && argc == 3) return List(argv[2]);
    if ((command == "extract" || command == "pack") && argc == 4) {
        std::string error;
        const bool ok = command == "extract" ? datalib::Extract(argv[2], argv[3], &error)
                                             : datalib::Pack(argv[2], argv[3], &error);
        if (!ok) std::cerr << "datalib: " << error << "\n";
        return ok ? 0 : 1;
    }
    if (command == "verify" && argc == 3) {
        const int errors = datalib::Verify(argv[2], std::cout);
        return errors < 0 ? 1 : errors > 0 ? 2 : 0;
    }
    return Usage(std::cerr, 64);
}
