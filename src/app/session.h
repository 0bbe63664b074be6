// What a scripted or recorded session adds around the main loop: input, shots, trace.
#pragma once
#include <cstdint>
#include <string>

// Reads the input script (one event a line: PASS EVENT ARGS). False with a message on error.
bool LoadInputScript(const std::string& path, std::string& error);
// Opens the trace file for writing. False with a message on error.
bool OpenTrace(const std::string& path, std::string& error);

// Opens the recording: the session's input and clock, written as a script.
bool OpenRecording(const std::string& path, std::string& error);

// Before pass `pass` runs: the clock is pinned for a recording or its replay, and the
// script's events for the pass reach the window procedure.
void StartPass(int64_t pass);
// The window closed before this pass: a recording notes it.
void RecordQuit(int64_t pass);
// An input message reached the window procedure during the current pass: a recording
// replays it before the next one.
void RecordInput(uint32_t message, uintptr_t wParam, intptr_t lParam);
// After pass `pass` is presented: screenshots and the trace line.
void FinishPass(int64_t pass);
// True once a --shot file could not be written.
bool ShotsFailed();
// Flushes and closes what the session opened.
void CloseSession();

// The trace line of one pass, written into `out` (no allocation). Returns its length.
int32_t FormatTraceLine(int64_t pass, char* out, int32_t capacity);
