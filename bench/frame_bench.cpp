// Speed of one whole race frame as the main loop runs it, at each DETAIL and DISTANCE: the
// panel, the terrain view, the ships, the flight and the checkpoints, then presentation.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/window.h"
#include "assets/assets.h"
#include "assets/paths.h"
#include "base/frame.h"
#include "base/options.h"
#include "base/settings.h"
#include "base/state.h"
#include "bench_world.h"
#include "platform/device.h"
#include "platform/display.h"
#include "race/course.h"
#include "render/camera.h"
#include "screens/race_screen.h"

namespace {

// The shared world, with the player's ship flying itself.
bool LoadOnce() {
    GameOptions.autopilot = true;
    return LoadBakedWorld();
}

// A race from its grid: the ships back on the start line, the countdown's enter step, then
// the race screen's update from the first frame, as after "GO!".
void StartRace() {
    SetUpTrack(0, GameSettings.level);
    Camera = CameraState{0, 0, 1400, 0, -180, 240, 240, DepthBuffer, FrameBufferAddress()};
    EnterCountdown();
    GameState = StateRace;
    EnterRace();
}

void RaceFrameBench(benchmark::State& state) {
    if (!LoadOnce()) {
        state.SkipWithError("no frame buffer");
        return;
    }
    GameSettings.detail = static_cast<int32_t>(state.range(0));
    GameSettings.distance = static_cast<int32_t>(state.range(1));
    GameSettings.sky = 1;
    // The plain 16-bit display, whatever another benchmark chose before.
    SelectDisplayProfile("rgb565");
    GXOpenDisplay(0, GX_FULLSCREEN);
    const GXDisplayProperties& properties = DisplayProfileProperties();
    GameDisplay = {properties.cBPP, properties.cbxPitch, properties.cbyPitch};
    StartRace();
    for (auto _ : state) {
        // A race that ended is started again, outside the timing.
        if (GameState != StateRace || GameStep != StepUpdate) {
            state.PauseTiming();
            StartRace();
            state.ResumeTiming();
        }
        UpdateRaceScreen();
        PresentFrame();
        benchmark::ClobberMemory();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(RaceFrameBench)
    ->ArgNames({"detail", "distance"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);
