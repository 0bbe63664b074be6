// The terrain caster: the height field drawn strip by strip, front to back, with its depths.
#include <algorithm>
#include <array>
#include <cstring>

#include "render/tables.h"
#include "render/terrain_view.h"
#include "render/vector_lookup.h"

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
};

// 16 steps of 64 (to 1025), 188 of 128 (to 25089), then 256 apart past the distance limit.
constexpr int32_t MaxDistanceSteps = 16 + 188 + (DistanceLimit - 25089) / 256 + 2;

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
        step = {d, size, static_cast<uint32_t>((uint64_t{1} << (shift + 14)) / d64 + 1), shift,
                ~uint64_t{0} / d64 + 1};
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
        if (uint64_t{255} * step.rowScale > 0xFFFFFFFFu)
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

// Lays the sample lines out, step by step, as the edge rays advance; returns the step count.
// `narrow` tells whether every position of every strip fits 32 bits.
int32_t LayOutDistanceSteps(const CameraState& camera, int32_t maximumDistance, int32_t n,
                            bool& narrow) {
    const ViewEdges edges = ViewEdgesOf(camera);
    const int32_t eyeX = edges.eyeX;
    const int32_t eyeY = edges.eyeY;
    const int32_t dL = edges.left;
    const int32_t dR = edges.right;

    // Points at distance 1 along the two edge rays. Kept in 64 bits so an eye far outside
    // the map cannot overflow; inside the game's range the values are the same.
    int64_t leftX = int64_t{eyeX} * 1024 + CosTable[dL];
    int64_t leftY = int64_t{eyeY} * 1024 + SinTable[dL];
    int64_t rightX = int64_t{eyeX} * 1024 + CosTable[dR];
    int64_t rightY = int64_t{eyeY} * 1024 + SinTable[dR];
    int64_t reach = 0; // largest position magnitude met

    const int64_t eyeHeight = int64_t{camera.height} * 1024;
    const int64_t horizonShift = -int64_t{camera.tilt} - 80;
    maximumDistance = std::min(maximumDistance, DistanceLimit);

    int32_t count = 0;
    int32_t d = 1;
    while (d <= maximumDistance) {
        const DistanceConstants& constants = Distances[count];
        const int32_t s = constants.size;
        d = constants.d;
        leftX += int64_t{CosTable[dL]} * s;
        leftY += int64_t{SinTable[dL]} * s;
        rightX += int64_t{CosTable[dR]} * s;
        rightY += int64_t{SinTable[dR]} * s;
        reach =
            std::max({reach, std::abs(leftX), std::abs(leftY), std::abs(rightX), std::abs(rightY)});
        DistanceStep& step = DistanceSteps[count++];
        step.leftX = leftX;
        step.leftY = leftY;
        step.stepX = StripStep(rightX - leftX, n);
        step.stepY = StripStep(rightY - leftY, n);
        step.base = BaseRow(eyeHeight, horizonShift, constants);
    }
    // Every strip's position lies between the two edge points, so both below 2^30 keeps
    // every sum of the vector caster inside 32 bits.
    narrow = reach < (int64_t{1} << 30);
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

#ifdef TARNVELL_VECTOR_TERRAIN

// The vector caster runs eight strips side by side, one in each 32-bit lane, through every
// distance step. Spans are not drawn as they are found: each is marked on its top row, and
// afterwards one pass down the rows carries each mark on over the rows below it that its
// span covers, which fills the same pixels without a branch per span.
constexpr int32_t Lanes = 8;

// Marks of one batch of lanes: for the span that begins on a row, its colour's cell and its
// distance step, as cell << 11 | step + 1 (0 when unmarked). Row 240 takes the lanes with
// no span at a step, so every lane stores every step without a branch. The fill clears each
// row as it passes, so they start clean.
constexpr int32_t MarkStepBits = 11;
static_assert(MaxDistanceSteps < (1 << MarkStepBits));
constexpr int32_t NoSpanRow = MaxView;
alignas(32) uint32_t Marks[MaxView + 1][Lanes];

// The view distance after `taken` steps: 16 steps of 64, 188 of 128, then 256 apart. The
// fill works it out from a mark's step rather than looking it up.
constexpr int32_t DistanceAfter(int32_t taken) {
    return 1 + 64 * std::min(taken, 16) + 128 * std::clamp(taken - 16, 0, 188) +
           256 * std::max(taken - 204, 0);
}
constexpr bool DistancesFollowTheSteps() {
    for (size_t i = 0; i < Distances.size(); ++i) {
        if (DistanceAfter(static_cast<int32_t>(i) + 1) != Distances[i].d)
            return false;
    }
    return true;
}
static_assert(DistancesFollowTheSteps());

// The distance steps again, in the vector caster's 32-bit form.
struct alignas(32) NarrowStep {
    int32_t leftX;
    int32_t leftY;
    int32_t stepX;
    int32_t stepY;
    int32_t base;
    uint32_t rowScale;
    uint32_t rowShift;
};
NarrowStep NarrowSteps[MaxDistanceSteps];

void NarrowDistanceSteps(int32_t steps) {
    for (int32_t i = 0; i < steps; ++i) {
        const DistanceStep& step = DistanceSteps[i];
        NarrowSteps[i] = {static_cast<int32_t>(step.leftX),
                          static_cast<int32_t>(step.leftY),
                          static_cast<int32_t>(step.stepX),
                          static_cast<int32_t>(step.stepY),
                          step.base,
                          Distances[i].rowScale,
                          Distances[i].rowShift};
    }
}

// Four lanes' marks, each to its own place.
__attribute__((target("avx2"))) inline void StoreMarks(uint32_t* marks, __m128i where,
                                                       __m128i mark) {
    marks[static_cast<uint32_t>(_mm_cvtsi128_si32(where))] =
        static_cast<uint32_t>(_mm_cvtsi128_si32(mark));
    marks[static_cast<uint32_t>(_mm_extract_epi32(where, 1))] =
        static_cast<uint32_t>(_mm_extract_epi32(mark, 1));
    marks[static_cast<uint32_t>(_mm_extract_epi32(where, 2))] =
        static_cast<uint32_t>(_mm_extract_epi32(mark, 2));
    marks[static_cast<uint32_t>(_mm_extract_epi32(where, 3))] =
        static_cast<uint32_t>(_mm_extract_epi32(mark, 3));
}

// Runs strips first .. first + 7 through the distance steps and marks their spans. Leaves
// each lane's lowest row to fill (the last open row, plus one for a strip that started
// without drawing) in `low` and its highest in `high`.
__attribute__((target("avx2"))) void
MarkBatchSpans(int32_t first, int32_t steps, const uint8_t* heights, __m256i& low, __m256i& high) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i none = _mm256_set1_epi32(NoCell);
    const __m256i bottomOpen = _mm256_set1_epi32(MaxView);
    const __m256i limit = _mm256_set1_epi32(static_cast<int32_t>(MapLimit));
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i strip = _mm256_add_epi32(_mm256_set1_epi32(first), laneIndex);
    const __m256i spare = _mm256_set1_epi32(NoSpanRow);

    // A closed strip has `open` 0, where nothing is visible; `lastOpen` keeps the row it
    // closed at, which the strip-by-strip caster's `open` would still hold.
    __m256i open = bottomOpen;
    __m256i lastOpen = bottomOpen;
    __m256i prev = none;                  // the cell sampled last
    __m256i shift = zero;                 // 1 for a strip that started without drawing
    __m256i top = _mm256_set1_epi32(239); // the bottom row a span fills
    uint32_t* const marks = &Marks[0][0];

    for (int32_t i = 0; i < steps; ++i) {
        const NarrowStep& step = NarrowSteps[i];
        const __m256i px =
            _mm256_add_epi32(_mm256_set1_epi32(step.leftX),
                             _mm256_mullo_epi32(strip, _mm256_set1_epi32(step.stepX)));
        const __m256i py =
            _mm256_add_epi32(_mm256_set1_epi32(step.leftY),
                             _mm256_mullo_epi32(strip, _mm256_set1_epi32(step.stepY)));
        // Unsigned bounds: negative positions count as huge, and both axes inside means the
        // larger one is.
        const __m256i larger = _mm256_max_epu32(px, py);
        const __m256i off =
            _mm256_xor_si256(_mm256_cmpeq_epi32(_mm256_max_epu32(larger, limit), limit),
                             _mm256_cmpeq_epi32(zero, zero));
        const __m256i cell = _mm256_or_si256(
            _mm256_and_si256(_mm256_srli_epi32(px, 18), _mm256_set1_epi32(511)),
            _mm256_and_si256(_mm256_srli_epi32(py, 9), _mm256_set1_epi32(511 << 9)));

        const __m256i h = LookUpBytes(heights, cell);
        const __m256i lift = _mm256_srl_epi32(
            _mm256_mullo_epi32(h, _mm256_set1_epi32(static_cast<int32_t>(step.rowScale))),
            _mm_cvtsi32_si128(static_cast<int32_t>(step.rowShift)));
        const __m256i y =
            _mm256_max_epi32(_mm256_sub_epi32(_mm256_set1_epi32(step.base), lift), zero);

        const __m256i visible = _mm256_andnot_si256(
            off, _mm256_andnot_si256(_mm256_cmpeq_epi32(cell, prev), _mm256_cmpgt_epi32(open, y)));
        const __m256i fresh = _mm256_cmpeq_epi32(prev, none);
        const __m256i span = _mm256_andnot_si256(fresh, visible);
        const __m256i start = _mm256_and_si256(fresh, visible);

        // Every lane stores a mark: its span's first row, or the spare row when it has none.
        const __m256i where = _mm256_add_epi32(
            _mm256_slli_epi32(_mm256_blendv_epi8(spare, _mm256_add_epi32(y, shift), span), 3),
            laneIndex);
        const __m256i mark =
            _mm256_or_si256(_mm256_slli_epi32(prev, MarkStepBits), _mm256_set1_epi32(i + 1));
        StoreMarks(marks, _mm256_castsi256_si128(where), _mm256_castsi256_si128(mark));
        StoreMarks(marks, _mm256_extracti128_si256(where, 1), _mm256_extracti128_si256(mark, 1));

        shift = _mm256_or_si256(shift, _mm256_and_si256(start, one));
        top = _mm256_blendv_epi8(top, y, start);
        open = _mm256_blendv_epi8(open, y, visible);
        lastOpen = _mm256_blendv_epi8(lastOpen, y, visible);
        // Off the map: a strip that has drawn is finished, one that has not forgets its cell.
        open =
            _mm256_andnot_si256(_mm256_and_si256(off, _mm256_cmpgt_epi32(bottomOpen, open)), open);
        prev = _mm256_blendv_epi8(cell, none, off);
        if (_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(open, zero))) == 0xFF)
            break;
    }
    low = _mm256_add_epi32(lastOpen, shift);
    high = top;
}

