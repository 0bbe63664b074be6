// Countdown and race routines until the race arrives.
#include "app/state.h"
#include "race/race_screen.h"

int32_t RaceOutcome = 0;

void EnterCountdown() { GameStep = StepUpdate; }
void UpdateCountdown() {}
void LeaveCountdown() { ReturnToPreviousScreen(); PushScreen(StateRace); }
void EnterRace() { GameStep = StepUpdate; }
void UpdateRace() {}
void LeaveRace() { ReturnToPreviousScreen(); }
