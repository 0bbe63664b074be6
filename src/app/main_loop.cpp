// The main loop: sound, one screen routine, the frame-rate measurement, present and pump.
#include "app/main_loop.h"

#include "app/config.h"
#include "app/frame.h"
#include "app/options.h"
#include "app/port_screen.h"
#include "app/session.h"
#include "app/state.h"
#include "assets/load.h"
#include "platform/device.h"
#include "platform/port.h"
#include "race/race_screen.h"
#include "screens/screens.h"
#include "sound/sound.h"

namespace {

using Routine = void (*)();

struct Screen {
    Routine enter, update, leave;
};

bool assetsLoaded = false; // between the start state's enter and leave
int64_t pass = 0;

void StartEnter() {
    LoadGameAssets();
    RestoreKeptSettings();
    assetsLoaded = true;
    PushScreen(StateMainMenu);
}

void StartUpdate() {
    LeaveScreen();
}

void StartLeave() {
    if (assetsLoaded)
        ReleaseGameAssets();
    assetsLoaded = false;
    GameState = StateQuit;
}

// Routines by GameState 0-8, in the order enter, update, leave.
constexpr Screen Screens[] = {
    {StartEnter, StartUpdate, StartLeave},
    {EnterMainMenu, UpdateMainMenu, LeaveMainMenu},
    {EnterSettings, UpdateSettings, LeaveSettings},
    {EnterPlanetSelect, UpdatePlanetSelect, LeavePlanetSelect},
    {EnterTrackSelect, UpdateTrackSelect, LeaveTrackSelect},
    {EnterCountdown, UpdateCountdown, LeaveCountdown},
    {EnterRace, UpdateRaceScreen, LeaveRace},
    {EnterResults, UpdateResults, LeaveResults},
    {EnterHelp, UpdateHelp, LeaveHelp},
};

void RunScreenRoutine() {
    if (GameState < 0 || GameState > StateHelp)
        return;
    const Screen& screen = Screens[GameState];
    if (GameStep == StepEnter)
        screen.enter();
    else if (GameStep == StepUpdate)
        screen.update();
    else
        screen.leave();
}

// While the player has paused: no pass runs, the device's clock stands still (the backend
// leaves paused time out) and the sound is silent; the frozen frame is shown, with the
// window's PAUSED over it, until a key resumes or the window closes.
void HoldWhilePaused() {
    if (!PortPaused())
        return;
    PauseSound(true);
    while (PortPaused() && !QuitPosted())
        PumpMessages(true);
    PauseSound(false);
}

} // namespace

int32_t MeasuredFrameRate(int32_t frames) {
    // The count is doubled whatever the elapsed time: a window holding a long load reads low.
    const int32_t rate = frames * 2;
    return rate < 5 ? 5 : rate;
}

int64_t CurrentPass() {
    return pass;
}

int32_t RunMainLoop() {
    InitDataPaths();
    InitSound();
    FrameRate = 20;
    PushScreen(StateStart);
    PumpMessages(true);
    StartPass(0);
    StartFrameTimer();

    int32_t frameCount = 0;
    bool exitRequested = false;
    pass = 0;
    for (;;) {
        HoldWhilePaused();
        ++pass;
        StartPass(pass);
        // A window closed from outside leaves through the game's own EXIT path.
        if (QuitPosted() && !exitRequested && GameState != StateQuit) {
            exitRequested = true;
            RecordQuit(pass);
            GameState = StateStart;
            GameStep = StepLeave;
        }
        UpdateSound();
        if (GameState == StateQuit)
            break;
        RunScreenRoutine();
        UpdatePortScreen();
        ++frameCount;
        if (FrameTimerElapsed() > 500) {
            FrameRate = MeasuredFrameRate(frameCount);
            StartFrameTimer();
            frameCount = 0;
        }
        PumpMessages(true);
        FinishPass(pass);
        if (GameOptions.frames > 0 && pass >= GameOptions.frames) {
            // The pass limit ends the run as EXIT would: assets released, then music stopped.
            if (assetsLoaded)
                ReleaseGameAssets();
            assetsLoaded = false;
            GameState = StateQuit;
            break;
        }
    }
    StoreKeptSettings();
    ShutdownSound();
    CloseSession();
    return 0;
}
