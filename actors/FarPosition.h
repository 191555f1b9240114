// Positions far outside the street. A modded level or property file may put a
// piece at 1e30 or give a figure a speed of 1e38; adding or subtracting the
// street's width no longer changes such a float, so a loop that wraps it onto
// the street would never end. These bring such values near the street first.
// Everything the game makes of its own values stays far below the bound, so
// those positions are left exactly as they are.
#pragma once

#include <cmath>

// 2^20: many thousand street widths, and floats there are still 1/8 apart.
constexpr float kFarPosition = 1048576.0f;

// p itself below the bound; beyond it the remainder of p by width (same sign),
// and 0 for an infinite or undefined p.
inline float NearRing(float p, float width) {
    if (std::fabs(p) < kFarPosition) return p;
    return std::isfinite(p) ? std::fmod(p, width) : 0.0f;
}
