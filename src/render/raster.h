// The two object rasterisers: textured model triangles and camera-facing sprites.
#pragma once
#include <cstdint>

#include "render/camera.h"

// Both draw into the camera's frame and test against its depth buffer, rows 240 pixels
// apart, clipped to the 240 x 240 view.

// Fills one model triangle with affine texturing from a texture 128 texels wide and high
// (coordinates wrap into it), in pixel pairs, testing and writing the depth. Corners are as
// ProjectPoint left them; u and v are texel column and row at each corner. Drawn only when
// the corners run clockwise on the screen (or are in a line) and at least one is visible.
// A corner with a negative distance (never projected, or behind the eye) or lying more than
// 2^30 pixels off the view makes the triangle be skipped.
void DrawTexturedTriangle(const CameraState& camera, const ScreenPoint& pA, const ScreenPoint& pB,
                          const ScreenPoint& pC, int32_t uA, int32_t vA, int32_t uB, int32_t vB,
                          int32_t uC, int32_t vC, const uint16_t* texture);

// Records the edge from `a` to `b` into the triangle rasteriser's per-row edge table; only
// meaningful inside DrawTexturedTriangle, which resets the table first.
void ScanTriangleEdge(const ScreenPoint& a, const ScreenPoint& b, int32_t ua, int32_t va,
                      int32_t ub, int32_t vb);

// Texels a side of a sprite-sheet frame, and frames in a sheet (4 x 4 in 256 x 256).
constexpr int32_t SpriteFrameSize = 64;
constexpr int32_t SpriteFrames = 16;

// Draws frame `frame` (0-15) of a 256 x 256 sprite sheet as a square hanging from `point`
// (world x, y, altitude), reaching 2 x `size` altitude units down, pulled 256 distance units
// toward the viewer. Tests the depth but never writes it; black texels are transparent.
void DrawBillboard(const CameraState& camera, const WorldPoint& point, const uint16_t* sheet,
                   int32_t size, int32_t frame);
