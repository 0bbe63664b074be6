// The Course: the current track's Waypoints, Checkpoints and start grid, and SetUpTrack.
#pragma once
#include <cstdint>

#include "race/course_data.h"

// A Waypoint square or Checkpoint rectangle on the height map, in cells, both corners inclusive.
struct CourseBox {
    int32_t x0, y0, x1, y1;
};

constexpr int32_t WaypointCapacity = 100;
constexpr int32_t CheckpointCapacity = 50;

// Whole program; rewritten only by SetUpTrack. The rings wrap: after the last entry comes entry 0.
struct CourseRecord {
    int32_t waypointCount;                     // 0 before any set-up
    CourseBox waypoints[WaypointCapacity];     // the opponents' steering squares, flying order
    int32_t checkpointCount;                   // 0 before any set-up
    CourseBox checkpoints[CheckpointCapacity]; // gates across the course, flying order
    int32_t grid[GridPlaces][2];               // start places, cells: the player, ship 1, ship 2
};

extern CourseRecord Course;

// 1 after set-up; one more for every opponent finishing its third lap before the player.
extern int32_t FinishPlace;

// Performance per ShipTable slot: the difficulty level touches only the opponents' top speeds.
constexpr double PlayerAcceleration = 8.0;
constexpr double PlayerTopSpeed = 125.0;

// Installs track 0-4's course and puts ships 0-2 on its grid, at rest, facing west, with the
// performance of level 0-2 (EASY, NORMAL, HARD); clears the rest of the ShipTable. The caller
// has loaded the track's height map. Each ship's saved return state already points along the
// course (Waypoint 0, heading 192), so a ship wrecked before its first Checkpoint comes back
// facing the right way. An out-of-range track or level changes nothing and returns false.
bool SetUpTrack(int32_t track, int32_t level);

// Reads track 0-4's height map (a missing file keeps the previous map) and sets up its
// course for the current LEVEL. Any other track number does nothing.
void LoadTrackMap(int32_t track);

// Centre of a Waypoint square in cells, halving truncated, as the pilot aims at it.
inline int32_t BoxCentreX(const CourseBox& box) {
    return (box.x0 + box.x1) / 2;
}
inline int32_t BoxCentreY(const CourseBox& box) {
    return (box.y0 + box.y1) / 2;
}
