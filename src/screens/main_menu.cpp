// The main menu (GameState 1): the hub of the game, over the flying landscape.
#include "assets/assets.h"
#include "assets/font.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/settings.h"
#include "base/state.h"
#include "race/course.h"
#include "render/camera.h"
#include "render/colour_map.h"
#include "screens/backdrop.h"
#include "screens/layout.h"
#include "screens/press.h"
#include "screens/screens.h"

namespace {

PressAnimation MenuPress = {0, 0, 0, 2};

} // namespace

void EnterMainMenu() {
    GameStep = StepUpdate;
    ClearPress(MenuPress);
    FrameRate = 20;

    // The flyover's eye: high above and tilted down onto track 0's start.
    Camera.x = 78240;
    Camera.y = 18176;
    Camera.height = 1400;
    Camera.angle = 60;
    Camera.tilt = -180;
    Camera.viewWidth = 240;
    Camera.viewHeight = 240;
    Camera.depth = DepthBuffer;
    Camera.frame = FrameBufferAddress();

    LoadTrackMap(0);
    BuildTerrainColours(HeightMap, TerrainColours, 0, 1, 2, 3);
    SetUpTrack(0, GameSettings.level);
}

void UpdateMainMenu() {
    uint16_t* frame = FrameBufferAddress();
    DrawFlyoverBackground();
    DrawSheetTextScaled("MAIN MENU", 24, 40, 11, 10, frame);
    for (const Button& button : MainMenuButtons) {
        DrawButton(button, MenuPress, frame);
    }

    const PressResult result = StepPress(MenuPress, MainMenuButtons, nullptr, MainMenuButtonCount);
    if (result.event == PressEvent::Final) {
        switch (result.item) {
        case PlayItem:
            PushScreen(StatePlanet);
            break;
        case SettingsItem:
            PushScreen(StateSettings);
            break;
        case HelpItem:
            PushScreen(StateHelp);
            break;
        case ExitItem:
            // Out through the start state, whose leave step releases the assets and ends the loop.
            GameState = StateStart;
            GameStep = StepLeave;
            break;
        default:
            break;
        }
    }

    DrawLogo(frame);
}

void LeaveMainMenu() {
    ReturnToPreviousScreen();
}
