// Fuzz target: the ship model reader over any file; a model it accepts is drawn, every frame.
#include <cstdint>
#include <vector>

#include "assets/ship_model.h"
#include "fuzz_files.h"
#include "render/camera.h"
#include "render/ship_draw.h"
#include "render/tables.h"

namespace {

std::vector<uint16_t> Frame(240 * 320);
std::vector<uint32_t> Depth(240 * 240);
std::vector<uint8_t> Flat(512 * 512, 0);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BuildAngleTables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ScratchFolder() + "plane1.md2";
    if (!WriteScratchFile(path, data, size))
        return 0;
    ShipModel* model = CreateShipModel();
    if (model == nullptr)
        return 0;
    if (ReadShipModel(*model, path.c_str())) {
        // No skin file: the skin is allocated black, as when the picture is missing.
        LoadShipSkin(*model, (ScratchFolder() + "missing.tga").c_str());
        const CameraState camera{60000, 60000, 1400, 0, -180, 240, 240, Depth.data(), Frame.data()};
        int32_t eyeX = 0, eyeY = 0;
        EyePoint(camera, eyeX, eyeY);
        const int32_t frames = model->header.numFrames;
        for (int32_t frame = -1; frame <= frames && frame < 4; ++frame) {
            std::fill(Depth.begin(), Depth.end(), 0xFFFFFFFFu);
            DrawModel(*model, camera, frame, 0, 0, 40 * frame, eyeX + 1500, eyeY, 170, Flat.data());
        }
    }
    DestroyShipModel(model);
    return 0;
}
