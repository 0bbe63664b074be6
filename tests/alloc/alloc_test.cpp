// Counts every heap allocation the game makes after its load step, through a whole game:
// main menu, settings, help, planet and track selection, countdown, race, results, EXIT.
#include <execinfo.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../soak/game_driver.h"
#include "app/main_loop.h"
#include "app/session.h"
#include "base/state.h"
#include "platform/device.h"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

// What one counted allocation was doing: where in the game, how big, and who asked.
struct Allocation {
    int64_t pass;
    int32_t state, step;
    size_t size;
    int32_t depth;
    void* callers[24];
};

std::atomic<bool> Watching{false}; // counting game allocations after the load step
std::atomic<bool> WatchAll{false}; // counting every allocation (the counter's own check)
std::atomic<int64_t> Count{0};
thread_local bool Inside = false; // the recording itself must not be counted
Allocation Seen[8];

void Note(size_t size) {
    if (Inside)
        return;
    const bool inGame = Watching.load(std::memory_order_relaxed) && CurrentPass() >= 2 &&
                        GameState >= StateMainMenu && GameState <= StateHelp;
    if (!inGame && !WatchAll.load(std::memory_order_relaxed))
        return;
    Inside = true;
    const int64_t index = Count.fetch_add(1);
    if (index < 8) {
        Allocation& record = Seen[index];
        record = {CurrentPass(), GameState, GameStep, size, 0, {}};
        record.depth = backtrace(record.callers, 24);
    }
    Inside = false;
}

} // namespace

// The C allocator replaced; the C++ runtime's operator new and delete call it too (checked
// first by the test), so every allocation is seen.
extern "C" {
void* malloc(size_t size) {
    Note(size);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    Note(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
    Note(size);
    return __libc_realloc(block, size);
}
void free(void* block) {
    __libc_free(block);
}
void* memalign(size_t alignment, size_t size) {
    Note(size);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    Note(size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    Note(size);
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr)
        return ENOMEM;
    *out = block;
    return 0;
}
}

namespace {

struct Tap {
    int64_t pass;
    int32_t x, y;
};

// Every front-end screen on the way into a race; each settings line is tapped at least once,
// and the race is flown at DETAIL HIGH with the sky on. In turn: SETTINGS; LEVEL; SOUND FX and
// back; MUSIC and back; DETAIL (MEDIUM to HIGH); DISTANCE twice; SKY twice; OK; HELP; NEXT
// twice; OK; PLAY GAME; NEXT planet; OK; NEXT track; OK (the countdown, then the race).
constexpr Tap Taps[] = {{10, 120, 120},  {30, 200, 70},   {45, 200, 100},  {60, 200, 100},
                        {75, 200, 120},  {90, 200, 120},  {105, 200, 150}, {120, 200, 170},
                        {135, 200, 170}, {150, 200, 190}, {165, 200, 190}, {180, 120, 220},
                        {200, 120, 150}, {220, 200, 230}, {245, 200, 230}, {270, 120, 230},
                        {300, 100, 90},  {320, 200, 230}, {335, 120, 230}, {355, 200, 230},
                        {380, 120, 230}};

bool Visited[StateHelp + 1];
bool ResultsSeen = false;
int64_t ExitPass = -1;

void Drive(int64_t pass) {
    if (GameState >= 0 && GameState <= StateHelp)
        Visited[GameState] = true;
    if (GameState == StateResults)
        ResultsSeen = true;
    if (ResultsSeen && ExitPass < 0 && GameState == StateMainMenu && GameStep == StepUpdate)
        ExitPass = pass + 20;
    for (const Tap& tap : Taps) {
        if (tap.pass == pass)
            PostStylus(WM_LBUTTONDOWN, tap.x, tap.y);
        if (tap.pass + 1 == pass)
            PostStylus(WM_LBUTTONUP, 0, 0);
    }
    // Keys during the race: the autopilot flies, but the keys still pass the window procedure.
    if (GameState == StateRace && (pass % 40 == 0 || pass % 40 == 10))
        PostKey(pass % 40 == 0 ? WM_KEYDOWN : WM_KEYUP, KeyCodeLeft);
    if (pass == ExitPass || pass == ExitPass + 1) // EXIT
        PostStylus(pass == ExitPass ? WM_LBUTTONDOWN : WM_LBUTTONUP, 120, 180);
}

void PrintAllocations() {
    const int64_t shown = Count.load() < 8 ? Count.load() : 8;
    for (int64_t i = 0; i < shown; ++i) {
        const Allocation& record = Seen[i];
        std::fprintf(stderr, "allocation of %zu bytes in pass %lld, state %d step %d:\n",
                     record.size, static_cast<long long>(record.pass), record.state, record.step);
        backtrace_symbols_fd(record.callers, record.depth, STDERR_FILENO);
    }
}

} // namespace

TEST(NoAllocation, WholeGameAfterTheLoadStep) {
    // The counter sees the program's own allocations, so a silent replacement cannot pass.
    void* warm[1];
    backtrace(warm, 1); // loads the unwinder before anything is watched
    WatchAll = true;
    int* probe = new int(3);
    void* block = std::malloc(40);
    WatchAll = false;
    EXPECT_EQ(Count.load(), 2);
    delete probe;
    std::free(block);
    Count = 0;

    Watching = true;
    DrivenRun run;
    run.dataDir = TARNVELL_DATA, run.autopilot = true, run.frames = 8000, run.hook = Drive;
    const int32_t code = RunDrivenGame(run);
    Watching = false;

    EXPECT_EQ(code, 0);
    EXPECT_GT(ExitPass, 0) << "the game did not come back to the menu after the race";
    EXPECT_LT(CurrentPass(), 8000) << "EXIT did not end the game";
    for (int32_t state = StateMainMenu; state <= StateHelp; ++state)
        EXPECT_TRUE(Visited[state]) << "never reached state " << state;
    EXPECT_EQ(Count.load(), 0) << "allocations after the load step (first ones on stderr)";
    if (Count.load() != 0)
        PrintAllocations();
}
