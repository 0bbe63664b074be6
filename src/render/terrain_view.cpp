// The terrain view: the cloud plane above the horizon, then the height field and its depths.
#include "render/terrain_view.h"

#include <algorithm>
#include <cstring>

#include "assets/assets.h"
#include "base/settings.h"
#include "render/tables.h"
#include "render/vector_lookup.h"

namespace {

constexpr int32_t RowStride = 240;    // pixels; the renderers use it whatever viewWidth says
constexpr int32_t MaxView = 240;      // columns and rows of the view buffers
constexpr int32_t CloudHeight = 4800; // camera-height units

constexpr int32_t SkyGroups = MaxView / 4; // 4-pixel groups in a row of the game's view

#ifdef TARNVELL_VECTOR_TERRAIN
// One sky row of the game's 240-pixel view, eight groups at a time. Only bits 19-26 of the
// positions pick a texel, and 32-bit wrap-around keeps every bit below 32 exact, so the lanes
// run on the low halves of the 64-bit positions. The last eight groups overlap the seven
// eights before them and write the same texels again.
__attribute__((target("avx2"))) void DrawSkyRow(uint16_t* pixel, const uint16_t* sky, int64_t lx,
                                                int64_t ly, int64_t sx, int64_t sy) {
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i startX = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(lx)));
    const __m256i startY = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(ly)));
    const __m256i stepX = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(sx)));
    const __m256i stepY = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(sy)));
    for (int32_t first = 0; first < SkyGroups; first += 8) {
        first = std::min(first, SkyGroups - 8);
        const __m256i group = _mm256_add_epi32(_mm256_set1_epi32(first), lane);
        const __m256i x = _mm256_add_epi32(startX, _mm256_mullo_epi32(group, stepX));
        const __m256i y = _mm256_add_epi32(startY, _mm256_mullo_epi32(group, stepY));
        const __m256i texel = _mm256_or_si256(
            _mm256_and_si256(_mm256_srli_epi32(x, 19), _mm256_set1_epi32(255)),
            _mm256_and_si256(_mm256_srli_epi32(y, 11), _mm256_set1_epi32(255 << 8)));
        const __m256i colour = LookUpWords(sky, texel);
        // Each group's texel four times: a pair twice.
        const __m256i pairs = _mm256_or_si256(colour, _mm256_slli_epi32(colour, 16));
        __m256i* at = reinterpret_cast<__m256i*>(pixel + first * 4);
        _mm256_storeu_si256(
            at, _mm256_permutevar8x32_epi32(pairs, _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3)));
        _mm256_storeu_si256(
            at + 1, _mm256_permutevar8x32_epi32(pairs, _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7)));
    }
}
#endif

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
    [[maybe_unused]] const bool vector = groups == SkyGroups && VectorTerrainCodeRuns();
    uint16_t* pixel = camera.frame;
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
#ifdef TARNVELL_VECTOR_TERRAIN
        if (vector) {
            DrawSkyRow(pixel, sky, lx, ly, sx, sy);
            pixel += SkyGroups * 4;
            continue;
        }
#endif
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
