// The terrain view: cloud plane, then the height field cast column strip by column strip.
#include "render/terrain_view.h"

#include <algorithm>
#include <cstring>

#include "assets/assets.h"
#include "render/tables.h"
#include "screens/settings.h"

namespace {

constexpr int32_t RowStride = 240;     // pixels; the renderers use it whatever viewWidth says
constexpr int32_t MaxView = 240;       // columns and rows of the view buffers
constexpr int32_t NoCell = -1;         // a strip's previous cell before it has sampled one
constexpr int64_t MapLimit = 0x7FC0000; // 22.10: the last position admitted, on cell 511
constexpr int32_t CloudHeight = 4800;  // camera-height units
// Beyond every setting's reach (100000 at most); keeps the reciprocal below exact.
constexpr int32_t DistanceLimit = 250000;

// The view size the buffers can hold: the game always uses 240 x 240, and anything larger
// would write past the 240 x 240 depth buffer and the view rows.
int32_t ViewWidthOf(const CameraState& camera) { return std::min(camera.viewWidth, MaxView); }
int32_t ViewHeightOf(const CameraState& camera) { return std::min(camera.viewHeight, MaxView); }

// (h << 14) / d without a division in the inner loop: for one distance d, (x * m) >> 40 with
// m = 2^40 / d + 1 equals x / d for every x below 2^22 and d below 2^18, which covers every
// height (h << 14 < 2^22) and every distance the caster reaches.
constexpr int32_t ReciprocalShift = 40;
inline uint64_t Reciprocal(int32_t d) {
    return ((uint64_t{1} << ReciprocalShift) / static_cast<uint64_t>(d)) + 1;
}

// One distance step of the sample lines, the same for every strip: the samples of strip k
// lie at (leftX + k * stepX, leftY + k * stepY), 22.10 fixed point.
struct DistanceStep {
    int64_t leftX;
    int64_t leftY;
    int64_t stepX; // (right - left) / strips, truncated
    int64_t stepY;
    uint64_t reciprocal; // of d, see Reciprocal
    int32_t d;           // view distance
    int32_t base;        // screen row of altitude zero at d
};

// 15 steps of 64, 188 of 128, then 256 apart up to the distance limit.
constexpr int32_t MaxDistanceSteps = 15 + 188 + (DistanceLimit - 24961) / 256 + 2;

// Per-call tables of the caster; static so a frame allocates nothing.
DistanceStep DistanceSteps[MaxDistanceSteps];

// Lays the sample lines out, step by step, as the edge rays advance; returns the step count.
int32_t LayOutDistanceSteps(const CameraState& camera, int32_t maximumDistance, int32_t n) {
    const int32_t angle = camera.angle & 255;
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    EyePoint(camera, eyeX, eyeY);
    const int32_t dL = LeftEdgeAngle(angle);
    const int32_t dR = RightEdgeAngle(angle);

    // Points at distance 1 along the two edge rays. Kept in 64 bits so an eye far outside
    // the map cannot overflow; inside the game's range the values are the same.
    int64_t leftX = int64_t{eyeX} * 1024 + CosTable[dL];
    int64_t leftY = int64_t{eyeY} * 1024 + SinTable[dL];
    int64_t rightX = int64_t{eyeX} * 1024 + CosTable[dR];
    int64_t rightY = int64_t{eyeY} * 1024 + SinTable[dR];

    // The row of altitude zero needs height << 10 / d; a clamped base gives the same rows
    // (all hidden, or all at the top) for absurd heights and tilts without overflow.
    const int64_t eyeHeight = int64_t{camera.height} * 1024;
    const int64_t horizonShift = -int64_t{camera.tilt} - 80;
    maximumDistance = std::min(maximumDistance, DistanceLimit);

    int32_t count = 0;
    int32_t d = 1;
    while (d <= maximumDistance) {
        // Samples 64 apart up close, then 128, then 256 as the rows they land on crowd.
        const int32_t s = d < 1000 ? 64 : (d < 25000 ? 128 : 256);
        d += s;
        leftX += int64_t{CosTable[dL]} * s;
        leftY += int64_t{SinTable[dL]} * s;
        rightX += int64_t{CosTable[dR]} * s;
        rightY += int64_t{SinTable[dR]} * s;
        DistanceStep& step = DistanceSteps[count++];
        step.leftX = leftX;
        step.leftY = leftY;
        step.stepX = (rightX - leftX) / n;
        step.stepY = (rightY - leftY) / n;
        step.reciprocal = Reciprocal(d);
        step.d = d;
        step.base = static_cast<int32_t>(std::clamp<int64_t>(
            eyeHeight / d + horizonShift, -(int64_t{1} << 30), int64_t{1} << 30));
    }
    return count;
}

// One strip from near to far. Strips never affect each other, so each runs its whole ray
// on its own: the samples along one ray stay close in the map (and in the cache), and the
// strip's state stays in registers. It ends when the strip closes.
template <int32_t W>
void CastStrip(int32_t k, int32_t steps, int32_t viewHeight, const uint16_t* colours,
               const uint8_t* heights, uint16_t* frame, uint32_t* depth) {
    int32_t open = viewHeight; // rows from here to the bottom are done; 0 closes the strip
    int32_t writePos = (RowStride - 1) * RowStride + k * W; // next pixel row a span fills
    int32_t prevCell = NoCell; // the cell sampled last
    for (int32_t i = 0; i < steps; ++i) {
        const DistanceStep& step = DistanceSteps[i];
        const int64_t px = step.leftX + k * step.stepX;
        const int64_t py = step.leftY + k * step.stepY;
        if (px < 0 || px > MapLimit || py < 0 || py > MapLimit) {
            // A strip that has drawn and then leaves the map is finished; one that has drawn
            // nothing waits for its ray to reach the map.
            if (open < viewHeight) return;
            prevCell = NoCell;
            continue;
        }
        const int32_t cell = static_cast<int32_t>(((px >> 18) & 511) + ((py >> 18) & 511) * 512);
        if (cell == prevCell) continue;

        const uint32_t h = heights[cell];
        const int32_t row =
            step.base - static_cast<int32_t>(((h << 14) * step.reciprocal) >> ReciprocalShift);
        const int32_t y = std::max(row, 0);
        if (y >= open) {
            // Hidden behind nearer ground or below the view; its colour may still be the one
            // the next span takes.
            prevCell = cell;
            continue;
        }
        if (prevCell == NoCell) {
            writePos = y * RowStride + k * W;
            open = y;
            prevCell = cell;
            if (open == 0) return;
            continue;
        }

        // A span in the nearer cell's colour, from the open row up to this cell's row, at
        // this (farther) distance.
        const uint16_t colour = colours[prevCell];
        const uint32_t distance = static_cast<uint32_t>(step.d);
        uint16_t* pixel = frame + writePos;
        uint32_t* entry = depth + writePos;
        for (int32_t rows = open - y; rows > 0; --rows) {
            for (int32_t j = 0; j < W; ++j) {
                pixel[j] = colour;
                entry[j] = distance;
            }
            pixel -= RowStride;
            entry -= RowStride;
        }
        writePos -= (open - y) * RowStride;
        open = y;
        prevCell = cell;
        if (open == 0) return; // reached the top of the view
    }
}

template <int32_t W>
void CastStrips(const CameraState& camera, int32_t maximumDistance, const uint16_t* colours,
                const uint8_t* heights) {
    std::memset(camera.depth, 255, sizeof(uint32_t) * MaxView * MaxView);
    const int32_t n = ViewWidthOf(camera) / W;
    if (n < 1) return;
    const int32_t steps = LayOutDistanceSteps(camera, maximumDistance, n);
    const int32_t viewHeight = ViewHeightOf(camera);
    if (viewHeight <= 0) return;
    for (int32_t k = 0; k < n; ++k) {
        CastStrip<W>(k, steps, viewHeight, colours, heights, camera.frame, camera.depth);
    }
}

} // namespace

