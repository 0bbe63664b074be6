// The settings screen (GameState 2): six values cycled by tapping them.
#include "assets/font.h"
#include "base/frame.h"
#include "base/settings.h"
#include "base/state.h"
#include "screens/backdrop.h"
#include "screens/layout.h"
#include "screens/press.h"
#include "screens/screens.h"
#include "sound/sound.h"

namespace {

constexpr int32_t ValueGlyphWidth = 8; // narrow glyphs, so "MEDIUM" fits beside "DISTANCE"

PressAnimation SettingsPress = {0, 0, 0, 2};

} // namespace

void EnterSettings() {
    GameStep = StepUpdate;
    ClearPress(SettingsPress);
}

void UpdateSettings() {
    uint16_t* frame = FrameBufferAddress();
    DrawFlyoverBackground();
    DrawSheetTextScaled("SETTINGS", 27, 40, 12, 10, frame);

    for (int32_t line = 1; line <= SettingLineCount; ++line) {
        const int32_t y = SettingsRows[line - 1];
        DrawSheetText(SettingLabel(line), SettingsLabelX, y, frame);
        if (SettingsPress.selected == line) {
            DrawSheetTextScaled(SettingWord(line), ValueGlyphWidth, (10 - SettingsPress.offset) * 2,
                                SettingsValueX, y + SettingsPress.offset, frame);
        } else {
            DrawSheetTextScaled(SettingWord(line), ValueGlyphWidth, 20, SettingsValueX, y, frame);
        }
    }
    DrawButton(SettingsButtons[0], SettingsPress, frame);

    const PressResult result =
        StepPress(SettingsPress, SettingsButtons, nullptr, SettingsButtonCount);
    if (result.event == PressEvent::Immediate && result.item != SettingsOkItem) {
        const int32_t value = CycleSetting(result.item);
        if (result.item == MusicLine) {
            SetMusicOn(value != 0);
        }
    } else if (result.event == PressEvent::Final && result.item == SettingsOkItem) {
        LeaveScreen();
    }

    DrawLogo(frame);
}

void LeaveSettings() {
    ReturnToPreviousScreen();
}
