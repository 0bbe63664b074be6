// The ground colour of every cell: tiles blended by height, shadows cast, smoothed.
#pragma once
#include <cstdint>

// Rebuilds `colours` (512 x 512 RGB565) from `heights` (512 x 512) and the tiles in TileSlots
// s0-s3 (lowest band first; the game always passes 0, 1, 2, 3): blends, casts the shadows
// once and smooths three times. Long compared with a frame: keeps the music going through
// UpdateSound, and callers reset the frame rate afterwards. Must follow every change of the
// HeightMap or the TileSlots before the terrain is drawn again. A slot number outside 0-3 or
// an empty slot leaves `colours` as it was.
void BuildTerrainColours(const uint8_t* heights, uint16_t* colours, int32_t s0, int32_t s1,
                         int32_t s2, int32_t s3);

// Halves the colour of the 2 x 2 blocks that lie in the shadow of higher ground. The light
// comes from growing x and y; rays wrap around the map edges.
void CastTerrainShadows(const uint8_t* heights, uint16_t* colours);

// One in-place pass averaging each entry with its right, lower and lower-right neighbours.
// Calls UpdateSound before every 512 entries.
void SmoothTerrainColours(uint16_t* colours);
