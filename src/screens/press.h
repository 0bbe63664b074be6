// Front-end buttons and the PressAnimation: a tapped label clicks, squashes and stretches,
// and only then does its job.
#pragma once
#include <cstdint>

// A SheetFont label with its open hit rectangle: hit when left < x < right and top < y < bottom,
// so a tap on a border line misses.
struct Button {
    int32_t item; // the screen's item number, 1 up
    const char* label;
    int32_t x, y; // top-left corner of the first glyph, pixels
    int32_t left, top, right, bottom;
};

// One per screen, for as long as the program runs.
struct PressAnimation {
    int32_t selected; // 0 none, else the item being animated
    int32_t counter;  // frames of animation times the step size
    int32_t offset;   // pixels the label has sunk (negative: risen)
    int32_t step;     // 2 or 1, fixed per screen
};

enum class PressEvent : int32_t {
    None,
    Picked,    // a tap hit an item: the click plays
    Immediate, // counter reached 10: the item's change happens
    Final,     // counter reached 20: the item's action happens; selection cleared
};

struct PressResult {
    PressEvent event;
    int32_t item; // the item the event belongs to, 0 with None
};

// Forgets any selection; the step size stays.
void ClearPress(PressAnimation& press);

bool HitsButton(const Button& button, int32_t x, int32_t y);

// Tests a tap against the buttons in the order given; `shown` (may be null) marks the ones on
// screen, since a button that is not shown cannot be hit. Returns the item hit, or 0.
int32_t HitTest(const Button* buttons, const bool* shown, int32_t count, int32_t x, int32_t y);

// One frame of an animation under way: moves the counter and offset and reports the effect
// due this frame. Does nothing when no item is selected.
PressResult AdvancePress(PressAnimation& press);

// The screen's once-a-frame step, after its drawing: while nothing is selected a pending tap
// is taken and tested (a miss is consumed), and a hit plays the click; while an item is
// selected the animation advances and taps wait, so none made meanwhile is lost.
PressResult StepPress(PressAnimation& press, const Button* buttons, const bool* shown,
                      int32_t count);

// Draws the label: plainly when not selected, squashed and sunk by the offset when it is.
void DrawButton(const Button& button, const PressAnimation& press, uint16_t* surface);
