// The terrain caster: the height field drawn strip by strip, front to back, with its depths.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "render/lanes.h"
#include "render/tables.h"
#include "render/terrain_batches.h"
#include "render/terrain_view.h"

namespace {

constexpr int32_t RowStride = 240;      // pixels; the renderers use it whatever viewWidth says
constexpr int32_t MaxView = 240;        // columns and rows of the view buffers
constexpr int32_t NoCell = -1;          // a strip's previous cell before it has sampled one
constexpr int64_t MapLimit = 0x7FC0000; // 22.10: the last position admitted, on cell 511
// Beyond every setting's reach (100000 at most); the distance tables stop here.
constexpr int32_t DistanceLimit = 250000;

// The view size the buffers can hold: the game always uses 240 x 240, and anything larger
// would write past the 240 x 240 depth buffer and the view rows.
int32_t ViewWidthOf(const CameraState& camera) {
    return std::min(camera.viewWidth, MaxView);
}
int32_t ViewHeightOf(const CameraState& camera) {
    return std::min(camera.viewHeight, MaxView);
}

// The distances the sample lines stand at never change: 64 apart up close, then 128, then
// 256 as the rows they land on crowd. Everything that depends on the distance alone is
// worked out once, here, so a frame divides only where the camera enters.
struct DistanceConstants {
    int32_t d;         // view distance of the step
    int32_t size;      // how far the step advanced: 64, 128 or 256
    uint32_t rowScale; // (h * rowScale) >> rowShift is (h << 14) / d for every height byte h
    uint32_t rowShift;
    uint64_t reciprocal; // (x * reciprocal) >> 64 is x / d for 0 <= x < 2^40
    float riseScale;     // float(h) * riseScale, truncated, is (h << 14) / d for every byte h
    int32_t tallestRise; // (255 << 14) / d: the rows the tallest height byte rises
};

// 16 steps of 64 (to 1025), 188 of 128 (to 25089), then 256 apart past the distance limit.
constexpr int32_t MaxDistanceSteps = 16 + 188 + (DistanceLimit - 25089) / 256 + 2;

// Whether float(h) * scale, truncated, is (h << 14) / d for every height byte h.
constexpr bool RiseScaleIsExact(float scale, int32_t d) {
    for (int32_t h = 0; h < 256; ++h) {
        if (static_cast<int32_t>(static_cast<float>(h) * scale) != (h << 14) / d)
            return false;
    }
    return true;
}

// The float nearest 2^14 / d, or one of the next few above it, whose products with every
// height byte truncate to the exact quotients: each is checked here, while compiling, so the
// check below only asks that one was found (NaN when none was).
constexpr float RiseScaleFor(int32_t d) {
    const float nearest = static_cast<float>(16384.0 / d);
    for (uint32_t up = 0; up < 64; ++up) {
        const float scale = __builtin_bit_cast(float, __builtin_bit_cast(uint32_t, nearest) + up);
        if (RiseScaleIsExact(scale, d))
            return scale;
    }
    return std::numeric_limits<float>::quiet_NaN();
}

// (h << 14) / d by a 32-bit multiply: with 2^shift above 255 d, the multiplier's excess over
// 2^(shift + 14) / d adds less than 1 / d to any height's quotient, too little to reach the
// next whole number, and 255 times the multiplier still fits 32 bits.
constexpr std::array<DistanceConstants, MaxDistanceSteps> MakeDistanceConstants() {
    std::array<DistanceConstants, MaxDistanceSteps> table{};
    int32_t d = 1;
    for (DistanceConstants& step : table) {
        const int32_t size = d < 1000 ? 64 : (d < 25000 ? 128 : 256);
        d += size;
        uint32_t shift = 0;
        while ((uint64_t{1} << shift) <= uint64_t{255} * static_cast<uint64_t>(d))
            ++shift;
        const uint64_t d64 = static_cast<uint64_t>(d);
        step = {d,
                size,
                static_cast<uint32_t>((uint64_t{1} << (shift + 14)) / d64 + 1),
                shift,
                ~uint64_t{0} / d64 + 1,
                RiseScaleFor(d),
                (255 << 14) / d};
    }
    return table;
}
constexpr std::array<DistanceConstants, MaxDistanceSteps> Distances = MakeDistanceConstants();

__extension__ typedef unsigned __int128 Unsigned128;

// Every multiplier, checked against the division it stands for, while compiling: the row
// scales for every height byte, the reciprocals around every multiple of d where an error
// would show first, at both ends of their range.
constexpr bool DistanceConstantsAreExact() {
    for (const DistanceConstants& step : Distances) {
        if (uint64_t{255} * step.rowScale > 0xFFFFFFFFu || !(step.riseScale > 0.0F))
            return false;
        for (uint32_t h = 0; h < 256; ++h) {
            if ((h * step.rowScale) >> step.rowShift != (h << 14) / static_cast<uint32_t>(step.d))
                return false;
        }
        const uint64_t d = static_cast<uint64_t>(step.d);
        const uint64_t top = ((uint64_t{1} << 40) - 1) / d * d;
        for (const uint64_t x : {d - 1, d, d + 1, top - 1, top, (uint64_t{1} << 40) - 1}) {
            if (static_cast<uint64_t>((static_cast<Unsigned128>(x) * step.reciprocal) >> 64) !=
                x / d)
                return false;
        }
    }
    return Distances.back().d > DistanceLimit;
}
static_assert(DistanceConstantsAreExact());

// The screen row of altitude zero at one step, (height << 10) / d - tilt - 80. A clamped
// result gives the same rows (all hidden, or all at the top) for absurd heights and tilts
// without overflow.
int32_t BaseRow(int64_t eyeHeight, int64_t horizonShift, const DistanceConstants& step) {
    int64_t quotient = 0;
    if (eyeHeight >= 0 && eyeHeight < (int64_t{1} << 40)) {
        // Below 2^40 the reciprocal's excess is far under 1 / d, as for the row scales.
        quotient =
            static_cast<int64_t>((static_cast<Unsigned128>(eyeHeight) * step.reciprocal) >> 64);
    } else {
        quotient = eyeHeight / step.d;
    }
    return static_cast<int32_t>(
        std::clamp<int64_t>(quotient + horizonShift, -(int64_t{1} << 30), int64_t{1} << 30));
}

// The screen row of a height byte at one step; rows above the view count as 0.
inline int32_t SampleRow(int32_t base, const DistanceConstants& step, uint32_t h) {
    const int32_t row = base - static_cast<int32_t>((h * step.rowScale) >> step.rowShift);
    return std::max(row, 0);
}

// One distance step of the sample lines, the same for every strip: the samples of strip k
// lie at (leftX + k * stepX, leftY + k * stepY), 22.10 fixed point.
struct DistanceStep {
    int64_t leftX;
    int64_t leftY;
    int64_t stepX; // (right - left) / strips, truncated
    int64_t stepY;
    int32_t base; // screen row of altitude zero at this step's distance
};

// Per-call table of the caster; static so a frame allocates nothing.
DistanceStep DistanceSteps[MaxDistanceSteps];

// The sample line's strip step, (right - left) / n. The game's strip counts get a division
// the compiler turns into a multiply.
inline int64_t StripStep(int64_t span, int32_t n) {
    switch (n) {
    case 30:
        return span / 30;
    case 60:
        return span / 60;
    case 120:
        return span / 120;
    default:
        return span / n;
    }
}

// The sample lines a frame runs through: the steps from distance 1 while the distance before
// each stays within `maximumDistance`.
int32_t StepCountFor(int32_t maximumDistance) {
    if (maximumDistance < 1)
        return 0;
    // The first step, and one more for each distance within reach; the table runs past the
    // limit, so the count never leaves it.
    const int32_t reach = std::min(maximumDistance, DistanceLimit);
    return 1 + static_cast<int32_t>(std::upper_bound(Distances.begin(), Distances.end(), reach,
                                                     [](int32_t d, const DistanceConstants& step) {
                                                         return d < step.d;
                                                     }) -
                                    Distances.begin());
}

// The two edge rays of a view: the eye and one step of each ray, 22.10 fixed point. The edge
// points at view distance d lie at eye + d * ray, as the rays advance by whole steps.
struct EdgeRays {
    int64_t eyeX;
    int64_t eyeY;
    int64_t leftX;
    int64_t leftY;
    int64_t rightX;
    int64_t rightY;
    int64_t eyeHeight;    // the eye's height << 10
    int64_t horizonShift; // -tilt - 80
};

EdgeRays EdgeRaysOf(const CameraState& camera) {
    const ViewEdges edges = ViewEdgesOf(camera);
    return {int64_t{edges.eyeX} * 1024,    int64_t{edges.eyeY} * 1024, CosTable[edges.left],
            SinTable[edges.left],          CosTable[edges.right],      SinTable[edges.right],
            int64_t{camera.height} * 1024, -int64_t{camera.tilt} - 80};
}

// Whether every position of every strip over `steps` steps fits 32 bits with room for the
// vector caster's sums. Each strip's samples lie between the two edge points, and each edge
// point moves along a straight line, so its largest magnitude lies at the first or the last
// step; both below 2^30 keeps every sum inside 32 bits.
bool SamplesAreNarrow(const EdgeRays& rays, int32_t steps) {
    if (steps == 0)
        return true;
    int64_t reach = 0;
    for (const int64_t d : {int64_t{Distances[0].d}, int64_t{Distances[steps - 1].d}}) {
        reach = std::max(
            {reach, std::abs(rays.eyeX + rays.leftX * d), std::abs(rays.eyeY + rays.leftY * d),
             std::abs(rays.eyeX + rays.rightX * d), std::abs(rays.eyeY + rays.rightY * d)});
    }
    return reach < (int64_t{1} << 30);
}

// Lays the sample lines out, step by step, for the strip-by-strip caster.
void LayOutDistanceSteps(const EdgeRays& rays, int32_t steps, int32_t n) {
    for (int32_t i = 0; i < steps; ++i) {
        const DistanceConstants& constants = Distances[i];
        const int64_t d = constants.d;
        DistanceStep& step = DistanceSteps[i];
        step.leftX = rays.eyeX + rays.leftX * d;
        step.leftY = rays.eyeY + rays.leftY * d;
        step.stepX = StripStep((rays.rightX - rays.leftX) * d, n);
        step.stepY = StripStep((rays.rightY - rays.leftY) * d, n);
        step.base = BaseRow(rays.eyeHeight, rays.horizonShift, constants);
    }
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
        y = SampleRow(DistanceSteps[i].base, Distances[i], heights[cell]);
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
                    static_cast<uint32_t>(Distances[i].d));
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
        y = SampleRow(step.base, Distances[i], heights[cell]);
        if (y < open) {
            // A span in the nearer cell's colour, from the open row up to this cell's row, at
            // this (farther) distance.
            DrawSpan<W>(frame, depth, writePos, open - y, colours[prevCell],
                        static_cast<uint32_t>(Distances[i].d));
            writePos -= (open - y) * RowStride;
            open = y;
            if (open == 0)
                return; // reached the top of the view
        }
        prevCell = cell; // hidden cells too: the next span takes the nearer cell's colour
    }
}

