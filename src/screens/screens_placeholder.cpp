// Front-end routines until the screens arrive: every screen returns to the one before.
#include "app/state.h"
#include "screens/screens.h"

void EnterMainMenu() { GameStep = StepUpdate; }
void UpdateMainMenu() {}
void LeaveMainMenu() { ReturnToPreviousScreen(); }
void EnterSettings() { GameStep = StepUpdate; }
void UpdateSettings() {}
void LeaveSettings() { ReturnToPreviousScreen(); }
void EnterPlanetSelect() { GameStep = StepUpdate; }
void UpdatePlanetSelect() {}
void LeavePlanetSelect() { ReturnToPreviousScreen(); PushScreen(StateTrack); }
void EnterTrackSelect() { GameStep = StepUpdate; }
void UpdateTrackSelect() {}
void LeaveTrackSelect() { ReturnToPreviousScreen(); PushScreen(StateCountdown); }
void EnterResults() { GameStep = StepUpdate; }
void UpdateResults() {}
void LeaveResults() { ReturnToPreviousScreen(); }
void EnterHelp() { GameStep = StepUpdate; }
void UpdateHelp() {}
void LeaveHelp() { ReturnToPreviousScreen(); }
