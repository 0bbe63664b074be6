// The vector terrain code again with AVX2, for the x86-64 processors that have it. The build
// compiles this file alone with -mavx2; the caster asks the processor before calling in.
#if defined(__x86_64__) || defined(__i386__)
#ifndef __AVX2__
#error "terrain_batches_avx2.cpp must be compiled with -mavx2"
#endif
#include "render/terrain_batches.inc"

void CastBatchesAvx2(int32_t stripWidth, int32_t steps, const CameraState& camera,
                     const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky) {
    CastBatches<WideLanes>(stripWidth, steps, camera, colours, heights, sky);
}

void DrawSkyRowsAvx2(uint16_t* frame, const uint16_t* sky, const SkyRow* rows, int32_t count) {
    DrawSkyRows<WideLanes>(frame, sky, rows, count);
}
#else
#include "render/terrain_batches.h"

// Elsewhere no processor has AVX2 and the caster never picks it; the baseline code stands in.
void CastBatchesAvx2(int32_t stripWidth, int32_t steps, const CameraState& camera,
                     const uint16_t* colours, const uint8_t* heights, const SkyLayout& sky) {
    CastBatchesVector(stripWidth, steps, camera, colours, heights, sky);
}

void DrawSkyRowsAvx2(uint16_t* frame, const uint16_t* sky, const SkyRow* rows, int32_t count) {
    DrawSkyRowsVector(frame, sky, rows, count);
}
#endif
