// The game's icon: a saw biting into a plank, drawn at every size the
// desktop asks for.
#pragma once

#include <string>

namespace assetgen {

// Writes DIR/hicolor/NxN/apps/brettspalt.png for N = 16 ... 256 and
// DIR/brettspalt_window_icon.inc, the 64 x 64 picture as C++ data for the
// game window. False with the reason on standard error.
bool WriteIcons(const std::string& dir);

}  // namespace assetgen
