// The results screen (GameState 7): the player's place pulses over the flyover, then the menu
// returns.
#include "screens/results.h"

#include "assets/font.h"
#include "base/frame.h"
#include "base/input.h"
#include "base/settings.h"
#include "base/state.h"
#include "race/course.h"
#include "screens/backdrop.h"
#include "screens/race_screen.h"
#include "screens/screens.h"
#include "sound/sound.h"

namespace {
constexpr int32_t LargestSize = 24; // glyph width at the peak of a pulse
constexpr int32_t PulsesShown = 11; // the screen ends when this many have completed
constexpr int32_t PulsesIgnoringTaps = 3;
constexpr int32_t WordHeight = 50;
constexpr int32_t WordY = 95;

ResultsPulse Pulse = {0, 1, 0};
} // namespace

void StartPulse(ResultsPulse& pulse) {
    pulse.size = 0;
    pulse.direction = 1;
    pulse.count = 0;
}

bool AdvancePulse(ResultsPulse& pulse) {
    if (pulse.direction == 1) {
        pulse.size += 2;
        if (pulse.size > LargestSize - 1) {
            pulse.direction = -1;
        }
        return false;
    }
    pulse.size -= 2;
    if (pulse.size < 1) {
        pulse.direction = 1;
        pulse.count += 1;
        return pulse.count > PulsesShown - 1;
    }
    return false;
}

bool TapsEndResults(const ResultsPulse& pulse) {
    return pulse.count >= PulsesIgnoringTaps;
}

const char* PlaceWord(int32_t outcome) {
    switch (outcome) {
    case 1:
        return "1ST PLACE";
    case 2:
        return "2ND PLACE";
    case 3:
        return "3RD PLACE";
    default:
        return nullptr;
    }
}

void EnterResults() {
    GameStep = StepUpdate;
    StartPulse(Pulse);
    // The ships go back to the start grid, so the flyover behind the word starts anew.
    SetUpTrack(TrackIndex, GameSettings.level);
}

void UpdateResults() {
    uint16_t* frame = FrameBufferAddress();
    DrawLogo(frame);
    DrawFlyoverBackground();

    // Nine glyphs, kept centred on column 120 as they grow.
    if (const char* word = PlaceWord(RaceOutcome)) {
        DrawSheetTextScaled(word, Pulse.size, WordHeight, 120 - (9 * Pulse.size) / 2, WordY, frame);
    }

    if (AdvancePulse(Pulse)) {
        LeaveScreen();
    }

    if (!TapsEndResults(Pulse)) {
        // Taps made during the race's last moments or the first pulses must not cut the
        // display short, nor reach the menu.
        while (TakeTap()) {
        }
    } else {
        // The tap is taken even when the stylus is held, so the tap that ends this screen is
        // not read again by the main menu as a press of one of its buttons.
        const bool tapped = TakeTap();
        if (tapped || StylusDown()) {
            LeaveScreen();
        }
    }
}

void LeaveResults() {
    ReturnToPreviousScreen();
    SwitchMusic(MenuMusic);
    SetUpTrack(TrackIndex, GameSettings.level);
}
