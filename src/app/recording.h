// The recording of a live session: its input and clock, written as an input script that
// --input replays to the same trace.
#pragma once
#include <cstdint>
#include <string>

// Opens the recording. False with a one-line message on error.
bool OpenRecording(const std::string& path, std::string& error);
// Before pass `pass`: pins the device's clock for the whole pass and notes it. Nothing when
// no recording is open.
void RecordPassClock(int64_t pass);
// The window closed before this pass.
void RecordQuit(int64_t pass);
// An input message for the window procedure, noted as belonging to pass `pass`.
void RecordInputMessage(int64_t pass, uint32_t message, uintptr_t wParam, intptr_t lParam);
void CloseRecording();
