// The help screen (GameState 8): three pages of small text over the drifting ground.
#include "screens/help.h"

#include <iterator>

#include "assets/assets.h"
#include "assets/font.h"
#include "base/frame.h"
#include "base/state.h"
#include "screens/backdrop.h"
#include "screens/layout.h"
#include "screens/press.h"
#include "screens/screens.h"

namespace {

constexpr const char* BlankLine = "                           "; // 27 spaces, drawn like the rest

constexpr HelpLine InstructionsPage[] = {
    {60, " INSTRUCTIONS:             "},  {76, BlankLine},
    {92, " Fly your ship through the "},  {108, " mountains of the planet.  "},
    {124, " Beat your opponents by    "}, {140, " flying faster and complete"},
    {156, " all the laps before they  "}, {172, " can. Avoid any contact    "},
    {188, " with the surface.         "},
};

constexpr HelpLine ControlsPage[] = {
    {20, " CONTROLS:                 "},
    {36, BlankLine},
    {52, " Joypad Left/Right/Up/Down:"},
    {68, " Turns your ship.          "},
    {84, BlankLine},
    {100, " Button A/Yellow circle on"},
    {116, " bottom left of screen:    "},
    {132, " Accelerates               "},
    {148, BlankLine},
    {164, " The map, your position and"},
    {180, " current speed is displayed"},
    {196, " on the bottom panel.      "},
};

constexpr HelpLine CreditsPage[] = {
    {50, "       TARNVELL        "},
    {66, "   A Melvarro production  "},
    {82, BlankLine},
    {98, "        Written By         "},
    {114, "       Dastrin        "},
    {130, BlankLine},
    {146, "   Visit our website  at   "},
    {162, "   www.tarnvell.example    "},
    {178, "Email: dev@tarnvell.example"},
};

constexpr int32_t Count(const HelpLine* begin, const HelpLine* end) {
    return static_cast<int32_t>(end - begin);
}

constexpr uint16_t White = 0xFFFF;
constexpr int32_t TextX = 10;

int32_t HelpPage = 0; // 0-2
PressAnimation HelpPress = {0, 0, 0, 1};
uint32_t HelpScroll = 0; // never reset

} // namespace

const HelpLine* HelpPageLines(int32_t page, int32_t& count) {
    switch (page) {
    case 0:
        count = Count(std::begin(InstructionsPage), std::end(InstructionsPage));
        return InstructionsPage;
    case 1:
        count = Count(std::begin(ControlsPage), std::end(ControlsPage));
        return ControlsPage;
    case 2:
        count = Count(std::begin(CreditsPage), std::end(CreditsPage));
        return CreditsPage;
    default:
        count = 0;
        return nullptr;
    }
}

bool HelpShowsNext(int32_t page) {
    return page < HelpPageCount - 1;
}
bool HelpShowsPrevious(int32_t page) {
    return page > 0;
}
bool HelpShowsOk(int32_t page) {
    return page == HelpPageCount - 1;
}

int32_t ShownHelpPage() {
    return HelpPage;
}

void EnterHelp() {
    GameStep = StepUpdate;
    ClearPress(HelpPress);
    HelpPage = 0;
}

void UpdateHelp() {
    uint16_t* frame = FrameBufferAddress();
    DrawScrollingBackground(HelpScroll, TerrainColours, frame);
    DrawLogo(frame);

    if (HelpPage == 0) {
        DrawSheetTextScaled("HELP", 20, 40, 80, 10, frame);
    }
    int32_t lineCount = 0;
    const HelpLine* lines = HelpPageLines(HelpPage, lineCount);
    for (int32_t i = 0; i < lineCount; ++i) {
        DrawSmallText(lines[i].text, TextX, lines[i].y, White, frame);
    }

    const bool shown[PageButtonCount] = {HelpShowsOk(HelpPage), HelpShowsPrevious(HelpPage),
                                         HelpShowsNext(HelpPage)};
    for (int32_t i = 0; i < PageButtonCount; ++i) {
        if (shown[i]) {
            DrawButton(PageButtons[i], HelpPress, frame);
        }
    }

    const PressResult result = StepPress(HelpPress, PageButtons, shown, PageButtonCount);
    if (result.event == PressEvent::Immediate) {
        if (result.item == NextItem && HelpShowsNext(HelpPage)) {
            HelpPage += 1;
        } else if (result.item == PreviousItem && HelpShowsPrevious(HelpPage)) {
            HelpPage -= 1;
        }
    } else if (result.event == PressEvent::Final && result.item == OkItem) {
        LeaveScreen();
    }
}

void LeaveHelp() {
    ReturnToPreviousScreen();
}
