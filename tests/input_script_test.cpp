// The input-script reader: every event form, the order of events, and lines it refuses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/input_script.h"
#include "platform/device.h"

namespace {

bool Parse(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
    std::istringstream in(text);
    return ParseInputScript(in, "in.txt", events, error);
}

} // namespace

TEST(InputScript, ReadsEveryEventInPassOrder) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(Parse("# a comment line\n\n"
                      "0 ticks 4000000000\n"
                      "12 tap 100 90   # down now, up in pass 13\n"
                      "13 move 65535 0\n"
                      "5 key down left\n"
                      "5 key up start\n"
                      "7 press b\n"
                      "9 up\n"
                      "90 quit\n"
                      "13 down 1 2\n",
                      events, error))
        << error;
    struct Expected {
        int64_t pass;
        EventKind kind;
        int32_t x, y;
        uint16_t code;
        uint32_t ticks;
    };
    const Expected expected[] = {
        {0, EventKind::Ticks, 0, 0, 0, 4000000000u},
        {5, EventKind::KeyDown, 0, 0, KeyCodeLeft, 0},
        {5, EventKind::KeyUp, 0, 0, KeyCodeStart, 0},
        {7, EventKind::KeyDown, 0, 0, KeyCodeB, 0},
        {7, EventKind::KeyUp, 0, 0, KeyCodeB, 0},
        {9, EventKind::StylusUp, 0, 0, 0, 0},
        {12, EventKind::StylusDown, 100, 90, 0, 0},
        // Events of one pass keep the file's order: the tap's lift comes before the move.
        {13, EventKind::StylusUp, 0, 0, 0, 0},
        {13, EventKind::StylusMove, 65535, 0, 0, 0},
        {13, EventKind::StylusDown, 1, 2, 0, 0},
        {90, EventKind::Quit, 0, 0, 0, 0},
    };
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        const ScriptEvent& e = events[i];
        const Expected& x = expected[i];
        EXPECT_EQ(std::tie(e.pass, e.kind, e.x, e.y, e.code, e.ticks),
                  std::tie(x.pass, x.kind, x.x, x.y, x.code, x.ticks))
            << i;
    }
}

TEST(InputScript, RefusesWhatItDoesNotUnderstand) {
    const char* const bad[] = {
        "12 tap 100",         // a point needs two numbers
        "12 tap 100 90 7",    // nothing may follow an event
        "12 tap -1 5",        // points are never negative
        "12 move 65536 5",    // nor beyond 16 bits
        "-1 up",              // passes count from 1
        "0 up",               // pass 0 holds only the clock
        "5 ticks 4294967296", // the clock is 32 bits
        "5 ticks -1",
        "5 key sideways left", // keys go down or up
        "5 key down x",        // only the device's keys
        "5 press",
        "5 jump",                      // no such event
        "9223372036854775807 up",      // the last pass number stays free
        "9223372036854775806 tap 1 1", // and a tap's lift may not take it
        "99999999999999999999 up",     // beyond 64 bits
        "up 5",
    };
    for (const char* line : bad) {
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_FALSE(Parse(std::string("1 up\n") + line + "\n", events, error)) << line;
        EXPECT_EQ(error, std::string("in.txt:2: not an input event: ") + line);
    }
}
