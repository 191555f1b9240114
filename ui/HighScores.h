// The ten-place high-score table, the name entry and "HiScore.dat".
#pragma once

#include "platform/PlatformServices.h"

void ResetHighScores();
bool LoadHighScores(const char* fileName);
bool SaveHighScores(const char* fileName);
// The last save failed (the host said why on standard error); the table
// screen shows a note until a save succeeds.
bool HighScoreSaveFailed();
bool QualifiesForHighScore(i32 score);
i32 HighScoreRank(i32 score);
void InsertHighScore(i32 index, i32 score, const char* name, bool shift);
const char* HighScoreName(i32 index);
i32 HighScoreValue(i32 index);
// One call per frame in the name entry; true once the player pressed Enter.
bool RunNameEntry();
const char* TypedName();
