// The device's waiting messages as plain values, for tests that compare what input became.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/device.h"

struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message&) const = default;
};
using Messages = std::vector<Message>;

// Takes every waiting message off the device's queue, dropping those numbered `skipped`
// (0 drops none).
inline Messages TakeMessages(uint32_t skipped = 0) {
    Messages taken;
    DeviceMessage message{};
    while (PeekDeviceMessage(&message)) {
        GetDeviceMessage(&message);
        if (skipped == 0 || message.message != skipped)
            taken.push_back({message.message, message.wParam, message.lParam});
    }
    return taken;
}
