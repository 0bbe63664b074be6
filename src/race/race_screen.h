// The countdown (state 5) and race (state 6) routines, dispatched by the main loop.
#pragma once
#include <cstdint>

void EnterCountdown();
void UpdateCountdown();
void LeaveCountdown();

void EnterRace();
void UpdateRace();
void LeaveRace();

// The last race's result: 1-3 the player's place, 100 abandoned, 0 before any race.
extern int32_t RaceOutcome;
