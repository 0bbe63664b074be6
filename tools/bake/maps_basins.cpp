// The shortcut check: dams across every stretch, then a flood from each Waypoint.
#include "maps_basins.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int32_t Side = 512;
constexpr float DamReach = 90.0f; // cells either side of the course a dam looks for a wall

struct Point {
    float x, y;
};

Point Centre(const CourseTable& course, int32_t i) {
    const int32_t* w = course.waypoints[i % course.waypointCount];
    return {float((2 * w[0] + WaypointSide) / 2), float((2 * w[1] + WaypointSide) / 2)};
}

size_t CellOf(int32_t x, int32_t y) {
    return size_t(y & (Side - 1)) * Side + size_t(x & (Side - 1));
}

// Marks with `mark` in `reached` (zero there on entry) the open ground joined to `from`, four ways
// round, the map wrapping at its edges.
void Flood(const std::vector<uint8_t>& walls, Point from, uint8_t mark,
           std::vector<uint8_t>& reached, std::vector<int32_t>& stack) {
    const size_t start = CellOf(int32_t(from.x), int32_t(from.y));
    if (walls[start])
        return;
    stack.assign(1, int32_t(start));
    reached[start] = mark;
    while (!stack.empty()) {
        const int32_t cell = stack.back();
        stack.pop_back();
        const int32_t x = cell % Side, y = cell / Side;
        const size_t next[4] = {CellOf(x + 1, y), CellOf(x - 1, y), CellOf(x, y + 1),
                                CellOf(x, y - 1)};
        for (const size_t m : next) {
            if (walls[m] || reached[m])
                continue;
            reached[m] = mark;
            stack.push_back(int32_t(m));
        }
    }
}

} // namespace

bool OneBasinPerWaypoint(const CourseTable& course, const std::vector<uint8_t>& heights,
                         std::vector<uint8_t>* basins) {
    const int32_t n = course.waypointCount;
    if (heights.size() != size_t(Side) * Side || n < 2 || n > MaxTrackWaypoints)
        return false;
    std::vector<uint8_t> walls(heights.size());
    for (size_t i = 0; i < heights.size(); ++i)
        walls[i] = heights[i] > WallByte;
    for (int32_t i = 0; i < n; ++i) {
        const Point a = Centre(course, i);
        if (walls[CellOf(int32_t(a.x), int32_t(a.y))])
            return false;
    }
    // Each dam runs from the middle of a stretch out to the first wall cell on either side,
    // two cells thick so that no diagonal step slips through it.
    std::vector<uint8_t> dammed = walls;
    for (int32_t i = 0; i < n; ++i) {
        const Point a = Centre(course, i), b = Centre(course, i + 1);
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        if (length <= 0.0f)
            continue;
        const float nx = -(b.y - a.y) / length, ny = (b.x - a.x) / length;
        const Point m = {(a.x + b.x) / 2, (a.y + b.y) / 2};
        for (const float side : {1.0f, -1.0f}) {
            bool closed = false;
            for (float t = 0; t < DamReach && !closed; t += 0.25f) {
                const int32_t x = int32_t(std::floor(m.x + side * nx * t));
                const int32_t y = int32_t(std::floor(m.y + side * ny * t));
                if (walls[CellOf(x, y)]) {
                    closed = true;
                } else {
                    dammed[CellOf(x, y)] = 1;
                    dammed[CellOf(x + 1, y)] = 1;
                }
            }
            if (!closed)
                return false;
        }
    }
    // Each flood marks its own basin: a Waypoint already reached by another's lies in it.
    std::vector<uint8_t> reached(heights.size());
    std::vector<int32_t> stack;
    for (int32_t i = 0; i < n; ++i) {
        const Point p = Centre(course, i);
        if (reached[CellOf(int32_t(p.x), int32_t(p.y))])
            return false;
        Flood(dammed, p, uint8_t(i + 1), reached, stack);
    }
    if (basins != nullptr)
        *basins = std::move(reached);
    return true;
}
