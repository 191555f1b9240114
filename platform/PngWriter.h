// The frame buffer as a PNG file, without a PNG library (stored deflate
// blocks): screenshots of the desktop game and of headless runs.
#pragma once

#include <string>
#include <vector>

#include "platform/PlatformServices.h"

// 16-bit pixels (red 10-14, green 5-9, blue 0-4) as an 8-bit RGB PNG, each
// channel widened as v << 3 | v >> 2 so that white stays white.
std::vector<u8> EncodePng16(const u16* pixels, i32 pitchPixels, i32 width, i32 height);
bool WritePng16(const std::string& path, const u16* pixels, i32 pitchPixels, i32 width,
                i32 height);

// Saves the picture as brettspalt-YYYYMMDD-HHMMSS[-N].png in folder (created
// when needed), never over an earlier file; returns the path, or empty with
// the reason in *error.
std::string WriteScreenshot(const std::string& folder, const u16* pixels, i32 pitchPixels,
                            i32 width, i32 height, std::string* error);

// Where screenshots go: $XDG_PICTURES_DIR/brettspalt (the variable itself or
// its line in $XDG_CONFIG_HOME/user-dirs.dirs, "$HOME/..." expanded); the
// fallback folder when the desktop names no pictures folder.
std::string ScreenshotFolderFor(const char* xdgPicturesDir, const char* xdgConfigHome,
                                const char* home, const std::string& fallback);