template <int32_t W>
void CastStripsOneByOne(int32_t n, int32_t steps, int32_t viewHeight, const CameraState& camera,
                        const uint16_t* colours, const uint8_t* heights) {
    std::memset(camera.depth, 255, sizeof(uint32_t) * MaxView * MaxView);
    for (int32_t k = 0; k < n; ++k)
        CastStrip<W>(k, steps, viewHeight, colours, heights, camera.frame, camera.depth);
}

// The vector casters' marks hold each distance in a 12-bit code they turn back exactly.
constexpr bool DistancesFitTheMarks() {
    for (const DistanceConstants& step : Distances) {
        const int32_t code = DistanceCode(step.d);
        if ((step.d - 1) % 64 != 0 || code < 1 || code >= (1 << MarkDistanceBits) ||
            code * 64 - 63 != step.d)
            return false;
    }
    return true;
}
static_assert(DistancesFitTheMarks());

// Lays the sample lines out for the vector casters, and with `Lanes` the first eight strips'
// samples across the lanes. Every position fits 32 bits here (SamplesAreNarrow), sums along
// the way included.
template <int32_t N, bool Lanes> void LayOutBatchSteps(const EdgeRays& rays, int32_t steps) {
    for (int32_t i = 0; i < steps; ++i) {
        const DistanceConstants& constants = Distances[i];
        const int64_t d = constants.d;
        BatchStep& batch = BatchSteps[i];
        const int32_t leftX = static_cast<int32_t>(rays.eyeX + rays.leftX * d);
        const int32_t leftY = static_cast<int32_t>(rays.eyeY + rays.leftY * d);
        const int32_t stepX = static_cast<int32_t>(StripStep((rays.rightX - rays.leftX) * d, N));
        const int32_t stepY = static_cast<int32_t>(StripStep((rays.rightY - rays.leftY) * d, N));
        batch.originX = leftX ^ INT32_MIN;
        batch.originY = leftY ^ INT32_MIN;
        batch.stepX = stepX;
        batch.stepY = stepY;
        if constexpr (Lanes) {
            BatchLanes& across = BatchStepLanes[i];
            for (int32_t j = 0; j < LaneCount; ++j) {
                across.laneX[j] = (leftX + j * stepX) ^ INT32_MIN;
                across.laneY[j] = (leftY + j * stepY) ^ INT32_MIN;
            }
        }
        batch.base = BaseRow(rays.eyeHeight, rays.horizonShift, constants);
        batch.rowScale = constants.rowScale;
        batch.rowShift = static_cast<int32_t>(constants.rowShift);
        batch.distanceCode = DistanceCode(constants.d);
        batch.riseScale = constants.riseScale;
        batch.reach = batch.base - constants.tallestRise; // the tallest byte's row, for now
    }
    // The rows the tallest height byte reaches, from the far end back: at every step the
    // highest of them from there on. Every height byte stands at or below the tallest, so no
    // strip can draw above these rows.
    int32_t reach = MaxView;
    for (int32_t i = steps - 1; i >= 0; --i) {
        reach = std::min(reach, std::max(BatchSteps[i].reach, 0));
        BatchSteps[i].reach = reach;
    }
    // The spare step past the last reaches nothing.
    BatchSteps[steps] = steps > 0 ? BatchSteps[steps - 1] : BatchStep{};
    BatchSteps[steps].reach = MaxView;
    if constexpr (Lanes)
        BatchStepLanes[steps] = steps > 0 ? BatchStepLanes[steps - 1] : BatchLanes{};
}

