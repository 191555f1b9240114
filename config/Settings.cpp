// The settings files: one keyword table read by AnimProps.txt, CharProps.txt,
// ObjectProps.txt and the level files alike. A level file places the
// furniture, canisters, van and figures and sets the level's values; the
// property keywords tune animations, figures and objects.
#include "config/Settings.h"

#include <cstdio>
#include <cstring>

#include "actors/NonPlayerCharacter.h"
#include "actors/WorldObject.h"
#include "config/AssetNames.h"
#include "config/SettingsLines.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "platform/Random.h"

// ---- Reading the values of a line -------------------------------------------

bool LineValues::Int(i32* value) {
    const char* token = SkipToToken(resume);
    if (token == nullptr) return false;
    *value = ConfigInt(token);
    resume = token + TokenLength(token);
    return true;
}

bool LineValues::Float(float* value) {
    const char* token = SkipToToken(resume);
    if (token == nullptr) return false;
    *value = ConfigFloat(token);
    resume = token + TokenLength(token);
    return true;
}

bool LineValues::Name(char* out, i32 maxLength, bool propertyLine) {
    const char* token = SkipToToken(resume);
    if (token == nullptr) return false;
    const i32 length = TokenLength(token);
    if (length > maxLength) return false;
    std::memcpy(out, token, static_cast<size_t>(length));
    out[length] = '\0';
    resume = token + length;
    // Property lines pass over the character that ended the name unexamined
    // (a separator, or the closing quote of a quoted name); never past the
    // end of the line, though.
    if (propertyLine && *resume != '\0') ++resume;
    return true;
}

const char* LineValues::Word() {
    const char* token = SkipToToken(resume);
    if (token == nullptr) return nullptr;
    resume = token + TokenLength(token);
    return token;
}

bool FailLine() {
    configErrorLine = ConfigLineNumber();
    return false;
}