// Lane j of part p of the result repeats lane (8p + j) / repeat of v: a batch's lanes spread
// across the columns of their strips.
__attribute__((target("avx2"))) inline __m256i Spread(__m256i v, int32_t part, int32_t repeat) {
    const int32_t lane0 = part * 8;
    const __m256i index = _mm256_setr_epi32(
        lane0 / repeat, (lane0 + 1) / repeat, (lane0 + 2) / repeat, (lane0 + 3) / repeat,
        (lane0 + 4) / repeat, (lane0 + 5) / repeat, (lane0 + 6) / repeat, (lane0 + 7) / repeat);
    return _mm256_permutevar8x32_epi32(v, index);
}

// Writes one row of a batch: each lane's colour and distance across its strip's W columns
// where `inside` is set; elsewhere the pixels keep their colour and the depth is all bits.
template <int32_t W>
__attribute__((target("avx2"))) inline void WriteBatchRow(uint16_t* pixels, uint32_t* entries,
                                                          __m256i colour, __m256i distance,
                                                          __m256i inside) {
    constexpr int32_t PixelVectors = W / 2; // 16 pixels a vector: 2 a lane
    constexpr int32_t DepthVectors = W;     // 8 entries a vector: 1 a lane
    const __m256i pairs = _mm256_or_si256(colour, _mm256_slli_epi32(colour, 16));
    const __m256i far = _mm256_blendv_epi8(_mm256_set1_epi32(-1), distance, inside);
    for (int32_t part = 0; part < PixelVectors; ++part) {
        __m256i* at = reinterpret_cast<__m256i*>(pixels + part * 16);
        const __m256i keep = _mm256_loadu_si256(at);
        if constexpr (PixelVectors == 1) {
            _mm256_storeu_si256(at, _mm256_blendv_epi8(keep, pairs, inside));
        } else {
            _mm256_storeu_si256(at, _mm256_blendv_epi8(keep, Spread(pairs, part, PixelVectors),
                                                       Spread(inside, part, PixelVectors)));
        }
    }
    for (int32_t part = 0; part < DepthVectors; ++part) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(entries + part * 8),
                            Spread(far, part, DepthVectors));
    }
}

