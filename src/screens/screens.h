// The front-end screens' routines, dispatched by the main loop by GameState and step.
#pragma once

// State 0, the start and the end: entering runs the load step and opens the main menu; the
// update step leaves; leaving releases the assets and ends the main loop (GameState 99).
void EnterStart();
void UpdateStart();
void LeaveStart();

void EnterMainMenu();
void UpdateMainMenu();
void LeaveMainMenu();

void EnterSettings();
void UpdateSettings();
void LeaveSettings();

void EnterPlanetSelect();
void UpdatePlanetSelect();
void LeavePlanetSelect();

void EnterTrackSelect();
void UpdateTrackSelect();
void LeaveTrackSelect();

void EnterResults();
void UpdateResults();
void LeaveResults();

void EnterHelp();
void UpdateHelp();
void LeaveHelp();
