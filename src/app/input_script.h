// The input script: one event a line, PASS EVENT ARGS, read at start-up and delivered to the
// window procedure before the pass it names. Recordings are input scripts too.
#pragma once
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

enum class EventKind { StylusDown, StylusMove, StylusUp, KeyDown, KeyUp, Quit, Ticks };

struct ScriptEvent {
    int64_t pass; // delivered before this pass runs; 0 only for the starting clock
    EventKind kind;
    int32_t x, y;   // screen pixels, for stylus events
    uint16_t code;  // device key code, for key events
    uint32_t ticks; // ms, the pass's tick count, for Ticks
};

// Reads a whole script from `in` into `events`, sorted by pass (events of one pass keep their
// order). False at the first line that is not an event, with "NAME:LINE: ..." in `error`.
bool ParseInputScript(std::istream& in, const std::string& name, std::vector<ScriptEvent>& events,
                      std::string& error);

// Reads the script at `path` for this run. False with a one-line message on error.
bool LoadInputScript(const std::string& path, std::string& error);

// Posts the script's events for passes up to `pass` to the device. True when any of them is a
// message for the window procedure (a pinned clock is not).
bool PostScriptEvents(int64_t pass);
