// The terrain view: cloud plane, then the height field cast column strip by column strip.
#include "render/terrain_view.h"

#include <algorithm>
#include <cstring>

#include "assets/assets.h"
#include "render/tables.h"
#include "screens/settings.h"

namespace {

constexpr int32_t RowStride = 240;      // pixels; the renderers use it whatever viewWidth says
constexpr int32_t MaxView = 240;        // columns and rows of the view buffers
constexpr int32_t NoCell = -1;          // a strip's previous cell before it has sampled one
constexpr int64_t MapLimit = 0x7FC0000; // 22.10: the last position admitted, on cell 511
constexpr int32_t CloudHeight = 4800;   // camera-height units
// Beyond every setting's reach (100000 at most); keeps the reciprocal below exact.
constexpr int32_t DistanceLimit = 250000;

// The view size the buffers can hold: the game always uses 240 x 240, and anything larger
// would write past the 240 x 240 depth buffer and the view rows.
int32_t ViewWidthOf(const CameraState& camera) {
    return std::min(camera.viewWidth, MaxView);
}
int32_t ViewHeightOf(const CameraState& camera) {
    return std::min(camera.viewHeight, MaxView);
}

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
    uint64_t heightScale; // Reciprocal(d) << 14: h * heightScale >> 40 is (h << 14) / d
    int32_t d;            // view distance
    int32_t base;         // screen row of altitude zero at d
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
        step.heightScale = Reciprocal(d) << 14;
        step.d = d;
        step.base = static_cast<int32_t>(std::clamp<int64_t>(
            eyeHeight / d + horizonShift, -(int64_t{1} << 30), int64_t{1} << 30));
    }
    return count;
}

// The sample of strip k at one distance step: false when it lies off the map. One unsigned
// comparison per axis also catches the negative positions; inside the bounds the shifted
// positions are at most 511, so the cell needs no masking.
inline bool SampleCell(const DistanceStep& step, int32_t k, int32_t& cell) {
    const int64_t px = step.leftX + k * step.stepX;
    const int64_t py = step.leftY + k * step.stepY;
    if (static_cast<uint64_t>(px) > MapLimit || static_cast<uint64_t>(py) > MapLimit)
        return false;
    cell = static_cast<int32_t>((px >> 18) + ((py >> 18) << 9));
    return true;
}

// The screen row of a height byte at one distance step; rows above the view count as 0.
inline int32_t SampleRow(const DistanceStep& step, uint32_t h) {
    const int32_t row = step.base - static_cast<int32_t>((h * step.heightScale) >> ReciprocalShift);
    return std::max(row, 0);
}

// Fills `rows` rows of one strip upward from `writePos` with a colour and a view distance.
// Each row is one fixed-size copy of the strip's width, which the compiler turns into a
// store or two instead of one store a pixel.
template <int32_t W>
inline void DrawSpan(uint16_t* frame, uint32_t* depth, int32_t writePos, int32_t rows,
                     uint16_t colour, uint32_t distance) {
    uint16_t colourRow[W];
    uint32_t depthRow[W];
    for (int32_t j = 0; j < W; ++j) {
        colourRow[j] = colour;
        depthRow[j] = distance;
    }
    uint16_t* pixel = frame + writePos;
    uint32_t* entry = depth + writePos;
    for (; rows > 0; --rows) {
        std::memcpy(pixel, colourRow, sizeof colourRow);
        std::memcpy(entry, depthRow, sizeof depthRow);
        pixel -= RowStride;
        entry -= RowStride;
    }
}

