// Height map shaping: the pilots' line, distance to the course, tileable noise, five landscapes.
#include "maps_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

#include "maps_basins.h"
#include "maps_flight.h"
#include "race/course_data.h"
#include "race/laps.h"

namespace {

constexpr float Pi = 3.14159265358979f;

// ---- Tileable noise: lattice counts divide the map, so every field wraps at 512 cells. ----

uint32_t Mix(uint32_t a) {
    a ^= a >> 16;
    a *= 0x7feb352du;
    a ^= a >> 15;
    a *= 0x846ca68bu;
    a ^= a >> 16;
    return a;
}

float Lattice(int32_t ix, int32_t iy, uint32_t seed) {
    const uint32_t h = Mix(uint32_t(ix) * 0x9E3779B1u ^ Mix(uint32_t(iy) * 0x85EBCA77u + seed));
    return float(h & 0xFFFFFFu) / 16777216.0f;
}

float Fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

// Value noise in 0..1 with `cellsX` by `cellsY` lattice squares across the whole map.
float Noise(float x, float y, int32_t cellsX, int32_t cellsY, uint32_t seed) {
    const float fx = x * float(cellsX) / float(MapSide);
    const float fy = y * float(cellsY) / float(MapSide);
    const float flx = std::floor(fx), fly = std::floor(fy);
    const float tx = Fade(fx - flx), ty = Fade(fy - fly);
    const int32_t x0 = ((int32_t(flx) % cellsX) + cellsX) % cellsX;
    const int32_t y0 = ((int32_t(fly) % cellsY) + cellsY) % cellsY;
    const int32_t x1 = (x0 + 1) % cellsX, y1 = (y0 + 1) % cellsY;
    const float a = Lattice(x0, y0, seed), b = Lattice(x1, y0, seed);
    const float c = Lattice(x0, y1, seed), d = Lattice(x1, y1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Fractal sum in 0..1: each octave doubles the lattice and halves (times `gain`) the amplitude.
float Fbm(float x, float y, int32_t cells, int32_t octaves, uint32_t seed, float gain = 0.5f) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int32_t i = 0; i < octaves; ++i) {
        sum += amplitude * Noise(x, y, cells << i, cells << i, seed + uint32_t(i) * 7919u);
        norm += amplitude;
        amplitude *= gain;
    }
    return sum / norm;
}

// Ridged fractal in 0..1: sharp crests where the noise crosses its middle.
float Ridged(float x, float y, int32_t cellsX, int32_t cellsY, int32_t octaves, uint32_t seed) {
    float sum = 0, amplitude = 1, norm = 0, weight = 1;
    for (int32_t i = 0; i < octaves; ++i) {
        float n = 1.0f - std::fabs(2.0f * Noise(x, y, cellsX << i, cellsY << i,
                                                seed + uint32_t(i) * 104729u) -
                                   1.0f);
        n *= n;
        sum += amplitude * n * weight;
        norm += amplitude;
        weight = std::clamp(n * 1.6f, 0.0f, 1.0f); // detail settles on the crests
        amplitude *= 0.5f;
    }
    return sum / norm;
}

float SmoothStep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float Mixf(float a, float b, float t) {
    return a + (b - a) * t;
}

// The nearest feature of a jittered lattice `spacing` cells apart (a divisor of the map's
// side, so the features wrap with it): its distance in cells and a number 0..1 of its own.
struct Feature {
    float distance;
    float value;
    float dx, dy; // from the feature to the cell
};
Feature NearestFeature(float x, float y, int32_t spacing, uint32_t seed) {
    const int32_t cells = MapSide / spacing;
    const int32_t cx = int32_t(std::floor(x / float(spacing)));
    const int32_t cy = int32_t(std::floor(y / float(spacing)));
    Feature best{HUGE_VALF, 0.0f, 0.0f, 0.0f};
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t ix = cx + dx, iy = cy + dy;
            const int32_t wx = ((ix % cells) + cells) % cells, wy = ((iy % cells) + cells) % cells;
            const float px = (float(ix) + 0.2f + 0.6f * Lattice(wx, wy, seed)) * float(spacing);
            const float py = (float(iy) + 0.2f + 0.6f * Lattice(wx, wy, seed + 1)) * float(spacing);
            const float d = std::hypot(x - px, y - py);
            if (d < best.distance)
                best = {d, Lattice(wx, wy, seed + 2), x - px, y - py};
        }
    return best;
}

// Flat steps `step` high with risers of width `riser` (0..1 of a step).
float Terrace(float h, float step, float riser) {
    const float k = std::floor(h / step);
    const float f = h / step - k;
    return (k + SmoothStep(1.0f - riser, 1.0f, f)) * step;
}

// ---- Distance to the course, capped: every cell's distance in cells to the nearest shape. ----

struct DistanceField {
    std::vector<float> cells;
    float cap;
};

DistanceField MakeField(float cap) {
    return {std::vector<float>(size_t(MapSide) * MapSide, cap), cap};
}

// Distance at a cell; at the cap and beyond, "far away" (infinity).
float At(const DistanceField& field, int32_t x, int32_t y) {
    const float d = field.cells[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
    return d < field.cap ? d : HUGE_VALF;
}

void AddSegment(DistanceField& field, float ax, float ay, float bx, float by) {
    const float cap = field.cap;
    const int32_t x0 = int32_t(std::floor(std::min(ax, bx) - cap));
    const int32_t x1 = int32_t(std::ceil(std::max(ax, bx) + cap));
    const int32_t y0 = int32_t(std::floor(std::min(ay, by) - cap));
    const int32_t y1 = int32_t(std::ceil(std::max(ay, by) + cap));
    const float dx = bx - ax, dy = by - ay;
    const float length2 = dx * dx + dy * dy;
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) {
            const float px = float(x) - ax, py = float(y) - ay;
            const float t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0f, 1.0f) : 0;
            const float d = std::hypot(px - dx * t, py - dy * t);
            float& cell = field.cells[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
            cell = std::min(cell, d);
        }
    }
}

void AddBox(DistanceField& field, float x0, float y0, float x1, float y1) {
    const float cap = field.cap;
    for (int32_t y = int32_t(y0 - cap); y <= int32_t(y1 + cap) + 1; ++y) {
        for (int32_t x = int32_t(x0 - cap); x <= int32_t(x1 + cap) + 1; ++x) {
            const float dx = std::max({x0 - float(x), 0.0f, float(x) - x1});
            const float dy = std::max({y0 - float(y), 0.0f, float(y) - y1});
            float& cell = field.cells[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
            cell = std::min(cell, std::hypot(dx, dy));
        }
    }
}

void AddPath(DistanceField& field, const std::vector<CourseSample>& path) {
    for (size_t i = 1; i < path.size(); ++i)
        AddSegment(field, path[i - 1].x, path[i - 1].y, path[i].x, path[i].y);
}

// ---- The pilots' line: the opponent pilot and the flight step reduced to the ground plane. ----

float WaypointCentreX(const CourseTable& course, int32_t i) {
    return float((course.waypoints[i][0] * 2 + WaypointSide) / 2);
}
float WaypointCentreY(const CourseTable& course, int32_t i) {
    return float((course.waypoints[i][1] * 2 + WaypointSide) / 2);
}

// One ship of the ground-plane pilot: the opponent pilot's steering and the flight step.
struct Flier {
    int32_t x, y; // world units
    double heading, bank, speed;
    int32_t target, targetX, targetY;
};

// One frame of `step` FrameSteps: SteerOpponent, then MoveShips. True when a Waypoint was reached.
bool StepFlier(const CourseTable& course, Flier& f, double topSpeed, double acceleration,
               double step = 1.0) {
    const auto wrap = [](double a) {
        a += 256;
        while (a >= 256)
            a -= 256;
        return a;
    };
    const int32_t* w = course.waypoints[f.target];
    const int32_t cx = f.x >> 8, cy = f.y >> 8;
    const bool reached =
        w[0] <= cx && cx <= w[0] + WaypointSide && w[1] <= cy && cy <= w[1] + WaypointSide;
    if (reached) {
        f.target = (f.target + 1) % course.waypointCount;
        f.targetX = int32_t(WaypointCentreX(course, f.target)) * 256;
        f.targetY = int32_t(WaypointCentreY(course, f.target)) * 256;
    }
    const double a = std::atan2(double(f.y - f.targetY), double(f.x - f.targetX));
    const int32_t wanted = (int32_t(a * 40.74366543152521) + 448) % 256;
    int32_t predicted = int32_t(f.heading);
    if (f.bank < 54)
        predicted = (predicted - int32_t(f.bank * 0.3333333333333333) + 256) % 256;
    if (f.bank > 202)
        predicted = (predicted + int32_t((256 - f.bank) * 0.3333333333333333) + 256) % 256;
    const int32_t e = predicted - wanted;
    const int32_t error = e <= -128 ? e + 256 : e < 0 ? -e : e < 128 ? e : 256 - e;
    const bool left = (e >= 0 && e < 128) || e <= -128;
    if (error > 5) {
        if (left && f.bank < 54)
            f.bank = wrap(f.bank + 6 * step);
        if (!left && (f.bank < 54 || f.bank > 202))
            f.bank = wrap(f.bank - 6 * step);
    }
    if (f.speed < topSpeed)
        f.speed += acceleration * step;
    if (f.bank > 0 && f.bank < 127) {
        f.heading = wrap(f.heading - f.bank * step * 0.1);
        f.bank = wrap(f.bank - 3 * step);
        if (f.bank > 128)
            f.bank = 0;
    } else if (f.bank >= 127) {
        f.heading = wrap(f.heading + (256 - f.bank) * step * 0.1);
        f.bank = wrap(f.bank + 3 * step);
        if (f.bank < 127)
            f.bank = 0;
    }
    const double forward = double(int32_t(f.speed * step * -5.0));
    const double h = f.heading * 2 * Pi / 256;
    f.x += int32_t(-forward * std::sin(h));
    f.y += int32_t(forward * std::cos(h));
    f.speed = std::max(0.0, f.speed - 0.5 * step);
    return reached;
}

} // namespace

