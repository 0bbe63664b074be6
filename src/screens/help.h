// The help screen's three pages: instructions, controls and credits.
#pragma once
#include <cstdint>

constexpr int32_t HelpPageCount = 3;

// One line of small white text at x = 10.
struct HelpLine {
    int32_t y;        // FrameBuffer row of the line's top
    const char* text; // at most 27 characters; leading and trailing spaces belong to it
};

// The lines of page 0-2 and their number; null and 0 for any other page.
const HelpLine* HelpPageLines(int32_t page, int32_t& count);

// Which buttons the page shows: NEXT before the last page, PREV after the first, OK on the last.
bool HelpShowsNext(int32_t page);
bool HelpShowsPrevious(int32_t page);
bool HelpShowsOk(int32_t page);

// The page the help screen shows, 0-2.
int32_t ShownHelpPage();
