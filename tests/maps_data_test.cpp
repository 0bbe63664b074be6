// The baked height maps against their courses: low valleys where ships fly, walls elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "maps_shape.h"
#include "race/course_data.h"

namespace {

constexpr int32_t Side = 512;
constexpr int32_t FloorByte = 40;    // below this, pilots at 100-119 above it fly clear
constexpr int32_t CeilingByte = 115; // above this the surface tops the altitude ceiling of 230
constexpr int32_t EyeByte = 87;      // the chase camera's eye stands at altitude 175

struct Map {
    std::vector<uint8_t> bytes;
    int32_t At(int32_t x, int32_t y) const {
        return bytes[size_t(y & 511) * Side + size_t(x & 511)];
    }
};

bool ReadMap(int32_t track, Map& map) {
    const std::string path =
        std::string(TARNVELL_DATA) + "/Map/map" + std::to_string(track + 1) + ".raw";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    map.bytes.assign(size_t(Side) * Side + 1, 0);
    const size_t read = std::fread(map.bytes.data(), 1, map.bytes.size(), file);
    std::fclose(file);
    if (read != size_t(Side) * Side)
        return false; // also refuses a longer file
    map.bytes.pop_back();
    return true;
}

struct Point {
    float x, y;
};

Point Centre(const CourseTable& course, int32_t i) {
    const int32_t* w = course.waypoints[i % course.waypointCount];
    return {float((2 * w[0] + WaypointSide) / 2), float((2 * w[1] + WaypointSide) / 2)};
}

// Where a wrecked ship may be put back: the middle half of a Checkpoint, corners inclusive.
void RespawnZone(const int32_t* c, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) {
    const int32_t w = c[2] - c[0], h = c[3] - c[1];
    x0 = (c[0] + c[2]) / 2 - w / 4;
    y0 = (c[1] + c[3]) / 2 - h / 4;
    x1 = x0 + w / 2 - 1;
    y1 = y0 + h / 2 - 1;
}

float SegmentDistance(float px, float py, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float t =
        std::clamp(((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - a.x - dx * t, py - a.y - dy * t);
}

// Every map is read in full for each test; a file not exactly 512 x 512 bytes fails it.
class MapsData : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override { ASSERT_TRUE(ReadMap(GetParam(), map)) << "map" << GetParam() + 1; }
    const CourseTable& course() const { return CourseTables[GetParam()]; }
    Map map;
};

TEST_P(MapsData, TheCourseLiesOnLowGround) {
    const CourseTable& c = course();
    for (const auto& place : c.grid)
        EXPECT_LT(map.At(place[0], place[1]), FloorByte);
    for (int32_t i = 0; i < c.checkpointCount; ++i) {
        const int32_t* k = c.checkpoints[i];
        EXPECT_LT(map.At((k[0] + k[2]) / 2, (k[1] + k[3]) / 2), FloorByte) << "Checkpoint " << i;
    }
    // Every Waypoint centre and the straight way to the next, with room either side for the
    // pilots' turns.
    constexpr float Margin = 7.0f;
    for (int32_t i = 0; i < c.waypointCount; ++i) {
        const Point a = Centre(c, i), b = Centre(c, i + 1);
        EXPECT_LT(map.At(int32_t(a.x), int32_t(a.y)), FloorByte) << "Waypoint " << i;
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        const float nx = -(b.y - a.y) / length, ny = (b.x - a.x) / length;
        int32_t worst = 0;
        for (float s = 0; s <= length; s += 0.5f) {
            for (float o = -Margin; o <= Margin; o += 0.5f) {
                const float x = a.x + (b.x - a.x) * s / length + nx * o;
                const float y = a.y + (b.y - a.y) * s / length + ny * o;
                worst = std::max(worst, map.At(int32_t(std::floor(x)), int32_t(std::floor(y))));
            }
        }
        EXPECT_LT(worst, FloorByte)
            << "between Waypoints " << i << " and " << (i + 1) % c.waypointCount;
    }
}

TEST_P(MapsData, AShipPutBackAfterAWreckIsClearOfTheGround) {
    // Put back at altitude 100 anywhere in the middle half of the Checkpoint: the surface
    // (twice the byte) must stay below it, with a little room for the ship's own depth.
    const CourseTable& c = course();
    for (int32_t i = 0; i < c.checkpointCount; ++i) {
        int32_t x0, y0, x1, y1;
        RespawnZone(c.checkpoints[i], x0, y0, x1, y1);
        int32_t worst = 0;
        for (int32_t y = y0; y <= y1; ++y)
            for (int32_t x = x0; x <= x1; ++x)
                worst = std::max(worst, map.At(x, y));
        EXPECT_LE(worst, 45) << "Checkpoint " << i;
    }
}

TEST_P(MapsData, GroundFarFromTheCourseIsWall) {
    const CourseTable& c = course();
    std::vector<Point> points;
    for (const auto& place : c.grid)
        points.push_back({float(place[0]), float(place[1])});
    for (int32_t i = 0; i < c.checkpointCount; ++i) {
        const int32_t* k = c.checkpoints[i];
        points.push_back({float((k[0] + k[2]) / 2), float((k[1] + k[3]) / 2)});
    }
    // Every cell further than the baker's WallReach from the course is wall: shelves and runouts
    // for put-back ships and the chase camera reach out that far on the outside of bends, no
    // further. Shortcuts are kept out by the walls between stretches, which
    // DammingEveryStretchSplitsTheValleyIntoOneBasinPerWaypoint holds.
    constexpr float Far = WallReach + 1.0f;
    // Distance from (x, y) to the course, the grid, the Checkpoints and the put-back zones.
    const auto distance = [&](float x, float y) {
        float d = 1e9f;
        for (int32_t i = 0; i < c.waypointCount && d > Far; ++i)
            d = std::min(d, SegmentDistance(x, y, Centre(c, i), Centre(c, i + 1)));
        for (const Point& p : points)
            d = std::min(d, std::hypot(x - p.x, y - p.y));
        for (int32_t i = 0; i < c.checkpointCount && d > Far; ++i) {
            int32_t x0, y0, x1, y1;
            RespawnZone(c.checkpoints[i], x0, y0, x1, y1);
            const float dx = std::max({float(x0) - x, 0.0f, x - float(x1)});
            const float dy = std::max({float(y0) - y, 0.0f, y - float(y1)});
            d = std::min(d, std::hypot(dx, dy));
        }
        return d;
    };
    int32_t low = 0, firstX = -1, firstY = -1;
    for (int32_t y = 0; y < Side; ++y) {
        for (int32_t x = 0; x < Side; ++x) {
            if (map.At(x, y) > CeilingByte)
                continue;
            // The surface wraps: near an edge, the course beyond it counts too.
            float d = distance(float(x), float(y));
            for (int32_t image = 0; image < 9 && d > Far; ++image) {
                const int32_t sx = image % 3 - 1, sy = image / 3 - 1;
                if ((sx == 0 && sy == 0) || (sx > 0 && x >= Far) || (sx < 0 && x < Side - Far) ||
                    (sy > 0 && y >= Far) || (sy < 0 && y < Side - Far))
                    continue;
                d = std::min(d, distance(float(x + sx * Side), float(y + sy * Side)));
            }
            if (d > Far && low++ == 0)
                firstX = x, firstY = y;
        }
    }
    EXPECT_EQ(low, 0) << "low cells far from the course, the first at " << firstX << ", " << firstY;
}

TEST_P(MapsData, DammingEveryStretchSplitsTheValleyIntoOneBasinPerWaypoint) {
    // A dam across the valley halfway between each pair of Waypoints, from wall to wall. The
    // open ground (below the ceiling's byte) must then fall apart into separate basins, one
    // around each Waypoint: any other way from one stretch of the course to another would be a
    // shortcut. Without the dams the whole ring is one valley.
    const CourseTable& c = course();
    const int32_t n = c.waypointCount;
    std::vector<uint8_t> open(size_t(Side) * Side, 0);
    for (size_t i = 0; i < open.size(); ++i)
        open[i] = map.bytes[i] > CeilingByte;
    std::vector<uint8_t> blocked = open;

    const auto basin = [&](const std::vector<uint8_t>& walls, Point from) {
        std::vector<int32_t> label(size_t(Side) * Side, 0);
        std::vector<int32_t> stack = {int32_t(from.y) * Side + int32_t(from.x)};
        label[size_t(stack[0])] = 1;
        while (!stack.empty()) {
            const int32_t cell = stack.back();
            stack.pop_back();
            const int32_t x = cell % Side, y = cell / Side;
            const int32_t next[4] = {y * Side + ((x + 1) & 511), y * Side + ((x + 511) & 511),
                                     ((y + 1) & 511) * Side + x, ((y + 511) & 511) * Side + x};
            for (int32_t m : next) {
                if (walls[size_t(m)] || label[size_t(m)])
                    continue;
                label[size_t(m)] = 1;
                stack.push_back(m);
            }
        }
        return label;
    };

    const std::vector<int32_t> whole = basin(open, Centre(c, 0));
    for (int32_t i = 0; i < n; ++i) {
        const Point p = Centre(c, i);
        EXPECT_TRUE(whole[size_t(int32_t(p.y) * Side + int32_t(p.x))])
            << "Waypoint " << i << " cut off";
    }

    for (int32_t i = 0; i < n; ++i) {
        const Point a = Centre(c, i), b = Centre(c, i + 1);
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        const float nx = -(b.y - a.y) / length, ny = (b.x - a.x) / length;
        const Point m = {(a.x + b.x) / 2, (a.y + b.y) / 2};
        for (float side : {1.0f, -1.0f}) {
            bool closed = false;
            for (float t = 0; t < 90.0f && !closed; t += 0.25f) {
                const int32_t x = int32_t(std::floor(m.x + side * nx * t));
                const int32_t y = int32_t(std::floor(m.y + side * ny * t));
                if (map.At(x, y) > CeilingByte) {
                    closed = true;
                } else {
                    blocked[size_t(y & 511) * Side + size_t(x & 511)] = 1;
                    blocked[size_t(y & 511) * Side + size_t((x + 1) & 511)] = 1;
                }
            }
            EXPECT_TRUE(closed) << "the valley between Waypoints " << i << " and " << (i + 1) % n
                                << " is more than 90 cells wide";
        }
    }
    for (int32_t i = 0; i < n; ++i) {
        const std::vector<int32_t> label = basin(blocked, Centre(c, i));
        for (int32_t j = 0; j < n; ++j) {
            if (j == i)
                continue;
            const Point p = Centre(c, j);
            EXPECT_FALSE(label[size_t(int32_t(p.y) * Side + int32_t(p.x))])
                << "a way from Waypoint " << i << " to Waypoint " << j << " that skips the course";
        }
    }
}

TEST_P(MapsData, TheChaseCameraSeesOverTheValleyAndTheMapWraps) {
    // The camera's eye trails 22 cells behind along the course at altitude 175: along the line
    // between Waypoint centres, the ground there stays below it.
    const CourseTable& c = course();
    for (int32_t i = 0; i < c.waypointCount; ++i) {
        const Point a = Centre(c, i), b = Centre(c, i + 1);
        const int32_t steps = int32_t(std::hypot(b.x - a.x, b.y - a.y));
        for (int32_t s = 0; s < steps; ++s)
            EXPECT_LT(map.At(int32_t(a.x + (b.x - a.x) * float(s) / float(steps)),
                             int32_t(a.y + (b.y - a.y) * float(s) / float(steps))),
                      EyeByte)
                << "between Waypoints " << i << " and " << i + 1 << ", step " << s;
    }

    // The surface repeats every 512 cells: no cliff along the seams. A step across a seam is
    // no steeper than those inside, on average and at most; a notch's rim may fall on a seam
    // here and there, but a landscape that does not wrap would show a cliff all along it.
    int32_t inner = 0, seam = 0, seamCliffs = 0;
    double innerSum = 0, seamSum = 0;
    for (int32_t i = 0; i < Side; ++i) {
        for (int32_t k = 1; k < Side; ++k) {
            const int32_t across = std::abs(map.At(k, i) - map.At(k - 1, i));
            const int32_t down = std::abs(map.At(i, k) - map.At(i, k - 1));
            inner = std::max({inner, across, down});
            innerSum += across + down;
        }
        for (const int32_t step :
             {std::abs(map.At(0, i) - map.At(511, i)), std::abs(map.At(i, 0) - map.At(i, 511))}) {
            seam = std::max(seam, step);
            seamSum += step;
            seamCliffs += step > 40;
        }
    }
    EXPECT_LE(seam, inner);
    EXPECT_LE(seamSum / (2.0 * Side), 1.5 * innerSum / (2.0 * Side * (Side - 1)) + 0.5);
    EXPECT_LE(seamCliffs, 2 * Side / 100);
}

// What sets one track's landscape apart, measured on its map around its course.
struct Landform {
    double floorSpread; // height bytes: spread of the valley floor along the course
    double floorGrain;  // height bytes a cell: how rough the floor is from cell to cell
    double wallTop;     // height byte nine in ten cells stay under, 30-60 cells off the course
    double terraced;    // share of that wall ground lying on level steps
    double wallGrain;   // height bytes a cell: how rough that wall ground is
    int32_t spires;     // peaks within 60 cells of the course standing 40 above their foot
    int32_t landmark;   // the tallest cell within 60 cells of the course
    int32_t skyline;    // the tallest cell on the skyline seen from the start's chase camera
};

Landform Measure(const Map& map, const CourseTable& c) {
    std::vector<float> distance(size_t(Side) * Side, 1e9f);
    for (int32_t y = 0; y < Side; ++y)
        for (int32_t x = 0; x < Side; ++x)
            for (int32_t i = 0; i < c.waypointCount; ++i)
                distance[size_t(y) * Side + size_t(x)] =
                    std::min(distance[size_t(y) * Side + size_t(x)],
                             SegmentDistance(float(x), float(y), Centre(c, i), Centre(c, i + 1)));
    double n = 0, sum = 0, squares = 0, grain = 0, walls = 0, level = 0, rough = 0;
    std::vector<int32_t> band;
    Landform f{};
    for (int32_t y = 0; y < Side; ++y) {
        for (int32_t x = 0; x < Side; ++x) {
            const float d = distance[size_t(y) * Side + size_t(x)];
            const int32_t h = map.At(x, y);
            const int32_t gx = std::abs(map.At(x + 1, y) - h), gy = std::abs(map.At(x, y + 1) - h);
            if (d <= 6.0f) {
                n += 1;
                sum += h;
                squares += double(h) * h;
                grain += gx + gy;
            }
            if (d >= 30.0f && d <= 60.0f) {
                band.push_back(h);
                if (h > CeilingByte) {
                    walls += 1;
                    level += gx <= 1 && gy <= 1;
                    rough += gx + gy;
                }
            }
            if (d > 60.0f)
                continue;
            f.landmark = std::max(f.landmark, h);
            // A spire: the one top of its 7 x 7 cells, 40 above the lowest cell 6 away.
            bool top = h >= 150;
            int32_t foot = h;
            for (int32_t k = 0; k < 49 && top; ++k)
                top = k == 24 || map.At(x + k % 7 - 3, y + k / 7 - 3) < h;
            for (int32_t k = 0; k < 24 && top; ++k) {
                const float a = float(k) * 0.2618f;
                foot = std::min(foot, map.At(x + int32_t(std::lround(6.0f * std::cos(a))),
                                             y + int32_t(std::lround(6.0f * std::sin(a)))));
            }
            f.spires += top && h - foot >= 40;
        }
    }
    f.floorSpread = std::sqrt(squares / n - (sum / n) * (sum / n));
    f.floorGrain = grain / n;
    std::nth_element(band.begin(), band.begin() + ptrdiff_t(band.size() * 9 / 10), band.end());
    f.wallTop = band[band.size() * 9 / 10];
    f.terraced = level / std::max(walls, 1.0);
    f.wallGrain = rough / std::max(walls, 1.0);
    // The chase camera 22 cells behind the player's start place, at altitude 175, looking west
    // with the view's 42 degrees: along each ray the cell seen highest above the eye.
    const float eyeX = float(c.grid[0][0]) + 22.0f, eyeY = float(c.grid[0][1]);
    for (int32_t ray = -20; ray <= 20; ++ray) {
        const float angle = 3.14159265f + float(ray) * 0.0184f;
        float best = -1e9f;
        int32_t top = 0;
        for (float r = 4.0f; r < 390.0f; r += 0.5f) {
            const int32_t h = map.At(int32_t(std::floor(eyeX + r * std::cos(angle))),
                                     int32_t(std::floor(eyeY + r * std::sin(angle))));
            const float elevation = (float(h) - float(EyeByte)) / r;
            if (elevation > best)
                best = elevation, top = h;
        }
        f.skyline = std::max(f.skyline, top);
    }
    return f;
}

// Bounds on the measures that say what a track looks like; each track meets its own, and no
// other track meets them all.
struct Character {
    const char* name;
    Landform low, high;
};
constexpr double Any = 1e9;
constexpr Character Characters[TrackCount] = {
    // Rolling meadows under broad, smooth snow slopes.
    {"alpine valley", {6, 0, 185, 0, 0, 0, 235, 0}, {Any, 3, Any, 0.4, Any, 30, 255, 255}},
    // A lake-flat floor in a low, level rim: the sky stands wide over it.
    {"crater", {0, 0, 0, 0.75, 0, 0, 0, 0}, {3, 1, 150, 1, 4, 5, 255, 150}},
    // Dunes between stepped tablelands, buttes and arches over the rims.
    {"mesas", {0, 4, 185, 0.4, 7, 0, 215, 0}, {Any, Any, Any, 0.68, Any, 60, 255, 255}},
    // A ribbed riverbed between walls of thin, level beds.
    {"layered canyon", {0, 4, 175, 0.62, 0, 0, 0, 0}, {Any, Any, Any, 1, 7, 60, 255, 255}},
    // Jagged crests crowded with needles of rock.
    {"spired gorge", {6, 0, 0, 0, 7, 60, 235, 0}, {Any, 3, Any, 0.4, Any, 100000, 255, 255}},
};

bool Fits(const Landform& f, const Character& c) {
    const auto in = [](double v, double low, double high) { return low <= v && v <= high; };
    return in(f.floorSpread, c.low.floorSpread, c.high.floorSpread) &&
           in(f.floorGrain, c.low.floorGrain, c.high.floorGrain) &&
           in(f.wallTop, c.low.wallTop, c.high.wallTop) &&
           in(f.terraced, c.low.terraced, c.high.terraced) &&
           in(f.wallGrain, c.low.wallGrain, c.high.wallGrain) &&
           in(f.spires, c.low.spires, c.high.spires) &&
           in(f.landmark, c.low.landmark, c.high.landmark) &&
           in(f.skyline, c.low.skyline, c.high.skyline);
}

TEST(MapsLandform, EachTrackHasALandscapeOfItsOwn) {
    Landform measured[TrackCount];
    for (int32_t track = 0; track < TrackCount; ++track) {
        Map map;
        ASSERT_TRUE(ReadMap(track, map)) << "map" << track + 1;
        measured[track] = Measure(map, CourseTables[track]);
        const Landform& f = measured[track];
        std::printf("track %d: floor spread %.1f, grain %.2f; walls to %.0f, %.2f terraced, "
                    "grain %.2f; %d spires, tallest %d, skyline %d\n",
                    track, f.floorSpread, f.floorGrain, f.wallTop, f.terraced, f.wallGrain,
                    f.spires, f.landmark, f.skyline);
    }
    for (int32_t track = 0; track < TrackCount; ++track)
        for (int32_t other = 0; other < TrackCount; ++other)
            EXPECT_EQ(Fits(measured[other], Characters[track]), other == track)
                << "track " << other << " against the " << Characters[track].name << " of track "
                << track;
}

INSTANTIATE_TEST_SUITE_P(Tracks, MapsData, ::testing::Range(0, TrackCount),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                             return "Track" + std::to_string(info.param);
                         });

} // namespace
