// The countdown (state 5) and race (state 6) screens, the race frame and the menu flyover.
#include "screens/race_screen.h"

#include <cstring>

#include "assets/assets.h"
#include "assets/font.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/input.h"
#include "base/options.h"
#include "base/settings.h"
#include "base/ship.h"
#include "base/state.h"
#include "race/course.h"
#include "race/flight.h"
#include "race/laps.h"
#include "race/pilot.h"
#include "render/colour_map.h"
#include "render/ship_draw.h"
#include "render/terrain_view.h"

int32_t RaceOutcome = 0;
int32_t CountdownStep = 0;
int32_t CountdownSize = 1;
int32_t RaceEffectRequests[7] = {};
int32_t RaceMusicRequest = -1;

namespace {

constexpr int32_t Abandoned = 100;
constexpr int32_t CountdownWords = 4;    // "3", "2", "1", "GO!"
constexpr int32_t CountdownLargest = 41; // a word is drawn while its size is below this
constexpr int32_t PadRight = 80;         // the accelerate pad: drag x below this...
constexpr int32_t PadTop = 240;          // ...and drag y above this
constexpr int32_t PanelRows = 80;

void PlayRaceEffect(Effect effect) {
    if (effect >= 0 && effect < 7)
        RaceEffectRequests[effect] += 1;
    PlayEffect(effect);
}

void SwitchRaceMusic(Music music) {
    RaceMusicRequest = music;
    SwitchMusic(music);
}

// 20 / FrameRate in single precision, widened: 1.0 at 20 frames a second, at most 4.0.
float StepForFrameRate() {
    const int32_t rate = FrameRate >= 5 ? FrameRate : 5;
    return 20.0f / static_cast<float>(rate);
}

void CopyPanel() {
    uint16_t* frame = FrameBufferAddress();
    if (frame == nullptr || PanelPicture == nullptr)
        return;
    std::memcpy(frame + ViewHeight * ScreenWidth, PanelPicture,
                sizeof(uint16_t) * ScreenWidth * PanelRows);
}

// The player's own controls for one frame, or the pilot when the ship flies itself.
void FlyPlayer(bool padHeld) {
    if (GameOptions.autopilot) {
        // Presses are still taken, so none is left pending for the next screen.
        TakeKeyA();
        TakeKeyB();
        SteerOpponent(0, HeightMap);
        return;
    }
    // Kept: a held pad leaves a press of A pending until it is released, so A is not taken
    // while the pad is held even though both branches accelerate the same.
    if (padHeld) { // NOLINT(bugprone-branch-clone)
        Accelerate(0);
    } else if (TakeKeyA()) {
        Accelerate(0);
    }
    if (TakeKeyB())
        Brake(0);
    if (LeftHeld())
        BankLeft(0);
    if (RightHeld())
        BankRight(0);
    if (DownHeld())
        NoseUp(0);
    if (UpHeld())
        NoseDown(0);
}

} // namespace

void FollowShip(CameraState& camera, int32_t ship) {
    if (ship < 0 || ship >= ShipSlots)
        return;
    const ShipState& s = ShipTable[ship];
    camera.x = static_cast<int32_t>((static_cast<int64_t>(s.x) + camera.x) / 2);
    camera.y = static_cast<int32_t>((static_cast<int64_t>(s.y) + camera.y) / 2);
    camera.angle = static_cast<int32_t>(s.heading + 192.0) % 256;
}

void DrawExitIcon() {
    uint16_t* frame = FrameBufferAddress();
    if (frame == nullptr || ExitIcon == nullptr)
        return;
    for (int32_t row = 0; row < ExitIconSize; ++row) {
        std::memcpy(frame + row * ScreenWidth + ExitIconLeft, ExitIcon + row * ExitIconSize,
                    sizeof(uint16_t) * ExitIconSize);
    }
}