namespace {

// ---- Placing objects and figures ---------------------------------------------

bool PlaceObject(float position, i32 type, const char* name) {
    // The table holds 128 objects; a level that places more is at fault on
    // the line that would place the 129th.
    if (gObjectCount >= kMaxObjects) return FailLine();
    SpawnObject(gObjects[gObjectCount], position, type, name);
    ++gObjectCount;
    return true;
}

void AddCharacter(i32 type, float position, bool facingLeft) {
    NonPlayerCharacter* figure = new NonPlayerCharacter(type);
    figure->SetPosition(position);  // wrapped with the width in force now
    figure->facingLeft = facingLeft ? 1 : 0;
    figure->Reset();
    gCharacters[gCharacterCount++] = figure;
}

// A level without a wife still gets one: at 0, facing right.
void EnsureWife() {
    for (i32 i = 0; i < gCharacterCount; ++i) {
        if (gCharacters[i] != nullptr && gCharacters[i]->characterType == kWife) return;
    }
    if (gCharacterCount < kMaxCharacters) AddCharacter(kWife, 0.0f, false);
}

// ---- Top-level keywords ---------------------------------------------------------

bool HandleObject(const char* keyword) {
    LineValues values(keyword);
    float x = 0.0f;
    char name[kMaxNameLength + 1];
    if (!values.Float(&x) || !values.Name(name, kMaxNameLength, false)) return FailLine();
    return PlaceObject(x, kFurniture, name);
}

bool HandleVan(const char* keyword) {
    LineValues values(keyword);
    float x = 0.0f;
    if (!values.Float(&x)) return FailLine();
    return PlaceObject(x, kVan, "moebelwagen");
}

bool HandleGas(const char* keyword) {
    LineValues values(keyword);
    float x = 0.0f;
    if (!values.Float(&x)) return FailLine();
    return PlaceObject(x, kCanister, "Kanister gelb");
}

bool HandleRandomGas(const char* keyword) {
    LineValues values(keyword);
    i32 n = 0;
    if (!values.Int(&n) || n < 1 || n >= 127 - gObjectCount) return FailLine();
    // Positions on a grid of 0.1 screen widths, 0 to width - 0.1.
    const long long grid = static_cast<long long>(gLevel.playfieldWidth) * 10;
    for (i32 i = 0; i < n; ++i) {
        const i32 r = Random::Next();
        const float x = static_cast<float>(static_cast<i32>(r % grid)) * 0.1f;
        SpawnObject(gObjects[gObjectCount], x, kCanister, "Kanister gelb");
        ++gObjectCount;
    }
    return true;
}

bool HandleCharacter(const char* keyword) {
    // A 64th figure fails the level without a line to report.
    if (gCharacterCount >= kMaxCharacters) return false;
    LineValues values(keyword);
    float x = 0.0f;
    char name[kMaxNameLength + 1];
    i32 facing = 0;
    if (!values.Float(&x) || !values.Name(name, kMaxNameLength, false) || !values.Int(&facing)) {
        return FailLine();
    }
    const i32 length = static_cast<i32>(std::strlen(name));
    i32 type = 0;
    if (NameEquals(name, length, "REMOVALMAN")) {
        type = kRemovalMan;
    } else if (NameEquals(name, length, "WIFE")) {
        type = kWife;
    } else if (NameEquals(name, length, "POLICEMAN")) {
        type = kPoliceMan;
    } else if (NameEquals(name, length, "LAWYER")) {
        type = kLawyer;
    } else {
        return FailLine();
    }
    AddCharacter(type, x, facing == 0);
    return true;
}

bool HandlePlayfieldWidth(const char* keyword) {
    LineValues values(keyword);
    i32 width = 0;
    // The ring must be at least one screen long, or positions cannot wrap.
    if (!values.Int(&width) || width < 1) return FailLine();
    gLevel.playfieldWidth = width;
    return true;
}

bool HandleTime(const char* keyword) {
    LineValues values(keyword);
    i32 seconds = 0;
    if (!values.Int(&seconds)) return FailLine();
    // The clock counts down from here in whole seconds: more than eleven days
    // either way means nothing more, and the countdown's arithmetic must not
    // run past the integer's end.
    constexpr i32 kMaxSeconds = 999999;
    gGame.timeLeft = seconds > kMaxSeconds ? kMaxSeconds : (seconds < -kMaxSeconds ? -kMaxSeconds : seconds);
    return true;
}

bool HandleScrollSpeed(const char* keyword) {
    LineValues values(keyword);
    i32 k = 0;
    float factor = 0.0f;
    if (!values.Int(&k) || !values.Float(&factor) || k < 1 || k > 3) return FailLine();
    gLevel.scrollFactor[k] = factor;
    return true;
}

bool HandleRefillSpeed(const char* keyword) {
    LineValues values(keyword);
    return values.Float(&gLevel.refillSpeed) || FailLine();
}

bool HandleConsumption(const char* keyword) {
    LineValues values(keyword);
    float rates[3] = {};
    for (float& rate : rates) {
        if (!values.Float(&rate)) return FailLine();
    }
    for (i32 i = 0; i < 3; ++i) gLevel.consumption[i] = rates[i];
    return true;
}

bool HandleStartGas(const char* keyword) {
    LineValues values(keyword);
    return values.Int(&gLevel.startGas) || FailLine();
}

bool HandleNewLifeScore1(const char* keyword) {
    LineValues values(keyword);
    return values.Int(&gLevel.extraLifeScore[1]) || FailLine();
}

bool HandleNewLifeScore2(const char* keyword) {
    LineValues values(keyword);
    return values.Int(&gLevel.extraLifeScore[2]) || FailLine();
}

bool HandleNewLifeScore3(const char* keyword) {
    LineValues values(keyword);
    return values.Int(&gLevel.extraLifeScore[3]) || FailLine();
}

bool HandleLawyerPenalty(const char* keyword) {
    LineValues values(keyword);
    return values.Int(&gLevel.lawyerPenalty) || FailLine();
}

bool HandleBonus(const char* keyword) {
    LineValues values(keyword);
    return values.Int(&gLevel.timeBonusPerSecond) || FailLine();
}

bool HandleSetGfx(const char* keyword) {
    LineValues values(keyword);
    i32 set = 0;
    if (!values.Int(&set)) return FailLine();
    gLevel.backgroundSet = set < 0 ? 0 : (set > 2 ? 2 : set);
    return true;
}

struct KeywordEntry {
    const char* keyword;
    bool (*handler)(const char* keyword);
};

// Tried in this order; the first keyword the line's word starts with wins.
constexpr KeywordEntry kKeywords[] = {
    {"OBJECT", HandleObject},
    {"VAN", HandleVan},
    {"GAS", HandleGas},
    {"RANDOMGAS", HandleRandomGas},
    {"CHARACTER", HandleCharacter},
    {"VIRTUALPLAYFIELDWIDTH", HandlePlayfieldWidth},
    {"TIME", HandleTime},
    {"SCROLLSPEED", HandleScrollSpeed},
    {"REFILLSPEED", HandleRefillSpeed},
    {"CONSUMPTION", HandleConsumption},
    {"STARTGAS", HandleStartGas},
    {"NEWLIFESCORE1", HandleNewLifeScore1},
    {"NEWLIFESCORE2", HandleNewLifeScore2},
    {"NEWLIFESCORE3", HandleNewLifeScore3},
    {"LAWYERMALUS", HandleLawyerPenalty},
    {"BONUS", HandleBonus},
    {"SETGFX", HandleSetGfx},
    {"OBJPROP", HandleObjProp},
    {"CHARPROP", HandleCharProp},
    {"ANIMPROP", HandleAnimProp},
};

// ---- The files of a level load ------------------------------------------------

constexpr ConfigSource kAnimProps = {"Config\\AnimProps.txt", 1, 0};
constexpr ConfigSource kCharProps = {"Config\\CharProps.txt", 1, 1};
constexpr ConfigSource kObjectProps = {"Config\\ObjectProps.txt", 1, 2};

struct LevelPath {
    char text[32];
};

LevelPath LevelFilePath(i32 n) {
    LevelPath path;
    std::snprintf(path.text, sizeof path.text, "Config\\Level%02d.txt", n);
    return path;
}

void ShowParseError(const char* fileName) {
    if (configErrorLine == -1 || gPlatform == nullptr) return;
    char message[96];
    std::snprintf(message, sizeof message, "Parse error in file %s, Line %d", fileName,
                  configErrorLine);
    gPlatform->ShowMessage(message, "Parse Error!");
}

// One file of a level load; on failure the message names the file by its
// path on disk, also when it came from the library.
bool ReadLevelFile(const ConfigSource& source) {
    ResetLineCounter();
    if (ParseSettingsFile(source)) return true;
    ShowParseError(source.diskPath);
    return false;
}

}  // namespace

