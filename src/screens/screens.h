// The front-end screens' routines, dispatched by the main loop by GameState and step.
#pragma once

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
