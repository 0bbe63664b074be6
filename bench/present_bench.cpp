// Speed of presentation: the 240 x 320 frame written into display memory in each of the
// device layouts the game can meet.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/window.h"
#include "base/frame.h"
#include "platform/display.h"

namespace {

const char* const Profiles[] = {"rgb565", "rgb565-512", "rotated", "gray4", "gray2"};

void PresentBench(benchmark::State& state) {
    const char* profile = Profiles[state.range(0)];
    state.SetLabel(profile);
    if (!SelectDisplayProfile(profile)) {
        state.SkipWithError("unknown display profile");
        return;
    }
    const GXDisplayProperties& properties = DisplayProfileProperties();
    const DisplayLayout layout{properties.cBPP, properties.cbxPitch, properties.cbyPitch};
    // A frame of every colour, so that no layout meets only easy pixels.
    std::vector<uint16_t> frame(240 * 320);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    for (auto _ : state) {
        WriteFrameToDisplay(DisplayOrigin(), layout, frame.data());
        benchmark::DoNotOptimize(DisplayMemory());
        benchmark::ClobberMemory();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The floor: one plain copy of the frame's bytes.
void PresentFloorBench(benchmark::State& state) {
    std::vector<uint16_t> frame(240 * 320, 0x1234), display(240 * 320);
    for (auto _ : state) {
        std::memcpy(display.data(), frame.data(), frame.size() * sizeof(uint16_t));
        benchmark::DoNotOptimize(display.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(PresentBench)->DenseRange(0, 4)->ArgNames({"profile"})->Unit(benchmark::kMicrosecond);
BENCHMARK(PresentFloorBench)->Unit(benchmark::kMicrosecond);
