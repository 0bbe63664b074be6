// Scripted input, screenshots and the trace: the session around the main loop.
#include "app/session.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/frame.h"
#include "app/main_loop.h"
#include "app/options.h"
#include "app/state.h"
#include "app/window.h"
#include "platform/backend.h"
#include "platform/device.h"
#include "platform/display.h"
#include "platform/png_writer.h"
#include "race/race_screen.h"
#include "race/ship.h"
#include "render/camera.h"
#include "screens/settings.h"

namespace {

enum class EventKind { StylusDown, StylusMove, StylusUp, KeyDown, KeyUp, Quit, Ticks };

struct ScriptEvent {
    int64_t pass;
    EventKind kind;
    int32_t x, y;   // screen pixels, for stylus events
    uint16_t code;  // device key code, for key events
    uint32_t ticks; // ms, the pass's tick count, for Ticks
};

// Whole run: read at start-up, consumed in pass order.
std::vector<ScriptEvent> script;
size_t nextEvent = 0;
std::FILE* trace = nullptr;
std::FILE* recording = nullptr;
int64_t deliveringPass = -1; // the pass whose scripted events are being dispatched
uint8_t shotPicture[240 * 320 * 3];
bool shotFailed = false;

bool KeyCodeByName(const std::string& name, uint16_t& code) {
    static const struct {
        const char* name;
        uint16_t code;
    } names[] = {{"left", KeyCodeLeft}, {"right", KeyCodeRight}, {"up", KeyCodeUp},
                 {"down", KeyCodeDown}, {"a", KeyCodeA},         {"b", KeyCodeB},
                 {"c", KeyCodeC},       {"start", KeyCodeStart}};
    for (const auto& entry : names) {
        if (name == entry.name) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

bool ReadPoint(std::istringstream& in, int32_t& x, int32_t& y) {
    return static_cast<bool>(in >> x >> y) && x >= 0 && x < 65536 && y >= 0 && y < 65536;
}

// One script line into zero, one or two events. False when the line is not understood.
bool ParseScriptLine(const std::string& text, std::vector<ScriptEvent>& events) {
    std::string line = text.substr(0, text.find('#'));
    std::istringstream in(line);
    int64_t pass;
    std::string verb;
    if (!(in >> pass)) {
        std::string rest;
        return !(std::istringstream(line) >> rest); // a blank or comment-only line
    }
    // Pass 0 holds only the clock at the start of the loop, before the first pass.
    if (pass < 0 || !(in >> verb) || (pass == 0 && verb != "ticks"))
        return false;
    ScriptEvent event = {pass, EventKind::Quit, 0, 0, 0, 0};
    if (verb == "tap" || verb == "down" || verb == "move") {
        if (!ReadPoint(in, event.x, event.y))
            return false;
        event.kind = verb == "move" ? EventKind::StylusMove : EventKind::StylusDown;
        events.push_back(event);
        if (verb == "tap")
            events.push_back({pass + 1, EventKind::StylusUp, 0, 0, 0, 0});
    } else if (verb == "up") {
        event.kind = EventKind::StylusUp;
        events.push_back(event);
    } else if (verb == "key" || verb == "press") {
        std::string direction, name;
        if (verb == "key" && !(in >> direction))
            return false;
        if (!(in >> name) || !KeyCodeByName(name, event.code))
            return false;
        if (verb == "press") {
            event.kind = EventKind::KeyDown;
            events.push_back(event);
            event.kind = EventKind::KeyUp;
            events.push_back(event);
        } else if (direction == "down" || direction == "up") {
            event.kind = direction == "down" ? EventKind::KeyDown : EventKind::KeyUp;
            events.push_back(event);
        } else {
            return false;
        }
    } else if (verb == "quit") {
        events.push_back(event);
    } else if (verb == "ticks") {
        int64_t ticks;
        if (!(in >> ticks) || ticks < 0 || ticks > UINT32_MAX)
            return false;
        event.kind = EventKind::Ticks;
        event.ticks = static_cast<uint32_t>(ticks);
        events.push_back(event);
    } else {
        return false;
    }
    std::string extra;
    return !(in >> extra);
}

void Deliver(const ScriptEvent& event) {
    switch (event.kind) {
    case EventKind::StylusDown:
        PostDeviceMessage(0, WM_LBUTTONDOWN, 1, PackPoint(event.x, event.y));
        break;
    case EventKind::StylusMove:
        PostDeviceMessage(0, WM_MOUSEMOVE, 0, PackPoint(event.x, event.y));
        break;
    case EventKind::StylusUp:
        PostDeviceMessage(0, WM_LBUTTONUP, 0, 0);
        break;
    case EventKind::KeyDown:
        PostDeviceMessage(0, WM_KEYDOWN, event.code, 0);
        break;
    case EventKind::KeyUp:
        PostDeviceMessage(0, WM_KEYUP, event.code, 0);
        break;
    case EventKind::Quit:
        RequestDeviceClose();
        break;
    case EventKind::Ticks:
        OverrideTickCount(true, event.ticks);
        break;
    }
}

// Appends formatted text to the trace line being built; false when it would not fit.
bool Append(char* out, int32_t capacity, int32_t& length, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

bool Append(char* out, int32_t capacity, int32_t& length, const char* format, ...) {
    if (length >= capacity)
        return false;
    va_list args;
    va_start(args, format);
    const int written =
        std::vsnprintf(out + length, static_cast<size_t>(capacity - length), format, args);
    va_end(args);
    if (written < 0 || written >= capacity - length) {
        length = capacity;
        return false;
    }
    length += written;
    return true;
}

} // namespace

bool LoadInputScript(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read the input script " + path;
        return false;
    }
    std::vector<ScriptEvent> events;
    std::string line;
    int32_t number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!ParseScriptLine(line, events)) {
            error = path + ":" + std::to_string(number) + ": not an input event: " + line;
            return false;
        }
    }
    // Events of one pass keep their order in the file.
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.pass < b.pass; });
    script = std::move(events);
    nextEvent = 0;
    return true;
}

