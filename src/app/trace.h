// What a run leaves behind for a look afterwards: the trace (one JSON line a pass) and the
// screenshots of --shot.
#pragma once
#include <cstdint>
#include <string>

// Opens the trace file for writing. False with a one-line message on error.
bool OpenTrace(const std::string& path, std::string& error);
// After pass `pass` is presented: its screenshots and its trace line.
void WritePassRecords(int64_t pass);
void CloseTrace();
// True once a --shot file could not be written.
bool ShotsFailed();

// The trace line of one pass, written into `out` (no allocation). Returns its length.
int32_t FormatTraceLine(int64_t pass, char* out, int32_t capacity);
