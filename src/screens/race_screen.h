// The countdown (state 5) and race (state 6) screens, the race frame and the menu flyover.
#pragma once
#include <cstdint>

#include "render/camera.h"
#include "sound/sound.h"

// State 5, the start countdown "3", "2", "1", "GO!": entering starts the race music, rebuilds
// the ground colours and the overview map and resets the frame rate; the race already runs
// while "GO!" shows; leaving replaces the countdown with the race.
void EnterCountdown();
void UpdateCountdown();
void LeaveCountdown();

// State 6, the race: one race frame a pass until the player completes the third lap (on to
// the results, state 7) or taps the exit icon (back to the main menu, course reset).
void EnterRace();
void UpdateRaceScreen();
void LeaveRace();

// One frame of a running race, in the order the game runs it: camera, terrain, exit icon,
// controls (or the autopilot), opponents, the scene at the positions of the previous flight
// step, the flight step, bumps, checkpoints. Also run by the countdown during "GO!".
void UpdateRace();

// The race drawing after the terrain: explosions, the three ships (each also tested against
// the surface), the overview markers and the panel; the explosion effect once on any contact.
void DrawRaceScene();

// Moves the camera target halfway to the ship and looks along the ship's heading.
void FollowShip(CameraState& camera, int32_t ship);

// The exit icon's corner: a stylus held with drag x >= this and drag y < ExitIconSize
// abandons the race.
constexpr int32_t ExitIconLeft = 224; // pixels

// Copies the 16 x 16 ExitIcon into the FrameBuffer's top right corner.
void DrawExitIcon();

// One frame of the menu background flight: the camera follows ship 0, flown by the opponent
// pilot; nothing is drawn here and no Checkpoint counts. The menu, settings, planet and
// results screens call it after drawing the terrain view.
void AttractFlight();

// Whole run. The last race's result: 1-3 the player's place, 100 abandoned, 0 before any race.
extern int32_t RaceOutcome;

// One countdown: the word shown (0 "3", 1 "2", 2 "1", 3 "GO!", 4 over) and its glyph size
// in pixels (1 up to 40, growing by 4 a nominal frame).
extern int32_t CountdownStep;
extern int32_t CountdownSize;

// Sound requests made by the race screens since start-up, by effect; and the last music
// switched to. Read by tests; the sound layer decides what is heard.
extern int32_t RaceEffectRequests[7];
extern int32_t RaceMusicRequest; // -1 before any
