// The screen state machine: which screen runs, in which step, and where it returns to.
#pragma once
#include <cstdint>

// GameState numbers: 0 start and end, 1 main menu, 2 settings, 3 planet, 4 track,
// 5 countdown, 6 race, 7 results, 8 help; 99 ends the main loop.
enum : int32_t {
    StateStart = 0,
    StateMainMenu = 1,
    StateSettings = 2,
    StatePlanet = 3,
    StateTrack = 4,
    StateCountdown = 5,
    StateRace = 6,
    StateResults = 7,
    StateHelp = 8,
    StateQuit = 99,
};

// Steps of a state: enter runs once, update every pass, any other value leaves.
enum : int32_t { StepEnter = 0, StepUpdate = 1, StepLeave = 2 };

// Whole run. Written by the three requests below and by two direct writes (the start
// state's leave sets 99; EXIT sets state 0, step leave).
extern int32_t GameState;
extern int32_t GameStep;

// Frames a second, measured every half second by the main loop; 20 until then and
// whenever a screen resets it after a long load. Never below 5.
extern int32_t FrameRate;

// Push the current state and make `state` current at its enter step (next pass).
void PushScreen(int32_t state);
// Pop the stack into GameState at the update step; nothing on an empty stack.
void ReturnToPreviousScreen();
// The current screen's leave routine runs on the next pass.
void LeaveScreen();

// Stack inspection, for tests and the trace.
int32_t ScreenStackDepth();
int32_t ScreenStackEntry(int32_t index);
// Back to the state at start-up: state 0, enter step, empty stack, FrameRate 20.
void ResetScreenMachine();
