// Speed of the terrain view where the browser build runs it: ns per column sample, by wall clock.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "../bench_world.h"
#include "base/settings.h"
#include "race/course_data.h"
#include "render/camera.h"
#include "render/terrain_view.h"

namespace {

// Column samples a frame asks for at most: strips times distance steps (as bench/).
int64_t SamplesPerFrame(int32_t strips, int32_t maximumDistance) {
    int64_t steps = 0;
    for (int32_t d = 1; d <= maximumDistance; d += d < 1000 ? 64 : d < 25000 ? 128 : 256)
        ++steps;
    return steps * strips;
}

double Seconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

} // namespace

int main() {
    if (!LoadBakedWorld()) {
        std::printf("terrain bench: no world\n");
        return 1;
    }
    // The race camera over every waypoint of track 0, looking on to the next one.
    const std::vector<CameraState> poses = RaceCameraPoses(DepthBuffer, FrameBufferAddress());
    const char* const DetailNames[] = {"LOW", "MEDIUM", "HIGH"};
    GameSettings.sky = 1;
    GameSettings.distance = 2; // FAR
    for (int32_t detail = 0; detail < 3; ++detail) {
        GameSettings.detail = detail;
        // The best of twenty batches of fifty frames: the page shares the processor.
        double best = 1e9;
        size_t pose = 0;
        for (int32_t batch = 0; batch < 20; ++batch) {
            const double start = Seconds();
            for (int32_t i = 0; i < 50; ++i) {
                Camera = poses[pose];
                pose = (pose + 1) % poses.size();
                DrawTerrainView();
            }
            best = std::min(best, (Seconds() - start) / 50);
        }
        const int32_t strips = 240 / (8 >> detail);
        const int64_t samples = SamplesPerFrame(strips, MaximumViewDistance(2));
        std::printf("terrain view %s/FAR: %.1f us a frame, %.2f ns per column sample\n",
                    DetailNames[detail], best * 1e6, best * 1e9 / static_cast<double>(samples));
    }
    return 0;
}
