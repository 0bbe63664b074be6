// Fuzz target: height maps, read raw at any size and loaded as a track, then drawn.
#include <cstdint>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/settings.h"
#include "fuzz_files.h"
#include "race/course.h"
#include "render/camera.h"
#include "render/tables.h"
#include "render/terrain_view.h"
#include "screens/race_screen.h"

namespace {

std::vector<uint8_t> Heights(512 * 512);
std::vector<uint16_t> Colours(512 * 512, 0x7BEF), Sky(256 * 256);
std::vector<uint32_t> Depth(240 * 240);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BuildAngleTables();
    SetDefaultSettings();
    SetDataFolder(ScratchFolder());
    HeightMap = Heights.data();
    TerrainColours = Colours.data();
    DepthBuffer = Depth.data();
    SkyPicture = Sky.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!AllocateFrameBuffer())
        return 0;
    const std::string path = ScratchFolder() + "Map/map1.raw";
    if (!WriteScratchFile(path, data, size))
        return 0;
    // A raw read at a size taken from the input, into a buffer of exactly that size.
    const int32_t width = size > 0 ? 1 + data[0] % 64 : 1;
    const int32_t height = size > 1 ? 1 + data[1] % 64 : 1;
    std::vector<uint8_t> small(static_cast<size_t>(width) * height);
    ReadRawFile(path.c_str(), width, height, small.data());

    // The track as a race would load it, and the view from behind the leading ship.
    LoadTrackMap(0);
    GameSettings.detail = size > 2 ? data[2] % 3 : 1;
    GameSettings.distance = size > 3 ? data[3] % 3 : 1;
    Camera = CameraState{0, 0, 1400, 0, -180, 240, 240, DepthBuffer, FrameBufferAddress()};
    FollowShip(Camera, 0);
    DrawTerrainView();
    return 0;
}
