// Checkpoints, laps and places, and the race panel drawn over the view and the bottom panel.
#pragma once
#include <cstdint>

constexpr int32_t RaceLaps = 3;          // laps to finish
constexpr int32_t CheckpointMargin = 20; // cells around a Checkpoint that still pass it

struct LapAndPlace {
    int32_t lap;   // the lap being flown: laps completed + 1
    int32_t place; // 1 + the ships ahead or level with the asking one
};

struct ShipSpeed {
    double speed;    // speed units
    double topSpeed; // speed units
};

// Once per race frame, last: every flying ship within 20 cells of its next Checkpoint passes
// it, completes a lap on passing the last one, and saves its return state for a later wreck.
// An opponent completing its third lap before the player moves the player's FinishPlace back.
void PassCheckpoints();

// 0 while the player has fewer than 3 laps, then the player's finishing place (1 to 3).
int32_t RaceResult();

// The place shown during the race: ships with more laps, or as many laps and a next
// checkpoint at least as far on, count as ahead, so equal progress counts against the asker.
LapAndPlace GetLapAndPlace(int32_t ship);

ShipSpeed GetShipSpeed(int32_t ship);

// The player's speed bar on view rows 235-238 and the "n OF 3" place and lap lines on the
// bottom panel, into the FrameBuffer.
void DrawRacePanel();
