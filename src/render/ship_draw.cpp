// Placing, testing and drawing ship models, and the ship markers of the overview map.
#include "render/ship_draw.h"

#include <algorithm>
#include <cmath>

#include "base/ship.h"
#include "render/raster.h"

ShipModel* ModelTable[ModelSlots] = {};

namespace {

constexpr int32_t MapMask = 511;
constexpr int32_t SkinTexels = ShipSkinSize * ShipSkinSize;
// Decoded model coordinates are held to this range, far beyond any real model, so that no
// file can push the placement out of 32 bits.
constexpr float CoordinateLimit = 16777216.0f;

// A decoded coordinate, truncated toward zero; NaN counts as 0.
int32_t TruncateCoordinate(float value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(value, -CoordinateLimit, CoordinateLimit));
}

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// A ship's attitude angle (a double kept in 0 to below 256) as a table index.
int32_t AngleIndex(double angle) {
    if (!std::isfinite(angle))
        return 0;
    return static_cast<int32_t>(static_cast<int64_t>(std::fmod(angle, 256.0)) & 255);
}

void WidenBox(ModelBox& box, const WorldPoint& p, bool first) {
    if (first) {
        box = ModelBox{p.x, p.x, p.y, p.y, p.z, p.z, 0};
        return;
    }
    box.minX = std::min(box.minX, p.x);
    box.maxX = std::max(box.maxX, p.x);
    box.minY = std::min(box.minY, p.y);
    box.maxY = std::max(box.maxY, p.y);
    box.minZ = std::min(box.minZ, p.z);
    box.maxZ = std::max(box.maxZ, p.z);
}

void PlotMarkerPixel(uint16_t* frame, int32_t row, int32_t column, uint16_t colour) {
    if (row < OverviewTop || row >= OverviewTop + OverviewSize)
        return;
    if (column < OverviewLeft || column >= OverviewLeft + OverviewSize)
        return;
    frame[row * 240 + column] = colour;
}

} // namespace

ModelBox DrawModel(const ShipModel& model, const CameraState& camera, int32_t frame, int32_t ax,
                   int32_t ay, int32_t az, int32_t x, int32_t y, int32_t z,
                   const uint8_t* heights) {
    ModelBox box = {x, x, y, y, z, z, 0};
    const Md2Header& header = model.header;
    if (frame < 0 || frame >= header.numFrames ||
        frame >= static_cast<int32_t>(model.frameVertices.size()) ||
        frame >= static_cast<int32_t>(model.frameHeaders.size())) {
        return box;
    }
    const std::vector<Md2Vertex>& vertices = model.frameVertices[frame];
    const int32_t vertexCount = header.numVertices;
    if (vertexCount < 0 || vertexCount > ProjectedVertexLimit ||
        vertexCount > static_cast<int32_t>(vertices.size())) {
        return box;
    }
    const Md2FrameHeader& place = model.frameHeaders[frame];
    ax &= 255;
    ay &= 255;
    az &= 255;

    // Projected vertices of this call. A distance of -1 marks a vertex ProjectPoint left
    // alone because it lies behind the eye; the rasteriser skips triangles touching one.
    ScreenPoint projected[ProjectedVertexLimit];
    for (int32_t i = 0; i < vertexCount; ++i) {
        const Md2Vertex& packed = vertices[i];
        // The model's y axis runs the other way from the world's.
        const WorldPoint local = {
            TruncateCoordinate(packed.v[0] * place.scale[0] + place.translate[0]),
            -TruncateCoordinate(packed.v[1] * place.scale[1] + place.translate[1]),
            TruncateCoordinate(packed.v[2] * place.scale[2] + place.translate[2])};
        WorldPoint turned;
        RotatePoint(local, turned, ax, ay, az);
        // Eight times larger on the ground, a quarter in altitude.
        const WorldPoint placed = {Saturate(x + static_cast<int64_t>(turned.x) * 8),
                                   Saturate(y + static_cast<int64_t>(turned.y) * 8),
                                   Saturate(z + static_cast<int64_t>(turned.z >> 2))};
        projected[i] = ScreenPoint{0, 0, -1, 0};
        ProjectPoint(camera, placed, projected[i]);
        WidenBox(box, placed, i == 0);

        // Kept: drawing the ship is also its surface-contact test; a vertex at or below the
        // ground of its cell ends the whole model at once, leaving the rest undrawn.
        if (heights) {
            const int32_t cell = ((placed.x >> 8) & MapMask) + ((placed.y >> 8) & MapMask) * 512;
            if (placed.z <= 2 * heights[cell]) {
                box.minX = -1;
                box.contact = 1;
                return box;
            }
        }
    }

    if (model.skin.size() < static_cast<size_t>(SkinTexels))
        return box;
    const int32_t triangleCount =
        std::min<int64_t>(std::max(header.numTris, 0), model.triangles.size());
    const int32_t texCoordCount =
        std::min<int64_t>(std::max(header.numSt, 0), model.texCoords.size());
    for (int32_t t = 0; t < triangleCount; ++t) {
        const Md2Triangle& tri = model.triangles[t];
        bool inRange = true;
        for (int32_t k = 0; k < 3; ++k) {
            inRange = inRange && tri.vertex[k] < vertexCount && tri.texCoord[k] < texCoordCount;
        }
        if (!inRange)
            continue;
        const ScreenPoint& a = projected[tri.vertex[0]];
        const ScreenPoint& b = projected[tri.vertex[1]];
        const ScreenPoint& c = projected[tri.vertex[2]];
        if (!a.visible && !b.visible && !c.visible)
            continue;
        const Md2TexCoord& sa = model.texCoords[tri.texCoord[0]];
        const Md2TexCoord& sb = model.texCoords[tri.texCoord[1]];
        const Md2TexCoord& sc = model.texCoords[tri.texCoord[2]];
        DrawTexturedTriangle(camera, a, b, c, sa.s, sa.t, sb.s, sb.t, sc.s, sc.t,
                             model.skin.data());
    }
    return box;
}

