// The window backend: the emulated screen in a crisp, resizable SDL2 window, keys, mouse and pads.
#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/backends.h"
#include "platform/device.h"
#include "platform/display.h"
#include "platform/png_writer.h"

#ifdef __EMSCRIPTEN__
// Hands a file of the page's memory file system to the browser as a download, then drops it.
// clang-format off
EM_JS(void, OfferDownload, (const char* name), {
    const path = UTF8ToString(name);
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([FS.readFile(path)], {type: "image/png"}));
    link.download = path;
    link.click();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
    FS.unlink(path);
});
// clang-format on
#endif

namespace {

constexpr int32_t Width = 240;
constexpr int32_t Height = 320;
// A held pad button repeats like a held key: first after the delay, then at the rate.
constexpr uint32_t RepeatDelayMs = 400;
constexpr uint32_t RepeatRateMs = 40;
constexpr int16_t StickThreshold = 16000;

// The pad's buttons and stick directions that map to device keys.
enum PadKey { PadUp, PadDown, PadLeft, PadRight, PadA, PadB, PadC, PadStart, PadKeyCount };
constexpr std::array<uint16_t, PadKeyCount> PadCodes = {
    KeyCodeUp, KeyCodeDown, KeyCodeLeft, KeyCodeRight, KeyCodeA, KeyCodeB, KeyCodeC, KeyCodeStart};

#ifndef __EMSCRIPTEN__
// The socket name other copies of the game look for: abstract, so a crashed run leaves
// nothing behind that could block the next start.
std::string InstanceSocketName() {
    return std::string("tarnvell-window-") + std::to_string(getuid());
}

socklen_t FillAddress(sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string name = InstanceSocketName();
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}
#endif

#ifdef __EMSCRIPTEN__
class WindowBackend;
// The window the page's device face presses keys in (null while none is open).
WindowBackend* FaceKeyTarget = nullptr;
void RegisterFaceKeys(WindowBackend* backend) {
    FaceKeyTarget = backend;
}
#endif

class WindowBackend final : public DeviceBackend {
public:
    explicit WindowBackend(const WindowBackendSettings& settings) : settings_(settings) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_Init(SDL_INIT_TIMER);
        if (settings_.fps <= 0)
            settings_.fps = 20;
    }

    bool OpenScreen(const char* title) override {
        if (window_)
            return true;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER) != 0) {
            std::fprintf(stderr, "tarnvell: cannot open a window: %s\n", SDL_GetError());
            return false;
        }
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
#ifdef __EMSCRIPTEN__
        // In a page the canvas holds the screen pixel for pixel; the page scales it crisply
        // to the largest size that fits, and owns full screen.
        const int32_t scale = 1;
        Uint32 flags = 0;
        RegisterFaceKeys(this);
#else
        const int32_t scale = ChooseScale();
        Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
        if (settings_.fullscreen)
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
#endif
        window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   Width * scale, Height * scale, flags);
        if (!window_) {
            std::fprintf(stderr, "tarnvell: cannot open a window: %s\n", SDL_GetError());
            return false;
        }
        SDL_SetWindowMinimumSize(window_, Width, Height);
