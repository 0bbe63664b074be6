// Planet selection (GameState 3) and track selection (GameState 4), the last steps before a race.
#include "screens/selection.h"

#include <cstdio>

#include "assets/assets.h"
#include "assets/font.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/settings.h"
#include "base/state.h"
#include "race/course.h"
#include "render/colour_map.h"
#include "screens/backdrop.h"
#include "screens/layout.h"
#include "screens/press.h"
#include "screens/screens.h"

namespace {

constexpr int32_t CaptionY = 196; // below the track preview, above the buttons
constexpr int32_t CaptionSize = 16;

constexpr const char* PlanetNames[PlanetCount] = {
    "VESKARA", "ORDUN",    "THALMIRE", "KESSOR", "BRYNDAL", "QUORETH",
    "MALVIS",  "ZENTHARA", "CORVANE",  "ISKELD", "PYRRAN",  "ULDMOOR",
};
constexpr const char* TrackNames[TrackCount] = {
    "HOOK VALLEY", "CRATER RING", "ARCH CANYON", "SERPENT RUN", "COIL GORGE",
};

PressAnimation PlanetPress = {0, 0, 0, 2};
PressAnimation TrackPress = {0, 0, 0, 1};
uint32_t TrackScroll = 0; // never reset

void DrawChoice(int32_t index, const char* name, uint16_t* frame) {
    char caption[CaptionSize];
    ChoiceCaption(index, name, caption, CaptionSize);
    DrawSheetText(caption, CentredX(caption, 16), CaptionY, frame);
}

} // namespace

int32_t NextPlanet(int32_t planet) {
    return (planet + 13) % PlanetCount;
}
int32_t PreviousPlanet(int32_t planet) {
    return (planet + 11) % PlanetCount;
}
int32_t NextTrack(int32_t track) {
    return (track + 6) % TrackCount;
}
int32_t PreviousTrack(int32_t track) {
    return (track + 4) % TrackCount;
}

const char* PlanetName(int32_t planet) {
    return planet >= 0 && planet < PlanetCount ? PlanetNames[planet] : "";
}

const char* TrackName(int32_t track) {
    return track >= 0 && track < TrackCount ? TrackNames[track] : "";
}

void ChoiceCaption(int32_t index, const char* name, char* out, int32_t size) {
    if (size <= 0) {
        return;
    }
    std::snprintf(out, static_cast<size_t>(size), "%d. %s", static_cast<int>(index) + 1, name);
}

void EnterPlanetSelect() {
    GameStep = StepUpdate;
    ClearPress(PlanetPress);
}

void UpdatePlanetSelect() {
    uint16_t* frame = FrameBufferAddress();
    DrawFlyoverBackground();
    DrawSheetTextScaled("SELECT PLANET", 18, 40, 3, 10, frame);
    DrawChoice(PlanetIndex, PlanetName(PlanetIndex), frame);
    for (const Button& button : PageButtons) {
        DrawButton(button, PlanetPress, frame);
    }

    const PressResult result = StepPress(PlanetPress, PageButtons, nullptr, PageButtonCount);
    if (result.event == PressEvent::Immediate &&
        (result.item == NextItem || result.item == PreviousItem)) {
        PlanetIndex =
            result.item == NextItem ? NextPlanet(PlanetIndex) : PreviousPlanet(PlanetIndex);
        LoadPlanetTiles(PlanetIndex);
        BuildTerrainColours(HeightMap, TerrainColours, 0, 1, 2, 3);
        // The rebuild took long; the frame rate measured across it means nothing.
        FrameRate = 20;
    } else if (result.event == PressEvent::Final && result.item == OkItem) {
        LeaveScreen();
    }

    DrawLogo(frame);
}

void LeavePlanetSelect() {
    ReturnToPreviousScreen();
    PushScreen(StateTrack);
}

void EnterTrackSelect() {
    GameStep = StepUpdate;
    ClearPress(TrackPress);
    // The preview and the course must match the chosen track, whatever the menu flew over.
    LoadTrackMap(TrackIndex);
}

void UpdateTrackSelect() {
    uint16_t* frame = FrameBufferAddress();
    DrawScrollingBackground(TrackScroll, TerrainColours, frame);
    DrawSheetTextScaled("SELECT TRACK", 18, 40, 12, 10, frame);
    for (const Button& button : PageButtons) {
        DrawButton(button, TrackPress, frame);
    }
    DrawTrackPreview(HeightMap, frame);
    DrawChoice(TrackIndex, TrackName(TrackIndex), frame);

    const PressResult result = StepPress(TrackPress, PageButtons, nullptr, PageButtonCount);
    if (result.event == PressEvent::Immediate &&
        (result.item == NextItem || result.item == PreviousItem)) {
        // Only the height map and course change; the colours follow when the race starts.
        TrackIndex = result.item == NextItem ? NextTrack(TrackIndex) : PreviousTrack(TrackIndex);
        LoadTrackMap(TrackIndex);
    } else if (result.event == PressEvent::Final && result.item == OkItem) {
        LeaveScreen();
    }

    DrawLogo(frame);
}

void LeaveTrackSelect() {
    ReturnToPreviousScreen();
    PushScreen(StateCountdown);
}