// DistanceAfter, eight at a time.
__attribute__((target("avx2"))) inline __m256i DistancesAfter(__m256i taken) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i sixteen = _mm256_set1_epi32(16);
    const __m256i by64 = _mm256_min_epi32(taken, sixteen);
    const __m256i by128 = _mm256_min_epi32(_mm256_max_epi32(_mm256_sub_epi32(taken, sixteen), zero),
                                           _mm256_set1_epi32(188));
    const __m256i by256 = _mm256_max_epi32(_mm256_sub_epi32(taken, _mm256_set1_epi32(204)), zero);
    return _mm256_add_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(1), _mm256_slli_epi32(by64, 6)),
        _mm256_add_epi32(_mm256_slli_epi32(by128, 7), _mm256_slli_epi32(by256, 8)));
}

// The fill after a batch's marks: every row of the batch's columns, top to bottom, each lane
// carrying down its nearest mark at or above the row, the span that covers it.
template <int32_t W>
__attribute__((target("avx2"))) void FillBatch(int32_t first, __m256i low, __m256i high,
                                               const uint16_t* colours, uint16_t* frame,
                                               uint32_t* depth) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i stepMask = _mm256_set1_epi32((1 << MarkStepBits) - 1);
    const __m256i all = _mm256_cmpeq_epi32(zero, zero);
    __m256i carried = one; // the mark of the span covering the row, cell 0 and step 0 until one
    for (int32_t r = 0; r < MaxView; ++r) {
        const __m256i row = _mm256_set1_epi32(r);
        const __m256i inside = _mm256_andnot_si256(
            _mm256_or_si256(_mm256_cmpgt_epi32(low, row), _mm256_cmpgt_epi32(row, high)), all);
        if (_mm256_testz_si256(inside, inside)) {
            // No strip of the batch has terrain on this row, so no mark lies here either.
            uint32_t* entries = depth + r * RowStride + first * W;
            for (int32_t part = 0; part < W; ++part)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(entries + part * 8), all);
            continue;
        }
        __m256i* rowMarks = reinterpret_cast<__m256i*>(Marks[r]);
        const __m256i marked = _mm256_load_si256(rowMarks);
        _mm256_store_si256(rowMarks, zero);
        carried = _mm256_blendv_epi8(carried, marked, _mm256_cmpgt_epi32(marked, zero));
        const __m256i colour = LookUpWords(colours, _mm256_srli_epi32(carried, MarkStepBits));
        const __m256i distance = DistancesAfter(_mm256_and_si256(carried, stepMask));
        WriteBatchRow<W>(frame + r * RowStride + first * W, depth + r * RowStride + first * W,
                         colour, distance, inside);
    }
}

