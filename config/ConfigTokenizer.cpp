// The shared configuration line reader: one global line buffer, one line
// counter and one quote state, read by every tuning file in turn.
#include "config/ConfigTokenizer.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "config/AssetNames.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"

i32 configErrorLine = -1;
bool configFromLibrary = true;

namespace {

// Each read takes at most this many bytes: with its CR or LF and the NUL a
// line fills the 1024-byte buffer.
constexpr i32 kReadSize = 1022;

struct TokenizerState {
    char line[1024] = {};
    char readBuffer[kReadSize] = {};
    i32 lineCounter = 0;  // LF characters consumed in the current file
    // Shared by FindKeyword, SkipToToken and TokenLength. Never reset by the
    // game, not between lines and not between files: an unbalanced quote on
    // one line hides the keywords of the lines after it until a quote closes
    // it. Kept on purpose; modders know the rule.
    bool insideQuotes = false;
};
TokenizerState tokenizer;

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool OpenConfigFile(const ConfigSource& source, ConfigFile* file) {
    *file = ConfigFile{};
    file->memory = configFromLibrary;
    if (gPlatform == nullptr) return false;
    if (!configFromLibrary) {
        file->handle = gPlatform->FileOpen(source.diskPath, kFileRead, 0);
        return file->handle != kNoFile;
    }
    if (gLibrary == nullptr) return false;
    const DataItem* item = gLibrary->GetData(&AssetNames::Config(), source.column, source.entry);
    if (item == nullptr) return false;
    if (item->payloadSize == 0) {
        // A memory file of size 0 would be taken for a disk file named by the
        // payload's bytes; an empty entry simply has no lines.
        file->empty = true;
        return true;
    }
    file->handle = gPlatform->FileOpen(reinterpret_cast<const char*>(item->Payload()), kFileRead,
                                       item->payloadSize);
    return file->handle != kNoFile;
}

void CloseConfigFile(ConfigFile* file) {
    if (file->handle != kNoFile && gPlatform != nullptr) {
        gPlatform->FileClose(file->handle, file->memory);
    }
    file->handle = kNoFile;
    file->empty = false;
}

void ResetLineCounter() {
    tokenizer.lineCounter = 0;
}

i32 ConfigLineNumber() {
    return tokenizer.lineCounter + 1;
}

const char* ReadConfigLine(ConfigFile* file) {
    if (file->empty || file->handle == kNoFile) return nullptr;
    char* data = tokenizer.readBuffer;
    i32 got = 0;
    for (;;) {
        got = gPlatform->FileRead(file->handle, data, kReadSize, file->memory);
        if (got <= 0) return nullptr;  // end of the file, or a failed read
        // Line breaks are counted when the line after them is read; blank
        // lines are passed over here.
        i32 start = 0;
        while (start < got && IsLineBreak(data[start])) {
            if (data[start] == '\n') ++tokenizer.lineCounter;
            ++start;
        }
        if (start == 0) break;
        // Read again from the line's first character, so that a line always
        // gets its full 1022 characters whatever stood before it.
        if (start < got) gPlatform->FileSeek(file->handle, start - got, kSeekCurrent, file->memory);
    }
    i32 end = 0;
    while (end < got && !IsLineBreak(data[end])) ++end;
    // The CR or LF that ended the line stays at its end; the next read begins
    // at that very character, so it is counted with the next line.
    const i32 length = end + (end < got ? 1 : 0);
    std::memcpy(tokenizer.line, data, static_cast<size_t>(length));
    tokenizer.line[length] = '\0';

    const i32 unconsumed = got - end;
    if (unconsumed > 0) gPlatform->FileSeek(file->handle, -unconsumed, kSeekCurrent, file->memory);
    return tokenizer.line;
}

const char* FindKeyword(const char* line) {
    for (const char* p = line; *p != '\0'; ++p) {
        if (*p == '"') {
            if (p != line && p[-1] != '\\') tokenizer.insideQuotes = !tokenizer.insideQuotes;
            continue;
        }
        if (tokenizer.insideQuotes) continue;
        if (*p == '!') return nullptr;
        if (*p == '#') return p + 1;
    }
    return nullptr;
}

const char* SkipToToken(const char* pos) {
    for (const char* p = pos; *p != '\0'; ++p) {
        if (*p == '"' && p != pos && p[-1] != '\\') {
            tokenizer.insideQuotes = !tokenizer.insideQuotes;
            if (tokenizer.insideQuotes) return p + 1;
            return nullptr;  // a closing quote ends the values
        }
        if (tokenizer.insideQuotes) continue;
        switch (*p) {
            case '\t':
            case ' ':
            case ',':
                continue;
            case '\n':
            case '\r':
            case '!':
            case ';':
                return nullptr;
            default:
                return p;
        }
    }
    return nullptr;
}

i32 TokenLength(const char* token) {
    const char* p = token;
    if (*p == '"') {
        if (tokenizer.insideQuotes) {
            tokenizer.insideQuotes = false;
            return 0;
        }
        ++p;  // an ordinary character of the token
    }
    for (; *p != '\0'; ++p) {
        if (*p == '"') {
            if (p[-1] == '\\') continue;  // stays in the token, not unescaped
            tokenizer.insideQuotes = !tokenizer.insideQuotes;
            if (!tokenizer.insideQuotes) break;
            continue;
        }
        if (tokenizer.insideQuotes) continue;
        if (*p == '\t' || *p == '\n' || *p == '\r' || *p == ' ' || *p == '!' || *p == ',' ||
            *p == ';') {
            break;
        }
    }
    return static_cast<i32>(p - token);
}

bool KeywordMatches(const char* token, const char* keyword) {
    for (; *keyword != '\0'; ++keyword, ++token) {
        if (*token == '\0' || Lower(*token) != Lower(*keyword)) return false;
    }
    return true;
}

bool NameEquals(const char* token, i32 length, const char* name) {
    if (static_cast<i32>(std::strlen(name)) != length) return false;
    for (i32 i = 0; i < length; ++i) {
        if (Lower(token[i]) != Lower(name[i])) return false;
    }
    return true;
}

i32 ConfigInt(const char* token) {
    // Standard decimal conversion; a number beyond 32 bits saturates instead
    // of being undefined.
    const long long value = std::strtoll(token, nullptr, 10);
    if (value > std::numeric_limits<i32>::max()) return std::numeric_limits<i32>::max();
    if (value < std::numeric_limits<i32>::min()) return std::numeric_limits<i32>::min();
    return static_cast<i32>(value);
}

float ConfigFloat(const char* token) {
    // Decimal only: sign, digits, a decimal point, an exponent. Words such as
    // "inf" or "nan" and hexadecimal numbers read as 0 like any other word.
    const char* p = token;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    const char* digits = p;
    bool any = false;
    while (*p >= '0' && *p <= '9') ++p, any = true;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') ++p, any = true;
    }
    if (!any) return 0.0f;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9') ++e;
            p = e;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(digits, p, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large saturates, too small gives 0 (or the nearest tiny value).
        const double probe = std::strtod(digits, nullptr);
        value = std::isinf(probe) ? std::numeric_limits<double>::max() : probe;
    }
    return static_cast<float>(negative ? -value : value);
}

void ResetTokenizer() {
    tokenizer.lineCounter = 0;
    tokenizer.insideQuotes = false;
    tokenizer.line[0] = '\0';
    configErrorLine = -1;
    configFromLibrary = true;
}