bool ParseSettingsFile(const ConfigSource& source) {
    ResetLineCounter();
    ConfigFile file;
    if (!OpenConfigFile(source, &file)) return false;
    bool ok = true;
    while (const char* line = ReadConfigLine(&file)) {
        const char* keyword = FindKeyword(line);
        if (keyword == nullptr) continue;
        const KeywordEntry* entry = nullptr;
        for (const KeywordEntry& e : kKeywords) {
            if (KeywordMatches(keyword, e.keyword)) {
                entry = &e;
                break;
            }
        }
        if (entry == nullptr) {
            FailLine();
            ok = false;
            break;
        }
        if (!entry->handler(keyword)) {
            ok = false;
            break;
        }
    }
    CloseConfigFile(&file);
    return ok;
}

bool LoadAnimProps() {
    configErrorLine = -1;
    ResetLineCounter();
    if (ParseSettingsFile(kAnimProps)) return true;
    if (configErrorLine != -1 && gPlatform != nullptr) {
        char message[64];
        std::snprintf(message, sizeof message, "Parse error in file AnimProps.txt, Line %d",
                      configErrorLine);
        gPlatform->ShowMessage(message, "Parse Error!");
    }
    return false;
}

bool LoadLevelConfig(i32 n) {
    configErrorLine = -1;
    if (!ReadLevelFile(kAnimProps)) return false;
    const LevelPath path = LevelFilePath(n);
    if (!ReadLevelFile(ConfigSource{path.text, 0, n})) return false;
    EnsureWife();
    if (!ReadLevelFile(kObjectProps)) return false;
    return ReadLevelFile(kCharProps);
}

bool LevelFileExists(i32 n) {
    if (configFromLibrary) {
        return gLibrary != nullptr && gLibrary->GetData(&AssetNames::Config(), 0, n) != nullptr;
    }
    if (gPlatform == nullptr) return false;
    const LevelPath path = LevelFilePath(n);
    const FileHandle file = gPlatform->FileOpen(path.text, kFileRead, 0);
    if (file == kNoFile) return false;
    gPlatform->FileClose(file, false);
    return true;
}
