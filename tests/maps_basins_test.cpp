// The baker's shortcut check on made-up maps: a valley along the ring, and ways out of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "maps_basins.h"
#include "race/course_data.h"

namespace {

constexpr int32_t Side = 512;

struct Point {
    float x, y;
};

Point Centre(const CourseTable& course, int32_t i) {
    const int32_t* w = course.waypoints[i % course.waypointCount];
    return {float((2 * w[0] + WaypointSide) / 2), float((2 * w[1] + WaypointSide) / 2)};
}

// Lowers to `byte` every cell within `radius` of the segment a-b, the map wrapping.
void Dig(std::vector<uint8_t>& map, Point a, Point b, float radius, uint8_t byte) {
    const float length = std::hypot(b.x - a.x, b.y - a.y);
    for (float s = 0; s <= length; s += 0.5f) {
        const float t = length > 0 ? s / length : 0.0f;
        const float cx = a.x + (b.x - a.x) * t, cy = a.y + (b.y - a.y) * t;
        for (float oy = -radius; oy <= radius; oy += 1.0f)
            for (float ox = -radius; ox <= radius; ox += 1.0f) {
                if (ox * ox + oy * oy > radius * radius)
                    continue;
                const int32_t x = int32_t(std::floor(cx + ox)) & (Side - 1);
                const int32_t y = int32_t(std::floor(cy + oy)) & (Side - 1);
                uint8_t& cell = map[size_t(y) * Side + size_t(x)];
                cell = std::min(cell, byte);
            }
    }
}

// Rock everywhere but a narrow valley along the line between Waypoint centres.
std::vector<uint8_t> RingValley(const CourseTable& course) {
    std::vector<uint8_t> map(size_t(Side) * Side, 200);
    for (int32_t i = 0; i < course.waypointCount; ++i)
        Dig(map, Centre(course, i), Centre(course, i + 1), 6.0f, 20);
    return map;
}

TEST(MapsBasins, OnlyAValleyWithoutShortcutsPasses) {
    const CourseTable& course = CourseTables[0];
    const int32_t n = course.waypointCount;
    const Point first = Centre(course, 0), across = Centre(course, n / 2);
    struct Case {
        const char* what;
        void (*change)(std::vector<uint8_t>&, Point, Point);
        bool whole;
    };
    const Case cases[] = {
        {"the valley alone", [](std::vector<uint8_t>&, Point, Point) {}, true},
        {"a wall lowered to its top byte",
         [](std::vector<uint8_t>& m, Point a, Point b) { Dig(m, a, b, 1.5f, WallByte + 1); }, true},
        {"a notch one byte under the top",
         [](std::vector<uint8_t>& m, Point a, Point b) { Dig(m, a, b, 1.5f, WallByte); }, false},
        {"a gully across the ring",
         [](std::vector<uint8_t>& m, Point a, Point b) { Dig(m, a, b, 2.0f, 60); }, false},
        {"a Waypoint walled in",
         [](std::vector<uint8_t>& m, Point a, Point) {
             m[size_t(a.y) * Side + size_t(a.x)] = WallByte + 1;
         },
         false},
        {"no walls at all", [](std::vector<uint8_t>& m, Point, Point) { m.assign(m.size(), 0); },
         false},
        {"a map cut short", [](std::vector<uint8_t>& m, Point, Point) { m.resize(m.size() / 2); },
         false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> map = RingValley(course);
        c.change(map, first, across);
        EXPECT_EQ(OneBasinPerWaypoint(course, map), c.whole) << c.what;
    }
}

// The basins as the check found them: every Waypoint centre in its own, numbered one more than its
// index; rock and the dams in none; the ground between two dams all in one; nothing written when
// the check fails.
TEST(MapsBasins, BasinsAreNumberedByTheirWaypoint) {
    const CourseTable& course = CourseTables[0];
    const int32_t n = course.waypointCount;
    std::vector<uint8_t> map = RingValley(course);
    std::vector<uint8_t> basins;
    ASSERT_TRUE(OneBasinPerWaypoint(course, map, &basins));
    ASSERT_EQ(basins.size(), map.size());
    for (int32_t i = 0; i < n; ++i) {
        const Point c = Centre(course, i);
        EXPECT_EQ(basins[size_t(c.y) * Side + size_t(c.x)], i + 1) << "Waypoint " << i;
    }
    int32_t open = 0, numbered = 0;
    for (size_t cell = 0; cell < map.size(); ++cell) {
        if (map[cell] > WallByte) {
            EXPECT_EQ(basins[cell], 0) << cell;
            continue;
        }
        open += 1;
        numbered += basins[cell] != 0 && basins[cell] <= n;
    }
    // Only the dams, a few cells across each stretch, go unnumbered.
    EXPECT_GT(numbered, open * 9 / 10);
    EXPECT_LT(numbered, open);

    std::vector<uint8_t> untouched(3, 7);
    map.assign(map.size(), 0);
    EXPECT_FALSE(OneBasinPerWaypoint(course, map, &untouched));
    EXPECT_EQ(untouched, std::vector<uint8_t>(3, 7));
}

} // namespace