int32_t DrawShip(const CameraState& camera, int32_t ship, const uint8_t* heights) {
    if (ship < 0 || ship >= ShipSlots)
        return 0;
    ShipState& state = ShipTable[ship];
    // A wreck is neither drawn nor tested; it keeps the box it had.
    if (state.wrecked)
        return 0;
    if (state.model < 0 || state.model >= ModelSlots || !ModelTable[state.model])
        return 0;

    const ModelBox box = DrawModel(*ModelTable[state.model], camera, 0, AngleIndex(state.pitch),
                                   AngleIndex(state.bank), AngleIndex(state.heading), state.x,
                                   state.y, state.altitude, heights);
    if (box.contact) {
        state.wrecked = 1;
        state.wreckFrames = 0;
        return 1;
    }
    state.boxMinX = box.minX;
    state.boxMaxX = box.maxX;
    state.boxMinY = box.minY;
    state.boxMaxY = box.maxY;
    state.boxMinZ = box.minZ >> 1;
    state.boxMaxZ = box.maxZ >> 1;
    return 0;
}

void DrawMapMarkers(const CameraState& camera) {
    if (!camera.frame)
        return;
    const int32_t count = std::clamp(ShipCount, 0, ShipSlots);
    // Kept: in table order, so the player's white dot lies under an opponent's on the same
    // spot.
    for (int32_t i = 0; i < count; ++i) {
        const ShipState& ship = ShipTable[i];
        const int32_t column = OverviewLeft + static_cast<int32_t>((ship.x >> 8) * 0.15625);
        const int32_t row = OverviewTop + static_cast<int32_t>((ship.y >> 8) * 0.15625);
        const uint16_t colour = i == 0 ? PlayerMarkerColour : OpponentMarkerColour;
        for (int32_t dy = 0; dy < 2; ++dy) {
            for (int32_t dx = 0; dx < 2; ++dx)
                PlotMarkerPixel(camera.frame, row + dy, column + dx, colour);
        }
        // A black pair on each side, corners left out.
        for (int32_t k = 0; k < 2; ++k) {
            PlotMarkerPixel(camera.frame, row + k, column - 1, 0);
            PlotMarkerPixel(camera.frame, row + k, column + 2, 0);
            PlotMarkerPixel(camera.frame, row - 1, column + k, 0);
            PlotMarkerPixel(camera.frame, row + 2, column + k, 0);
        }
    }
}
