// Speed of the terrain view and the colour-map build over the baked track 0, against memset floors.
#include <benchmark/benchmark.h>

#include "bench_world.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "assets/tga.h"
#include "base/settings.h"
#include "race/course_data.h"
#include "render/camera.h"
#include "render/colour_map.h"
#include "render/tables.h"
#include "render/terrain_view.h"

namespace {

// This thread's processor time in seconds: the machine is shared, and wall time would count
// the time other programs held the processor.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Whole run of the benchmark program: the loaded world and the camera poses it is seen from.
struct BenchWorld {
    std::vector<CameraState> poses;

    BenchWorld() {
        LoadBakedWorld();
        uint16_t* frame = FrameBufferAddress();
        uint32_t* depth = DepthBuffer;

        // The race camera over track 0, and the main menu's view.
        poses = RaceCameraPoses(depth, frame);
        poses.push_back({78240, 18176, 1400, 60, -180, 240, 240, depth, frame});
    }
};

BenchWorld& World() {
    static BenchWorld world;
    return world;
}

// Seconds for one pass of `work`, the best of several batches, so a floor is not inflated by
// the other programs sharing the caches.
template <typename Work> double BestSeconds(Work work) {
    double best = 1e9;
    for (int32_t batch = 0; batch < 20; ++batch) {
        const double start = ThreadSeconds();
        for (int32_t i = 0; i < 50; ++i)
            work();
        best = std::min(best, (ThreadSeconds() - start) / 50);
    }
    return best;
}

// The floor of a frame: the same 240 x 240 pixels and depth entries written with memset.
double ViewFloorSeconds() {
    static const double floor = BestSeconds([] {
        World(); // the buffers must exist
        std::memset(FrameBufferAddress(), 0x35, 240 * 240 * sizeof(uint16_t));
        std::memset(DepthBuffer, 0x7F, 240 * 240 * sizeof(uint32_t));
        benchmark::ClobberMemory();
    });
    return floor;
}

// The floor of a colour-map build: the 512 x 512 colours written once with memset.
double ColourFloorSeconds() {
    static const double floor = BestSeconds([] {
        std::memset(TerrainColours, 0x35, 512 * 512 * sizeof(uint16_t));
        benchmark::ClobberMemory();
    });
    return floor;
}

// Column samples a frame asks for at most: strips times distance steps.
int64_t SamplesPerFrame(int32_t strips, int32_t maximumDistance) {
    int64_t steps = 0;
    for (int32_t d = 1; d <= maximumDistance; d += d < 1000 ? 64 : d < 25000 ? 128 : 256)
        ++steps;
    return steps * strips;
}

// The caster a benchmark's argument pins: 0 the fastest, 1 the baseline vectors (what
// processors without AVX2 and the browser get), 2 strip by strip, 3 AVX2.
CasterChoice PinnedCaster(int64_t argument) {
    switch (argument) {
    case 1:
        return CasterChoice::Vector;
    case 2:
        return CasterChoice::Scalar;
    case 3:
        return CasterChoice::Avx2;
    default:
        return CasterChoice::Fastest;
    }
}

const char* CasterName(CasterChoice caster) {
    switch (caster) {
    case CasterChoice::Scalar:
        return "strip by strip";
    case CasterChoice::Avx2:
        return "eight strips, AVX2";
    default:
#if defined(__aarch64__) || defined(__ARM_NEON)
        return "eight strips, NEON";
#elif defined(__wasm_simd128__)
        return "eight strips, SIMD128";
#else
        return "eight strips, SSE2";
#endif
    }
}

void DrawTerrainViewBench(benchmark::State& state) {
    BenchWorld& world = World();
    const int32_t detail = static_cast<int32_t>(state.range(0));
    const int32_t distance = static_cast<int32_t>(state.range(1));
    GameSettings.detail = detail;
    GameSettings.distance = distance;
    GameSettings.sky = 1;
    const CasterChoice caster = PinnedCaster(state.range(2));
    ChooseTerrainCaster(caster);
    if (TerrainCasterInUse() != caster && caster != CasterChoice::Fastest) {
        state.SkipWithError("this processor does not run that caster");
        ChooseTerrainCaster(CasterChoice::Fastest);
        return;
    }
    state.SetLabel(CasterName(TerrainCasterInUse()));
    const double floor = ViewFloorSeconds();
    size_t pose = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        Camera = world.poses[pose];
        pose = (pose + 1) % world.poses.size();
        DrawTerrainView();
        benchmark::DoNotOptimize(FrameBufferAddress());
        benchmark::ClobberMemory();
    }
    const double perFrame = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    const int32_t strips = 240 / (8 >> detail);
    const int64_t samples = SamplesPerFrame(strips, MaximumViewDistance(distance));
    state.counters["floor_ratio"] = perFrame / floor;
    state.counters["ns_per_sample"] = perFrame * 1e9 / static_cast<double>(samples);
    state.counters["floor_us"] = floor * 1e6;
    ChooseTerrainCaster(CasterChoice::Fastest);
}

// The cloud plane alone, pinned as the terrain view's benchmarks are.
void DrawSkyBench(benchmark::State& state) {
    BenchWorld& world = World();
    ChooseTerrainCaster(PinnedCaster(state.range(0)));
    state.SetLabel(CasterName(TerrainCasterInUse()));
    size_t pose = 0;
    for (auto _ : state) {
        DrawSky(world.poses[pose], SkyPicture);
        pose = (pose + 1) % world.poses.size();
        benchmark::ClobberMemory();
    }
    ChooseTerrainCaster(CasterChoice::Fastest);
}

void BuildTerrainColoursBench(benchmark::State& state) {
    World(); // the buffers must exist
    const double floor = ColourFloorSeconds();
    const double start = ThreadSeconds();
    for (auto _ : state) {
        BuildTerrainColours(HeightMap, TerrainColours, 0, 1, 2, 3);
        benchmark::ClobberMemory();
    }
    const double perBuild = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["floor_ratio"] = perBuild / floor;
    state.counters["floor_us"] = floor * 1e6;
}

} // namespace

BENCHMARK(DrawTerrainViewBench)
    ->ArgNames({"detail", "distance", "caster"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}, {0}})
    ->ArgsProduct({{1}, {2}, {1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(DrawSkyBench)->ArgName("caster")->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BuildTerrainColoursBench)->Unit(benchmark::kMillisecond);