// One strip from near to far. Strips never affect each other, so each runs its whole ray
// on its own: the samples along one ray stay close in the map (and in the cache), and the
// strip's state stays in registers. It ends when the strip closes.
template <int32_t W>
void CastStrip(int32_t k, int32_t steps, int32_t viewHeight, const uint16_t* colours,
               const uint8_t* heights, uint16_t* frame, uint32_t* depth) {
    int32_t prevCell = NoCell; // the cell sampled last
    int32_t cell = NoCell;
    int32_t y = 0;
    int32_t i = 0;

    // Below the view, or off the map with nothing drawn yet: wait for the first visible cell.
    for (; i < steps; ++i) {
        if (!SampleCell(DistanceSteps[i], k, cell)) {
            prevCell = NoCell;
            continue;
        }
        if (cell == prevCell)
            continue;
        y = SampleRow(DistanceSteps[i], heights[cell]);
        if (y < viewHeight)
            break;
        prevCell = cell; // hidden below the view, but its colour fills the first span
    }
    if (i == steps)
        return;

    int32_t open = y; // rows from here to the bottom are done; 0 closes the strip
    int32_t writePos = y * RowStride + k * W; // next pixel row a span fills
    if (prevCell != NoCell) {
        // A cell below the view was sampled first: the first span runs from the bottom row.
        writePos = (RowStride - 1) * RowStride + k * W;
        DrawSpan<W>(frame, depth, writePos, viewHeight - y, colours[prevCell],
                    static_cast<uint32_t>(DistanceSteps[i].d));
        writePos -= (viewHeight - y) * RowStride;
    }
    // Otherwise the strip starts here and nothing is drawn: rows below stay as they were.
    prevCell = cell;
    if (open == 0)
        return;

    for (++i; i < steps; ++i) {
        const DistanceStep& step = DistanceSteps[i];
        // Having drawn, a strip whose ray leaves the map is finished.
        if (!SampleCell(step, k, cell))
            return;
        if (cell == prevCell)
            continue;
        y = SampleRow(step, heights[cell]);
        if (y < open) {
            // A span in the nearer cell's colour, from the open row up to this cell's row, at
            // this (farther) distance.
            DrawSpan<W>(frame, depth, writePos, open - y, colours[prevCell],
                        static_cast<uint32_t>(step.d));
            writePos -= (open - y) * RowStride;
            open = y;
            if (open == 0)
                return; // reached the top of the view
        }
        prevCell = cell; // hidden cells too: the next span takes the nearer cell's colour
    }
}

template <int32_t W>
void CastStrips(const CameraState& camera, int32_t maximumDistance, const uint16_t* colours,
                const uint8_t* heights) {
    std::memset(camera.depth, 255, sizeof(uint32_t) * MaxView * MaxView);
    const int32_t n = ViewWidthOf(camera) / W;
    if (n < 1)
        return;
    const int32_t steps = LayOutDistanceSteps(camera, maximumDistance, n);
    const int32_t viewHeight = ViewHeightOf(camera);
    if (viewHeight <= 0)
        return;
    for (int32_t k = 0; k < n; ++k) {
        CastStrip<W>(k, steps, viewHeight, colours, heights, camera.frame, camera.depth);
    }
}

} // namespace

void DrawSky(const CameraState& camera, const uint16_t* sky) {
    if (camera.frame == nullptr || sky == nullptr)
        return;
    const int32_t angle = camera.angle & 255;
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    EyePoint(camera, eyeX, eyeY);
    const int32_t dL = LeftEdgeAngle(angle);
    const int32_t dR = RightEdgeAngle(angle);
    const int32_t viewHeight = ViewHeightOf(camera);
    const int32_t groups = ViewWidthOf(camera) >> 2;
    if (groups < 1)
        return;

    // Rows just above the horizon put the cloud plane millions of units away, and the
    // products below then leave 32 bits; 64-bit arithmetic keeps them exact. The texel index
    // uses bits 19-26 only, which wrap-around would also get right, but the steps would not.
    const int64_t eyeX10 = int64_t{eyeX} * 1024;
    const int64_t eyeY10 = int64_t{eyeY} * 1024;
    const int64_t cloudOffset = (int64_t{camera.height} - CloudHeight) * 1024;
    uint16_t* pixel = camera.frame;
    for (int32_t r = 0; r < viewHeight; ++r) {
        const int64_t k = int64_t{camera.tilt} + r + 80;
        if (k >= 0)
            break; // the horizon row and all below it get no sky
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
    if (Camera.frame == nullptr)
        return;
    // With the sky on and the far distance the view is covered, or keeps the last frame's
    // pixels where neither reaches; otherwise it starts black.
    if (GameSettings.distance < 2 || GameSettings.sky == 0) {
        std::memset(Camera.frame, 0, sizeof(uint16_t) * RowStride * MaxView);
    }
    if (GameSettings.sky != 0)
        DrawSky(Camera, SkyPicture);
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
