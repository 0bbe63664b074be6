// The game's own race code flown over a baked height map: what the chase camera sees after a
// wrecked ship is put back on a Checkpoint.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The highest height byte within `radius` cells of cell (x, y) of a 512 x 512 map, round its edges.
int32_t HighestAround(const uint8_t* heights, int32_t x, int32_t y, int32_t radius);

// Reads the ship model the race tests surface contact with (its vertices only); false, after a
// line on standard error, if it cannot.
bool LoadFlightModel(const std::string& path);

// Where the chase camera's eye stood in rock after a put-back, or only a cell from it, in cells.
struct EyeInRock {
    float x, y;
    int32_t checkpoint; // the put-back's
};

// By cell of the 512 x 512 map, the Checkpoints (bit k for Checkpoint k; there are at most 64)
// whose put-backs flew over it.
using FlownCells = std::vector<uint64_t>;

struct PutBackReport {
    std::vector<int32_t> eyeSpots;  // by Checkpoint: put-back spots whose first 2 s were watched
    std::vector<int32_t> rockSpots; // ...with the eye in rock in some frame
    std::vector<EyeInRock> eyes;    // every frame's eye in rock or a cell from it
    FlownCells cells;               // where the ships and the eyes were
};

// Flies laps of `track` with the player's ship on autopilot at level 1 and 20 frames a second,
// one for each of a few random sequences and one seeded by the track's number, keeping the return
// state and the camera at every Checkpoint, as a race does; the first two laps' ships are put back
// aiming at the lowest and the highest altitude the pilot may choose for its Waypoint, the others
// as they were. Then, for every Checkpoint, the ship is put back on spots 4 cells apart across its
// middle half, edges included, and the chase camera's eye is watched for 40 frames (or until the
// ship wrecks). Only the Checkpoints `only` marks are flown (every one if it is empty). Needs
// LoadFlightModel; changes the race's globals.
PutBackReport FlyPutBacksInTheGame(int32_t track, const std::vector<uint8_t>& heights,
                                   const std::vector<uint8_t>& only);

// For every Checkpoint of `track`, a fingerprint of the return states and cameras the laps
// flown as for FlyPutBacksInTheGame keep there: when it changes, ground carved since has changed
// the laps, and that Checkpoint's put-backs must be flown again.
std::vector<uint64_t> ReturnFingerprints(int32_t track, const std::vector<uint8_t>& heights);

// One frame of a ship's flight: where it was, in cells, and its altitude.
struct FlightPoint {
    float x, y;
    int32_t altitude;
    int32_t checkpoint;   // the put-back's
    float fromX, fromY;   // where the ship last flew clear of the ground
    bool lattice = false; // flown from a lattice spot, not the grid (see RecoverySpots)
};

struct RecoveryReport {
    std::vector<int32_t> flights;        // by Checkpoint: recoveries flown
    std::vector<int32_t> wrecked;        // ...that touched the ground
    std::vector<FlightPoint> contacts;   // where, each frame a ship touched it
    std::vector<FlightPoint> nearMisses; // where, each other frame a ship was close to rock
    FlownCells cells;                    // where the ships were
};

// A put-back's spot, in cells.
struct Spot {
    int32_t x, y;
    bool operator==(const Spot&) const = default;
};

// The spots recoveries are flown from across a put-back zone (its edges in cells, included):
// a grid of `across` x `across` spots, corners included, or with `step` > 0 spots at most `step`
// cells apart, then one cell in LatticeStep of the rest, so that every row and every column of
// the zone has a spot. `grid` is set to how many spots the grid gave: they come first.
constexpr int32_t LatticeStep = 3;
std::vector<Spot> RecoverySpots(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                int32_t across, int32_t step, size_t& grid);

// Flies the recoveries after a wreck as the game makes them: from the return state of each lap
// flown as for FlyPutBacksInTheGame, the ship is put back on a 5 x 5 grid of spots across each
// Checkpoint's middle half, edges included, with two random sequences for the pilot's altitudes
// (on the lap seeded as a race by the track's number, on spots at most 3 cells apart and a
// lattice between them, each with one of the two), and flown on autopilot until it passes the
// next Checkpoint (20 s at most). A ship that touches the ground flies on through it; the frames
// it flies close to rock are noted too, those from the lattice's spots marked as such. Only the
// Checkpoints `only` marks are flown (every one if it is empty). Needs LoadFlightModel; changes
// the race's globals.
RecoveryReport FlyRecoveriesInTheGame(int32_t track, const std::vector<uint8_t>& heights,
                                      const std::vector<uint8_t>& only);

// The flights of the Checkpoints `again` marks, flown anew in `fresh`, replace those in `all`;
// the others' stay.
void MergeFlights(PutBackReport& all, const PutBackReport& fresh,
                  const std::vector<uint8_t>& again);
void MergeFlights(RecoveryReport& all, const RecoveryReport& fresh,
                  const std::vector<uint8_t>& again);
