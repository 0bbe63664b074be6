// What a scripted or recorded session adds around the main loop: input, shots, trace.
#pragma once
#include <cstdint>
#include <string>

// Reads the input script (one event a line: PASS EVENT ARGS). False with a message on error.
bool LoadInputScript(const std::string& path, std::string& error);
// Opens the trace file for writing. False with a message on error.
bool OpenTrace(const std::string& path, std::string& error);

// Before pass `pass` runs: the script's events for it reach the window procedure.
void DeliverScriptedInput(int64_t pass);
// After pass `pass` is presented: screenshots and the trace line.
void FinishPass(int64_t pass);
// Flushes and closes what the session opened.
void CloseSession();

// The trace line of one pass, written into `out` (no allocation). Returns its length.
int32_t FormatTraceLine(int64_t pass, char* out, int32_t capacity);
