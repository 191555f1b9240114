// Windows-1252 and UTF-8 (see CodePage.h).
#include "platform/CodePage.h"

namespace {

// Characters 0x80-0x9F of Windows-1252 and their code points (0: unused).
constexpr u32 kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

int UnicodeToWindows1252(u32 cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == cp) return 0x80 + i;
    }
    return -1;
}

std::string Utf8ToWindows1252(const char* utf8) {
    std::string out;
    if (utf8 == nullptr) return out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p != 0) {
        u32 cp;
        int extra;
        if (*p < 0x80) {
            cp = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            ++p;  // a stray continuation byte
            continue;
        }
        ++p;
        bool complete = true;
        for (int i = 0; i < extra; ++i) {
            if ((*p & 0xC0) != 0x80) {
                complete = false;
                break;
            }
            cp = cp << 6 | (*p & 0x3F);
            ++p;
        }
        if (!complete) continue;
        const int byte = UnicodeToWindows1252(cp);
        if (byte >= 0) out.push_back(static_cast<char>(byte));
    }
    return out;
}

std::string Windows1252ToUtf8(const char* text) {
    std::string out;
    if (text == nullptr) return out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        u32 cp = *p;
        if (cp >= 0x80 && cp < 0xA0)
            cp = kWindows1252High[cp - 0x80] ? kWindows1252High[cp - 0x80] : 0xFFFD;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | cp >> 6));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | cp >> 12));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}
