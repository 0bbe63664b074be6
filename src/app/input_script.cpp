// The input script: reading it, and posting its events pass by pass.
#include "app/input_script.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "platform/backend.h"
#include "platform/device.h"

namespace {

constexpr int64_t LastPass = INT64_MAX - 1;

// Whole run: read at start-up, consumed in pass order.
std::vector<ScriptEvent> script;
size_t nextEvent = 0;

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
    // Pass 0 holds only the clock at the start of the loop, before the first pass. The last
    // pass number is left free, so that a tap's lift in the following pass, and a recording
    // of the replay, still read.
    if (pass < 0 || pass > LastPass || !(in >> verb) || (pass == 0 && verb != "ticks"))
        return false;
    if (verb == "tap" && pass == LastPass)
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

} // namespace

bool ParseInputScript(std::istream& in, const std::string& name, std::vector<ScriptEvent>& events,
                      std::string& error) {
    events.clear();
    std::string line;
    int32_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!ParseScriptLine(line, events)) {
            error = name + ":" + std::to_string(number) + ": not an input event: " + line;
            return false;
        }
    }
    // Events of one pass keep their order in the file.
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.pass < b.pass; });
    return true;
}

bool LoadInputScript(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read the input script " + path;
        return false;
    }
    std::vector<ScriptEvent> events;
    if (!ParseInputScript(file, path, events, error))
        return false;
    script = std::move(events);
    nextEvent = 0;
    return true;
}

bool PostScriptEvents(int64_t pass) {
    bool posted = false;
    while (nextEvent < script.size() && script[nextEvent].pass <= pass) {
        const ScriptEvent& event = script[nextEvent++];
        Deliver(event);
        posted = posted || event.kind != EventKind::Ticks;
    }
    return posted;
}
