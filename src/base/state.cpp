// The screen state machine: GameState, its step, and the stack of screens to return to.
#include "base/state.h"

namespace {
// Three entries are the deepest the game uses; pushes beyond the bound are dropped.
constexpr int32_t StackCapacity = 8;
int32_t stack[StackCapacity];
int32_t depth = 0;
} // namespace

int32_t GameState = StateStart;
int32_t GameStep = StepEnter;
int32_t FrameRate = 20;

void PushScreen(int32_t state) {
    if (depth < StackCapacity)
        stack[depth++] = GameState;
    GameState = state;
    GameStep = StepEnter;
}

void ReturnToPreviousScreen() {
    if (depth == 0)
        return;
    GameState = stack[--depth];
    GameStep = StepUpdate;
}

void LeaveScreen() {
    GameStep = StepLeave;
}

int32_t ScreenStackDepth() {
    return depth;
}

int32_t ScreenStackEntry(int32_t index) {
    return index >= 0 && index < depth ? stack[index] : -1;
}

void ResetScreenMachine() {
    depth = 0;
    GameState = StateStart;
    GameStep = StepEnter;
    FrameRate = 20;
}
