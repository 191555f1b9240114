// The 64 on-screen texts of the game, read once from Text.txt, and the safe
// formatter for the texts that carry a number.
#include "config/TextTable.h"

#include <cstdio>
#include <cstring>

#include "config/ConfigTokenizer.h"
#include "game/GameGlobals.h"

namespace {

constexpr i32 kTextSlot = 1024;  // at most 1023 characters and the NUL
char texts[kTextCount][kTextSlot] = {};

constexpr const char* kTextDiskPath = "Config\\Text.txt";
constexpr ConfigSource kTextSource = {kTextDiskPath, 1, 3};

// One TEXT line: the number, then the text as one token. False on a parse
// error (the line number is stored).
bool ParseTextLine(const char* keyword) {
    const char* number = SkipToToken(keyword + TokenLength(keyword));
    if (number == nullptr) return false;
    const i32 n = ConfigInt(number);
    if (n < 0 || n >= kTextCount) return false;
    // The scan starts right after the number, so one separator is enough
    // before a quoted text.
    const char* text = SkipToToken(number + TokenLength(number));
    if (text == nullptr) return false;
    const i32 length = TokenLength(text);
    if (length > kTextSlot - 1) return false;
    std::memcpy(texts[n], text, static_cast<size_t>(length));
    texts[n][length] = '\0';
    return true;
}

}  // namespace

bool ParseTextFile(const char* name) {
    ResetLineCounter();
    ConfigFile file;
    if (!OpenConfigFile(ConfigSource{name, kTextSource.column, kTextSource.entry}, &file)) {
        return false;
    }
    bool ok = true;
    while (const char* line = ReadConfigLine(&file)) {
        const char* keyword = FindKeyword(line);
        if (keyword == nullptr) continue;
        if (!KeywordMatches(keyword, "TEXT") || !ParseTextLine(keyword)) {
            configErrorLine = ConfigLineNumber();
            ok = false;
            break;
        }
    }
    CloseConfigFile(&file);
    return ok;
}

bool LoadTextTable() {
    // The one decision about where all configuration comes from: a Text.txt
    // on disk means the whole Config folder is read from disk for the run.
    configFromLibrary = true;
    if (gPlatform != nullptr) {
        const FileHandle probe = gPlatform->FileOpen(kTextDiskPath, kFileRead, 0);
        if (probe != kNoFile) {
            gPlatform->FileClose(probe, false);
            configFromLibrary = false;
        }
    }
    configErrorLine = -1;
    if (ParseTextFile(kTextDiskPath)) return true;
    if (configErrorLine != -1 && gPlatform != nullptr) {
        char message[64];
        std::snprintf(message, sizeof message, "Parse error in file Text.txt, Line %d",
                      configErrorLine);
        gPlatform->ShowMessage(message, "Parse Error!");
    }
    return false;
}

const char* GetText(i32 n) {
    if (n < 0 || n >= kTextCount) return "";
    return texts[n];
}

std::string FormatText(const char* format, i32 value) {
    // A text file is the player's or translator's data, so a text is never
    // handed to printf as a format: only one integer conversion is filled in.
    std::string out;
    if (format == nullptr) return out;
    bool substituted = false;
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        // Parse %[flags][width][.precision]conversion.
        const char* q = p + 1;
        std::string directive = "%";
        while (*q == '-' || *q == '+' || *q == ' ' || *q == '0') directive += *q++;
        i32 width = 0;
        while (*q >= '0' && *q <= '9' && width <= kTextSlot) {
            width = width * 10 + (*q - '0');
            directive += *q++;
        }
        bool sane = width <= kTextSlot && !(*q >= '0' && *q <= '9');
        if (*q == '.') {
            directive += *q++;
            i32 precision = 0;
            while (*q >= '0' && *q <= '9' && precision <= kTextSlot) {
                precision = precision * 10 + (*q - '0');
                directive += *q++;
            }
            sane = sane && precision <= kTextSlot && !(*q >= '0' && *q <= '9');
        }
        const char conversion = *q;
        if (!substituted && sane && (conversion == 'd' || conversion == 'i' || conversion == 'u')) {
            directive += conversion;
            char buffer[2 * kTextSlot + 32];
            if (conversion == 'u') {
                std::snprintf(buffer, sizeof buffer, directive.c_str(),
                              static_cast<unsigned>(value));
            } else {
                std::snprintf(buffer, sizeof buffer, directive.c_str(), static_cast<int>(value));
            }
            out += buffer;
            substituted = true;
            p = q + 1;
            continue;
        }
        // Anything else is shown as it stands.
        out += *p++;
    }
    return out;
}
