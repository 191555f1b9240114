// Any bytes as "HiScore.dat": read, saved, read back; the table read back is
// the table that was saved, whatever the file held.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/GameGlobals.h"
#include "platform/ScriptedPlatform.h"
#include "tests/foundation/TempDir.h"
#include "ui/HighScores.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TempDir dir;
    static ScriptedPlatform platform(dir.Path(), dir.Path());
    gPlatform = &platform;
    dir.Write("HiScore.dat", std::string(reinterpret_cast<const char*>(data), size));

    ResetHighScores();
    LoadHighScores("HiScore.dat");
    std::string before[10];
    i32 scores[10];
    for (int i = 0; i < 10; ++i) {
        before[i] = HighScoreName(i);
        scores[i] = HighScoreValue(i);
        if (before[i].size() > 11) std::abort();  // a name ends within its 12 bytes
    }
    if (!SaveHighScores("HiScore.dat")) std::abort();
    ResetHighScores();
    if (!LoadHighScores("HiScore.dat")) std::abort();
    for (int i = 0; i < 10; ++i) {
        if (before[i] != HighScoreName(i) || scores[i] != HighScoreValue(i)) std::abort();
    }
    // Entering a score anywhere keeps the table sorted where it was.
    const i32 score = size >= 4 ? static_cast<i32>(data[0] | data[1] << 8 | data[2] << 16 |
                                                   static_cast<std::uint32_t>(data[3]) << 24)
                                : 0;
    if (QualifiesForHighScore(score)) {
        const i32 rank = HighScoreRank(score);
        InsertHighScore(rank, score, "Fuzz", true);
        if (HighScoreValue(rank) != score) std::abort();
    }
    return 0;
}
