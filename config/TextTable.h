// The 64 numbered on-screen texts, read once from Text.txt.
#pragma once

#include <string>

#include "platform/PlatformServices.h"

inline constexpr i32 kTextCount = 64;

bool LoadTextTable();
bool ParseTextFile(const char* name);
const char* GetText(i32 n);

// Texts from Text.txt are user data; those used as formats go through this:
// exactly one integer conversion (%d, %i, %u with flags and width such as
// %02d) is replaced by value, "%%" gives "%", any other % sequence is shown as
// it stands.
std::string FormatText(const char* format, i32 value);
