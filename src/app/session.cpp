// The session around the main loop: which pass runs, and what happens before and after it.
#include "app/session.h"

#include "base/frame.h"

namespace {
int64_t currentPass = 0;     // the pass last started
int64_t deliveringPass = -1; // the pass whose scripted events are being dispatched
} // namespace

void StartPass(int64_t pass) {
    currentPass = pass;
    RecordPassClock(pass);
    if (PostScriptEvents(pass)) {
        deliveringPass = pass;
        PumpMessages(false);
        deliveringPass = -1;
    }
}

void RecordInput(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    RecordInputMessage(deliveringPass >= 0 ? deliveringPass : currentPass + 1, message, wParam,
                       lParam);
}

void FinishPass(int64_t pass) {
    WritePassRecords(pass);
}

void CloseSession() {
    CloseTrace();
    CloseRecording();
}

int64_t CurrentPass() {
    return currentPass;
}
