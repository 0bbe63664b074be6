// The emulated display memory in one of the device layouts the presentation can meet.
#pragma once
#include <cstdint>
#include <string>

#include "platform/device.h"

// Chooses the layout: "rgb565", "rgb565-512", "rotated", "gray4" or "gray2". False if unknown.
bool SelectDisplayProfile(const std::string& name);
bool IsDisplayProfile(const std::string& name);
const GXDisplayProperties& DisplayProfileProperties();

// The raw display memory and the address of screen pixel (0, 0) inside it.
uint8_t* DisplayMemory();
int32_t DisplayMemorySize();
uint8_t* DisplayOrigin();
// Clears the display memory to zero (black).
void ClearDisplayMemory();

// Reads the display memory back into the 240 x 320 picture a person would see: 8-bit RGB,
// 3 bytes a pixel, top row first (grey on the grey panels).
void DecodeDisplay(uint8_t* rgb);
