// The emulated device's windows, message queue, shell and direct-display calls.
#include "platform/device.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

#include "platform/backend.h"
#include "platform/display.h"

namespace {

// A backend with no screen, no input and a clock that stands still: what runs until the
// program entry installs a real one (and in unit tests that never present).
class QuietBackend final : public DeviceBackend {
public:
    bool OpenScreen(const char*) override { return true; }
    void CloseScreen() override {}
    void PollEvents() override {}
    void FramePresented() override {}
    uint32_t Ticks() override { return 0; }
    bool FindRunningCopy() override { return false; }
    void ShowRunningCopy() override {}
};

QuietBackend quietBackend;
DeviceBackend* backend = &quietBackend;

struct WindowClass {
    char name[32];
    WindowProcedure procedure;
};

struct Window {
    bool alive;
    bool visible;
    int32_t classIndex; // -1 for the shell's own windows
    char className[32];
    WindowRect rect;
};

// Handles: 1 is the shell's task bar, 2 onwards the game's windows; RemoteWindow stands for
// the window of another running copy of the game.
constexpr WindowHandle TaskBarWindow = 1;
constexpr WindowHandle RemoteWindow = 0x7000;
constexpr int32_t MaxWindows = 8;
constexpr int32_t MaxClasses = 4;
constexpr int32_t QueueSize = 256;

// Whole run.
std::array<WindowClass, MaxClasses> classes;
int32_t classCount = 0;
std::array<Window, MaxWindows> windows;
bool displayOpen = false;
bool inputOpen = false;
uint32_t shellFlags = 0;

// The message queue: a ring; when full, the oldest input is dropped, never a quit.
std::array<DeviceMessage, QueueSize> queue;
int32_t queueHead = 0;
int32_t queueCount = 0;
bool quitPosted = false;
bool quitPending = false;
std::atomic<bool> closeRequested{false};

bool SameName(const char* a, const char* b) {
    return std::strncmp(a, b, 31) == 0;
}

void EnsureShell() {
    Window& bar = windows[TaskBarWindow];
    if (!bar.alive) {
        bar = {};
        bar.alive = true;
        bar.visible = true;
        bar.classIndex = -1;
        std::strcpy(bar.className, "HHTaskbar");
        bar.rect = {0, 0, 240, 26};
    }
}

Window* Lookup(WindowHandle handle) {
    if (handle <= 0 || handle >= MaxWindows || !windows[handle].alive)
        return nullptr;
    return &windows[handle];
}

WindowProcedure ProcedureOf(WindowHandle handle) {
    const Window* window = Lookup(handle);
    if (!window || window->classIndex < 0)
        return nullptr;
    return classes[window->classIndex].procedure;
}

intptr_t Send(WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WindowProcedure procedure = ProcedureOf(handle);
    return procedure ? procedure(handle, message, wParam, lParam) : 0;
}

void PollBackend() {
    backend->PollEvents();
    if (closeRequested.exchange(false)) {
        for (WindowHandle handle = TaskBarWindow + 1; handle < MaxWindows; ++handle) {
            if (Lookup(handle))
                DestroyDeviceWindow(handle);
        }
        if (!quitPosted)
            PostQuitMessage(0);
    }
}

// Backends post input to window 0: the game's own window.
WindowHandle GameWindow() {
    for (WindowHandle handle = TaskBarWindow + 1; handle < MaxWindows; ++handle) {
        if (Lookup(handle) && windows[handle].classIndex >= 0)
            return handle;
    }
    return 0;
}

} // namespace

void SetDeviceBackend(DeviceBackend* newBackend) {
    backend = newBackend ? newBackend : &quietBackend;
}

DeviceBackend& CurrentBackend() {
    return *backend;
}

void RequestDeviceClose() {
    closeRequested = true;
}

bool RegisterWindowClass(const char* className, WindowProcedure procedure) {
    if (!className || !procedure || classCount >= MaxClasses)
        return false;
    for (int32_t i = 0; i < classCount; ++i) {
        if (SameName(classes[i].name, className))
            return false;
    }
    WindowClass& entry = classes[classCount++];
    std::strncpy(entry.name, className, sizeof entry.name - 1);
    entry.name[sizeof entry.name - 1] = 0;
    entry.procedure = procedure;
    return true;
}

WindowHandle CreateTopWindow(const char* className, const char* title, int32_t x, int32_t y,
                             int32_t width, int32_t height) {
    EnsureShell();
    int32_t classIndex = -1;
    for (int32_t i = 0; i < classCount; ++i) {
        if (SameName(classes[i].name, className))
            classIndex = i;
    }
    if (classIndex < 0)
        return 0;
    for (WindowHandle handle = TaskBarWindow + 1; handle < MaxWindows; ++handle) {
        Window& window = windows[handle];
        if (window.alive)
            continue;
        window = {};
        window.alive = true;
        window.visible = true;
        window.classIndex = classIndex;
        std::strncpy(window.className, className, sizeof window.className - 1);
        window.rect = {x, y, x + width, y + height};
        if (!backend->OpenScreen(title)) {
            window.alive = false;
            return 0;
        }
        Send(handle, WM_CREATE, 0, 0);
        return handle;
    }
    return 0;
}