// A ship on its start place, as the race sets it up: facing north, aiming at Waypoint 0.
Flier OnGrid(const CourseTable& course, int32_t place) {
    return {course.grid[place][0] * 256,
            course.grid[place][1] * 256,
            192.0,
            0.0,
            0.0,
            0,
            int32_t(WaypointCentreX(course, 0)) * 256,
            int32_t(WaypointCentreY(course, 0)) * 256};
}

void FlyPilot(int32_t track, int32_t place, double topSpeed, double acceleration, int32_t laps,
              std::vector<CourseSample>& ship, std::vector<CourseSample>& eye) {
    const CourseTable& course = CourseTables[track];
    Flier f = OnGrid(course, place);
    int32_t passed = 0;
    int32_t cameraX = f.x, cameraY = f.y;
    for (int32_t frame = 0; frame < 20000 && passed <= laps * course.waypointCount; ++frame) {
        // FollowShip, then the camera's eye.
        cameraX = (f.x + cameraX) / 2;
        cameraY = (f.y + cameraY) / 2;
        const double angle = double(int32_t(f.heading + 192.0) % 256) * 2 * Pi / 256;
        eye.push_back({float((cameraX - 5600 * std::cos(angle)) / 256),
                       float((cameraY - 5600 * std::sin(angle)) / 256), float(f.heading)});
        if (StepFlier(course, f, topSpeed, acceleration))
            ++passed;
        ship.push_back({float(f.x) / 256, float(f.y) / 256, float(f.heading)});
    }
}