void DrawRaceScene() {
    UpdateWrecks(Camera, ExplosionPicture);
    int32_t contacts = 0;
    for (int32_t i = 0; i < 3; ++i)
        contacts += DrawShip(Camera, i, HeightMap);
    DrawMapMarkers(Camera);
    DrawRacePanel();
    if (contacts > 0)
        PlayRaceEffect(ExplodeEffect);
}

void UpdateRace() {
    SetFrameStep(StepForFrameRate());
    FollowShip(Camera, 0);
    DrawTerrainView();
    DrawExitIcon();

    bool padHeld = false;
    if (StylusDown()) {
        const int32_t sx = DragX();
        const int32_t sy = DragY();
        if (sx >= ExitIconLeft && sy < ExitIconSize) {
            // The rest of this frame still runs; the next pass leaves.
            RaceOutcome = Abandoned;
            LeaveScreen();
        }
        padHeld = sx < PadRight && sy > PadTop;
    }
    FlyPlayer(padHeld);

    SteerOpponent(1, HeightMap);
    SteerOpponent(2, HeightMap);
    // Kept: drawn (and tested for contact) at the positions of the previous flight step; the
    // flight step follows.
    DrawRaceScene();
    MoveShips();
    if (BumpShips())
        PlayRaceEffect(CrashEffect);
    PassCheckpoints();
}

void EnterCountdown() {
    SwitchRaceMusic(RaceMusic);
    GameStep = StepUpdate;
    CountdownSize = 1;
    CountdownStep = 0;
    if (HeightMap != nullptr && TerrainColours != nullptr)
        BuildTerrainColours(HeightMap, TerrainColours, 0, 1, 2, 3);
    BuildPanelMap();
    FrameRate = 20; // after the long rebuild
    PlayRaceEffect(ThreeEffect);
}

void UpdateCountdown() {
    const float f = StepForFrameRate();
    CopyPanel();
    if (CountdownStep != 3) {
        // The ships stand on the grid; they are drawn and the panel shows.
        SetFrameStep(f);
        FollowShip(Camera, 0);
        DrawTerrainView();
        DrawRaceScene();
    } else {
        UpdateRace(); // the race is already running while "GO!" shows
    }

    // The word grows from its centre at (120, 120).
    static const char* const words[CountdownWords] = {"3", "2", "1", "GO!"};
    if (CountdownStep >= 0 && CountdownStep < CountdownWords && CountdownSize < CountdownLargest) {
        const int32_t size = CountdownSize;
        const int32_t y = 120 - (size >> 1);
        const int32_t x = CountdownStep == 3 ? 120 - ((3 * size) >> 1) : y;
        DrawSheetTextScaled(words[CountdownStep], size, size, x, y);
    }

    CountdownSize = static_cast<int32_t>(f * 4.0f + static_cast<float>(CountdownSize));
    if (CountdownSize >= CountdownLargest) {
        CountdownSize = 1;
        CountdownStep += 1;
        if (CountdownStep == 1)
            PlayRaceEffect(TwoEffect);
        if (CountdownStep == 2)
            PlayRaceEffect(OneEffect);
        if (CountdownStep == 3)
            PlayRaceEffect(GoEffect);
        if (CountdownStep == 4)
            LeaveScreen();
    }
}

void LeaveCountdown() {
    ReturnToPreviousScreen();
    PushScreen(StateRace);
}

void EnterRace() {
    GameStep = StepUpdate;
}

void UpdateRaceScreen() {
    CopyPanel();
    UpdateRace();
    const int32_t result = RaceResult();
    if (result != 0) {
        LeaveScreen();
        RaceOutcome = result;
    }
}

void LeaveRace() {
    ReturnToPreviousScreen();
    if (RaceOutcome == Abandoned) {
        SwitchRaceMusic(MenuMusic);
        SetUpTrack(TrackIndex, GameSettings.level);
    } else {
        PushScreen(StateResults);
        SwitchRaceMusic(ResultsMusic);
    }
}

void AttractFlight() {
    SetFrameStep(StepForFrameRate());
    FollowShip(Camera, 0);
    SteerOpponent(0, HeightMap);
    MoveShips();
}