#ifndef __EMSCRIPTEN__
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
#endif
        // A page draws through the canvas's 2D context: 240 x 320 pixels need no WebGL.
        if (!renderer_)
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            std::fprintf(stderr, "tarnvell: cannot draw in the window: %s\n", SDL_GetError());
            return false;
        }
        // Whole-number scaling with nearest pixels: the screen stays crisp at any size.
        SDL_RenderSetLogicalSize(renderer_, Width, Height);
        SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING,
                                     Width, Height);
        SetIcon();
        ListenForOtherCopies();
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            OpenPad(i);
        nextFrame_ = SDL_GetTicks();
        Show();
        return texture_ != nullptr;
    }

    void CloseScreen() override {
#ifdef __EMSCRIPTEN__
        RegisterFaceKeys(nullptr);
#endif
#ifndef __EMSCRIPTEN__
        if (listener_ >= 0)
            close(listener_);
        listener_ = -1;
#endif
        for (SDL_GameController*& pad : pads_) {
            if (pad)
                SDL_GameControllerClose(pad);
            pad = nullptr;
        }
        if (texture_)
            SDL_DestroyTexture(texture_);
        if (renderer_)
            SDL_DestroyRenderer(renderer_);
        if (window_)
            SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER);
    }

    void PollEvents() override {
        AnswerOtherCopies();
        SDL_Event event;
        while (window_ && SDL_PollEvent(&event))
            HandleEvent(event);
        RepeatPadKeys();
    }

    void FramePresented() override {
        DecodeDisplay(picture_.data());
        if (texture_) {
            SDL_UpdateTexture(texture_, nullptr, picture_.data(), Width * 3);
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderClear(renderer_);
            SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
            SDL_RenderPresent(renderer_);
        }
        Pace();
    }

    uint32_t Ticks() override {
        return SDL_GetTicks();
    }

    bool FindRunningCopy() override {
#ifdef __EMSCRIPTEN__
        return false; // each page runs its own game
#else
        const int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (client < 0)
            return false;
        sockaddr_un address;
        const socklen_t length = FillAddress(address);
        const bool found = connect(client, reinterpret_cast<sockaddr*>(&address), length) == 0;
        if (found)
            runningCopy_ = client;
        else
            close(client);
        return found;
#endif
    }

    void ShowRunningCopy() override {
#ifndef __EMSCRIPTEN__
        if (runningCopy_ < 0)
            return;
        const char request[] = "show\n";
        const ssize_t sent = send(runningCopy_, request, sizeof request - 1, MSG_NOSIGNAL);
        (void)sent;
        close(runningCopy_);
        runningCopy_ = -1;
#endif
    }

#ifdef __EMSCRIPTEN__
    // The page's device face (joypad, A, B) and keyboard shortcuts it takes for itself.
    void FaceKey(int32_t key, bool down) {
        if (key >= 0 && key < PadKeyCount)
            SetPadKey(key, down);
    }
#endif

private:
    int32_t ChooseScale() const {
        if (settings_.scale > 0)
            return settings_.scale;
        SDL_Rect usable;
        if (SDL_GetDisplayUsableBounds(0, &usable) != 0)
            return 2;
        int32_t scale = 3;
        // Leave room for the window's frame.
        while (scale > 1 && (Width * scale > usable.w - 32 || Height * scale > usable.h - 64)) {
            --scale;
        }
        return scale;
    }

    void Show() {
        SDL_ShowWindow(window_);
        SDL_RestoreWindow(window_);
        SDL_RaiseWindow(window_);
    }

    void SetIcon() {
        std::vector<uint8_t> rgba;
        int32_t width = 0, height = 0;
        if (settings_.iconPath.empty() || !ReadPngFile(settings_.iconPath, rgba, width, height)) {
            return;
        }
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(rgba.data(), width, height, 32,
                                                               width * 4, SDL_PIXELFORMAT_RGBA32);
        if (icon) {
            SDL_SetWindowIcon(window_, icon);
            SDL_FreeSurface(icon);
        }
    }

    void ListenForOtherCopies() {
#ifndef __EMSCRIPTEN__
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (listener_ < 0)
            return;
        sockaddr_un address;
        const socklen_t length = FillAddress(address);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 4) != 0) {
            close(listener_);
            listener_ = -1;
        }
#endif
    }

    void AnswerOtherCopies() {
#ifndef __EMSCRIPTEN__
        if (listener_ < 0)
            return;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0)
            return;
        // The other copy connects, then asks to be shown; either way it wants us in front.
        if (window_)
            Show();
        close(client);
