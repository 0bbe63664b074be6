// The recording of a live session, written as an input script.
#include "app/recording.h"

#include <cinttypes>
#include <cstdio>

#include "platform/backend.h"
#include "platform/device.h"

namespace {
std::FILE* recording = nullptr; // whole run, from start-up to CloseRecording
} // namespace

bool OpenRecording(const std::string& path, std::string& error) {
    recording = std::fopen(path.c_str(), "w");
    if (!recording) {
        error = "cannot write the recording " + path;
        return false;
    }
    std::fputs("# tarnvell input recording: PASS EVENT ARGS; replay with --input\n", recording);
    return true;
}

void RecordPassClock(int64_t pass) {
    if (!recording)
        return;
    // The clock stands still within a pass, so its replay reads the very same times.
    OverrideTickCount(false, 0);
    const uint32_t ticks = DeviceClockTicks();
    OverrideTickCount(true, ticks);
    std::fprintf(recording, "%" PRId64 " ticks %u\n", pass, ticks);
}

void RecordQuit(int64_t pass) {
    if (recording)
        std::fprintf(recording, "%" PRId64 " quit\n", pass);
}

void RecordInputMessage(int64_t pass, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!recording)
        return;
    const auto packed = static_cast<uint32_t>(lParam);
    const unsigned x = packed & 0xFFFF, y = packed >> 16;
    static const char* const keyNames[] = {"left", "right", "up", "down", "a", "b", "c", "start"};
    static const uint16_t keyCodes[] = {KeyCodeLeft, KeyCodeRight, KeyCodeUp, KeyCodeDown,
                                        KeyCodeA,    KeyCodeB,     KeyCodeC,  KeyCodeStart};
    switch (message) {
    case WM_LBUTTONDOWN:
        std::fprintf(recording, "%" PRId64 " down %u %u\n", pass, x, y);
        break;
    case WM_MOUSEMOVE:
        std::fprintf(recording, "%" PRId64 " move %u %u\n", pass, x, y);
        break;
    case WM_LBUTTONUP:
        std::fprintf(recording, "%" PRId64 " up\n", pass);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        for (size_t i = 0; i < 8; ++i) {
            if ((wParam & 0xFFFF) == keyCodes[i]) {
                std::fprintf(recording, "%" PRId64 " key %s %s\n", pass,
                             message == WM_KEYDOWN ? "down" : "up", keyNames[i]);
            }
        }
        break;
    default:
        break;
    }
}

void CloseRecording() {
    if (recording)
        std::fclose(recording);
    recording = nullptr;
}
