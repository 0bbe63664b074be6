// Planet and track choice: stepping with wrap-around, and the names the screens show.
#pragma once
#include <cstdint>

#include "race/course_data.h" // TrackCount

constexpr int32_t PlanetCount = 12;

// One up or down, wrapping 11 -> 0 and 0 -> 11.
int32_t NextPlanet(int32_t planet);
int32_t PreviousPlanet(int32_t planet);
// One up or down, wrapping 4 -> 0 and 0 -> 4.
int32_t NextTrack(int32_t track);
int32_t PreviousTrack(int32_t track);

// Upper-case names drawn with the SheetFont; "" for a number out of range.
const char* PlanetName(int32_t planet);
const char* TrackName(int32_t track);

// "3. VESKARA": the number counted from 1 for the player, then the name. Writes at most
// `size` bytes, always zero-terminated.
void ChoiceCaption(int32_t index, const char* name, char* out, int32_t size);