void DrawSky(const CameraState& camera, const uint16_t* sky) {
    if (camera.frame == nullptr || sky == nullptr) return;
    const int32_t angle = camera.angle & 255;
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    EyePoint(camera, eyeX, eyeY);
    const int32_t dL = LeftEdgeAngle(angle);
    const int32_t dR = RightEdgeAngle(angle);
    const int32_t viewHeight = ViewHeightOf(camera);
    const int32_t groups = ViewWidthOf(camera) >> 2;
    if (groups < 1) return;

    // Rows just above the horizon put the cloud plane millions of units away, and the
    // products below then leave 32 bits; 64-bit arithmetic keeps them exact. The texel index
    // uses bits 19-26 only, which wrap-around would also get right, but the steps would not.
    const int64_t eyeX10 = int64_t{eyeX} * 1024;
    const int64_t eyeY10 = int64_t{eyeY} * 1024;
    const int64_t cloudOffset = (int64_t{camera.height} - CloudHeight) * 1024;
    uint16_t* pixel = camera.frame;
    for (int32_t r = 0; r < viewHeight; ++r) {
        const int64_t k = int64_t{camera.tilt} + r + 80;
        if (k >= 0) break; // the horizon row and all below it get no sky
        const int64_t t = cloudOffset / k;
        int64_t lx = CosTable[dL] * t + eyeX10;
        int64_t ly = SinTable[dL] * t + eyeY10;
        const int64_t sx = (CosTable[dR] * t - lx + eyeX10) / groups;
        const int64_t sy = (SinTable[dR] * t - ly + eyeY10) / groups;
        for (int32_t g = 0; g < groups; ++g) {
            const uint16_t texel = sky[((lx >> 19) & 255) + ((ly >> 19) & 255) * 256];
            pixel[0] = texel;
            pixel[1] = texel;
            pixel[2] = texel;
            pixel[3] = texel;
            pixel += 4;
            lx += sx;
            ly += sy;
        }
    }
}

