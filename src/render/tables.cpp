// The angle tables, built once at start-up.
#include "render/tables.h"

#include <cmath>
#include <numbers>

int32_t CosTable[AngleUnits];
int32_t SinTable[AngleUnits];

void BuildAngleTables() {
    for (int32_t i = 0; i < AngleUnits; ++i) {
        const double radians = i * 2.0 * std::numbers::pi / 256.0;
        // The casts truncate toward zero, so cos 64 units and sin 128 units come out 0.
        CosTable[i] = static_cast<int32_t>(std::cos(radians) * 1024.0);
        SinTable[i] = static_cast<int32_t>(std::sin(radians) * 1024.0);
    }
}
