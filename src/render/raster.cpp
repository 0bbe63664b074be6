// The triangle rasteriser (edge table, pixel-pair spans) and the sprite rasteriser.
#include "render/raster.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int32_t ViewSize = 240;    // rows and columns of the view; also the row stride
constexpr int32_t TextureSize = 128; // texels a side of a model texture
constexpr int32_t SheetSize = 256;   // texels a side of a sprite sheet
constexpr int64_t Fixed = 1024;      // one in 22.10 fixed point
constexpr int64_t EmptyLeft = 1000 * Fixed;
constexpr int64_t EmptyRight = -1000 * Fixed;
// Corners farther off than this are near the eye plane, where a projection means little;
// below it every product of the rasteriser fits in 64 bits.
constexpr int64_t CornerLimit = int64_t{1} << 30;

// The edge table of the triangle being drawn, one entry a view row, 22.10 fixed point. The
// walk is done in 64 bits so that corners far off the view cannot overflow it; within the
// 32-bit range it gives the same values.
struct EdgeTable {
    int64_t leftX[ViewSize];
    int64_t leftU[ViewSize];
    int64_t leftV[ViewSize];
    int64_t leftZ[ViewSize];
    int64_t rightX[ViewSize];
    int64_t rightU[ViewSize];
    int64_t rightV[ViewSize];
    int64_t rightZ[ViewSize];
};

EdgeTable Edges = {};

bool CornerUsable(const ScreenPoint& p) {
    return p.distance >= 0 && p.x >= -CornerLimit && p.x <= CornerLimit && p.y >= -CornerLimit &&
           p.y <= CornerLimit;
}

void FillSpans(const CameraState& camera, int32_t first, int32_t last, const uint16_t* texture) {
    for (int32_t row = first; row <= last; ++row) {
        // Kept: spans start and end on even columns, as the game fills them in pixel pairs.
        int64_t x = (Edges.leftX[row] >> 10) & ~int64_t{1};
        const int64_t x1 = (Edges.rightX[row] >> 10) & ~int64_t{1};
        if (x > x1 || x1 < 0)
            continue;
        int64_t u = Edges.leftU[row];
        int64_t v = Edges.leftV[row];
        int64_t z = Edges.leftZ[row];
        int64_t du = 0, dv = 0, dz = 0;
        if (x != x1) {
            const int64_t pairs = (x1 - x) >> 1;
            du = (Edges.rightU[row] - u) / pairs;
            dv = (Edges.rightV[row] - v) / pairs;
            dz = (Edges.rightZ[row] - z) / pairs;
        }
        if (x < 0) {
            // Skip the pairs left of the view at once rather than one by one.
            const int64_t skipped = -x >> 1;
            x = 0;
            u += skipped * du;
            v += skipped * dv;
            z += skipped * dz;
        }
        const int64_t end = std::min<int64_t>(x1, ViewSize - 1);
        const int64_t rowStart = static_cast<int64_t>(row) * ViewSize;
        for (; x <= end; x += 2) {
            // One depth test and one texel for both pixels of the pair.
            const uint32_t depth = static_cast<uint32_t>(z >> 10);
            const int64_t at = rowStart + x;
            if (depth < camera.depth[at]) {
                const int64_t texel =
                    ((v >> 10) & (TextureSize - 1)) * TextureSize + ((u >> 10) & (TextureSize - 1));
                camera.frame[at] = texture[texel];
                camera.frame[at + 1] = texture[texel];
                camera.depth[at] = depth;
                camera.depth[at + 1] = depth;
            }
            u += du;
            v += dv;
            z += dz;
        }
    }
}

} // namespace

void ScanTriangleEdge(const ScreenPoint& a, const ScreenPoint& b, int32_t ua, int32_t va,
                      int32_t ub, int32_t vb) {
    // With equal rows the second corner is the top one.
    const bool aOnTop = a.y < b.y;
    const ScreenPoint& top = aOnTop ? a : b;
    const ScreenPoint& bottom = aOnTop ? b : a;
    const int64_t topU = aOnTop ? ua : ub;
    const int64_t topV = aOnTop ? va : vb;
    const int64_t bottomU = aOnTop ? ub : ua;
    const int64_t bottomV = aOnTop ? vb : va;

    int64_t x = top.x * Fixed;
    int64_t u = topU * Fixed;
    int64_t v = topV * Fixed;
    // The depth along an edge is its top corner's.
    const int64_t z = top.distance * Fixed;
    int64_t dx = 0, du = 0, dv = 0;
    if (top.y != bottom.y) {
        const int64_t dy = static_cast<int64_t>(bottom.y) - top.y;
        dx = (static_cast<int64_t>(bottom.x) - top.x) * Fixed / dy;
        du = (bottomU - topU) * Fixed / dy;
        dv = (bottomV - topV) * Fixed / dy;
    }

    // Walk only the rows inside the view, starting where the walk from the top would be.
    const int64_t first = std::max<int64_t>(top.y, 0);
    const int64_t last = std::min<int64_t>(bottom.y, ViewSize - 1);
    if (first > last)
        return;
    const int64_t skipped = first - top.y;
    x += skipped * dx;
    u += skipped * du;
    v += skipped * dv;
    for (int64_t row = first; row <= last; ++row) {
        if (x < Edges.leftX[row]) {
            Edges.leftX[row] = x;
            Edges.leftU[row] = u;
            Edges.leftV[row] = v;
            Edges.leftZ[row] = z;
        }
        if (x > Edges.rightX[row]) {
            Edges.rightX[row] = x;
            Edges.rightU[row] = u;
            Edges.rightV[row] = v;
            Edges.rightZ[row] = z;
        }
        x += dx;
        u += du;
        v += dv;
    }
}

