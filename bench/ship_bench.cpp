// Speed of drawing the ship model at three distances, and of a whole race scene: terrain,
// an explosion, three ships and the map markers, each iteration one frame.
#include <benchmark/benchmark.h>

#include "bench_world.h"

#include <algorithm>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/ship_model.h"
#include "assets/terrain_data.h"
#include "assets/tga.h"
#include "base/settings.h"
#include "base/ship.h"
#include "render/camera.h"
#include "render/colour_map.h"
#include "render/raster.h"
#include "render/ship_draw.h"
#include "render/tables.h"
#include "render/terrain_view.h"

namespace {

// Whole benchmark run: the buffers the load step would allocate, track 0 on planet 0, the
// baked ship model in the model table and the ships on the start grid.
struct ShipWorld {
    std::vector<uint8_t> flat = std::vector<uint8_t>(512 * 512, 0);

    ShipWorld() { LoadBakedWorld(); }

    const ShipModel& Model() const { return *ModelTable[0]; }

    CameraState View() {
        return CameraState{
            60000, 60000, 1400, 0, -180, 240, 240, DepthBuffer, FrameBufferAddress()};
    }
};

ShipWorld& World() {
    static ShipWorld world;
    return world;
}

// The model alone over flat ground, `ahead` world units in front of the eye, slightly
// turned so both the back and a side show. The depth buffer is not reset between
// iterations: later frames fail the depth test but walk the same spans.
void BM_DrawModel(benchmark::State& state) {
    ShipWorld& world = World();
    const CameraState camera = world.View();
    int32_t eyeX = 0, eyeY = 0;
    EyePoint(camera, eyeX, eyeY);
    const int32_t x = eyeX + static_cast<int32_t>(state.range(0));
    const int32_t z = 175 - static_cast<int32_t>(state.range(0)) / 200;
    std::fill_n(DepthBuffer, 240 * 240, 0xFFFFFFFFu);
    for (auto _ : state) {
        const ModelBox box =
            DrawModel(world.Model(), camera, 0, 0, 0, 200, x, eyeY, z, world.flat.data());
        benchmark::DoNotOptimize(box);
    }
}
BENCHMARK(BM_DrawModel)->Arg(1500)->Arg(6000)->Arg(20000)->ArgNames({"ahead"});

// One race frame's drawing at DETAIL HIGH, DISTANCE FAR: the terrain view from the chase
// camera behind ship 0, an explosion next to it, all three ships and the markers.
void BM_RaceScene(benchmark::State& state) {
    ShipWorld& world = World();
    GameSettings.detail = 2;
    GameSettings.distance = 2;
    GameSettings.sky = 1;
    ShipState grid[3];
    std::copy(ShipTable, ShipTable + 3, grid);
    Camera = world.View();
    Camera.x = grid[0].x;
    Camera.y = grid[0].y;
    Camera.angle = static_cast<int32_t>(grid[0].heading + 192.0) % 256;
    const WorldPoint blast = {grid[0].x - 600, grid[0].y + 300, (grid[0].altitude - 5) * 2};
    int32_t frame = 0;
    for (auto _ : state) {
        std::copy(grid, grid + 3, ShipTable); // a contact would wreck a ship for good
        DrawTerrainView();
        DrawBillboard(Camera, blast, ExplosionPicture, 70, frame);
        for (int32_t ship = 0; ship < 3; ++ship)
            DrawShip(Camera, ship, HeightMap);
        DrawMapMarkers(Camera);
        frame = (frame + 1) % SpriteFrames;
        benchmark::ClobberMemory();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RaceScene)->Unit(benchmark::kMicrosecond);

} // namespace
