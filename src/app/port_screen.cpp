// The current screen as the port layer sees it, built from the screens' own button tables.
#include "app/port_screen.h"

#include "assets/assets.h"
#include "base/state.h"
#include "screens/help.h"
#include "screens/layout.h"
#include "screens/race_screen.h"

namespace {

void AddTarget(PortScreen& screen, const Button& button) {
    if (screen.targetCount < MaxFocusTargets) {
        screen.targets[screen.targetCount++] = {button.item, button.left, button.top, button.right,
                                                button.bottom};
    }
}

void AddTargets(PortScreen& screen, const Button* buttons, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        AddTarget(screen, buttons[i]);
}

} // namespace

PortScreen DescribeScreen() {
    PortScreen screen;
    screen.screen = GameState;
    // The exit icon's middle.
    screen.exitX = ExitIconLeft + ExitIconSize / 2;
    screen.exitY = ExitIconSize / 2;
    switch (GameState) {
    case StateMainMenu:
        screen.context = PortContext::Menu;
        AddTargets(screen, MainMenuButtons, MainMenuButtonCount);
        screen.defaultItem = PlayItem;
        // No way back from the hub; back shows where EXIT is.
        screen.backItem = ExitItem;
        screen.backTaps = false;
        break;
    case StateSettings:
        screen.context = PortContext::Menu;
        AddTargets(screen, SettingsButtons, SettingsButtonCount);
        screen.defaultItem = SettingsOkItem;
        screen.backItem = SettingsOkItem;
        break;
    case StatePlanet:
    case StateTrack:
        // Forward only: the game has no way back from the selections.
        screen.context = PortContext::Menu;
        AddTargets(screen, PageButtons, PageButtonCount);
        screen.defaultItem = OkItem;
        break;
    case StateHelp: {
        screen.context = PortContext::Menu;
        const int32_t page = ShownHelpPage();
        const bool shown[PageButtonCount] = {HelpShowsOk(page), HelpShowsPrevious(page),
                                             HelpShowsNext(page)};
        for (int32_t i = 0; i < PageButtonCount; ++i) {
            if (shown[i])
                AddTarget(screen, PageButtons[i]);
        }
        screen.defaultItem = HelpShowsOk(page) ? OkItem : NextItem;
        screen.backItem = PreviousItem;
        break;
    }
    case StateCountdown:
    case StateRace:
        screen.context = PortContext::Race;
        break;
    case StateResults:
        screen.context = PortContext::Results;
        break;
    default:
        screen.context = PortContext::Plain;
        break;
    }
    return screen;
}

void UpdatePortScreen() {
    SetPortScreen(DescribeScreen());
}
