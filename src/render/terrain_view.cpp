// The terrain view: the cloud plane above the horizon, then the height field and its depths.
#include "render/terrain_view.h"

#include <algorithm>
#include <cstring>

#include "assets/assets.h"
#include "render/tables.h"
#include "render/lanes.h"
#include "screens/settings.h"

namespace {

constexpr int32_t RowStride = 240;    // pixels; the renderers use it whatever viewWidth says
constexpr int32_t MaxView = 240;      // columns and rows of the view buffers
constexpr int32_t CloudHeight = 4800; // camera-height units

constexpr int32_t SkyGroups = MaxView / 4; // 4-pixel groups in a row of the game's view

// One sky row of the game's 240-pixel view, eight groups at a time. Only bits 19-26 of the
// positions pick a texel, and 32-bit wrap-around keeps every bit below 32 exact, so the lanes
// run on the low halves of the 64-bit positions. The last eight groups overlap the seven
// eights before them and write the same texels again.
LANES_INLINE void DrawSkyRow(uint16_t* pixel, const uint16_t* sky, int64_t lx, int64_t ly,
                             int64_t sx, int64_t sy) {
    // Each lane's offset from the row's first group, worked out once a row.
    const Lanes lane = LaneNumbers();
    const Lanes startX =
        Splat(static_cast<int32_t>(static_cast<uint32_t>(lx))) +
        __builtin_bit_cast(Lanes, __builtin_bit_cast(ULanes, lane) * static_cast<uint32_t>(sx));
    const Lanes startY =
        Splat(static_cast<int32_t>(static_cast<uint32_t>(ly))) +
        __builtin_bit_cast(Lanes, __builtin_bit_cast(ULanes, lane) * static_cast<uint32_t>(sy));
    for (int32_t first = 0; first < SkyGroups; first += LaneCount) {
        first = std::min(first, SkyGroups - LaneCount);
        const Lanes x = startX + static_cast<int32_t>(static_cast<uint32_t>(first) *
                                                      static_cast<uint32_t>(sx));
        const Lanes y = startY + static_cast<int32_t>(static_cast<uint32_t>(first) *
                                                      static_cast<uint32_t>(sy));
        const Lanes texel = __builtin_bit_cast(
            Lanes, ((__builtin_bit_cast(ULanes, x) >> 19) & 255u) |
                       ((__builtin_bit_cast(ULanes, y) >> 11) & (255u << 8)));
        const Lanes colour = LookUpWords(sky, texel);
        // Each group's texel four times: a pair twice.
        const Lanes pairs = colour | (colour << 16);
        StoreLanes(pixel + first * 4, Spread<0, 2>(pairs));
        StoreLanes(pixel + first * 4 + 16, Spread<1, 2>(pairs));
    }
}

// The sky rows down to the horizon in lanes; the same body in the build's baseline vectors
// and, on x86-64, with AVX2.
struct SkyRow {
    int64_t lx; // 22.10: the row's first group
    int64_t ly;
    int64_t sx; // 22.10: from one group to the next
    int64_t sy;
};
LANES_INLINE void DrawSkyRows(uint16_t* frame, const uint16_t* sky, const SkyRow* rows,
                              int32_t count) {
    for (int32_t r = 0; r < count; ++r)
        DrawSkyRow(frame + r * SkyGroups * 4, sky, rows[r].lx, rows[r].ly, rows[r].sx, rows[r].sy);
}
void DrawSkyRowsVector(uint16_t* frame, const uint16_t* sky, const SkyRow* rows, int32_t count) {
    DrawSkyRows(frame, sky, rows, count);
}
#ifdef LANES_HAVE_AVX2
LANES_AVX2 void DrawSkyRowsAvx2(uint16_t* frame, const uint16_t* sky, const SkyRow* rows,
                                int32_t count) {
    DrawSkyRows(frame, sky, rows, count);
}
#endif

// The rows of one sky, laid out before the lanes draw them; static so a frame allocates
// nothing.
SkyRow SkyRows[MaxView];

} // namespace

void DrawSky(const CameraState& camera, const uint16_t* sky) {
    if (camera.frame == nullptr || sky == nullptr)
        return;
    const ViewEdges edges = ViewEdgesOf(camera);
    const int32_t eyeX = edges.eyeX;
    const int32_t eyeY = edges.eyeY;
    const int32_t dL = edges.left;
    const int32_t dR = edges.right;
    const int32_t viewHeight = std::min(camera.viewHeight, MaxView);
    const int32_t groups = std::min(camera.viewWidth, MaxView) >> 2;
    if (groups < 1)
        return;

    // Rows just above the horizon put the cloud plane millions of units away, and the
    // products below then leave 32 bits; 64-bit arithmetic keeps them exact. The texel index
    // uses bits 19-26 only, which wrap-around would also get right, but the steps would not.
    const int64_t eyeX10 = int64_t{eyeX} * 1024;
    const int64_t eyeY10 = int64_t{eyeY} * 1024;
    const int64_t cloudOffset = (int64_t{camera.height} - CloudHeight) * 1024;
    const CasterChoice caster = TerrainCasterInUse();
    const bool lanes = groups == SkyGroups && caster != CasterChoice::Scalar;
    uint16_t* pixel = camera.frame;
    int32_t laneRows = 0;
    for (int32_t r = 0; r < viewHeight; ++r) {
        const int64_t k = int64_t{camera.tilt} + r + 80;
        if (k >= 0)
            break; // the horizon row and all below it get no sky
        const int64_t t = cloudOffset / k;
        int64_t lx = CosTable[dL] * t + eyeX10;
        int64_t ly = SinTable[dL] * t + eyeY10;
        const int64_t spanX = CosTable[dR] * t - lx + eyeX10;
        const int64_t spanY = SinTable[dR] * t - ly + eyeY10;
        // The game's view has 60 groups, a division the compiler turns into a multiply.
        const int64_t sx = groups == SkyGroups ? spanX / SkyGroups : spanX / groups;
        const int64_t sy = groups == SkyGroups ? spanY / SkyGroups : spanY / groups;
        if (lanes) {
            SkyRows[laneRows++] = {lx, ly, sx, sy};
            continue;
        }
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
#ifdef LANES_HAVE_AVX2
    if (caster == CasterChoice::Avx2) {
        DrawSkyRowsAvx2(camera.frame, sky, SkyRows, laneRows);
        return;
    }
#endif
    DrawSkyRowsVector(camera.frame, sky, SkyRows, laneRows);
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
