// The game's own random generator: a 32-bit linear congruential sequence.
#include "base/random.h"

namespace {

uint32_t State = 1; // whole run; 1 until seeded, as the C library's generator starts

} // namespace

void SeedGameRandom(uint32_t seed) {
    State = seed;
}

int32_t GameRandom() {
    State = State * 1103515245u + 12345u;
    return static_cast<int32_t>((State >> 16) & static_cast<uint32_t>(GameRandomMost));
}