bool OpenTrace(const std::string& path, std::string& error) {
    trace = std::fopen(path.c_str(), "w");
    if (!trace)
        error = "cannot write the trace " + path;
    return trace != nullptr;
}

bool OpenRecording(const std::string& path, std::string& error) {
    recording = std::fopen(path.c_str(), "w");
    if (!recording) {
        error = "cannot write the recording " + path;
        return false;
    }
    std::fputs("# tarnvell input recording: PASS EVENT ARGS; replay with --input\n", recording);
    return true;
}

void StartPass(int64_t pass) {
    if (recording) {
        // The clock stands still within a pass, so its replay reads the very same times.
        OverrideTickCount(false, 0);
        const uint32_t ticks = DeviceClockTicks();
        OverrideTickCount(true, ticks);
        std::fprintf(recording, "%" PRId64 " ticks %u\n", pass, ticks);
    }
    bool delivered = false;
    while (nextEvent < script.size() && script[nextEvent].pass <= pass) {
        const ScriptEvent& event = script[nextEvent++];
        Deliver(event);
        delivered = delivered || event.kind != EventKind::Ticks;
    }
    if (delivered) {
        deliveringPass = pass;
        PumpMessages(false);
        deliveringPass = -1;
    }
}

void RecordQuit(int64_t pass) {
    if (recording)
        std::fprintf(recording, "%" PRId64 " quit\n", pass);
}

void RecordInput(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!recording)
        return;
    // Scripted events belong to the pass they are delivered before; live ones arrive during
    // a pass and are seen by the next.
    const int64_t pass = deliveringPass >= 0 ? deliveringPass : CurrentPass() + 1;
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

int32_t FormatTraceLine(int64_t pass, char* out, int32_t capacity) {
    int32_t length = 0;
    const Settings& s = GameSettings;
    Append(out, capacity, length,
           "{\"pass\":%" PRId64 ",\"state\":%d,\"step\":%d,\"frameRate\":%d,\"planet\":%d,"
           "\"track\":%d,\"settings\":{\"level\":%d,\"sfx\":%d,\"music\":%d,\"detail\":%d,"
           "\"distance\":%d,\"sky\":%d},\"outcome\":%d,"
           "\"camera\":{\"x\":%d,\"y\":%d,\"angle\":%d},\"ships\":[",
           pass, GameState, GameStep, FrameRate, PlanetIndex, TrackIndex, s.level, s.sfx, s.music,
           s.detail, s.distance, s.sky, RaceOutcome, Camera.x, Camera.y, Camera.angle);
    for (int32_t i = 0; i < 3; ++i) {
        const ShipState& ship = ShipTable[i];
        Append(out, capacity, length,
               "%s{\"x\":%d,\"y\":%d,\"alt\":%d,\"heading\":%.3f,\"pitch\":%.3f,\"bank\":%.3f,"
               "\"speed\":%.3f,\"wrecked\":%d,\"next\":%d,\"laps\":%d}",
               i ? "," : "", ship.x, ship.y, ship.altitude, ship.heading, ship.pitch, ship.bank,
               ship.speed, ship.wrecked, ship.nextCheckpoint, ship.laps);
    }
    Append(out, capacity, length, "]}\n");
    return length < capacity ? length : capacity - 1;
}

void FinishPass(int64_t pass) {
    for (const Shot& shot : GameOptions.shots) {
        if (shot.pass != pass)
            continue;
        DecodeDisplay(shotPicture);
        if (!WritePngFile(shot.path, shotPicture, 240, 320)) {
            std::fprintf(stderr, "tarnvell: cannot write the screenshot %s\n", shot.path.c_str());
            shotFailed = true;
        }
    }
    if (trace) {
        char line[2048];
        const int32_t length = FormatTraceLine(pass, line, sizeof line);
        std::fwrite(line, 1, static_cast<size_t>(length), trace);
    }
}

bool ShotsFailed() {
    return shotFailed;
}

void CloseSession() {
    if (trace)
        std::fclose(trace);
    if (recording)
        std::fclose(recording);
    trace = nullptr;
    recording = nullptr;
}
