// Key flags and stylus positions, written by the window procedure, read by the screens.
#pragma once
#include <cstdint>

#include "platform/device.h"

// Reader side. A and B are taken (read and cleared); the joypad is read as held.
bool TakeKeyA();
bool TakeKeyB();
bool LeftHeld();
bool RightHeld();
bool UpHeld();
bool DownHeld();

// True when a tap arrived since the last call; the tap position stays readable.
bool TakeTap();
int32_t TapX();
int32_t TapY();
int32_t DragX();
int32_t DragY();
bool StylusDown();

// Window-procedure side.
void KeyDownMessage(uint16_t code);
void KeyUpMessage(uint16_t code);
void StylusDownMessage(intptr_t lParam);
void StylusUpMessage();
void StylusMoveMessage(intptr_t lParam);

// The key list the device reported at start-up.
const GXKeyList& DeviceKeyList();
// Takes the device's key list (start-up; tests that feed the window procedure directly).
void InstallKeyList(const GXKeyList& keys);

// Start-up reset: no pending tap, stylus up, A, B, C and Start cleared.
void ResetInput();
// Clears every flag and position, joypad included (tests that run the game repeatedly).
void ResetAllInput();