// The first step the batches run: the one before the first step at which ground near the
// eye could stand into the view. Every sample out to view distance d lies in the triangle
// of the eye and the two edge points at d, so the tallest height byte in that triangle's
// box bounds every sample's height; while it stays below the bottom row, so does the ground.
// The boxes grow, step by step, as long as nothing shows.
int32_t FirstBatchStep(const EdgeRays& rays, int32_t steps, const uint8_t* heights) {
    int32_t i = 0;
    for (const int32_t boxSteps : {16, 32, 48, 64}) {
        const int32_t last = std::min(boxSteps, steps) - 1;
        if (i > last)
            break;
        const int64_t d = Distances[last].d;
        const auto cells = [](int64_t a, int64_t b, int64_t c, int32_t& from, int32_t& to) {
            from = static_cast<int32_t>(std::clamp<int64_t>(std::min({a, b, c}) >> 18, 0, 511));
            to = static_cast<int32_t>(std::clamp<int64_t>(std::max({a, b, c}) >> 18, 0, 511));
        };
        int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        cells(rays.eyeX, rays.eyeX + rays.leftX * d, rays.eyeX + rays.rightX * d, x0, x1);
        cells(rays.eyeY, rays.eyeY + rays.leftY * d, rays.eyeY + rays.rightY * d, y0, y1);
        uint32_t tallest = 0;
        for (int32_t y = y0; y <= y1; ++y) {
            const uint8_t* row = heights + y * 512;
            for (int32_t x = x0; x <= x1; ++x)
                tallest = std::max<uint32_t>(tallest, row[x]);
        }
        for (; i <= last; ++i) {
            const BatchStep& step = BatchSteps[i];
            if (step.base - static_cast<int32_t>((tallest * step.rowScale) >> step.rowShift) <
                MaxView)
                return std::max(i - 1, 0);
        }
    }
    return std::max(i - 1, 0);
}

