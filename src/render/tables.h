// The angle tables: cosine and sine of the 256 angle units with 10 fraction bits.
#pragma once
#include <cstdint>

// An angle is 0-255, 256 units to the full turn; angle 0 points along +x, 64 along +y.
// Lookups never mask the index, so every writer keeps its angles within 0-255.
constexpr int32_t AngleUnits = 256;
constexpr double AngleUnitRadians = 0.02454369260617026; // 2 pi / 256

// Whole run: filled once by BuildAngleTables during the load step, read-only afterwards.
// Entry i is cos (sin) of i units times 1024, truncated toward zero (10 fraction bits).
extern int32_t CosTable[AngleUnits];
extern int32_t SinTable[AngleUnits];

// Fills both tables. Called by the start-up load step before any screen draws.
void BuildAngleTables();
