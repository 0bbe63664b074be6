// The ShipTable: every ship of a race, the player's in slot 0, the opponents in 1 and 2.
#pragma once
#include <cstdint>

// Angles in 1/256 of a turn, kept in 0 to below 256. Positions in world units (256 to a
// height-map cell, never wrapped); altitudes in altitude units (a cell's surface at 2x its
// height byte).
struct ShipState {
    double pitch;        // 0 level; just above 0 nose down (to 54), below 256 nose up (to 202)
    double bank;         // 0 level; just above 0 banked left (to 54), below 256 right (to 202)
    double heading;      // 0 north, 64 east, 128 south, 192 west
    int32_t x;           // world units
    int32_t y;           // world units
    int32_t altitude;    // altitude units, at most 230
    double speed;        // one unit moves 5 world units a step; never negative
    double acceleration; // per control step, times the FrameStep
    double topSpeed;     // Accelerate acts only below it
    double drag;         // taken from speed per flight step, times the FrameStep
    int32_t model;       // ship model index (always 0)
    int32_t targetWaypoint;
    int32_t targetX, targetY; // pilot's aim point, world units
    int32_t targetAltitude;   // pilot's wanted altitude
    int32_t nextCheckpoint;
    int32_t laps;
    int32_t boxMinX, boxMaxX, boxMinY, boxMaxY; // model extent as last drawn, world units
    int32_t boxMinZ, boxMaxZ; // lowest and highest vertex altitude as last drawn, halved
    int32_t wrecked;          // 1 from surface contact until put back
    int32_t wreckFrames;      // frames drawn since the contact
    int32_t savedTargetWaypoint;
    int32_t savedTargetX, savedTargetY, savedTargetAltitude;
    int32_t savedHeading; // heading truncated to an integer at the last Checkpoint
};

constexpr int32_t ShipSlots = 10;

// Whole program; cleared and filled by SetUpTrack before every race.
extern ShipState ShipTable[ShipSlots];
extern int32_t ShipCount; // slots in use during a race: 3
