// The terrain view: the cloud plane above the horizon, then the height field and its depths.
#include "render/terrain_view.h"

#include <algorithm>
#include <cstring>

#include "assets/assets.h"
#include "base/settings.h"
#include "render/tables.h"
#include "render/terrain_batches.h"

namespace {

constexpr int32_t RowStride = 240;    // pixels; the renderers use it whatever viewWidth says
constexpr int32_t MaxView = 240;      // columns and rows of the view buffers
constexpr int32_t CloudHeight = 4800; // camera-height units

constexpr int32_t SkyGroups = MaxView / 4; // 4-pixel groups in a row of the game's view

// The rows of one sky, laid out before the lanes draw them; static so a frame allocates
// nothing.
SkyRow SkyRows[MaxView];

// Lays the sky's rows out for the lanes in SkyRows and returns how many; where the lanes do
// not serve (another view width, the strip-by-strip caster) draws the sky a group at a time
// itself and lays out none.
int32_t LayOutSky(const CameraState& camera, const uint16_t* sky) {
    const ViewEdges edges = ViewEdgesOf(camera);
    const int32_t eyeX = edges.eyeX;
    const int32_t eyeY = edges.eyeY;
    const int32_t dL = edges.left;
    const int32_t dR = edges.right;
    const int32_t viewHeight = std::min(camera.viewHeight, MaxView);
    const int32_t groups = std::min(camera.viewWidth, MaxView) >> 2;
    if (groups < 1)
        return 0;

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
            // 32-bit wrap-around keeps the low halves exact: only bits 19-26 pick a texel.
            SkyRow& row = SkyRows[laneRows++];
            row.stepX = static_cast<uint32_t>(sx);
            row.stepY = static_cast<uint32_t>(sy);
            for (uint32_t j = 0; j < 8; ++j) {
                row.laneX[j] = static_cast<int32_t>(static_cast<uint32_t>(lx) + j * row.stepX);
                row.laneY[j] = static_cast<int32_t>(static_cast<uint32_t>(ly) + j * row.stepY);
            }
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
    return laneRows;
}

} // namespace

void DrawSky(const CameraState& camera, const uint16_t* sky) {
    if (camera.frame == nullptr || sky == nullptr)
        return;
    const int32_t rows = LayOutSky(camera, sky);
    if (TerrainCasterInUse() == CasterChoice::Avx2)
        DrawSkyRowsAvx2(camera.frame, sky, SkyRows, rows);
    else
        DrawSkyRowsVector(camera.frame, sky, SkyRows, rows);
}

void DrawTerrainView() {
    if (Camera.frame == nullptr)
        return;
    // With the sky on and the far distance the view is covered, or keeps the last frame's
    // pixels where neither reaches; otherwise it starts black.
    if (GameSettings.distance < 2 || GameSettings.sky == 0) {
        std::memset(Camera.frame, 0, sizeof(uint16_t) * RowStride * MaxView);
    }
    // The sky goes under the terrain: the vector casters draw it batch by batch, leaving out
    // the rows their terrain covers whole.
    SkyLayout sky{SkyPicture, SkyRows, 0};
    if (GameSettings.sky != 0 && SkyPicture != nullptr)
        sky.count = LayOutSky(Camera, SkyPicture);
    const int32_t maximumDistance = MaximumViewDistance(GameSettings.distance);
    switch (GameSettings.detail) {
    case 0:
        CastTerrainUnderSky(Camera, WideStrip, maximumDistance, TerrainColours, HeightMap, sky);
        break;
    case 1:
        CastTerrainUnderSky(Camera, MiddleStrip, maximumDistance, TerrainColours, HeightMap, sky);
        break;
    case 2:
        CastTerrainUnderSky(Camera, NarrowStrip, maximumDistance, TerrainColours, HeightMap, sky);
        break;
    default:
        // No terrain, and the depth buffer keeps what it held.
        CastTerrainUnderSky(Camera, 0, maximumDistance, TerrainColours, HeightMap, sky);
        break;
    }
}
