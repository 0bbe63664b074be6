// The Course record and SetUpTrack: the only place where a race's ships are (re)initialised.
#include "race/course.h"

#include "assets/terrain_data.h"
#include "base/settings.h"
#include "base/ship.h"

CourseRecord Course = {};
int32_t FinishPlace = 1;

namespace {

constexpr int32_t StartAltitude = 100; // altitude units
constexpr double StartHeading = 192.0; // west, towards Checkpoint 0
constexpr double ShipDrag = 0.5;

struct Performance {
    double acceleration; // speed units per control step
    double topSpeed;     // speed units
};

Performance ShipPerformance(int32_t slot, int32_t level) {
    switch (slot) {
    case 0:
        return {PlayerAcceleration, PlayerTopSpeed};
    case 1:
        return {6.0, 80.0 + 25.0 * level};
    default:
        return {7.0, 70.0 + 20.0 * level};
    }
}

} // namespace

bool SetUpTrack(int32_t track, int32_t level) {
    if (track < 0 || track >= TrackCount || level < 0 || level > 2)
        return false;
    const CourseTable& table = CourseTables[track];

    Course = {};
    for (ShipState& ship : ShipTable)
        ship = {};

    Course.waypointCount = table.waypointCount;
    for (int32_t i = 0; i < table.waypointCount; ++i) {
        const int32_t x0 = table.waypoints[i][0];
        const int32_t y0 = table.waypoints[i][1];
        Course.waypoints[i] = {x0, y0, x0 + WaypointSide, y0 + WaypointSide};
    }
    Course.checkpointCount = table.checkpointCount;
    for (int32_t i = 0; i < table.checkpointCount; ++i) {
        const int32_t* c = table.checkpoints[i];
        Course.checkpoints[i] = {c[0], c[1], c[2], c[3]};
    }
    for (int32_t place = 0; place < GridPlaces; ++place) {
        Course.grid[place][0] = table.grid[place][0];
        Course.grid[place][1] = table.grid[place][1];
    }

    const CourseBox& first = Course.waypoints[0];
    const int32_t aimX = BoxCentreX(first) * 256;
    const int32_t aimY = BoxCentreY(first) * 256;
    for (int32_t slot = 0; slot < GridPlaces; ++slot) {
        ShipState& ship = ShipTable[slot];
        ship.x = Course.grid[slot][0] * 256;
        ship.y = Course.grid[slot][1] * 256;
        ship.altitude = StartAltitude;
        ship.heading = StartHeading;
        ship.drag = ShipDrag;
        ship.model = 0;
        ship.targetWaypoint = 0;
        ship.targetX = aimX;
        ship.targetY = aimY;
        ship.targetAltitude = StartAltitude;
        ship.nextCheckpoint = 0;
        ship.laps = 0;
        ship.wrecked = 0;
        // Before the first Checkpoint there is no return state yet; without this a wreck
        // would put the ship back facing north and aiming at the map's corner.
        ship.savedTargetWaypoint = 0;
        ship.savedTargetX = aimX;
        ship.savedTargetY = aimY;
        ship.savedTargetAltitude = StartAltitude;
        ship.savedHeading = static_cast<int32_t>(StartHeading);
        const Performance performance = ShipPerformance(slot, level);
        ship.acceleration = performance.acceleration;
        ship.topSpeed = performance.topSpeed;
    }

    ShipCount = GridPlaces;
    FinishPlace = 1;
    return true;
}

void LoadTrackMap(int32_t track) {
    if (track < 0 || track >= 5)
        return;
    // Kept: a missing map keeps the previous one, and the course is set up either way; the
    // game never reports a missing file.
    LoadHeightMap(track);
    SetUpTrack(track, GameSettings.level);
}
