// Where the front-end screens put their buttons, and what their taps hit.
#pragma once
#include <cstdint>

#include "screens/press.h"

// Main menu: step 2; tapped in this order.
enum : int32_t { PlayItem = 1, SettingsItem = 2, HelpItem = 3, ExitItem = 4 };
// Each hit rectangle is the label's own box: 16 pixels a character, 20 high.
inline constexpr Button MainMenuButtons[] = {
    {PlayItem, "PLAY GAME", 48, 80, 48, 80, 192, 100},
    {SettingsItem, "SETTINGS", 56, 110, 56, 110, 184, 130},
    {HelpItem, "HELP", 88, 140, 88, 140, 152, 160},
    {ExitItem, "EXIT", 88, 170, 88, 170, 152, 190},
};
inline constexpr int32_t MainMenuButtonCount = 4;

// Settings: step 2. Items 1-6 are the settings' lines (the value column only; the labels do
// not react), 7 is OK, which is tested first.
inline constexpr int32_t SettingsOkItem = 7;
inline constexpr int32_t SettingsValueX = 165;
inline constexpr int32_t SettingsLabelX = 20;
inline constexpr int32_t SettingsRows[6] = {60, 90, 110, 140, 160, 180}; // lines 1-6
inline constexpr Button SettingsButtons[] = {
    {SettingsOkItem, "OK", 104, 210, 104, 210, 136, 230},
    {1, "", SettingsValueX, 60, 165, 60, 230, 80},
    {2, "", SettingsValueX, 90, 165, 90, 230, 110},
    {3, "", SettingsValueX, 110, 165, 110, 230, 130},
    {4, "", SettingsValueX, 140, 165, 140, 230, 160},
    {5, "", SettingsValueX, 160, 165, 160, 230, 180},
    {6, "", SettingsValueX, 180, 165, 180, 230, 200},
};
inline constexpr int32_t SettingsButtonCount = 7;

// Planet selection (step 2), track selection (step 1) and help (step 1) share one row of
// buttons, tapped in the order OK, PREV, NEXT. Help hides the ones its page does not offer.
enum : int32_t { NextItem = 1, PreviousItem = 2, OkItem = 3 };
inline constexpr Button PageButtons[] = {
    {OkItem, "OK", 104, 220, 104, 220, 136, 240},
    {PreviousItem, "PREV", 5, 220, 5, 220, 71, 240},
    {NextItem, "NEXT", 171, 220, 171, 220, 235, 240},
};
inline constexpr int32_t PageButtonCount = 3;
