// The one process-wide random generator of the game. Every random draw of the
// game and of the host's GetRandom slots advances this same state, in the order
// the rules make them, so that a game replays identically from one seed.
#pragma once

#include <cstdint>

namespace Random {

// Sets the state (the host seeds it with the clock at start-up; tests at will).
void Seed(std::uint32_t seed);

// The raw draw: state = state * 214013 + 2531011 (mod 2^32), result bits 16-30
// of the new state, 0..32767. This is the rules' rand().
std::int32_t Next();

// The state itself, for tests and replays.
std::uint32_t State();

}  // namespace Random
