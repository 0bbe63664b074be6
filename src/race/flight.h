// Ship flight: the control steps, the flight step, wrecks and their put-back, ship bumping.
#pragma once
#include <cstdint>

#include "render/camera.h"

struct ShipState;

// Simulation step of the current frame: 20 / FrameRate, 1.0 at 20 frames a second, at most
// 4.0. Set at the start of every countdown, race and attract-flight frame.
extern double FrameStep;

void SetFrameStep(double step);

// Control steps for one ShipTable slot, scaled by the FrameStep. Each ignores a wrecked ship.
// BankLeft and NoseDown act only from the level side (below 54); BankRight and NoseUp also
// act from the other side (above 202), so a ship banked right cannot bank left until it has
// levelled through 0.
void BankLeft(int32_t ship);
void BankRight(int32_t ship);
void NoseUp(int32_t ship);
void NoseDown(int32_t ship);
void Accelerate(int32_t ship); // only below top speed; may overshoot it by one step
void Brake(int32_t ship);      // never below 0

// One flight step for ships 0 to ShipCount - 1 that are not wrecked: turn by the bank, level
// bank and pitch, move along the attitude (altitude capped at 230), slow by drag.
void MoveShips();

// Each time the race scene is drawn, before the ships: plays the explosion of every wrecked
// ship (16 frames of `explosion`, a 4 x 4 sheet of 64 x 64 frames) and puts a ship back at
// the middle of its last passed Checkpoint once 51 frames have been drawn since the contact.
void UpdateWrecks(const CameraState& camera, const uint16_t* explosion);

// The put-back itself, on world position (x, y): altitude 100, at rest, level, with the
// heading and pilot targets saved at the last passed Checkpoint. UpdateWrecks chooses the spot.
void PutBackAt(ShipState& ship, int32_t x, int32_t y);

// Once per race frame after MoveShips: pushes apart every pair of flying ships whose boxes
// from this frame's drawing overlap (touching counts). True if any pair overlapped.
bool BumpShips();

// The wrap of every angle update: add 256, apply the change, take 256 off while the value
// is 256 or more. Keeps angles in 0 to below 256 for changes of less than a turn.
double WrapAngle(double angle, double change);
