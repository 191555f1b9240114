// The remembered desktop settings (see HostSettings.h).
#include "platform/HostSettings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr char kSection[] = "[brettspalt]";

std::string Trim(const std::string& s) {
    const std::size_t from = s.find_first_not_of(" \t\r");
    if (from == std::string::npos) return {};
    const std::size_t to = s.find_last_not_of(" \t\r");
    return s.substr(from, to - from + 1);
}

bool ParseSwitch(const std::string& value, bool* out) {
    if (value == "on" || value == "true" || value == "1") {
        *out = true;
        return true;
    }
    if (value == "off" || value == "false" || value == "0") {
        *out = false;
        return true;
    }
    return false;
}

bool ParseInt(const std::string& value, i32 low, i32 high, i32* out) {
    if (value.empty() || value.size() > 6) return false;
    i32 v = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return false;
    *out = v;
    return true;
}

const char* OnOff(bool v) {
    return v ? "on" : "off";
}


// Creates the folder and those above it; true when it exists afterwards.
bool MakeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

}  // namespace

std::string FormatSettings(const DesktopSettings& s) {
    std::ostringstream out;
    out << "# Brettspalt remembers these between runs; the game rewrites this file when it ends.\n"
        << kSection << "\n"
        << "sound_effects=" << OnOff(s.soundEffects) << "\n"
        << "music=" << OnOff(s.music) << "\n"
        << "fullscreen=" << OnOff(s.fullScreen) << "\n"
        << "smooth=" << OnOff(s.smooth) << "\n"
        << "scale=" << s.scale << "\n"
        << "window_width=" << s.windowW << "\n"
        << "window_height=" << s.windowH << "\n";
    return out.str();
}

bool ParseSettings(const std::string& text, DesktopSettings* settings, std::string* error) {
    DesktopSettings read;
    bool inSection = false, sawSection = false;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++number;
        if (raw.find('\0') != std::string::npos) return fail("not a text file");
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            inSection = line == kSection;
            sawSection = sawSection || inSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return fail("\"" + line + "\" is no setting");
        if (!inSection) continue;  // another program's section
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        bool ok = true;
        if (key == "sound_effects") {
            ok = ParseSwitch(value, &read.soundEffects);
        } else if (key == "music") {
            ok = ParseSwitch(value, &read.music);
        } else if (key == "fullscreen") {
            ok = ParseSwitch(value, &read.fullScreen);
        } else if (key == "smooth") {
            ok = ParseSwitch(value, &read.smooth);
        } else if (key == "scale") {
            ok = ParseInt(value, 1, DesktopSettings::kMaxScale, &read.scale);
        } else if (key == "window_width") {
            ok = ParseInt(value, 0, DesktopSettings::kMaxWindowSide, &read.windowW);
        } else if (key == "window_height") {
            ok = ParseInt(value, 0, DesktopSettings::kMaxWindowSide, &read.windowH);
        }
        if (!ok) return fail("\"" + value + "\" is no value for " + key);
    }
    if (!sawSection) {
        *error = std::string("no ") + kSection + " section";
        return false;
    }
    if ((read.windowW == 0) != (read.windowH == 0)) {
        *error = "window_width and window_height must both be given";
        return false;
    }
    *settings = read;
    return true;
}

std::string SettingsPathFor(const char* xdgConfigHome, const char* home) {
    // Only an absolute XDG_CONFIG_HOME counts, as the desktop rules say.
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        return std::string(xdgConfigHome) + "/brettspalt/settings.ini";
    }
    if (home != nullptr && *home != 0) return std::string(home) + "/.config/brettspalt/settings.ini";
    return {};
}

bool LoadSettings(const std::string& path, DesktopSettings* settings, std::string* warning) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return true;
    std::string text;
    char buffer[4096];
    // A settings file is small; anything far larger is not ours.
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (text.size() > 65536) {
            *warning = path + " is ignored: far too large for a settings file";
            return false;
        }
    }
    std::string error;
    if (ParseSettings(text, settings, &error)) return true;
    *warning = path + " is ignored (" + error + "); the defaults are used";
    return false;
}

bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string* error) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeFolders(path.substr(0, slash))) {
        *error = "the folder of " + path + " cannot be created";
        return false;
    }
    const std::string temporary = path + ".new";
    const std::string text = FormatSettings(settings);
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) {
        *error = temporary + " cannot be written: " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(::fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = path + " cannot be written: " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