void DrawTexturedTriangle(const CameraState& camera, const ScreenPoint& pA, const ScreenPoint& pB,
                          const ScreenPoint& pC, int32_t uA, int32_t vA, int32_t uB, int32_t vB,
                          int32_t uC, int32_t vC, const uint16_t* texture) {
    if (!texture || !camera.frame || !camera.depth)
        return;
    if (!CornerUsable(pA) || !CornerUsable(pB) || !CornerUsable(pC))
        return;

    // Screen rows grow downward: clockwise corners give a negative cross product. Only
    // counter-clockwise (back-facing) triangles are dropped. Kept: a flat one is drawn.
    const int64_t cross =
        (static_cast<int64_t>(pC.y) - pB.y) * (static_cast<int64_t>(pA.x) - pB.x) -
        (static_cast<int64_t>(pA.y) - pB.y) * (static_cast<int64_t>(pC.x) - pB.x);
    if (cross > 0)
        return;
    if (!pA.visible && !pB.visible && !pC.visible)
        return;

    const int32_t first = std::max(std::min({pA.y, pB.y, pC.y}), 0);
    const int32_t last = std::min(std::max({pA.y, pB.y, pC.y}), ViewSize - 1);
    if (first > last)
        return;
    // Only the triangle's own rows are walked and filled, so only they need emptying.
    std::fill(Edges.leftX + first, Edges.leftX + last + 1, EmptyLeft);
    std::fill(Edges.rightX + first, Edges.rightX + last + 1, EmptyRight);
    ScanTriangleEdge(pA, pB, uA, vA, uB, vB);
    ScanTriangleEdge(pA, pC, uA, vA, uC, vC);
    ScanTriangleEdge(pB, pC, uB, vB, uC, vC);
    FillSpans(camera, first, last, texture);
}

void DrawBillboard(const CameraState& camera, const WorldPoint& point, const uint16_t* sheet,
                   int32_t size, int32_t frame) {
    if (!sheet || !camera.frame || !camera.depth)
        return;
    if (frame < 0 || frame >= SpriteFrames)
        return;

    ScreenPoint top = {};
    ScreenPoint foot = {};
    ProjectPoint(camera, point, top);
    WorldPoint lowered = point;
    const int64_t loweredZ = static_cast<int64_t>(point.z) - size;
    lowered.z = static_cast<int32_t>(std::clamp<int64_t>(loweredZ, INT32_MIN, INT32_MAX));
    ProjectPoint(camera, lowered, foot);
    if (!top.visible && !foot.visible)
        return;

    // Pulled toward the viewer so that the sprite wins against the ground it stands on.
    // Kept: close to the eye this wraps to a huge unsigned depth, which only empty pixels
    // exceed.
    const uint32_t depth = static_cast<uint32_t>(top.distance) - 256u;

    const int64_t half = static_cast<int64_t>(foot.y) - top.y;
    const int64_t left = top.x - half;
    const int64_t right = top.x + half;
    const int64_t upper = top.y;
    const int64_t lower = foot.y + half;
    if (left == right || upper == lower || upper >= lower)
        return;
    const int64_t su = 65536 / (right - left); // 22.10 texels a pixel
    const int64_t sv = 65536 / (lower - upper);

    const int64_t frameColumn = int64_t{frame & 3} * SpriteFrameSize;
    const int64_t frameRow = int64_t{frame >> 2} * SpriteFrameSize;
    const int64_t firstRow = std::max<int64_t>(upper, 0);
    const int64_t lastRow = std::min<int64_t>(lower - 1, ViewSize - 1);
    const int64_t firstColumn = std::max<int64_t>(left, 0);
    const int64_t lastColumn = std::min<int64_t>(right - 1, ViewSize - 1);
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        const int64_t v = (row - upper) * sv;
        const uint16_t* sheetRow =
            sheet + (frameRow + ((v >> 10) & (SpriteFrameSize - 1))) * SheetSize;
        int64_t u = (firstColumn - left) * su;
        for (int64_t column = firstColumn; column <= lastColumn; ++column, u += su) {
            const int64_t at = row * ViewSize + column;
            if (depth >= camera.depth[at])
                continue;
            const uint16_t texel = sheetRow[frameColumn + ((u >> 10) & (SpriteFrameSize - 1))];
            // Black is the sprite's transparent colour.
            if (texel != 0)
                camera.frame[at] = texel;
        }
    }
}
