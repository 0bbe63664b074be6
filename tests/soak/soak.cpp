// The soak: the real game headless for many passes under seeded random input (taps anywhere
// and on the buttons, stylus drags, keys, the race's exit icon, every setting), checking
// that it never ends early and that its resident size does not grow after the first race.
//   tarnvell_soak [--passes N] [--seed S] [--data DIR] [--growth-kib K]
#include <unistd.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/main_loop.h"
#include "app/session.h"
#include "base/state.h"
#include "game_driver.h"
#include "platform/device.h"

namespace {

// xorshift32: the same run for the same seed on every machine.
uint32_t RandomState = 1;
uint32_t NextRandom() {
    RandomState ^= RandomState << 13;
    RandomState ^= RandomState >> 17;
    RandomState ^= RandomState << 5;
    return RandomState;
}
int32_t RandomBelow(int32_t limit) {
    return static_cast<int32_t>(NextRandom() % static_cast<uint32_t>(limit));
}

// Centres of every button of the front end, and the exit icon of the race.
struct Point {
    int32_t x, y;
};
constexpr Point Targets[] = {
    {120, 90},  {120, 120}, {120, 150},                                     // PLAY, SETTINGS, HELP
    {200, 70},  {200, 100}, {200, 120}, {200, 150}, {200, 170}, {200, 190}, // the six settings
    {120, 220}, {120, 230}, {38, 230},  {200, 230},                         // OK, OK, PREV, NEXT
    {231, 7},                                                               // exit icon
};
constexpr uint16_t Keys[] = {KeyCodeUp, KeyCodeDown, KeyCodeLeft, KeyCodeRight,
                             KeyCodeA,  KeyCodeB,    KeyCodeC,    KeyCodeStart};

int64_t Passes = 200000;
int64_t GrowthLimit = 1024 * 1024; // bytes
int64_t RssAfterFirstRace = -1, RssAtEnd = -1;
int64_t FirstRaceEnd = -1;
int64_t Races = 0, Taps = 0, Drags = 0, KeyPresses = 0;
int32_t PreviousState = -1;
int32_t StylusDownFor = 0; // passes left of the current press or drag
bool Dragging = false;
uint16_t HeldKey = 0;
int32_t KeyHeldFor = 0;

int64_t ResidentBytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return -1;
    const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
    std::fclose(statm);
    return read == 2 ? static_cast<int64_t>(resident) * sysconf(_SC_PAGESIZE) : -1;
}

// The main menu's EXIT would end the soak: taps there go elsewhere.
bool OnMenuExit(int32_t x, int32_t y) {
    return GameState == StateMainMenu && x >= 80 && x <= 160 && y >= 165 && y <= 195;
}

void Drive(int64_t pass) {
    if (PreviousState == StateRace && GameState != StateRace) {
        ++Races;
        if (FirstRaceEnd < 0) {
            FirstRaceEnd = pass;
            RssAfterFirstRace = ResidentBytes();
        }
    }
    PreviousState = GameState;
    if (pass == Passes - 1)
        RssAtEnd = ResidentBytes();

    if (StylusDownFor > 0) {
        if (Dragging)
            PostStylus(WM_MOUSEMOVE, RandomBelow(240), RandomBelow(320));
        if (--StylusDownFor == 0)
            PostStylus(WM_LBUTTONUP, 0, 0);
    } else if (RandomBelow(8) == 0) {
        Point point;
        const int32_t kind = RandomBelow(16);
        if (kind < 8) {
            point = Targets[RandomBelow(sizeof Targets / sizeof Targets[0] - 1)];
        } else if (kind == 8 && GameState == StateRace && RandomBelow(60) == 0) {
            point = Targets[sizeof Targets / sizeof Targets[0] - 1]; // leave the race
        } else {
            // Anywhere, including just off the screen's edges.
            point = {RandomBelow(260) - 10, RandomBelow(340) - 10};
            if (point.x < 0 || point.y < 0)
                point = {point.x < 0 ? 0 : point.x, point.y < 0 ? 0 : point.y};
        }
        if (!OnMenuExit(point.x, point.y)) {
            Dragging = RandomBelow(4) == 0;
            StylusDownFor = Dragging ? 2 + RandomBelow(12) : 1;
            Dragging ? ++Drags : ++Taps;
            PostStylus(WM_LBUTTONDOWN, point.x, point.y);
        }
    }

    if (KeyHeldFor > 0) {
        if (--KeyHeldFor == 0)
            PostKey(WM_KEYUP, HeldKey);
    } else if (RandomBelow(6) == 0) {
        HeldKey = Keys[RandomBelow(8)];
        KeyHeldFor = 1 + RandomBelow(30);
        ++KeyPresses;
        PostKey(WM_KEYDOWN, HeldKey);
    }
}

} // namespace

int main(int argc, char** argv) {
    const char* data = TARNVELL_DATA;
    uint32_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--passes") == 0)
            Passes = std::atoll(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<uint32_t>(std::atoll(argv[i + 1]));
        else if (std::strcmp(argv[i], "--data") == 0)
            data = argv[i + 1];
        else if (std::strcmp(argv[i], "--growth-kib") == 0)
            GrowthLimit = std::atoll(argv[i + 1]) * 1024;
        else {
            std::fprintf(stderr, "tarnvell_soak: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (Passes < 2)
        Passes = 2;
    RandomState = seed != 0 ? seed : 1;

    DrivenRun run;
    run.dataDir = data, run.seed = seed, run.frames = Passes, run.hook = Drive;
    const int32_t code = RunDrivenGame(run);
    const int64_t reached = CurrentPass();

    std::printf("soak: %" PRId64 " passes (seed %u), %" PRId64 " races, %" PRId64 " taps, %" PRId64
                " drags, %" PRId64 " key presses\n",
                reached, seed, Races, Taps, Drags, KeyPresses);
    std::printf("soak: resident %" PRId64 " KiB after the first race (pass %" PRId64 "), %" PRId64
                " KiB at the end\n",
                RssAfterFirstRace / 1024, FirstRaceEnd, RssAtEnd / 1024);
    const bool ended = code != 0 || reached != Passes, noRace = FirstRaceEnd < 0;
    const bool grew = !noRace && RssAtEnd - RssAfterFirstRace > GrowthLimit;
    if (ended)
        std::printf("soak: FAILED: the game ended at pass %" PRId64 " with code %d\n", reached,
                    code);
    if (noRace)
        std::printf("soak: FAILED: no race was finished or left\n");
    if (grew)
        std::printf("soak: FAILED: resident size grew by %" PRId64 " KiB\n",
                    (RssAtEnd - RssAfterFirstRace) / 1024);
    const bool ok = !ended && !noRace && !grew;
    std::printf("soak: %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
