// The terrain view: the cloud plane and the column-cast height field in the top 240 x 240.
#pragma once
#include <cstdint>

#include "render/camera.h"

// Strip widths of the three DETAIL settings (LOW, MEDIUM, HIGH), in pixels.
constexpr int32_t WideStrip = 8;
constexpr int32_t MiddleStrip = 4;
constexpr int32_t NarrowStrip = 2;

// The farthest view distance of DISTANCE 0-2 (NEAR, MEDIUM, FAR).
inline int32_t MaximumViewDistance(int32_t distanceSetting) {
    return (distanceSetting + 2) * 25000;
}

// One frame of landscape from the Camera, by GameSettings' DETAIL, DISTANCE and SKY: clears
// the view when the sky does not cover it, draws the sky, then casts the terrain, which
// leaves the DepthBuffer holding the view distance of every terrain pixel (all bits set
// elsewhere). Screens call it first and draw their text, ships and panel over it.
void DrawTerrainView();

// The cloud plane above the horizon in 4-pixel groups, from the 256 x 256 `sky` picture.
// Writes no depth.
void DrawSky(const CameraState& camera, const uint16_t* sky);

// The caster: strips of `stripWidth` (8, 4 or 2) pixels, samples out to `maximumDistance`,
// ground colours and heights 512 x 512. Resets the camera's depth buffer to all bits set and
// fills every terrain pixel and its depth. Any other strip width draws nothing.
void CastTerrainColumns(const CameraState& camera, int32_t stripWidth, int32_t maximumDistance,
                        const uint16_t* colours, const uint8_t* heights);

// Which caster CastTerrainColumns and the sky run. The vector casters run eight strips side by
// side, mark where each span begins and fill the marked spans in one pass down the rows; they
// draw the game's 240 x 240 view from eyes near the map and leave every other case to the
// strip-by-strip code. All of them draw exactly the same pixels and depths. Tests and
// benchmarks pin one to compare them.
enum class CasterChoice {
    Fastest, // the quickest this processor and build run
    Scalar,  // strip by strip, everywhere
    Vector,  // eight strips at a time in the build's baseline vectors (SSE2, NEON, SIMD128)
    Avx2,    // eight strips at a time with AVX2, on x86-64 processors that have it
};
void ChooseTerrainCaster(CasterChoice choice);

// The caster the last choice resolves to on this processor: never Fastest, and Avx2 only
// where the processor runs it (a pinned Avx2 elsewhere falls back to Vector).
CasterChoice TerrainCasterInUse();