namespace {

// ---- Where a wrecked ship finds its way back. ----

// The cells a wreck can be put back on: the middle half of Checkpoint `c` (x0, y0, x1, y1),
// corners inclusive.
struct Zone {
    int32_t left, top, right, bottom;
};
Zone MiddleHalf(const int32_t* c) {
    const int32_t w = c[2] - c[0], h = c[3] - c[1];
    const int32_t left = (c[0] + c[2]) / 2 - w / 4, top = (c[1] + c[3]) / 2 - h / 4;
    return {left, top, left + std::max(0, w / 2 - 1), top + std::max(0, h / 2 - 1)};
}

// A wrecked ship comes back at a standstill in the middle half of the last Checkpoint it
// passed, facing and aiming as it did when it passed it (20 cells before the box), which may be
// back the way it came: the pilot then turns round. Appends the ways back from a 5 x 5 grid
// over every Checkpoint's middle half at each pilot's pace, each flown until the ship aims past
// the Waypoint after the one it was put back aiming at or until it has flown straight for the
// next Waypoint for 10 frames. Each way begins with a marker sample whose x is below -1e8 and
// whose y is the Checkpoint's index.
void FlyPutBacks(int32_t track, std::vector<CourseSample>& path) {
    const CourseTable& course = CourseTables[track];
    const int32_t count = course.checkpointCount;
    struct Pace {
        int32_t place;
        double topSpeed, acceleration;
    };
    // The player's ship on autopilot, then each opponent at every level.
    constexpr Pace Paces[] = {{0, 125.0, 8.0}, {1, 80.0, 6.0}, {1, 105.0, 6.0}, {1, 130.0, 6.0},
                              {2, 70.0, 7.0},  {2, 90.0, 7.0}, {2, 110.0, 7.0}};
    struct Saved {
        bool set;
        int32_t target;
        double heading;
    };
    std::vector<Saved> saved(static_cast<size_t>(count));
    for (int32_t p = 0; p < 2 * int32_t(std::size(Paces)); ++p) {
        // At 20 frames a second and at 10, where every frame takes two steps.
        const Pace& pace = Paces[p / 2];
        const double step = p % 2 == 0 ? 1.0 : 2.0;
        std::fill(saved.begin(), saved.end(), Saved{false, 0, 192.0});
        Flier f = OnGrid(course, pace.place);
        int32_t next = 0;
        for (int32_t frame = 0; frame < 20000; ++frame) {
            StepFlier(course, f, pace.topSpeed, pace.acceleration, step);
            const int32_t* c = course.checkpoints[next];
            const int32_t cx = f.x >> 8, cy = f.y >> 8;
            if (c[0] - 20 <= cx && cx <= c[2] + 20 && c[1] - 20 <= cy && cy <= c[3] + 20) {
                saved[size_t(next)] = {true, f.target, double(int32_t(f.heading))};
                next = (next + 1) % count;
                if (next == 0)
                    break;
            }
        }
        for (int32_t k = 0; k < count; ++k) {
            if (!saved[size_t(k)].set)
                continue;
            const Zone zone = MiddleHalf(course.checkpoints[k]);
            const int32_t left = zone.left, top = zone.top, right = zone.right;
            const int32_t bottom = zone.bottom;
            // The player's ship at 20 frames a second from spots 4 cells apart, the others
            // from a 5 x 5 grid.
            const bool dense = p == 0;
            const int32_t acrossX = dense ? (right - left + 3) / 4 + 1 : 5;
            const int32_t acrossY = dense ? (bottom - top + 3) / 4 + 1 : 5;
            for (int32_t i = 0; i < acrossX * acrossY; ++i) {
                const int32_t startX =
                    left + (right - left) * (i % acrossX) / std::max(1, acrossX - 1);
                const int32_t startY =
                    top + (bottom - top) * (i / acrossX) / std::max(1, acrossY - 1);
                const int32_t target = saved[size_t(k)].target;
                Flier g = {startX * 256,
                           startY * 256,
                           saved[size_t(k)].heading,
                           0.0,
                           0.0,
                           target,
                           int32_t(WaypointCentreX(course, target)) * 256,
                           int32_t(WaypointCentreY(course, target)) * 256};
                const int32_t home = (target + 2) % course.waypointCount;
                path.push_back({-1e9f, float(k), 0.0f});
                path.push_back({float(startX), float(startY), float(g.heading)});
                int32_t settled = 0; // frames on the way to the next Waypoint, heading for it
                for (int32_t frame = 0; frame < 240 && g.target != home && settled < 10; ++frame) {
                    StepFlier(course, g, pace.topSpeed, pace.acceleration, step);
                    path.push_back({float(g.x) / 256, float(g.y) / 256, float(g.heading)});
                    const double a = std::atan2(double(g.y - g.targetY), double(g.x - g.targetX));
                    const int32_t wanted = (int32_t(a * 40.74366543152521) + 448) % 256;
                    const int32_t off = std::abs((int32_t(g.heading) - wanted + 384) % 256 - 128);
                    settled = g.target != target && off <= 12 ? settled + 1 : 0;
                }
            }
        }
    }
}

// The chase camera's eye for 2 s after a put-back, on spots 4 cells apart across every
// Checkpoint's middle half, edges included: the player's ship on autopilot at 20 frames a
// second is wrecked where the race counts it past the Checkpoint, up to CheckpointMargin cells
// before the box, and put back; the camera starts from where it followed the ship then.
// The camera target closes half its distance to the ship each frame and looks along its
// heading from 5600 world units behind. Each flight begins with a marker sample (x below -1e8).
void FlyPutBackEyes(int32_t track, std::vector<CourseSample>& eyes) {
    const CourseTable& course = CourseTables[track];
    const int32_t count = course.checkpointCount;
    struct Wreck {
        bool set;
        int32_t x, y, target;
        double heading;
    };
    std::vector<Wreck> wrecks(static_cast<size_t>(count), Wreck{false, 0, 0, 0, 192.0});
    Flier f = OnGrid(course, 0);
    int32_t next = 0;
    int32_t followX = f.x, followY = f.y; // the camera's target, a frame behind the ship
    for (int32_t frame = 0; frame < 20000; ++frame) {
        followX = (f.x + followX) / 2;
        followY = (f.y + followY) / 2;
        StepFlier(course, f, 125.0, 8.0);
        // A Checkpoint counts from CheckpointMargin cells before its box, as in the race.
        const int32_t* c = course.checkpoints[next];
        const int32_t cx = f.x >> 8, cy = f.y >> 8;
        if (c[0] - CheckpointMargin <= cx && cx <= c[2] + CheckpointMargin &&
            c[1] - CheckpointMargin <= cy && cy <= c[3] + CheckpointMargin) {
            wrecks[size_t(next)] = {true, followX, followY, f.target, double(int32_t(f.heading))};
            next = (next + 1) % count;
            if (next == 0)
                break;
        }
    }
    const auto eyeOf = [](int32_t cameraX, int32_t cameraY, double heading) {
        const double angle = double(int32_t(heading + 192.0) % 256) * 2 * Pi / 256;
        return CourseSample{float((cameraX - 5600 * std::cos(angle)) / 256),
                            float((cameraY - 5600 * std::sin(angle)) / 256), float(heading)};
    };
    for (int32_t k = 0; k < count; ++k) {
        const Wreck& wreck = wrecks[size_t(k)];
        if (!wreck.set)
            continue;
        const Zone zone = MiddleHalf(course.checkpoints[k]);
        const int32_t left = zone.left, top = zone.top, right = zone.right, bottom = zone.bottom;
        // A real lap passes with another heading, or aiming at a Waypoint before or after the
        // one this flight aimed at: those ways back too.
        const int32_t n = course.waypointCount;
        for (int32_t variant = 0; variant < 15; ++variant)
            for (int32_t sy = top; sy <= bottom;
                 sy = sy < bottom ? std::min(sy + 4, bottom) : sy + 1)
                for (int32_t sx = left; sx <= right;
                     sx = sx < right ? std::min(sx + 4, right) : sx + 1) {
                    const int32_t target = (wreck.target + n + variant / 5 - 1) % n;
                    const double heading =
                        std::fmod(wreck.heading + 256.0 + 12.0 * double(variant % 5 - 2), 256.0);
                    Flier g = {sx * 256,
                               sy * 256,
                               heading,
                               0.0,
                               0.0,
                               target,
                               int32_t(WaypointCentreX(course, target)) * 256,
                               int32_t(WaypointCentreY(course, target)) * 256};
                    eyes.push_back({-1e9f, float(k), 0.0f});
                    // The frame of the put-back still looks from over the wreck.
                    int32_t cameraX = wreck.x, cameraY = wreck.y;
                    eyes.push_back(eyeOf(cameraX, cameraY, heading));
                    for (int32_t frame = 0; frame < 48; ++frame) {
                        cameraX = (g.x + cameraX) / 2;
                        cameraY = (g.y + cameraY) / 2;
                        eyes.push_back(eyeOf(cameraX, cameraY, g.heading));
                        StepFlier(course, g, 125.0, 8.0);
                    }
                }
    }
}

// ---- The five landscapes. ----

constexpr int32_t LowGround = 45; // height byte: the valley's floor and its bays stand no higher

// True where no ground within three cells of (x, y) stands above the valley's floor and bays.
bool LowGroundAt(const std::vector<uint8_t>& heights, float x, float y) {
    return HighestAround(heights.data(), int32_t(std::floor(x)), int32_t(std::floor(y)), 3) <=
           LowGround;
}

constexpr float RespawnFloor = 42.0f;  // height byte; a put-back ship hovers at altitude 100
constexpr float RecoveryWidth = 6.0f;  // cells either side of a way back kept at valley floor
constexpr float RecoverySlope = 8.0f;  // height bytes a cell at the foot of a gully's sides
constexpr float RecoveryCap = 30.0f;   // cells: beyond, a gully's side has topped every peak
constexpr int32_t SafeByte = 40;       // height byte a ship at altitude 100 clears when banked
constexpr float TurnReach = 60.0f;     // cells from its put-back zone a way back is carved
constexpr float ShortcutReach = 50.0f; // cells past the wall line where a course point counts
constexpr float ShortcutSlack = 10.0f; // cells a way through a gully may save on the ring
constexpr float NotchReach = 46.0f;    // cells from the course an eye's notch may reach
constexpr float EyeNotchReach = 24.0f; // cells past the wall line: an eye's notch stays short of it
constexpr float FlownNotchReach = 40.0f;   // cells past the wall line, for those flown in the game
constexpr float CloseKeep = 4.0f;          // ...or past another stretch's wall line, where it can
constexpr float EyeNotchFloor = 80.0f;     // height byte at the bottom of an eye's notch
constexpr float EyeShelfRadius = 5.0f;     // cells round an eye in rock kept at a notch's bottom
constexpr float EyeShelfSlope = 12.0f;     // height bytes a cell its sides rise by
constexpr float CeilingTop = WallByte + 1; // height byte: the lowest that tops the altitude ceiling
constexpr float SlotRadius = 1.0f;         // cells round a slot (a narrow cut) kept at its bottom
constexpr float TrimRadius = 1.0f;         // ...and round a trim of the floor under a near miss
constexpr float SlotSlope = 40.0f;         // height bytes a cell a slot's sides rise by
constexpr int32_t FlightRounds = 10;       // flights with the game's code, each after carving
constexpr float RunoutRoom = 34.0f;        // height bytes a runout lies below a touching ship
constexpr float RunoutFloor = 20.0f;       // height byte a runout never goes below
constexpr float RunoutRadius = 7.0f;       // cells round a touch kept at a runout's bottom
constexpr float RunoutSlope = 20.0f;       // height bytes a cell its sides rise by
constexpr float PassReach = 36.0f; // cells from a touch a pass through a wall follows the ship
constexpr float PassNear = 12.0f;  // ...and cells from it where the ship is surely leaving its own
constexpr float PassWall = 2.0f;   // cells of new wall round the pass on the other stretch's side
constexpr float PassWallTop = 124.0f; // height byte of that wall
constexpr float PassRoom = 3.0f;      // cells that wall keeps from every other ship's flight
// A pass's size: cells round the ship's way kept low, and cells its new wall keeps from every
// eye's flight. The first that fits is cut: where two stretches lie close, a narrower pass may
// still fit between the ship and the other stretch's eyes, which keep to the same spots in
// every race where the ships' ways differ.
struct PassSize {
    float radius, eyeRoom;
};
constexpr PassSize PassSizes[] = {{4.5f, 3.0f}, {3.5f, 2.0f}, {2.5f, 1.0f}};

struct Style {
    uint32_t seed;
    float floorRadius; // cells from the course line kept as valley floor
    float wallRadius;  // cells from the course line where the walls top the ceiling
    float edgeWarp;    // cells by which noise moves the valley's edge
    float notchDepth;  // cells past the wall line an eye's notch may cut
};

constexpr Style Styles[TrackCount] = {
    {0x51A7E001u, 14.0f, 35.0f, 5.0f, 10.0f}, // alpine valleys under snow peaks
    {0x1A4EB451u, 17.0f, 32.0f, 3.0f, 10.0f}, // a lake basin in cliffs round a crater peak
    {0x3E5A0002u, 14.0f, 29.0f, 3.0f, 10.0f}, // mesas: stepped tablelands over sandy washes
    {0xCA4F0003u, 12.0f, 24.0f, 2.0f, 10.0f}, // a winding canyon between sheer, layered walls
    {0x41D6E004u, 14.0f, 29.0f, 3.0f, 6.0f},  // folded ridges with sharp crests
};

// A fractal sum spread over 0..1: its middle values stretched, so the ground really rolls.
float Rolling(float x, float y, int32_t cells, int32_t octaves, uint32_t seed) {
    return SmoothStep(0.28f, 0.72f, Fbm(x, y, cells, octaves, seed));
}

// Height bytes of the valley floor, well below 40 everywhere, `d` cells from the course. The
// floors roll, so the ground's tiles blend differently from place to place and the tiles' repeat
// does not show; each track's floor has its own grain.
float FloorHeight(int32_t track, float x, float y, float d, uint32_t seed) {
    switch (track) {
    case 0: {
        // Meadows over moraines: the glacier's rubble left in steep hummocks, each with a pool
        // of shade on its side away from the light, so the valley reads darker than the sunlit
        // ranges even where one tile dresses both.
        const Feature hummock = NearestFeature(x, y, 16, seed + 12);
        const float mound = 1.0f - SmoothStep(0.0f, 5.0f + 4.0f * hummock.value, hummock.distance);
        return 4.0f + 8.0f * Rolling(x, y, 16, 4, seed + 11) + 25.0f * mound;
    }
    case 1:
        // A drained lake bed, flat to the eye.
        return 4.0f + 5.0f * Fbm(x, y, 32, 3, seed + 11);
    case 2: {
        // Dunes: long crests across the wind, each a steep slip face climbing toward the light,
        // whose foot lies in shade, then a long gentle back.
        const float phase = (x * 0.8f + y * 0.6f) / 13.0f + 2.0f * Fbm(x, y, 8, 2, seed + 5);
        const float f = phase - std::floor(phase);
        const float dune =
            f < 0.25f ? SmoothStep(0.0f, 0.25f, f) : 1.0f - SmoothStep(0.25f, 1.0f, f);
        return 4.0f + 6.0f * Fbm(x, y, 16, 3, seed + 11) + 27.0f * dune;
    }
    case 3: {
        // A dry riverbed: grooves worn along the canyon, so the floor is ribbed with the course.
        const float wobble = 3.0f * Fbm(x, y, 16, 2, seed + 5);
        const float groove = 0.5f + 0.5f * std::cos((d + wobble) * 2 * Pi / 8.0f);
        return 5.0f + 10.0f * Fbm(x, y, 32, 3, seed + 11) + 21.0f * groove;
    }
    default: {
        // Long swells along the coils, wrinkled by low folds that run north-south as the crests
        // above them do, each with a band of shade down its side away from the light.
        const float warp = 40.0f * (Fbm(x, y, 4, 3, seed + 25) - 0.5f);
        const float fold = Ridged(x + warp, y, 32, 8, 3, seed + 13);
        return 4.0f + 6.0f * Rolling(x, y, 8, 4, seed + 11) + 28.0f * SmoothStep(0.4f, 0.8f, fold);
    }
    }
}

// How far the mountains climb above the wall line, `beyond` cells past it: foothills first,
// so that from the valley range after range shows above the one in front.
float Rise(float beyond, float scale, float reach) {
    return scale * (1.0f - std::exp(-beyond / reach));
}

// How much of a column of rock `radius` cells round a feature stands at a cell: 1 inside, falling
// to 0 over `edge` cells past its side.
float Stand(const Feature& f, float radius, float edge) {
    return 1.0f - SmoothStep(radius, radius + edge, f.distance);
}

// Height of the mountains at cell (x, y), `beyond` cells past the wall line.
float MountainHeight(int32_t track, float x, float y, float beyond, uint32_t seed) {
    switch (track) {
    case 0: {
        // Forested slopes under snow: the ranges climb fast past the wall line, so white peaks
        // stand over the valley's green sides.
        const float ridge = Ridged(x, y, 8, 8, 6, seed + 21);
        const float mass = Fbm(x, y, 8, 5, seed + 22);
        float h = 120.0f + 24.0f * mass + Rise(beyond, 150.0f, 13.0f) * (0.4f + 0.8f * ridge) +
                  Rise(std::max(0.0f, beyond - 4.0f), 70.0f, 6.0f) * ridge;
        // The great peak that faces the start grid, the first sight of the game: it stands
        // alone above low foothills, its north face just shallow enough to catch the light.
        const float dx = x - 322.0f, dy = y - 182.0f;
        const float r = std::sqrt(dx * dx + dy * dy);
        const float peak = 252.0f - 3.3f * r + 18.0f * (ridge - 0.5f) * SmoothStep(8.0f, 30.0f, r);
        const float foothills = 121.0f + 12.0f * mass + 18.0f * ridge;
        h = Mixf(h, std::max(peak, foothills), SmoothStep(125.0f, 75.0f, r));
        return h;
    }
    case 1: {
        // A crater: the lake shore's cliff tops out in a low, level rim, so the sky stands wide
        // over the lake; inside the ring a lower shelf, so the crater mountain in the middle is
        // seen from all round the lake.
        const float mass = Fbm(x, y, 8, 5, seed + 21);
        const float dx = x - 258.0f, dy = y - 262.0f;
        const float r = std::sqrt(dx * dx + dy * dy);
        const float inside = SmoothStep(175.0f, 140.0f, r);
        const float rim = 121.0f + 6.0f * mass + Rise(beyond, 8.0f, 3.0f);
        const float shelf = 119.0f + 4.0f * mass;
        float h = Mixf(rim, shelf, inside);
        // Concave flanks: low by the shore, steep near the summit, a snow cone over the shelf.
        const float flank = 1.0f - std::clamp((r - 20.0f) / 125.0f, 0.0f, 1.0f);
        const float cone = 112.0f + 150.0f * std::pow(flank, 2.6f);
        const float crater = 80.0f * (1.0f - SmoothStep(9.0f, 20.0f, r));
        h = std::max(h, cone - crater + 14.0f * (Fbm(x, y, 32, 3, seed + 23) - 0.5f));
        return h;
    }
    case 2: {
        // Stepped tablelands: broad benches with sharp risers, whose lips cast bands of shade.
        const float mass = Fbm(x, y, 4, 5, seed + 21, 0.45f);
        float h = Terrace(124.0f + 46.0f * mass + Rise(beyond, 60.0f, 10.0f), 22.0f, 0.12f);
        // Buttes on the rims: sheer towers with flat tops.
        const Feature butte = NearestFeature(x, y, 32, seed + 31);
        const float standing = SmoothStep(0.5f, 4.0f, beyond);
        if (butte.value > 0.2f)
            h = std::max(h, Mixf(h, 196.0f + 24.0f * butte.value,
                                 Stand(butte, 3.5f + 4.0f * butte.value, 1.5f) * standing));
        // Arches: two towers joined by a thin, sagging span of rock, beside the course.
        const Feature arch = NearestFeature(x, y, 32, seed + 41);
        if (arch.value > 0.35f) {
            const float angle = arch.value * 2.0f * Pi * 3.0f;
            const float u = arch.dx * std::cos(angle) + arch.dy * std::sin(angle);
            const float v = -arch.dx * std::sin(angle) + arch.dy * std::cos(angle);
            const float half = 6.0f + 6.0f * arch.value; // half the span, cells
            const float s = std::clamp(u / half, -1.0f, 1.0f);
            const float towers = 1.0f - SmoothStep(2.2f, 3.4f, std::hypot(std::fabs(u) - half, v));
            const float span = (1.0f - SmoothStep(0.9f, 1.6f, std::fabs(v))) *
                               (1.0f - SmoothStep(half, half + 1.0f, std::fabs(u)));
            const float top = std::max(towers * 228.0f, span * (200.0f + 20.0f * s * s));
            h = std::max(h, Mixf(h, top, standing));
        }
        return h + 2.0f * Fbm(x, y, 64, 2, seed + 24);
    }
    case 3: {
        // A canyon cut through layered rock: thin beds with sharp lips, each a line of shade,
        // under a level rim; stacks of the same beds stand over the rim like pagodas.
        const float mass = Fbm(x, y, 8, 5, seed + 21);
        float h = 132.0f + 22.0f * mass + Rise(beyond, 48.0f, 5.0f);
        const Feature stack = NearestFeature(x, y, 32, seed + 31);
        if (stack.value > 0.25f) {
            const float top = 196.0f + 44.0f * stack.value;
            const float slope = 4.0f + 3.0f * stack.value; // height bytes a cell
            h = std::max(h,
                         Mixf(h, top - slope * stack.distance, SmoothStep(10.0f, 13.0f, beyond)));
        }
        return Terrace(h, 10.0f, 0.22f) + 1.5f * Fbm(x, y, 64, 2, seed + 24);
    }
    default: {
        // Knife-edged crests folded along the north-south axis, bent by a slow warp, rising
        // straight from the gorge, with needles of rock on its rims.
        const float warp = 40.0f * (Fbm(x, y, 4, 3, seed + 25) - 0.5f);
        const float folds = Ridged(x + warp, y, 12, 3, 5, seed + 21);
        const float mass = Fbm(x, y, 4, 4, seed + 22);
        const float h =
            120.0f + 30.0f * mass + Rise(beyond, 130.0f, 14.0f) * (0.3f + folds * folds);
        const Feature spire = NearestFeature(x, y, 16, seed + 31);
        const float radius = 3.0f + 3.0f * spire.value;
        // Only along the rims: further out the needles' long shadows would darken the whole
        // range as much as the gorge, and the panel's map would not tell one from the other.
        const float needle = std::pow(std::max(0.0f, 1.0f - spire.distance / radius), 0.6f) *
                             SmoothStep(1.0f, 5.0f, beyond) * SmoothStep(24.0f, 16.0f, beyond) *
                             (spire.value > 0.3f ? 1.0f : 0.0f);
        return std::max(h, 120.0f + 160.0f * needle);
    }
    }
}

// Shape of the valley side between floor (0) and wall line (1).
float SideProfile(int32_t track, float t) {
    switch (track) {
    case 0:
        return std::pow(t, 1.2f); // a glacier's broad U, its sides in the sun
    case 1:
        return 0.1f * SmoothStep(0.0f, 0.4f, t) + 0.9f * SmoothStep(0.3f, 0.85f, t); // shore, cliff
    case 2:
        return Terrace(t, 0.25f, 0.15f) * 0.96f + 0.04f * t; // benches
    case 3:
        return SmoothStep(0.2f, 0.7f, t); // sheer
    default:
        return t * t * (3.0f - 2.0f * t);
    }
}

// A cut's side `out` cells past its bottom, rising `slope` height bytes a cell from `bottom`. Above
// the altitude ceiling the canyon's cuts climb in broad steps of its own thin beds, as its walls
// do, so that a cut reads as more of the layered rock round it.
constexpr float CanyonTreads = 4.0f; // the canyon's cut sides above the ceiling: gentler by this
float CutSide(int32_t track, float bottom, float slope, float out) {
    const float h = bottom + slope * out;
    if (track != 3 || h <= CeilingTop)
        return h;
    return CeilingTop + Terrace((h - CeilingTop) / CanyonTreads, 20.0f, 0.2f);
}

// How far a cut's side reaches before it tops every peak.
float CutSideWidth(int32_t track, float bottom, float slope) {
    if (track != 3 || bottom >= CeilingTop)
        return (255.0f - bottom) / slope;
    return (CeilingTop - bottom) / slope + (255.0f - CeilingTop) * CanyonTreads / slope;
}

// The line between Waypoint centres, round the ring, and the three grid places.
void AddCourseLine(DistanceField& field, const CourseTable& course) {
    const int32_t n = course.waypointCount;
    for (int32_t i = 0; i < n; ++i)
        AddSegment(field, WaypointCentreX(course, i), WaypointCentreY(course, i),
                   WaypointCentreX(course, (i + 1) % n), WaypointCentreY(course, (i + 1) % n));
    for (const auto& place : course.grid)
        AddSegment(field, float(place[0]), float(place[1]), float(place[0]), float(place[1]));
}

} // namespace