WindowHandle FindWindowByClass(const char* className) {
    EnsureShell();
    for (WindowHandle handle = 1; handle < MaxWindows; ++handle) {
        if (Lookup(handle) && SameName(windows[handle].className, className))
            return handle;
    }
    for (int32_t i = 0; i < classCount; ++i) {
        if (SameName(classes[i].name, className))
            return 0;
    }
    // Not ours: the game's window may belong to another running copy.
    if (SameName(className, "Tarnvell") && backend->FindRunningCopy())
        return RemoteWindow;
    return 0;
}

bool ShowDeviceWindow(WindowHandle handle, int32_t command) {
    if (handle == RemoteWindow) {
        if (command != SW_HIDE)
            backend->ShowRunningCopy();
        return true;
    }
    Window* window = Lookup(handle);
    if (!window)
        return false;
    const bool wasVisible = window->visible;
    window->visible = command != SW_HIDE;
    return wasVisible;
}

bool IsDeviceWindowVisible(WindowHandle handle) {
    const Window* window = Lookup(handle);
    return window && window->visible;
}

bool UpdateDeviceWindow(WindowHandle handle) {
    return Lookup(handle) != nullptr;
}

bool GetDeviceWindowRect(WindowHandle handle, WindowRect* rect) {
    const Window* window = Lookup(handle);
    if (!window || !rect)
        return false;
    *rect = window->rect;
    return true;
}

bool MoveDeviceWindow(WindowHandle handle, int32_t x, int32_t y, int32_t width, int32_t height,
                      bool) {
    Window* window = Lookup(handle);
    if (!window)
        return false;
    window->rect = {x, y, x + width, y + height};
    return true;
}

void DestroyDeviceWindow(WindowHandle handle) {
    Window* window = Lookup(handle);
    if (!window || window->classIndex < 0)
        return;
    Send(handle, WM_DESTROY, 0, 0);
    window->alive = false;
    backend->CloseScreen();
}

void PostDeviceMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (queueCount == QueueSize) {
        queueHead = (queueHead + 1) % QueueSize;
        --queueCount;
    }
    queue[(queueHead + queueCount) % QueueSize] = {window, message, wParam, lParam};
    ++queueCount;
}

void PostQuitMessage(int32_t exitCode) {
    quitPosted = true;
    quitPending = true;
    (void)exitCode;
}

bool QuitPosted() {
    return quitPosted;
}

bool PeekDeviceMessage(DeviceMessage* message) {
    PollBackend();
    if (queueCount == 0 && !quitPending)
        return false;
    if (message) {
        *message = queueCount ? queue[queueHead] : DeviceMessage{0, WM_QUIT, 0, 0};
    }
    return true;
}

bool GetDeviceMessage(DeviceMessage* message) {
    DeviceMessage taken{0, WM_QUIT, 0, 0};
    if (queueCount) {
        taken = queue[queueHead];
        queueHead = (queueHead + 1) % QueueSize;
        --queueCount;
    } else {
        quitPending = false;
    }
    if (message)
        *message = taken;
    return taken.message != WM_QUIT;
}

bool TranslateDeviceMessage(const DeviceMessage*) {
    return false;
}

intptr_t DispatchDeviceMessage(const DeviceMessage* message) {
    if (!message || message->message == WM_QUIT)
        return 0;
    const WindowHandle target = message->window ? message->window : GameWindow();
    if (!Lookup(target))
        return 0;
    return Send(target, message->message, message->wParam, message->lParam);
}

intptr_t DefaultWindowProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

bool ShellFullScreen(WindowHandle, uint32_t flags) {
    shellFlags = flags;
    return true;
}

int32_t GXOpenDisplay(WindowHandle, uint32_t) {
    displayOpen = true;
    return 1;
}

int32_t GXCloseDisplay() {
    displayOpen = false;
    return 1;
}

int32_t GXOpenInput() {
    inputOpen = true;
    return 1;
}

int32_t GXCloseInput() {
    inputOpen = false;
    return 1;
}

GXKeyList GXGetDefaultKeys(int32_t) {
    GXKeyList keys = {};
    keys.vkUp.code = KeyCodeUp;
    keys.vkDown.code = KeyCodeDown;
    keys.vkLeft.code = KeyCodeLeft;
    keys.vkRight.code = KeyCodeRight;
    keys.vkA.code = KeyCodeA;
    keys.vkB.code = KeyCodeB;
    keys.vkC.code = KeyCodeC;
    keys.vkStart.code = KeyCodeStart;
    return keys;
}

GXDisplayProperties GXGetDisplayProperties() {
    return DisplayProfileProperties();
}

void* GXBeginDraw() {
    return displayOpen ? DisplayOrigin() : nullptr;
}

int32_t GXEndDraw() {
    if (!displayOpen)
        return 0;
    backend->FramePresented();
    return 1;
}

namespace {
bool tickOverride = false;
uint32_t tickOverrideValue = 0; // ms
} // namespace

uint32_t GetTickCount() {
    return tickOverride ? tickOverrideValue : backend->Ticks();
}

void OverrideTickCount(bool on, uint32_t value) {
    tickOverride = on;
    tickOverrideValue = value;
}

uint32_t DeviceClockTicks() {
    return backend->Ticks();
}

std::string GetProgramPath() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "tarnvell";
    return std::string(path, static_cast<size_t>(length));
}

void ResetDevice() {
    classes = {};
    classCount = 0;
    windows = {};
    queueHead = 0;
    queueCount = 0;
    quitPosted = false;
    quitPending = false;
    closeRequested = false;
    displayOpen = false;
    inputOpen = false;
    shellFlags = 0;
    tickOverride = false;
}