CasterChoice ChosenCaster = CasterChoice::Fastest;

// The laid-out sky rows, all at once, before a caster that does not draw them itself.
void DrawSkyFirst(const CameraState& camera, const SkyLayout& sky) {
    if (sky.count <= 0)
        return;
    if (TerrainCasterInUse() == CasterChoice::Avx2)
        DrawSkyRowsAvx2(camera.frame, sky.picture, sky.rows, sky.count);
    else
        DrawSkyRowsVector(camera.frame, sky.picture, sky.rows, sky.count);
}

template <int32_t W>
void CastStrips(const CameraState& camera, int32_t maximumDistance, const uint16_t* colours,
                const uint8_t* heights, const SkyLayout& sky) {
    const int32_t n = ViewWidthOf(camera) / W;
    const int32_t viewHeight = ViewHeightOf(camera);
    if (n < 1 || viewHeight <= 0) {
        DrawSkyFirst(camera, sky);
        std::memset(camera.depth, 255, sizeof(uint32_t) * MaxView * MaxView);
        return;
    }
    const EdgeRays rays = EdgeRaysOf(camera);
    const int32_t steps = StepCountFor(maximumDistance);
    // The batches fill whole 240 x 240 views, depth included, from 32-bit positions.
    const CasterChoice caster = TerrainCasterInUse();
    if (n * W == MaxView && viewHeight == MaxView && caster != CasterChoice::Scalar &&
        SamplesAreNarrow(rays, steps)) {
        if (caster == CasterChoice::Avx2) {
            LayOutBatchSteps<MaxView / W, false>(rays, steps);
            BatchFirstStep = FirstBatchStep(rays, steps, heights);
            CastBatchesAvx2(W, steps, camera, colours, heights, sky);
        } else {
            LayOutBatchSteps<MaxView / W, true>(rays, steps);
            BatchFirstStep = FirstBatchStep(rays, steps, heights);
            CastBatchesVector(W, steps, camera, colours, heights, sky);
        }
        return;
    }
    DrawSkyFirst(camera, sky);
    LayOutDistanceSteps(rays, steps, n);
    CastStripsOneByOne<W>(n, steps, viewHeight, camera, colours, heights);
}

} // namespace