std::vector<uint8_t> ShapeTrackMap(int32_t track, std::vector<CourseSample>* flight) {
    const CourseTable& course = CourseTables[track];
    const Style& style = Styles[track];

    // The pilots' lines at the slowest and fastest opponent speeds and the player's top speed.
    std::vector<CourseSample> ships, eyes;
    FlyPilot(track, 2, 70.0, 7.0, 2, ships, eyes);
    FlyPilot(track, 1, 130.0, 6.0, 2, ships, eyes);
    FlyPilot(track, 0, 125.0, 8.0, 2, ships, eyes);

    // Distance to everything that must lie on the floor: the line between Waypoint centres, the
    // pilots' line, the grid and every Checkpoint's centre.
    DistanceField floor = MakeField(style.wallRadius + 24.0f);
    const int32_t n = course.waypointCount;
    AddCourseLine(floor, course);
    for (int32_t i = 0; i < course.checkpointCount; ++i) {
        const int32_t* c = course.checkpoints[i];
        const float mx = float((c[0] + c[2]) / 2), my = float((c[1] + c[3]) / 2);
        AddSegment(floor, mx, my, mx, my);
    }
    // A wrecked ship is put back at altitude 100 somewhere in the middle half of the last
    // Checkpoint it passed: that ground stays low enough for it, as a bay where it reaches
    // beyond the valley.
    DistanceField respawn = MakeField(24.0f);
    for (int32_t i = 0; i < course.checkpointCount; ++i) {
        const int32_t* c = course.checkpoints[i];
        const int32_t w = c[2] - c[0], h = c[3] - c[1];
        const int32_t mx = (c[0] + c[2]) / 2, my = (c[1] + c[3]) / 2;
        AddBox(respawn, float(mx - w / 4), float(my - h / 4), float(mx + w / 2 - 1 - w / 4),
               float(my + h / 2 - 1 - h / 4));
    }
    AddPath(floor, ships);
    // Distance to the course itself (the line between Waypoint centres, the grid, the
    // Checkpoints' centres and put-back zones): only near it may an eye's notch lower a wall.
    DistanceField near = MakeField(NotchReach);
    AddCourseLine(near, course);
    for (int32_t i = 0; i < course.checkpointCount; ++i) {
        const Zone zone = MiddleHalf(course.checkpoints[i]);
        AddBox(near, float(zone.left), float(zone.top), float(zone.right), float(zone.bottom));
    }
    // The ways back after a wreck: narrow gullies where they leave the valley floor.
    std::vector<CourseSample> returns;
    FlyPutBacks(track, returns);
    // A way back is carved only where it cannot join two parts of the course: it stops where it
    // strays further than TurnReach from its put-back zone or beyond the wall line of the valley
    // or of a bay, or where two points of the course that lie far apart along the ring are both
    // within reach of its gully, which would be a shortcut.
    std::vector<float> along(size_t(n) + 1, 0.0f); // cells along the ring to each Waypoint centre
    for (int32_t i = 0; i < n; ++i)
        along[size_t(i) + 1] =
            along[size_t(i)] +
            std::hypot(WaypointCentreX(course, (i + 1) % n) - WaypointCentreX(course, i),
                       WaypointCentreY(course, (i + 1) % n) - WaypointCentreY(course, i));
    const float ring = along[size_t(n)];
    const auto joinsTwoStretches = [&](float px, float py, float reach) {
        float distance[MaxTrackWaypoints], place[MaxTrackWaypoints];
        int32_t nearest = 0;
        for (int32_t i = 0; i < n; ++i) {
            const float ax = WaypointCentreX(course, i), ay = WaypointCentreY(course, i);
            const float dx = WaypointCentreX(course, (i + 1) % n) - ax;
            const float dy = WaypointCentreY(course, (i + 1) % n) - ay;
            const float length2 = dx * dx + dy * dy;
            distance[i] = HUGE_VALF;
            // The surface wraps: the nearest of the cell's nine images.
            for (int32_t image = 0; image < 9; ++image) {
                const float qx = px + float((image % 3 - 1) * MapSide);
                const float qy = py + float((image / 3 - 1) * MapSide);
                const float t =
                    length2 > 0
                        ? std::clamp(((qx - ax) * dx + (qy - ay) * dy) / length2, 0.0f, 1.0f)
                        : 0.0f;
                const float d = std::hypot(qx - ax - dx * t, qy - ay - dy * t);
                if (d < distance[i]) {
                    distance[i] = d;
                    place[i] = along[size_t(i)] + t * std::sqrt(length2);
                }
            }
            if (distance[i] < distance[nearest])
                nearest = i;
        }
        for (int32_t i = 0; i < n; ++i) {
            if (distance[i] >= reach)
                continue;
            const float apart = std::fabs(place[i] - place[nearest]);
            const float byRing = std::min(apart, ring - apart);
            if (byRing > distance[i] + distance[nearest] + ShortcutSlack)
                return true;
        }
        return false;
    };
    std::vector<uint8_t> flown(size_t(MapSide) * MapSide, 0);
    bool stopped = false;
    float zoneX0 = 0, zoneY0 = 0, zoneX1 = 0, zoneY1 = 0; // the way's put-back zone, cells
    for (size_t i = 1; i < returns.size(); ++i) {
        const CourseSample& a = returns[i - 1];
        const CourseSample& b = returns[i];
        if (b.x < -1e8f)
            continue;
        if (a.x < -1e8f) {
            const int32_t* c = course.checkpoints[int32_t(a.y)];
            const int32_t w = c[2] - c[0], h = c[3] - c[1];
            zoneX0 = float((c[0] + c[2]) / 2 - w / 4);
            zoneY0 = float((c[1] + c[3]) / 2 - h / 4);
            zoneX1 = zoneX0 + float(std::max(0, w / 2 - 1));
            zoneY1 = zoneY0 + float(std::max(0, h / 2 - 1));
            stopped = false;
            continue;
        }
        const int32_t steps =
            1 + int32_t(2.0f * std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
        for (int32_t k = 0; k <= steps && !stopped; ++k) {
            const float t = float(k) / float(steps);
            const int32_t x = int32_t(std::floor(a.x + (b.x - a.x) * t));
            const int32_t y = int32_t(std::floor(a.y + (b.y - a.y) * t));
            uint8_t& cell = flown[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
            if (cell)
                continue;
            const float fromZone =
                std::hypot(std::max({zoneX0 - float(x), 0.0f, float(x) - zoneX1}),
                           std::max({zoneY0 - float(y), 0.0f, float(y) - zoneY1}));
            if (fromZone > TurnReach ||
                std::min(At(floor, x, y), At(respawn, x, y)) > style.wallRadius ||
                joinsTwoStretches(float(x) + 0.5f, float(y) + 0.5f,
                                  style.wallRadius + ShortcutReach))
                stopped = true;
            else
                cell = 1;
        }
    }
    // The chase camera's eye must see out: keep the ground below its altitude along its path,
    // in the race and after every put-back, except where that would open a way between two
    // stretches of the course.
    DistanceField eye = MakeField(16.0f);
    AddPath(eye, eyes);
    DistanceField backEye = MakeField(8.0f);
    std::vector<CourseSample> putBackEyes;
    FlyPutBackEyes(track, putBackEyes);
    std::vector<uint8_t> notchable(size_t(MapSide) * MapSide, 0); // by cell: 1 no, 2 yes
    const auto clearAt = [&](float px, float py) {
        const int32_t cx = int32_t(std::floor(px)) & MapMask;
        const int32_t cy = int32_t(std::floor(py)) & MapMask;
        uint8_t& known = notchable[size_t(cy) * MapSide + size_t(cx)];
        if (known == 0)
            known = joinsTwoStretches(float(cx) + 0.5f, float(cy) + 0.5f,
                                      style.wallRadius + EyeNotchReach)
                        ? 1
                        : 2;
        return known == 2;
    };
    // Between two frames the eye may jump many cells: every cell on the way is checked, so
    // that a notch never bridges a wall between two stretches.
    for (size_t i = 1; i < putBackEyes.size(); ++i) {
        const CourseSample& a = putBackEyes[i - 1];
        const CourseSample& b = putBackEyes[i];
        if (a.x < -1e8f || b.x < -1e8f)
            continue;
        const int32_t steps = 1 + int32_t(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
        float lastX = a.x, lastY = a.y;
        bool lastClear = clearAt(a.x, a.y);
        for (int32_t k = 1; k <= steps; ++k) {
            const float t = float(k) / float(steps);
            const float px = a.x + (b.x - a.x) * t, py = a.y + (b.y - a.y) * t;
            const bool clear = clearAt(px, py);
            if (clear && lastClear)
                AddSegment(backEye, lastX, lastY, px, py);
            lastX = px, lastY = py, lastClear = clear;
        }
    }

    std::vector<uint8_t> heights(size_t(MapSide) * MapSide);
    for (int32_t y = 0; y < MapSide; ++y) {
        for (int32_t x = 0; x < MapSide; ++x) {
            const float fx = float(x), fy = float(y);
            const float d = std::min(At(floor, x, y), floor.cap);
            const float warp = style.edgeWarp * (2.0f * Fbm(fx, fy, 16, 3, style.seed + 1) - 1.0f);
            const float t =
                std::clamp((d + warp - style.floorRadius) / (style.wallRadius - style.floorRadius),
                           0.0f, 1.0f);
            const float ground = FloorHeight(track, fx, fy, d, style.seed);
            const float beyond = std::max(0.0f, d - style.wallRadius);
            const float mountain = MountainHeight(track, fx, fy, beyond, style.seed);
            float h = Mixf(ground, mountain, SideProfile(track, t));
            // Peaks round off below the top byte instead of being cut flat.
            if (h > 200.0f)
                h = 200.0f + 54.0f * std::tanh((h - 200.0f) / 54.0f);
            // Where the eye passes, the ground stays under 175 altitude units.
            const float eyeDistance = At(eye, x, y);
            h = std::min(h, 70.0f + 9.0f * std::max(0.0f, eyeDistance - 2.0f));
            // After a put-back, within the valley's own sides only: its walls stay whole.
            if (d <= style.floorRadius - style.edgeWarp)
                h = std::min(h, 38.0f);
            if (d >= style.wallRadius && eyeDistance > 6.0f)
                h = std::max(h, 118.0f);
            // After a put-back the eye swings round behind the ship: a notch in the wall, never
            // a way through it.
            if (d < style.wallRadius + style.notchDepth && At(near, x, y) < NotchReach)
                h = std::min(h, 80.0f + 24.0f * std::max(0.0f, At(backEye, x, y) - 1.5f));
            // Bays round a Checkpoint's middle half: low inside, sides softened by noise.
            const float bay = At(respawn, x, y);
            const float bayWarp = 4.0f * (2.0f * Fbm(fx, fy, 32, 2, style.seed + 3) - 1.0f);
            h = std::min(h, RespawnFloor +
                                5.0f * std::max(0.0f, bay + bayWarp * SmoothStep(0.0f, 5.0f, bay)));
            heights[size_t(y) * MapSide + size_t(x)] =
                uint8_t(std::clamp(std::lround(h), 0L, 255L));
        }
    }

    // Gullies where a way back crosses ground too high for a ship flying at altitude 100: down
    // to the valley floor, since a ship turning hard cannot climb, their sides steepening up to
    // the mountains.
    DistanceField recovery = MakeField(RecoveryCap);
    for (int32_t y = 0; y < MapSide; ++y)
        for (int32_t x = 0; x < MapSide; ++x)
            if (flown[size_t(y) * MapSide + size_t(x)] &&
                heights[size_t(y) * MapSide + size_t(x)] > SafeByte)
                AddSegment(recovery, float(x) + 0.5f, float(y) + 0.5f, float(x) + 0.5f,
                           float(y) + 0.5f);
    for (int32_t y = 0; y < MapSide; ++y) {
        for (int32_t x = 0; x < MapSide; ++x) {
            const float gully = At(recovery, x, y);
            if (gully >= recovery.cap)
                continue;
            const float fx = float(x), fy = float(y);
            const float gullyWarp = 2.0f * (2.0f * Fbm(fx, fy, 32, 2, style.seed + 4) - 1.0f);
            const float side = std::max(0.0f, gully + gullyWarp - RecoveryWidth);
            const float h =
                FloorHeight(track, fx, fy, std::min(At(floor, x, y), floor.cap), style.seed) +
                side * (RecoverySlope + 0.5f * side);
            uint8_t& cell = heights[size_t(y) * MapSide + size_t(x)];
            cell = uint8_t(std::clamp(std::min(long(cell), std::lround(h)), 0L, 255L));
        }
    }
    // Beyond WallReach cells from the course and its put-back zones the ground stays wall.
    DistanceField reach = MakeField(WallReach + 1.0f);
    AddCourseLine(reach, course);
    for (int32_t i = 0; i < course.checkpointCount; ++i) {
        const Zone zone = MiddleHalf(course.checkpoints[i]);
        AddBox(reach, float(zone.left), float(zone.top), float(zone.right), float(zone.bottom));
    }
    // Notches and runouts found by flying the game's code reach further from the valley than
    // the simulated ones. They never cut into the wall round another stretch of the course
    // (within its wall line and CloseKeep cells more), and if they would still join two
    // stretches, they are carved again on stricter terms: nowhere within FlownNotchReach past
    // the wall lines of two stretches.
    std::vector<uint8_t> nearMarks(size_t(MapSide) * MapSide, 0); // by cell: 1 no, 2 yes
    std::vector<uint8_t> farMarks(size_t(MapSide) * MapSide, 0);
    const auto carvable = [&](std::vector<uint8_t>& marks, float keep, int32_t x, int32_t y) {
        if (At(reach, x, y) > WallReach)
            return false;
        uint8_t& known = marks[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
        if (known == 0)
            known = joinsTwoStretches(float(x & MapMask) + 0.5f, float(y & MapMask) + 0.5f,
                                      style.wallRadius + keep)
                        ? 1
                        : 2;
        return known == 2;
    };
    // Where the chase camera's eye stood in rock, a notch round the spot; where a ship put back
    // touched the ground on its way to the next Checkpoint, a runout below its altitude.
    struct Cut {
        float x, y;         // cells
        int32_t altitude;   // of the touching ship; below zero for the eye's notch
        bool trim;          // a near miss over low ground: only the bumps nearest the ship go
        float fromX, fromY; // where the touching ship last flew clear of the ground
        int32_t checkpoint; // the put-back's
    };
    const auto carveCut = [&](const Cut& cut, std::vector<uint8_t>& marks, float keep,
                              bool narrow = false) {
        // Under the eye a shelf, broad enough for the eyes of races that differ a little from
        // the flown ones; under a ship a runout below its altitude. Their sides rise until they
        // top every peak: no cliff where they meet the ground. Where a shelf would open a way
        // through a thin wall, a narrow slot with steep sides takes its place; where a ship only
        // just cleared the valley's floor, only the bumps right under it are trimmed, so that the
        // floor still rolls.
        const bool eye = cut.altitude < 0;
        const float bottom =
            eye ? EyeNotchFloor : std::max(RunoutFloor, float(cut.altitude) / 2.0f - RunoutRoom);
        const float radius = narrow     ? SlotRadius
                             : cut.trim ? TrimRadius
                             : eye      ? EyeShelfRadius
                                        : RunoutRadius;
        const float slope = narrow ? SlotSlope : eye ? EyeShelfSlope : RunoutSlope;
        const float edge = radius + CutSideWidth(track, bottom, slope);
        const int32_t cx = int32_t(std::floor(cut.x)), cy = int32_t(std::floor(cut.y));
        const int32_t span = int32_t(edge) + 1;
        for (int32_t y = cy - span; y <= cy + span; ++y)
            for (int32_t x = cx - span; x <= cx + span; ++x) {
                const float d = std::hypot(float(x) + 0.5f - cut.x, float(y) + 0.5f - cut.y);
                if (d > edge || !carvable(marks, keep, x, y))
                    continue;
                uint8_t& cell = heights[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
                // ...and towards the edge of the ground that may be low.
                const float rim = 255.0f - RunoutSlope * (WallReach - At(reach, x, y));
                const float side = CutSide(track, bottom, slope, std::max(0.0f, d - radius));
                cell = uint8_t(std::min(long(cell), std::lround(std::max(rim, side))));
            }
    };
    // Cuts carved together and kept if the valley still falls apart into one basin per
    // Waypoint; else halved and tried again, so that one cut opening a way between two stretches
    // does not cost the others. A single cut that opens one is carved again on stricter terms,
    // and failing those, as a slot.
    std::vector<uint8_t> kept;
    std::vector<Cut> refused; // touches whose runouts would open a way however they are cut
    PutBackReport report;
    RecoveryReport recoveries;
    const auto tryCuts = [&](const auto& self, const Cut* first, const Cut* last) -> void {
        kept = heights;
        for (const Cut* cut = first; cut != last; ++cut)
            carveCut(*cut, nearMarks, CloseKeep);
        if (heights == kept || OneBasinPerWaypoint(course, heights))
            return;
        heights = kept;
        if (last - first > 1) {
            const Cut* middle = first + (last - first) / 2;
            self(self, first, middle);
            self(self, middle, last);
            return;
        }
        carveCut(*first, farMarks, FlownNotchReach);
        if (heights != kept && !OneBasinPerWaypoint(course, heights))
            heights = kept;
        if (heights != kept)
            return;
        carveCut(*first, nearMarks, CloseKeep, true);
        if (heights != kept && !OneBasinPerWaypoint(course, heights))
            heights = kept;
        if (heights == kept && first->altitude >= 0 && !first->trim)
            refused.push_back(*first);
    };
    // Where a ship turning round after a put-back swings through the wall into the valley of a
    // stretch far along the ring, and no runout can be cut without opening a way between the
    // two, the wall moves: a pass follows the ship's way through it, low for size.radius cells
    // round every cell the ship flew over near its touches, and a new wall closes the pass on
    // the other stretch's ground. The new wall keeps PassRoom cells from every other ship's
    // flight over the map and size.eyeRoom from every eye's; where it cannot, or the valley
    // would no longer fall apart into one basin per Waypoint, nothing changes. True if the pass
    // was cut.
    int32_t passes = 0;
    const auto cutPass = [&](const std::vector<Cut>& touches, const PassSize& size) {
        std::vector<uint8_t> basins;
        if (touches.empty() || !OneBasinPerWaypoint(course, heights, &basins))
            return false;
        const int32_t k = touches[0].checkpoint;
        const uint64_t bit = uint64_t{1} << k;
        // The basin the ship came from.
        uint8_t own = 0;
        float ownDistance = HUGE_VALF;
        const int32_t fx = int32_t(std::floor(touches[0].fromX));
        const int32_t fy = int32_t(std::floor(touches[0].fromY));
        for (int32_t y = fy - 3; y <= fy + 3; ++y)
            for (int32_t x = fx - 3; x <= fx + 3; ++x) {
                const uint8_t basin = basins[size_t(y & MapMask) * MapSide + size_t(x & MapMask)];
                const float d = std::hypot(float(x - fx), float(y - fy));
                if (basin != 0 && d < ownDistance)
                    own = basin, ownDistance = d;
            }
        if (own == 0)
            return false;
        float lowest = 255.0f;
        DistanceField around = MakeField(PassReach + 1.0f);
        float x0 = HUGE_VALF, y0 = HUGE_VALF, x1 = -HUGE_VALF, y1 = -HUGE_VALF;
        for (const Cut& touch : touches) {
            lowest =
                std::min(lowest, std::max(RunoutFloor, float(touch.altitude) / 2.0f - RunoutRoom));
            AddSegment(around, touch.x, touch.y, touch.x, touch.y);
            x0 = std::min(x0, touch.x), y0 = std::min(y0, touch.y);
            x1 = std::max(x1, touch.x), y1 = std::max(y1, touch.y);
        }
        const auto cellAt = [](int32_t x, int32_t y) {
            return size_t(y & MapMask) * MapSide + size_t(x & MapMask);
        };
        // The other basins round the touches, not those next to the ship's own along the ring,
        // which only a dam parts from it.
        std::vector<uint8_t> far(size_t(n) + 1, 0);
        const int32_t span = int32_t(PassReach) + 4;
        for (int32_t y = int32_t(std::floor(y0)) - span; y <= int32_t(y1) + span; ++y)
            for (int32_t x = int32_t(std::floor(x0)) - span; x <= int32_t(x1) + span; ++x) {
                const uint8_t basin = basins[cellAt(x, y)];
                const int32_t apart = std::abs(int32_t(basin) - int32_t(own));
                if (basin != 0 && At(around, x, y) <= PassNear && std::min(apart, n - apart) > 1)
                    far[basin] = 1;
            }
        // The ship's way out of its own basin: its cells on the other basins' ground or on the
        // wall, or close to the touches; and the ground the new wall keeps clear of: every other
        // flight's.
        const auto beyond = [&](size_t cell, int32_t x, int32_t y) {
            return (recoveries.cells[cell] & bit) != 0 && At(around, x, y) <= PassReach &&
                   (far[basins[cell]] || (basins[cell] == 0 && heights[cell] > WallByte) ||
                    At(around, x, y) <= PassNear);
        };
        DistanceField way = MakeField(size.radius + PassWall + 1.0f);
        DistanceField ships = MakeField(PassRoom + 1.0f);
        DistanceField eyes = MakeField(PassRoom + 1.0f);
        for (int32_t y = int32_t(std::floor(y0)) - span; y <= int32_t(y1) + span; ++y)
            for (int32_t x = int32_t(std::floor(x0)) - span; x <= int32_t(x1) + span; ++x) {
                const size_t cell = cellAt(x, y);
                const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
                if (beyond(cell, x, y))
                    AddSegment(way, cx, cy, cx, cy);
                else if (recoveries.cells[cell] != 0)
                    AddSegment(ships, cx, cy, cx, cy);
                else if (report.cells[cell] != 0)
                    AddSegment(eyes, cx, cy, cx, cy);
            }
        kept = heights;
        bool clear = true;
        const float bottom = std::max(RunoutFloor, lowest);
        for (int32_t y = int32_t(std::floor(y0)) - span; clear && y <= int32_t(y1) + span; ++y)
            for (int32_t x = int32_t(std::floor(x0)) - span; clear && x <= int32_t(x1) + span;
                 ++x) {
                const size_t cell = cellAt(x, y);
                const float d = At(way, x, y);
                if (d <= size.radius) {
                    heights[cell] = uint8_t(std::min(float(heights[cell]), bottom));
                } else if (d <= size.radius + PassWall &&
                           (far[basins[cell]] || (basins[cell] == 0 && kept[cell] > WallByte))) {
                    if (At(ships, x, y) < PassRoom || At(eyes, x, y) < size.eyeRoom)
                        clear = false;
                    heights[cell] = uint8_t(std::max(float(heights[cell]), PassWallTop));
                }
            }
        if (clear && heights != kept && OneBasinPerWaypoint(course, heights)) {
            passes += 1;
            return true;
        }
        heights = kept;
        return false;
    };
    // The put-backs and the recoveries after them flown with the game's own race code, carved
    // for and flown again until nothing more can be carved.
    std::vector<Cut> cuts;
    // Only the Checkpoints whose put-backs were carved for are flown again: elsewhere the ground
    // under their flights did not change.
    std::vector<uint8_t> again;
    // ...and those whose laps changed under the ground carved for others, which would else stay
    // checked against laps no race flies any more.
    std::vector<uint64_t> flownWith;
    for (int32_t round = 0; round < FlightRounds; ++round) {
        const std::vector<uint64_t> prints = ReturnFingerprints(track, heights);
        if (round > 0)
            for (size_t k = 0; k < prints.size(); ++k)
                again[k] = again[k] || prints[k] != flownWith[k];
        flownWith = prints;
        const PutBackReport looked = FlyPutBacksInTheGame(track, heights, again);
        const RecoveryReport flown = FlyRecoveriesInTheGame(track, heights, again);
        if (round == 0) {
            report = looked;
            recoveries = flown;
        } else {
            MergeFlights(report, looked, again);
            MergeFlights(recoveries, flown, again);
        }
        again.assign(size_t(course.checkpointCount), 0);
        // Carved a Checkpoint's put-backs at a time.
        for (int32_t k = 0; k < course.checkpointCount; ++k) {
            cuts.clear();
            for (const EyeInRock& fault : looked.eyes)
                if (fault.checkpoint == k)
                    cuts.push_back({fault.x, fault.y, -1, false, fault.x, fault.y, k});
            for (const FlightPoint& touch : flown.contacts)
                if (touch.checkpoint == k)
                    cuts.push_back(
                        {touch.x, touch.y, touch.altitude, false, touch.fromX, touch.fromY, k});
            // Room too where a ship only just missed the rock: the next race's ship flies a
            // little otherwise. The lattice's ships only where they pass the valley's sides: the
            // bumps of its floor trimmed under them all, the valleys lose their shape.
            for (const FlightPoint& miss : flown.nearMisses) {
                if (miss.checkpoint != k)
                    continue;
                const bool low = LowGroundAt(heights, miss.x, miss.y);
                if (!(miss.lattice && low))
                    cuts.push_back({miss.x, miss.y, miss.altitude, low, miss.x, miss.y, k});
            }
            if (cuts.empty())
                continue;
            const std::vector<uint8_t> before = heights;
            refused.clear();
            tryCuts(tryCuts, cuts.data(), cuts.data() + cuts.size());
            // The touches no runout could be cut for, in groups of those close together: a pass
            // for each.
            while (!refused.empty()) {
                std::vector<Cut> group(1, refused.back());
                refused.pop_back();
                for (size_t g = 0; g < group.size(); ++g)
                    for (size_t r = refused.size(); r-- > 0;)
                        if (std::hypot(refused[r].x - group[g].x, refused[r].y - group[g].y) <
                            PassReach) {
                            group.push_back(refused[r]);
                            refused.erase(refused.begin() + std::ptrdiff_t(r));
                        }
                for (const PassSize& size : PassSizes)
                    if (cutPass(group, size))
                        break;
            }
            again[size_t(k)] = heights != before;
        }
        if (std::find(again.begin(), again.end(), 1) == again.end())
            break;
    }
    const auto sum = [](const std::vector<int32_t>& counts) {
        return std::accumulate(counts.begin(), counts.end(), 0);
    };
    if (sum(report.eyeSpots) > 0)
        std::fprintf(stderr, "map%d: the eye in rock after put-backs on %d of %d spots\n",
                     track + 1, sum(report.rockSpots), sum(report.eyeSpots));
    if (sum(recoveries.flights) > 0)
        std::fprintf(stderr, "map%d: %d of %d recoveries touched the ground; %d passes cut\n",
                     track + 1, sum(recoveries.wrecked), sum(recoveries.flights), passes);
    if (flight)
        *flight = ships;
    return heights;
}
