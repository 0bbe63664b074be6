// The game's own random generator: the same sequence for a seed on every build and platform.
#pragma once
#include <cstdint>

// The largest number GameRandom returns, as on the pocket device's C library.
constexpr int32_t GameRandomMost = 32767;

// Whole run. Seeded by the load step (--seed, or the tick count); drawn by the opponents'
// altitude aims and by a wreck's put-back place.
void SeedGameRandom(uint32_t seed);

// The next number of the sequence, 0..GameRandomMost. A linear congruential generator
// (state = state x 1103515245 + 12345, modulo 2^32; the result is bits 16..30 of the new
// state): small, fast, and fixed here, so a seeded race is the same race in a window, in a
// browser and in a headless test, whatever C library the build links.
int32_t GameRandom();
