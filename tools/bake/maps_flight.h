// The game's own race code flown over a baked height map: what a wrecked ship meets when it is
// put back on a Checkpoint, and what the chase camera sees meanwhile.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "maps_shape.h"

// Reads the ship model the race tests surface contact with (its vertices only); false, after a
// line on standard error, if it cannot.
bool LoadFlightModel(const std::string& path);

// A point where a put-back went wrong: the chase camera's eye or the ship's nose in rock, in
// cells, with the altitude the thing flew at (camera-height units for the eye, altitude units
// for the ship).
struct FlightFault {
    float x, y;
    int32_t altitude;
    int32_t checkpoint;
};

struct PutBackReport {
    int32_t checkpoints = 0;       // Checkpoints of the track
    int32_t recovered = 0;         // ...from which every trial flew on to the next one unwrecked
    int32_t eyeSpots = 0;          // put-back spots whose first 2 s were watched
    int32_t rockSpots = 0;         // ...with the eye in rock in some frame
    std::vector<FlightFault> eyes; // every frame's eye in rock
    // The ship's way over its last frames before each wreck, in cells, each way led by a
    // marker sample whose x is below -1e8 and whose y is the Checkpoint's index.
    std::vector<CourseSample> wrecks;
};

// Flies one lap of `track` with the player's ship on autopilot at level 1 and 20 frames a
// second, keeping the return state and the camera at every Checkpoint, as a race does. Then,
// for every Checkpoint: the ship is put back on spots 4 cells apart across its middle half and
// the eye watched for 40 frames; and it is wrecked there with several random sequences and
// must fly on to the next Checkpoint. Needs LoadFlightModel; changes the race's globals.
PutBackReport FlyPutBacksInTheGame(int32_t track, const std::vector<uint8_t>& heights);