// Each with a spare step for the casters' lookahead.
BatchStep BatchSteps[MaxDistanceSteps + 1];
BatchLanes BatchStepLanes[MaxDistanceSteps + 1];
int32_t BatchFirstStep = 0;

void ChooseTerrainCaster(CasterChoice choice) {
    ChosenCaster = choice;
}

CasterChoice TerrainCasterInUse() {
    switch (ChosenCaster) {
    case CasterChoice::Scalar:
        return CasterChoice::Scalar;
    case CasterChoice::Vector:
        return CasterChoice::Vector;
    case CasterChoice::Avx2:
        return ProcessorHasAvx2() ? CasterChoice::Avx2 : CasterChoice::Vector;
    case CasterChoice::Fastest:
        break;
    }
    if (ProcessorHasAvx2())
        return CasterChoice::Avx2;
    // Without real vector registers the lanes would run as scalars, slower than the strips.
    return LanesAreNative ? CasterChoice::Vector : CasterChoice::Scalar;
}

void CastTerrainUnderSky(const CameraState& camera, int32_t stripWidth, int32_t maximumDistance,
                         const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky) {
    if (camera.frame == nullptr)
        return;
    if (camera.depth == nullptr || colours == nullptr || heights == nullptr) {
        DrawSkyFirst(camera, sky);
        return;
    }
    // One copy of the loop per width, so each row of a span is a fixed run of stores.
    switch (stripWidth) {
    case WideStrip:
        CastStrips<WideStrip>(camera, maximumDistance, colours, heights, sky);
        break;
    case MiddleStrip:
        CastStrips<MiddleStrip>(camera, maximumDistance, colours, heights, sky);
        break;
    case NarrowStrip:
        CastStrips<NarrowStrip>(camera, maximumDistance, colours, heights, sky);
        break;
    default:
        DrawSkyFirst(camera, sky);
        break;
    }
}

void CastTerrainColumns(const CameraState& camera, int32_t stripWidth, int32_t maximumDistance,
                        const uint16_t* colours, const uint8_t* heights) {
    CastTerrainUnderSky(camera, stripWidth, maximumDistance, colours, heights,
                        SkyLayout{nullptr, nullptr, 0});
}
