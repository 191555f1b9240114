// Saves the high-score table over and over, as the game does after a name
// entry, alternating between two tables, until it is killed:
//   robust_save_loop SAVE_DIR
// Table A has every score 1000 + place, table B 2000 + place. Before it
// starts, the table in SAVE_DIR must be A or B (or missing); "check" instead
// of looping reads it and says which (status 0) or that it is damaged
// (status 1). tests/robust/killed_save.sh kills it at random moments.
#include <cstdio>
#include <cstring>
#include <string>

#include "game/GameGlobals.h"
#include "platform/ScriptedPlatform.h"
#include "ui/HighScores.h"

namespace {

void Fill(int base) {
    for (int i = 0; i < 10; ++i) {
        const std::string name = (base == 1000 ? "Alpha " : "Beta ") + std::to_string(i);
        InsertHighScore(i, base + 10 - i, name.c_str(), false);
    }
}

// 'A', 'B', or 0 when the loaded table is neither whole.
char Which() {
    for (int base : {1000, 2000}) {
        bool all = true;
        for (int i = 0; i < 10 && all; ++i) {
            const std::string name = (base == 1000 ? "Alpha " : "Beta ") + std::to_string(i);
            all = HighScoreValue(i) == base + 10 - i && name == HighScoreName(i);
        }
        if (all) return base == 1000 ? 'A' : 'B';
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: robust_save_loop SAVE_DIR [check]\n");
        return 64;
    }
    ScriptedPlatform platform(argv[1], argv[1]);  // start-up: stale temporary files go
    gPlatform = &platform;
    ResetHighScores();
    if (argc == 3 && std::strcmp(argv[2], "check") == 0) {
        if (!LoadHighScores("HiScore.dat")) {
            std::printf("missing or short\n");
            return 1;
        }
        const char which = Which();
        if (which == 0) {
            std::printf("damaged\n");
            return 1;
        }
        std::printf("%c\n", which);
        return 0;
    }
    for (unsigned long n = 0;; ++n) {
        Fill(n % 2 ? 2000 : 1000);
        if (!SaveHighScores("HiScore.dat")) return 1;
        if (n == 1) {
            std::printf("saving\n");  // both tables written once: ready to be killed
            std::fflush(stdout);
        }
    }
}
