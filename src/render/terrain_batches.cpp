// The vector terrain code in the build's baseline vectors: SSE2, NEON or SIMD128.
#include "render/terrain_batches.inc"

void CastBatchesVector(int32_t stripWidth, int32_t steps, const CameraState& camera,
                       const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky) {
    CastBatches<HalvedLanes>(stripWidth, steps, camera, colours, heights, sky);
}

void DrawSkyRowsVector(uint16_t* frame, const uint16_t* sky, const SkyRow* rows, int32_t count) {
    DrawSkyRows<HalvedLanes>(frame, sky, rows, count);
}
