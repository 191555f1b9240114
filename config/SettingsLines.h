// What the readers of the settings files share: a cursor over the values of
// one keyword line, and the handlers of the three property keywords.
#pragma once

#include "config/ConfigTokenizer.h"

// Longest names the lines accept.
inline constexpr i32 kMaxNameLength = 25;        // objects, assets, character types
inline constexpr i32 kMaxIdentifierLength = 36;  // AII_ animation identifiers

// Walks the values of one keyword line in order. Each read finds the next
// token, converts or copies it and steps over it; false when the line has no
// further value (or a name is too long), which makes the line a parse error.
class LineValues {
public:
    // `token`: the keyword (or sub-keyword) the values follow.
    explicit LineValues(const char* token) : resume(token + TokenLength(token)) {}

    bool Int(i32* value);
    bool Float(float* value);
    // A name of at most maxLength characters into `out` (maxLength + 1
    // bytes). In property lines the next scan starts one character past the
    // name, so the character that ended it is never looked at.
    bool Name(char* out, i32 maxLength, bool propertyLine);
    // The next token itself (a sub-keyword); the next scan starts at its end.
    const char* Word();

private:
    const char* resume;
};

// Stores the current line's number as the one to report; returns false so a
// handler can `return FailLine();`.
bool FailLine();

// The handlers of ANIMPROP, CHARPROP and OBJPROP lines; `keyword` is the
// position of the top-level keyword.
bool HandleAnimProp(const char* keyword);
bool HandleCharProp(const char* keyword);
bool HandleObjProp(const char* keyword);