void CastTerrainColumns(const CameraState& camera, int32_t stripWidth, int32_t maximumDistance,
                        const uint16_t* colours, const uint8_t* heights) {
    if (camera.frame == nullptr || camera.depth == nullptr || colours == nullptr ||
        heights == nullptr) {
        return;
    }
    // One copy of the loop per width, so each row of a span is a fixed run of stores.
    switch (stripWidth) {
    case WideStrip:
        CastStrips<WideStrip>(camera, maximumDistance, colours, heights);
        break;
    case MiddleStrip:
        CastStrips<MiddleStrip>(camera, maximumDistance, colours, heights);
        break;
    case NarrowStrip:
        CastStrips<NarrowStrip>(camera, maximumDistance, colours, heights);
        break;
    default:
        break;
    }
}

void DrawTerrainView() {
    if (Camera.frame == nullptr) return;
    // With the sky on and the far distance the view is covered, or keeps the last frame's
    // pixels where neither reaches; otherwise it starts black.
    if (GameSettings.distance < 2 || GameSettings.sky == 0) {
        std::memset(Camera.frame, 0, sizeof(uint16_t) * RowStride * MaxView);
    }
    if (GameSettings.sky != 0) DrawSky(Camera, SkyPicture);
    const int32_t maximumDistance = MaximumViewDistance(GameSettings.distance);
    switch (GameSettings.detail) {
    case 0:
        CastTerrainColumns(Camera, WideStrip, maximumDistance, TerrainColours, HeightMap);
        break;
    case 1:
        CastTerrainColumns(Camera, MiddleStrip, maximumDistance, TerrainColours, HeightMap);
        break;
    case 2:
        CastTerrainColumns(Camera, NarrowStrip, maximumDistance, TerrainColours, HeightMap);
        break;
    default:
        break; // no terrain, and the depth buffer keeps what it held
    }
}
