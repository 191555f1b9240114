// The game's texts are Windows-1252; the desktop speaks UTF-8. Conversions
// both ways for typed text, message boxes and window titles.
#pragma once

#include <string>

#include "platform/PlatformServices.h"

// The Windows-1252 byte of a Unicode code point; -1 when it has none.
int UnicodeToWindows1252(u32 codePoint);
// UTF-8 text (as the desktop delivers typed text) in Windows-1252; characters
// without a byte there and malformed sequences are dropped.
std::string Utf8ToWindows1252(const char* utf8);
// Windows-1252 text in UTF-8; the five unused bytes become U+FFFD.
std::string Windows1252ToUtf8(const char* text);
