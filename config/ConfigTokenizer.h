// The one line reader shared by every tuning file of the game (Text.txt, the
// three property files and the level files): lines, comments, quotes, the
// keyword and its values, line numbers for the parse-error message, and where
// the files come from (the "Config" entry of Data.lib or the Config folder).
//
// All state is global and lives for the run: one file is read at a time, on
// the game thread.
#pragma once

#include "platform/PlatformServices.h"

// 1-based number of the line on which the last parse failed; -1: nothing to
// report. Readers' callers set it to -1 before a reading run.
extern i32 configErrorLine;
// True (the start value): the files are entries of the library's "Config"
// asset. False: they are read from "Config\" on disk. Decided once, when the
// text table is loaded.
extern bool configFromLibrary;

// Where one configuration file lives: its disk path, and its place in the
// library's "Config" asset (column = sequence, entry = item).
struct ConfigSource {
    const char* diskPath;
    i32 column;
    i32 entry;
};

// An open configuration file.
struct ConfigFile {
    FileHandle handle = kNoFile;
    bool memory = false;  // opened from the library (the memory-file flag)
    bool empty = false;   // a library entry without bytes: no lines at all
};

// Opens `source` from the library or from disk, as configFromLibrary says.
// False when the file cannot be opened or the entry does not exist.
bool OpenConfigFile(const ConfigSource& source, ConfigFile* file);
void CloseConfigFile(ConfigFile* file);

// Sets the line counter to 0; every reader calls it right before it opens a
// file.
void ResetLineCounter();
// 1-based number of the line read last (line counter + 1).
i32 ConfigLineNumber();

// Reads the next line (at most 1022 characters; a longer line comes in
// pieces) into the line buffer and returns it, with the CR or LF that ended
// it; null at the end of the file. Blank lines are passed over and counted.
const char* ReadConfigLine(ConfigFile* file);
// Position just after the first '#' outside quotes and before any '!'
// comment; null when the line has no keyword.
const char* FindKeyword(const char* line);
// Start of the next token at or after `pos`; null when the line's values end.
const char* SkipToToken(const char* pos);
// Number of characters of the token that starts at `token`.
i32 TokenLength(const char* token);

// Whether `token` begins with `keyword`, compared without regard to case over
// the keyword's length only (so "timer" matches TIME).
bool KeywordMatches(const char* token, const char* keyword);
// Whether the `length` characters at `token` are exactly `name`, without
// regard to case.
bool NameEquals(const char* token, i32 length, const char* name);

// The value conversions: a decimal integer or floating-point number read from
// the token's start, 0 when it does not start with a number.
i32 ConfigInt(const char* token);
float ConfigFloat(const char* token);

// Back to the state of program start: quotes closed, counter 0, no error,
// library source. The game never calls it (the quote state lingers for the
// whole run); tests do, to start from a known state.
void ResetTokenizer();
