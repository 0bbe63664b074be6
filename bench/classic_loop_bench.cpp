// A baseline beside the terrain view: the plain classic column loop, 240 columns and 1,000
// distance steps over a 1024 x 1024 map, floats stepping along each line of samples.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int32_t MapSize = 1024;     // cells a side, a power of two so positions wrap by masking
constexpr int32_t Columns = 240;      // one sample a column
constexpr int32_t Rows = 240;         // the view's rows
constexpr int32_t Steps = 1000;       // distance steps, one map cell apart
constexpr float Horizon = 100.0f;     // screen row of the eye's height, as the race camera's
constexpr float RowScale = 120.0f;    // rows per unit of height over distance
constexpr float EyeClearance = 90.0f; // height units above the ground under the eye

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A smooth random landscape: a few octaves of value noise on lattices of 128 down to 8 cells,
// heights 0-255, coloured from green valleys to pale tops. Built once for the whole run.
struct ClassicMap {
    std::vector<uint8_t> heights = std::vector<uint8_t>(MapSize * MapSize);
    std::vector<uint16_t> colours = std::vector<uint16_t>(MapSize * MapSize);

    static float Lattice(uint32_t x, uint32_t y) {
        uint32_t v = x * 0x27D4EB2Du ^ y * 0x165667B1u;
        v ^= v >> 15;
        v *= 0x85EBCA6Bu;
        v ^= v >> 13;
        return static_cast<float>(v & 0xFFFF) / 65535.0f;
    }

    ClassicMap() {
        std::vector<float> sum(MapSize * MapSize, 0.0f);
        float weight = 1.0f;
        float total = 0.0f;
        for (int32_t cell = 128; cell >= 8; cell /= 2, weight *= 0.5f) {
            const uint32_t wrap = MapSize / cell;
            for (int32_t y = 0; y < MapSize; ++y) {
                for (int32_t x = 0; x < MapSize; ++x) {
                    const uint32_t gx = x / cell;
                    const uint32_t gy = y / cell;
                    const float fx = static_cast<float>(x % cell) / cell;
                    const float fy = static_cast<float>(y % cell) / cell;
                    const float a = Lattice(gx, gy);
                    const float b = Lattice((gx + 1) % wrap, gy);
                    const float c = Lattice(gx, (gy + 1) % wrap);
                    const float d = Lattice((gx + 1) % wrap, (gy + 1) % wrap);
                    const float top = a + (b - a) * fx;
                    const float bottom = c + (d - c) * fx;
                    sum[y * MapSize + x] += weight * (top + (bottom - top) * fy);
                }
            }
            total += weight;
        }
        for (int32_t i = 0; i < MapSize * MapSize; ++i) {
            const int32_t h =
                std::clamp(static_cast<int32_t>(sum[i] / total * 300.0f) - 30, 0, 255);
            heights[i] = static_cast<uint8_t>(h);
            const int32_t red = std::min(31, 4 + h / 9);
            const int32_t green = std::min(63, 20 + h / 6);
            const int32_t blue = std::min(31, 2 + h / 12);
            colours[i] = static_cast<uint16_t>(red << 11 | green << 5 | blue);
        }
    }
};

const ClassicMap& Map() {
    static const ClassicMap map;
    return map;
}

// One view from (eyeX, eyeY) looking along `angle` (radians), 90 degrees wide: for each
// distance the line of samples across the view, one a column; a sample standing taller than
// everything nearer in its column draws the run of pixels between, in its colour.
void DrawClassicView(const ClassicMap& map, float eyeX, float eyeY, float angle, float eyeHeight,
                     uint16_t* frame) {
    std::array<int32_t, Columns> lowest{}; // first row already drawn in each column
    lowest.fill(Rows);
    const float dirX = std::cos(angle);
    const float dirY = std::sin(angle);
    for (int32_t z = 1; z <= Steps; ++z) {
        const float distance = static_cast<float>(z);
        // The line's ends: straight ahead, then a quarter turn either side of it.
        float x = eyeX + distance * (dirX + dirY);
        float y = eyeY + distance * (dirY - dirX);
        const float stepX = -2.0f * distance * dirY / Columns;
        const float stepY = 2.0f * distance * dirX / Columns;
        const float perHeight = RowScale / distance;
        for (int32_t column = 0; column < Columns; ++column, x += stepX, y += stepY) {
            const int32_t cell = (static_cast<int32_t>(x) & (MapSize - 1)) +
                                 (static_cast<int32_t>(y) & (MapSize - 1)) * MapSize;
            const float row = (eyeHeight - map.heights[cell]) * perHeight + Horizon;
            const int32_t top = std::max(static_cast<int32_t>(row), 0);
            if (top >= lowest[column])
                continue;
            const uint16_t colour = map.colours[cell];
            for (int32_t r = top; r < lowest[column]; ++r)
                frame[r * Columns + column] = colour;
            lowest[column] = top;
        }
    }
}

void DrawTerrainViewClassicLoopBench(benchmark::State& state) {
    const ClassicMap& map = Map();
    std::vector<uint16_t> frame(Columns * Rows, 0);
    // Poses around a circle over the map, each looking along it, as a flight would.
    constexpr int32_t Poses = 32;
    int32_t pose = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        const float turn = 6.2831853f * static_cast<float>(pose) / Poses;
        const float eyeX = 512.0f + 300.0f * std::cos(turn);
        const float eyeY = 512.0f + 300.0f * std::sin(turn);
        const int32_t under =
            map.heights[static_cast<int32_t>(eyeX) + static_cast<int32_t>(eyeY) * MapSize];
        DrawClassicView(map, eyeX, eyeY, turn + 1.5707963f, under + EyeClearance, frame.data());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
        pose = (pose + 1) % Poses;
    }
    const double perFrame = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["ns_per_sample"] = perFrame * 1e9 / (double{Columns} * Steps);
    state.SetLabel("classic loop, 1024 x 1024 map");
}

} // namespace

BENCHMARK(DrawTerrainViewClassicLoopBench)->Unit(benchmark::kMicrosecond);
