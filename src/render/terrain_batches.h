// The vector terrain code's side of the terrain view: eight strips at a time, and the sky.
#pragma once
#include <cstdint>

#include "render/camera.h"

// The vector casters run eight strips side by side, one in each 32-bit lane, through every
// distance step. Spans are not drawn as they are found: each is marked on its top row, and
// afterwards one pass down the rows carries each mark on over the rows below it that its
// span covers, which fills the same pixels without a branch per span. One body
// (terrain_batches.inc) is built twice: in the build's baseline vectors, and on x86-64 once
// more with AVX2 for the processors that have it.

// Marks carry a span's colour cell and its view distance d as cell << 12 | DistanceCode(d):
// every distance lies 1 past a multiple of 64, so 12 bits hold it, and the code is never 0.
constexpr int32_t MarkDistanceBits = 12;
constexpr int32_t DistanceCode(int32_t d) {
    return (d - 1) / 64 + 1;
}

// One distance step in the vector casters' 32-bit form: strip k samples origin + k * step.
// Positions carry their sign bit flipped (which is adding 2^31, so the strips' sums keep it
// as they wrap around in 32 bits), making the map bounds a signed comparison.
struct BatchStep {
    int32_t originX; // 22.10: strip 0's sample, with its sign bit flipped
    int32_t originY;
    int32_t stepX; // 22.10: from one strip to the next
    int32_t stepY;
    int32_t base;      // screen row of altitude zero at this step
    uint32_t rowScale; // (h * rowScale) >> rowShift is (h << 14) / d for every height byte
    int32_t rowShift;
    int32_t distanceCode; // DistanceCode of the step's view distance
    float riseScale;      // h * riseScale, truncated, is (h << 14) / d for every height byte
    // The highest row (the smallest number) any height byte reaches at this step or any later
    // one: a strip whose open row is no lower has nothing left to draw.
    int32_t reach;
};

// The samples of the first eight strips at one step, one a lane, for vectors without a
// cheap 32-bit multiply (SSE2 has none): a batch starting at strip f adds f strip steps.
// AVX2 multiplies the strip numbers instead and leaves these out.
struct alignas(32) BatchLanes {
    int32_t laneX[8]; // 22.10, sign bit flipped as the origins'
    int32_t laneY[8];
};

// Per-call tables of the casters, laid out by the strip-by-strip code's distance steps, with
// one spare step past the last for the casters to read ahead; static so a frame allocates
// nothing. The lanes are laid out only for the baseline vectors.
extern BatchStep BatchSteps[];
extern BatchLanes BatchStepLanes[];
// The step the batches start from, laid out with the steps: no ground near the eye stands
// into the view before the step after it, so the steps before it would only sample cells
// the next ones forget. The first of them still runs, for the cell a strip's first span
// takes its colour from.
extern int32_t BatchFirstStep;

// One sky row of the 240-pixel view in 4-pixel groups, 22.10 fixed point: the positions of
// its first eight groups and the step from one group to the next. Only bits 19-26 of a
// position pick a texel, and 32-bit wrap-around keeps every bit below 32 exact, so the rows
// keep the low halves of the 64-bit positions.
struct alignas(32) SkyRow {
    int32_t laneX[8];
    int32_t laneY[8];
    uint32_t stepX;
    uint32_t stepY;
};

// The sky rows a frame draws under the terrain: `count` rows from the top of the view, 60
// groups a row, from the 256 x 256 `picture` (none when count is 0).
struct SkyLayout {
    const uint16_t* picture;
    const SkyRow* rows;
    int32_t count;
};

// Casts strips of `stripWidth` (8, 4 or 2) pixels filling the whole 240 x 240 view through
// `steps` laid-out BatchSteps, resetting and filling the depth buffer as the strip-by-strip
// caster does. Every position must fit 32 bits. Each batch draws the sky over its columns
// first, leaving out the rows its terrain covers whole.
void CastBatchesVector(int32_t stripWidth, int32_t steps, const CameraState& camera,
                       const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky);
void CastBatchesAvx2(int32_t stripWidth, int32_t steps, const CameraState& camera,
                     const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky);

// Draws `count` sky rows from the top of `frame`, 60 groups of four pixels a row.
void DrawSkyRowsVector(uint16_t* frame, const uint16_t* sky, const SkyRow* rows, int32_t count);
void DrawSkyRowsAvx2(uint16_t* frame, const uint16_t* sky, const SkyRow* rows, int32_t count);

// CastTerrainColumns with the frame's sky beneath: the laid-out sky rows are drawn before
// the terrain covers them, by the batches themselves where they run (which leave out the sky
// their terrain covers whole). The same pixels and depths as drawing the sky, then the
// terrain.
void CastTerrainUnderSky(const CameraState& camera, int32_t stripWidth, int32_t maximumDistance,
                         const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky);
