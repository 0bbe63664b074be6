// The main loop: sound, one screen routine, the frame-rate measurement, present and pump.
#include "app/main_loop.h"

#include "app/config.h"
#include "app/port_screen.h"
#include "app/session.h"
#include "assets/paths.h"
#include "base/frame.h"
#include "base/options.h"
#include "base/state.h"
#include "platform/device.h"
#include "platform/port.h"
#include "screens/race_screen.h"
#include "screens/screens.h"
#include "sound/sound.h"

namespace {

using Routine = void (*)();

struct Screen {
    Routine enter, update, leave;
};

// Routines by GameState 0-8, in the order enter, update, leave.
constexpr Screen Screens[] = {
    {EnterStart, UpdateStart, LeaveStart},
    {EnterMainMenu, UpdateMainMenu, LeaveMainMenu},
    {EnterSettings, UpdateSettings, LeaveSettings},
    {EnterPlanetSelect, UpdatePlanetSelect, LeavePlanetSelect},
    {EnterTrackSelect, UpdateTrackSelect, LeaveTrackSelect},
    {EnterCountdown, UpdateCountdown, LeaveCountdown},
    {EnterRace, UpdateRaceScreen, LeaveRace},
    {EnterResults, UpdateResults, LeaveResults},
    {EnterHelp, UpdateHelp, LeaveHelp},
};

// One run of the loop.
bool exitRequested = false; // a close from outside has been turned into EXIT
int32_t frameCount = 0;     // passes since the frame rate was last measured
bool keptRestored = false;  // the game's kept settings are back (after the load step)

// A window closed from outside leaves through the game's own EXIT path, once: the start
// state's leave step runs next.
void TurnCloseIntoExit(int64_t pass) {
    if (!QuitPosted() || exitRequested || GameState == StateQuit)
        return;
    exitRequested = true;
    RecordQuit(pass);
    GameState = StateStart;
    GameStep = StepLeave;
}

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

// Counts the pass; after more than 500 ms the frame rate is measured again.
void CountFrame() {
    ++frameCount;
    if (FrameTimerElapsed() > 500) {
        FrameRate = MeasuredFrameRate(frameCount);
        StartFrameTimer();
        frameCount = 0;
    }
}

bool PassLimitReached(int64_t pass) {
    return GameOptions.frames > 0 && pass >= GameOptions.frames;
}

// The load step has set the game's settings to their defaults when the start state opens
// the menu; a player who keeps them gets them back before the menu's first pass.
void RestoreKeptSettingsOnce() {
    if (!keptRestored && GameState == StateMainMenu) {
        RestoreKeptSettings();
        keptRestored = true;
    }
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
    // Kept: the count is doubled whatever the elapsed time, so a window holding a long load
    // reads low; the screens that load reset the rate themselves, as the game expects.
    const int32_t rate = frames * 2;
    return rate < 5 ? 5 : rate;
}

int32_t RunMainLoop() {
    InitDataPaths();
    InitSound();
    FrameRate = 20;
    PushScreen(StateStart);
    PumpMessages(true);
    StartPass(0);
    StartFrameTimer();
    exitRequested = false;
    frameCount = 0;
    keptRestored = false;

    for (int64_t pass = 1;; ++pass) {
        HoldWhilePaused();
        StartPass(pass);
        TurnCloseIntoExit(pass);
        UpdateSound();
        if (GameState == StateQuit)
            break;
        RunScreenRoutine();
        RestoreKeptSettingsOnce();
        UpdatePortScreen();
        CountFrame();
        PumpMessages(true);
        FinishPass(pass);
        if (PassLimitReached(pass)) {
            // The pass limit ends the run as EXIT would: assets released, then music stopped.
            LeaveStart();
            break;
        }
    }
    StoreKeptSettings();
    ShutdownSound();
    CloseSession();
    return 0;
}
