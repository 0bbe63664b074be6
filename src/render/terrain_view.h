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

// Which caster CastTerrainColumns runs. The fastest is a vector one, eight strips at a time,
// where the processor has AVX2 and the view is the game's 240 x 240; it draws exactly what
// the portable one draws. Tests and benchmarks pin the portable one to compare the two.
enum class CasterChoice { Fastest, Portable };
void ChooseTerrainCaster(CasterChoice choice);

// Whether the vector code draws the terrain view (the caster and the sky): the processor has
// AVX2 and the portable code is not pinned.
bool VectorTerrainCodeRuns();