template <int32_t W>
__attribute__((target("avx2"))) void
CastStripsInBatches(int32_t n, int32_t steps, const CameraState& camera, const uint16_t* colours,
                    const uint8_t* heights) {
    NarrowDistanceSteps(steps);
    // The last batch overlaps the one before when the strips do not come in eights; the
    // overlapping strips are cast twice to the same result.
    for (int32_t first = 0; first < n; first += Lanes) {
        first = std::min(first, n - Lanes);
        __m256i low;
        __m256i high;
        MarkBatchSpans(first, steps, heights, low, high);
        FillBatch<W>(first, low, high, colours, camera.frame, camera.depth);
    }
}

#endif // TARNVELL_VECTOR_TERRAIN

CasterChoice ChosenCaster = CasterChoice::Fastest;

template <int32_t W>
void CastStrips(const CameraState& camera, int32_t maximumDistance, const uint16_t* colours,
                const uint8_t* heights) {
    const int32_t n = ViewWidthOf(camera) / W;
    const int32_t viewHeight = ViewHeightOf(camera);
    if (n < 1 || viewHeight <= 0) {
        std::memset(camera.depth, 255, sizeof(uint32_t) * MaxView * MaxView);
        return;
    }
    bool narrow = false;
    const int32_t steps = LayOutDistanceSteps(camera, maximumDistance, n, narrow);
#ifdef TARNVELL_VECTOR_TERRAIN
    // The batches fill whole 240 x 240 views, depth included, from 32-bit positions.
    if (narrow && n * W == MaxView && viewHeight == MaxView && VectorTerrainCodeRuns()) {
        CastStripsInBatches<W>(n, steps, camera, colours, heights);
        return;
    }
#endif
    CastStripsOneByOne<W>(n, steps, viewHeight, camera, colours, heights);
}

} // namespace

void ChooseTerrainCaster(CasterChoice choice) {
    ChosenCaster = choice;
}

bool VectorTerrainCodeRuns() {
#ifdef TARNVELL_VECTOR_TERRAIN
    return ChosenCaster == CasterChoice::Fastest && ProcessorHasAvx2();
#else
    return false;
#endif
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
