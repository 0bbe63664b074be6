// The results screen's pulsing place word and its timing rules.
#pragma once
#include <cstdint>

// One race's results display; reset when the screen opens.
struct ResultsPulse {
    int32_t size;      // glyph width in pixels, even, 0-24
    int32_t direction; // 1 growing, -1 shrinking
    int32_t count;     // pulses completed
};

void StartPulse(ResultsPulse& pulse);
// One frame of growth or shrinking; true when the eleventh pulse has completed, so the
// screen ends by itself.
bool AdvancePulse(ResultsPulse& pulse);
// Taps are thrown away until three pulses have completed; from then on a tap or a held
// stylus ends the screen.
bool TapsEndResults(const ResultsPulse& pulse);

// "1ST PLACE", "2ND PLACE", "3RD PLACE"; null for any other outcome (no word is drawn).
const char* PlaceWord(int32_t outcome);
