// What the desktop game remembers between runs: the Options screen's two
// switches, window or full screen, the picture's scaling and the window's
// size, in $XDG_CONFIG_HOME/brettspalt/settings.ini. Plain C++.
#pragma once

#include <string>

#include "platform/PlatformServices.h"

struct DesktopSettings {
    static constexpr i32 kMaxScale = 16;
    static constexpr i32 kMaxWindowSide = 32768;

    bool soundEffects = true;
    bool music = true;
    bool fullScreen = true;
    bool smooth = false;  // fill the window instead of whole multiples of the picture
    i32 scale = 1;        // a new window is scale x 800 by scale x 600
    i32 windowW = 0;      // the window's last size; 0: from the scale
    i32 windowH = 0;

    bool operator==(const DesktopSettings&) const = default;
};

// The text of settings.ini, and back. Parsing is all or nothing: a file that
// is not ours or holds a value out of range leaves *settings alone and says
// why in one line. Keys it does not know (a later version's) are skipped.
std::string FormatSettings(const DesktopSettings& settings);
bool ParseSettings(const std::string& text, DesktopSettings* settings, std::string* error);

// $XDG_CONFIG_HOME/brettspalt/settings.ini, or ~/.config/brettspalt/settings.ini;
// empty when neither variable is set.
std::string SettingsPathFor(const char* xdgConfigHome, const char* home);

// A missing file is no fault: true with the defaults. False with a warning
// when the file is damaged or foreign (the defaults are kept).
bool LoadSettings(const std::string& path, DesktopSettings* settings, std::string* warning);
// Writes a temporary file beside the target and renames it over the target,
// so a crash never leaves half a file; creates the folder when needed.
bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string* error);