#endif
    }

    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        PostDeviceMessage(0, message, wParam, lParam);
    }

    void HandleEvent(const SDL_Event& event) {
        switch (event.type) {
        case SDL_QUIT:
            RequestDeviceClose();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                Post(WM_ACTIVATE, WA_ACTIVE, 0);
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                Post(WM_ACTIVATE, WA_INACTIVE, 0);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            HandleKey(event.key);
            break;
        case SDL_MOUSEMOTION:
            if (OnScreen(event.motion.x, event.motion.y)) {
                Post(WM_MOUSEMOVE, 0, PackPoint(event.motion.x, event.motion.y));
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            // A press in the letterbox around the screen touches nothing.
            if (event.button.button == SDL_BUTTON_LEFT &&
                OnScreen(event.button.x, event.button.y)) {
                const intptr_t point = PackPoint(event.button.x, event.button.y);
                Post(WM_MOUSEMOVE, 0, point);
                Post(WM_LBUTTONDOWN, 1, point);
                stylusDown_ = true;
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && stylusDown_) {
                Post(WM_LBUTTONUP, 0, PackPoint(event.button.x, event.button.y));
                stylusDown_ = false;
            }
            break;
        case SDL_CONTROLLERDEVICEADDED:
            OpenPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            ClosePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            HandlePadButton(event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            HandlePadAxis(event.caxis.axis, event.caxis.value);
            break;
        default:
            break;
        }
    }

    static bool OnScreen(int32_t x, int32_t y) {
        return x >= 0 && x < Width && y >= 0 && y < Height;
    }

    void HandleKey(const SDL_KeyboardEvent& key) {
        const bool down = key.type == SDL_KEYDOWN;
#ifdef __EMSCRIPTEN__
        if (key.keysym.sym == SDLK_F11)
            return; // the page's own full screen, from the browser's key handler
#endif
        if (down && key.keysym.sym == SDLK_F11 && !key.repeat) {
            const bool full = SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP;
            SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
            return;
        }
        if (down && key.keysym.sym == SDLK_F12 && !key.repeat) {
            SaveScreenshot();
            return;
        }
        uint16_t code = 0;
        switch (key.keysym.sym) {
        case SDLK_UP:
            code = KeyCodeUp;
            break;
        case SDLK_DOWN:
            code = KeyCodeDown;
            break;
        case SDLK_LEFT:
            code = KeyCodeLeft;
            break;
        case SDLK_RIGHT:
            code = KeyCodeRight;
            break;
        case SDLK_z:
        case SDLK_SPACE:
            code = KeyCodeA;
            break;
        case SDLK_x:
            code = KeyCodeB;
            break;
        case SDLK_c:
            code = KeyCodeC;
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            code = KeyCodeStart;
            break;
        default:
            return;
        }
        // Held keys repeat their key-down messages, as the device's keys do.
        Post(down ? WM_KEYDOWN : WM_KEYUP, code, 0);
    }

    void SaveScreenshot() {
        char name[64];
        const std::time_t now = std::time(nullptr);
        std::tm local;
        localtime_r(&now, &local);
        std::strftime(name, sizeof name, "tarnvell-%Y%m%d-%H%M%S.png", &local);
        if (WritePngFile(name, picture_.data(), Width, Height)) {
#ifdef __EMSCRIPTEN__
            OfferDownload(name); // the page's file system is memory: hand it to the browser
#endif
            std::printf("tarnvell: screenshot saved as %s\n", name);
        } else {
            std::fprintf(stderr, "tarnvell: cannot save %s\n", name);
        }
    }

    void OpenPad(int32_t index) {
        if (!SDL_IsGameController(index))
            return;
        for (SDL_GameController*& pad : pads_) {
            if (!pad) {
                pad = SDL_GameControllerOpen(index);
                return;
            }
        }
    }

    void ClosePad(SDL_JoystickID id) {
        for (SDL_GameController*& pad : pads_) {
            if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id) {
                SDL_GameControllerClose(pad);
                pad = nullptr;
            }
        }
        for (int32_t key = 0; key < PadKeyCount; ++key)
            SetPadKey(key, false);
    }

    void HandlePadButton(uint8_t button, bool down) {
        int32_t key = -1;
        switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            key = PadUp;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            key = PadDown;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            key = PadLeft;
            break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            key = PadRight;
            break;
        case SDL_CONTROLLER_BUTTON_A:
            key = PadA;
            break;
        case SDL_CONTROLLER_BUTTON_B:
            key = PadB;
            break;
        case SDL_CONTROLLER_BUTTON_X:
            key = PadC;
            break;
        case SDL_CONTROLLER_BUTTON_START:
            key = PadStart;
            break;
        default:
            return;
        }
        SetPadKey(key, down);
    }

    void HandlePadAxis(uint8_t axis, int16_t value) {
        if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
            SetPadKey(PadLeft, value < -StickThreshold);
            SetPadKey(PadRight, value > StickThreshold);
        } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
            SetPadKey(PadUp, value < -StickThreshold);
            SetPadKey(PadDown, value > StickThreshold);
        }
    }

    void SetPadKey(int32_t key, bool down) {
        if (key < 0 || key >= PadKeyCount)
            return;
        if (padHeld_[key] == down)
            return;
        padHeld_[key] = down;
        Post(down ? WM_KEYDOWN : WM_KEYUP, PadCodes[key], 0);
        padRepeatAt_[key] = SDL_GetTicks() + RepeatDelayMs;
    }

    void RepeatPadKeys() {
        const uint32_t now = SDL_GetTicks();
        for (int32_t key = 0; key < PadKeyCount; ++key) {
            if (padHeld_[key] && static_cast<int32_t>(now - padRepeatAt_[key]) >= 0) {
                Post(WM_KEYDOWN, PadCodes[key], 0);
                padRepeatAt_[key] = now + RepeatRateMs;
            }
        }
    }

    // At most fps frames a second: the game's movement steps are whole numbers per frame.
    void Pace() {
        const uint32_t frameMs = 1000 / static_cast<uint32_t>(settings_.fps);
        nextFrame_ += frameMs;
        const uint32_t now = SDL_GetTicks();
        const int32_t wait = static_cast<int32_t>(nextFrame_ - now);
        if (wait < -static_cast<int32_t>(frameMs) * 4)
            nextFrame_ = now; // far behind (a load): start pacing afresh
#ifdef __EMSCRIPTEN__
        // Even a late frame gives the page its turn: events, drawing and sound run there.
        SDL_Delay(wait > 0 ? static_cast<uint32_t>(wait) : 0);
#else
        if (wait > 0)
            SDL_Delay(static_cast<uint32_t>(wait));
#endif
    }

    WindowBackendSettings settings_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::array<uint8_t, Width * Height * 3> picture_{};
    std::array<SDL_GameController*, 4> pads_{};
    std::array<bool, PadKeyCount> padHeld_{};
    std::array<uint32_t, PadKeyCount> padRepeatAt_{};
    bool stylusDown_ = false;
    uint32_t nextFrame_ = 0;
#ifndef __EMSCRIPTEN__
    int listener_ = -1;
    int runningCopy_ = -1;
#endif
};

} // namespace

#ifdef __EMSCRIPTEN__
// Called by the page's device face: key 0 up, 1 down, 2 left, 3 right, 4 A, 5 B, 6 C,
// 7 Start; down 1 when pressed, 0 when released. A held button repeats like a pad's.
extern "C" EMSCRIPTEN_KEEPALIVE void TarnvellFaceKey(int32_t key, int32_t down) {
    if (FaceKeyTarget)
        FaceKeyTarget->FaceKey(key, down != 0);
}
#endif

DeviceBackend* CreateWindowBackend(const WindowBackendSettings& settings) {
    static WindowBackend backend(settings);
    return &backend;
}
