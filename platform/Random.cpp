// The process-wide random generator (see Random.h).
#include "platform/Random.h"

namespace Random {
namespace {
std::uint32_t state = 1;
}

void Seed(std::uint32_t seed) { state = seed; }

std::int32_t Next() {
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 32767u);
}

std::uint32_t State() { return state; }

}  // namespace Random
