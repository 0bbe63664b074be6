// Shaping one track's height map around its course: valley, walls and the landscape beyond.
#pragma once
#include <cstdint>
#include <vector>

constexpr int32_t MapSide = 512; // cells a side; the surface wraps around
constexpr int32_t MapMask = MapSide - 1;

// Cells from the course and its put-back zones beyond which all the ground stays wall. Wide on
// purpose: on the outside of bends a ship put back after a wreck climbs and swings wide, and the
// chase camera's eye swings 22 cells behind it, so shelves and runouts are cut for them well past
// the valley's walls. Shortcuts are kept out by the walls between stretches, which the baker's
// basin check holds.
constexpr float WallReach = 90.0f;

// A point of a simulated flight, in cells, with the ship's heading (0-255, 0 north).
struct CourseSample {
    float x, y;
    float heading;
};

// Flies one ship of `track` from grid place 0-2 for `laps` rounds of the Waypoint ring at
// FrameStep 1, steering exactly as the opponent pilot does and reduced to the ground plane.
// Appends the ship's positions to `ship` and the chase camera's eye (22 cells behind the view
// target, which closes half its distance to the ship each frame) to `eye`.
void FlyPilot(int32_t track, int32_t place, double topSpeed, double acceleration, int32_t laps,
              std::vector<CourseSample>& ship, std::vector<CourseSample>& eye);

// The 512 x 512 height bytes of track 0-4, row by row, the same on every run. `flight`, if
// given, receives the pilots' simulated line the valley was shaped around.
std::vector<uint8_t> ShapeTrackMap(int32_t track, std::vector<CourseSample>* flight);
