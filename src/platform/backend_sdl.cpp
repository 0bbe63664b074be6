// The window backend: the emulated screen in a sharp, resizable SDL2 window, keys, mouse and
// pads, with the port's focus, PAUSED and notes drawn over the picture.
#include <SDL.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/backends.h"
#include "platform/device.h"
#include "platform/display.h"
#include "platform/overlay_font.h"
#include "platform/png_writer.h"
#include "platform/port.h"
#include "platform/user_dirs.h"

namespace {

constexpr int32_t Width = 240;
constexpr int32_t Height = 320;
// A held pad button repeats like a held key: first after the delay, then at the rate.
constexpr uint32_t RepeatDelayMs = 400;
constexpr uint32_t RepeatRateMs = 40;
constexpr int16_t StickThreshold = 16000;
constexpr uint32_t NoteMs = 2000; // how long "saved" stays over the picture

// Pad inputs: the controller's buttons, then the left stick's four directions.
enum : int32_t {
    StickUp = SDL_CONTROLLER_BUTTON_MAX,
    StickDown,
    StickLeft,
    StickRight,
    PadInputCount,
};

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

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

class WindowBackend final : public DeviceBackend {
public:
    explicit WindowBackend(const WindowBackendSettings& settings) : settings_(settings) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_Init(SDL_INIT_TIMER);
        if (settings_.fps <= 0)
            settings_.fps = 20;
        SetPauseOnFocusLoss(settings_.pauseOnFocusLoss);
        ReadBindings();
    }

    bool OpenScreen(const char* title) override {
        if (window_)
            return true;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER) != 0) {
            std::fprintf(stderr, "tarnvell: cannot open a window: %s\n", SDL_GetError());
            return false;
        }
        const int32_t scale = ChooseScale();
        Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
        if (settings_.fullscreen)
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   Width * scale, Height * scale, flags);
        if (!window_) {
            std::fprintf(stderr, "tarnvell: cannot open a window: %s\n", SDL_GetError());
            return false;
        }
        // Smaller than the screen still shows all of it, shrunk; smaller than this is no use.
        SDL_SetWindowMinimumSize(window_, Width / 2, Height / 2);
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_)
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            std::fprintf(stderr, "tarnvell: cannot draw in the window: %s\n", SDL_GetError());
            return false;
        }
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
        if (listener_ >= 0)
            close(listener_);
        listener_ = -1;
        for (SDL_GameController*& pad : pads_) {
            if (pad)
                SDL_GameControllerClose(pad);
            pad = nullptr;
        }
        if (upscaled_)
            SDL_DestroyTexture(upscaled_);
        if (texture_)
            SDL_DestroyTexture(texture_);
        if (renderer_)
            SDL_DestroyRenderer(renderer_);
        if (window_)
            SDL_DestroyWindow(window_);
        upscaled_ = nullptr;
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
        RepeatPadInputs();
        if (TakePortFullscreenRequest() && window_) {
            const bool full = SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP;
            SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        if (TakePortScreenshotRequest())
            SaveScreenshot();
    }

    void FramePresented() override {
        DecodeDisplay(picture_.data());
        Draw();
        Pace();
        PortFramePresented();
    }

    // The device's clock leaves out the time the player spent paused.
    uint32_t Ticks() override {
        const uint32_t now = SDL_GetTicks();
        return now - PortPausedMilliseconds(now);
    }

    bool FindRunningCopy() override {
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
    }

    void ShowRunningCopy() override {
        if (runningCopy_ < 0)
            return;
        const char request[] = "show\n";
        const ssize_t sent = send(runningCopy_, request, sizeof request - 1, MSG_NOSIGNAL);
        (void)sent;
        close(runningCopy_);
        runningCopy_ = -1;
    }

private:
    // Bindings the window system does not know were reported when the configuration was
    // read; here they are simply left out.
    void ReadBindings() {
        for (int32_t action = 0; action < PortActionCount; ++action) {
            const ActionSet bit = 1u << action;
            ForEachBindingName(settings_.keys[action], [&](const std::string& name) {
                const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
                if (key == SDLK_UNKNOWN)
                    return;
                for (auto& binding : keyBindings_) {
                    if (binding.first == key) {
                        binding.second |= bit;
                        return;
                    }
                }
                keyBindings_.emplace_back(key, bit);
            });
            ForEachBindingName(settings_.pads[action], [&](const std::string& name) {
                const SDL_GameControllerButton button =
                    SDL_GameControllerGetButtonFromString(name.c_str());
                if (button != SDL_CONTROLLER_BUTTON_INVALID)
                    padBindings_[button] |= bit;
            });
        }
        // The left stick is the d-pad.
        padBindings_[StickUp] = padBindings_[SDL_CONTROLLER_BUTTON_DPAD_UP];
        padBindings_[StickDown] = padBindings_[SDL_CONTROLLER_BUTTON_DPAD_DOWN];
        padBindings_[StickLeft] = padBindings_[SDL_CONTROLLER_BUTTON_DPAD_LEFT];
        padBindings_[StickRight] = padBindings_[SDL_CONTROLLER_BUTTON_DPAD_RIGHT];
    }

    ActionSet KeyActions(SDL_Keycode key) const {
        for (const auto& binding : keyBindings_) {
            if (binding.first == key)
                return binding.second;
        }
        return 0;
    }

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

    PictureRect CurrentPicture() const {
        int32_t w = Width, h = Height;
        if (renderer_)
            SDL_GetRendererOutputSize(renderer_, &w, &h);
        return FitPicture(w, h, settings_.scaling);
    }

    // A window position (mouse) as a screen pixel; false off the picture.
    bool ToScreen(int32_t x, int32_t y, int32_t& sx, int32_t& sy) const {
        int32_t ww = 0, wh = 0, ow = 0, oh = 0;
        SDL_GetWindowSize(window_, &ww, &wh);
        SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        if (ww <= 0 || wh <= 0)
            return false;
        // High-density displays draw more pixels than the window has points.
        const int32_t px = static_cast<int32_t>(static_cast<int64_t>(x) * ow / ww);
        const int32_t py = static_cast<int32_t>(static_cast<int64_t>(y) * oh / wh);
        return PictureToScreen(CurrentPicture(), px, py, sx, sy);
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
    }

    void AnswerOtherCopies() {
        if (listener_ < 0)
            return;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0)
            return;
        // The other copy connects, then asks to be shown; either way it wants us in front.
        if (window_)
            Show();
        close(client);
    }

    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        PostDeviceMessage(0, message, wParam, lParam);
    }

    void HandleEvent(const SDL_Event& event) {
        switch (event.type) {
        case SDL_QUIT:
            // Gone from the desktop at once; the game then leaves through its EXIT path.
            if (window_)
                SDL_HideWindow(window_);
            RequestDeviceClose();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                Post(WM_ACTIVATE, WA_ACTIVE, 0);
                PortFocusChanged(true, SDL_GetTicks());
            }
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                Post(WM_ACTIVATE, WA_INACTIVE, 0);
                PortFocusChanged(false, SDL_GetTicks());
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (const ActionSet actions = KeyActions(event.key.keysym.sym)) {
                PortInput(actions, event.type == SDL_KEYDOWN, event.key.repeat != 0,
                          SDL_GetTicks());
            }
            break;
        case SDL_MOUSEMOTION: {
            int32_t x = 0, y = 0;
            if (ToScreen(event.motion.x, event.motion.y, x, y))
                Post(WM_MOUSEMOVE, 0, PackPoint(x, y));
            break;
        }
        case SDL_MOUSEBUTTONDOWN: {
            int32_t x = 0, y = 0;
            if (event.button.button != SDL_BUTTON_LEFT)
                break;
            if (PortPaused()) {
                // A click on a paused game only brings it back.
                PausePort(false, SDL_GetTicks());
                break;
            }
            PortMouseUsed();
            // A press in the border around the screen touches nothing.
            if (ToScreen(event.button.x, event.button.y, x, y)) {
                const intptr_t point = PackPoint(x, y);
                Post(WM_MOUSEMOVE, 0, point);
                Post(WM_LBUTTONDOWN, 1, point);
                stylusDown_ = true;
            }
            break;
        }
        case SDL_MOUSEBUTTONUP: {
            int32_t x = 0, y = 0;
            if (event.button.button == SDL_BUTTON_LEFT && stylusDown_) {
                ToScreen(event.button.x, event.button.y, x, y);
                Post(WM_LBUTTONUP, 0, PackPoint(x, y));
                stylusDown_ = false;
            }
            break;
        }
        case SDL_CONTROLLERDEVICEADDED:
            OpenPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            ClosePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (event.cbutton.button < SDL_CONTROLLER_BUTTON_MAX) {
                SetPadInput(event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN);
            }
            break;
        case SDL_CONTROLLERAXISMOTION:
            HandlePadAxis(event.caxis.axis, event.caxis.value);
            break;
        default:
            break;
        }
    }

    // Into $XDG_PICTURES_DIR/Tarnvell/, named by the time, never over an earlier one.
    void SaveScreenshot() {
        const uint32_t now = SDL_GetTicks();
        const std::string folder = ScreenshotFolder();
        if (folder.empty() || !MakeFolders(folder)) {
            std::fprintf(stderr, "tarnvell: cannot make the screenshot folder %s\n",
                         folder.c_str());
            ShowPortNote("SCREENSHOT NOT SAVED", now + NoteMs);
            return;
        }
        char stamp[32];
        const std::time_t clock = std::time(nullptr);
        std::tm local;
        localtime_r(&clock, &local);
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        std::string path = folder + "/tarnvell-" + stamp + ".png";
        for (int32_t n = 2; FileExists(path) && n < 1000; ++n)
            path = folder + "/tarnvell-" + stamp + "-" + std::to_string(n) + ".png";
        if (WritePngFile(path, picture_.data(), Width, Height)) {
            std::printf("tarnvell: screenshot saved as %s\n", path.c_str());
            std::fflush(stdout);
            ShowPortNote("SCREENSHOT SAVED", now + NoteMs);
        } else {
            std::fprintf(stderr, "tarnvell: cannot save %s\n", path.c_str());
            ShowPortNote("SCREENSHOT NOT SAVED", now + NoteMs);
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
        for (int32_t input = 0; input < PadInputCount; ++input)
            SetPadInput(input, false);
    }

    void HandlePadAxis(uint8_t axis, int16_t value) {
        if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
            SetPadInput(StickLeft, value < -StickThreshold);
            SetPadInput(StickRight, value > StickThreshold);
        } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
            SetPadInput(StickUp, value < -StickThreshold);
            SetPadInput(StickDown, value > StickThreshold);
        }
    }

    void SetPadInput(int32_t input, bool down) {
        if (padHeld_[input] == down)
            return;
        padHeld_[input] = down;
        padRepeatAt_[input] = SDL_GetTicks() + RepeatDelayMs;
        if (padBindings_[input] != 0)
            PortInput(padBindings_[input], down, false, SDL_GetTicks());
    }

    // A poll repeats each held input at most once.
    void RepeatPadInputs() {
        const uint32_t now = SDL_GetTicks();
        for (int32_t input = 0; input < PadInputCount; ++input) {
            if (padHeld_[input] && static_cast<int32_t>(now - padRepeatAt_[input]) >= 0) {
                padRepeatAt_[input] = now + RepeatRateMs;
                if (padBindings_[input] != 0)
                    PortInput(padBindings_[input], true, true, now);
            }
        }
    }

    // The picture, sharp: whole-number scales are drawn with nearest pixels; a fit between
    // them is drawn at the whole scale below and then filtered to its exact size.
    void Draw() {
        if (!texture_)
            return;
        SDL_UpdateTexture(texture_, nullptr, picture_.data(), Width * 3);
        const PictureRect rect = CurrentPicture();
        SDL_Texture* source = texture_;
        const bool exact = rect.width == Width * rect.upscale;
        if (!exact && rect.upscale > 1 && PrepareUpscaled(rect.upscale)) {
            SDL_SetRenderTarget(renderer_, upscaled_);
            SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
            SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
            SDL_SetRenderTarget(renderer_, nullptr);
            source = upscaled_;
        }
        SDL_SetTextureScaleMode(source, exact ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        const SDL_Rect target = {rect.x, rect.y, rect.width, rect.height};
        SDL_RenderCopy(renderer_, source, nullptr, &target);
        DrawOverlay(rect);
        SDL_RenderPresent(renderer_);
    }

    bool PrepareUpscaled(int32_t scale) {
        if (upscaled_ && upscaledScale_ == scale)
            return true;
        if (upscaled_)
            SDL_DestroyTexture(upscaled_);
        upscaled_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                      Width * scale, Height * scale);
        upscaledScale_ = upscaled_ ? scale : 0;
        return upscaled_ != nullptr;
    }

    // Screen pixels to drawable pixels.
    static int32_t MapX(const PictureRect& r, int32_t x) { return r.x + x * r.width / Width; }
    static int32_t MapY(const PictureRect& r, int32_t y) { return r.y + y * r.height / Height; }

    // Text of the window's own font, centred on screen column 120 at screen row `y`, each
    // font pixel `unit` drawable pixels.
    void DrawText(const PictureRect& r, const char* text, int32_t y, int32_t unit) {
        const int32_t length = static_cast<int32_t>(std::strlen(text));
        const int32_t width = (length * OverlayAdvance - 1) * unit;
        int32_t left = MapX(r, Width / 2) - width / 2;
        const int32_t top = MapY(r, y);
        for (int32_t i = 0; i < length; ++i) {
            const uint8_t* rows = OverlayGlyph(text[i]);
            for (int32_t row = 0; row < OverlayGlyphHeight; ++row) {
                for (int32_t col = 0; col < OverlayGlyphWidth; ++col) {
                    if (rows[row] & (0x10 >> col)) {
                        const SDL_Rect pixel = {left + col * unit, top + row * unit, unit, unit};
                        SDL_RenderFillRect(renderer_, &pixel);
                    }
                }
            }
            left += OverlayAdvance * unit;
        }
    }

    // The focus, PAUSED and the screenshot note: over the picture, never in the game's frame.
    void DrawOverlay(const PictureRect& r) {
        const PortOverlay overlay = ReadPortOverlay(SDL_GetTicks());
        const int32_t unit = r.width >= Width ? r.width / Width : 1;
        SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
        if (overlay.focusShown) {
            const FocusTarget& f = overlay.focus;
            const int32_t x0 = MapX(r, f.left) - unit, y0 = MapY(r, f.top) - unit;
            const int32_t x1 = MapX(r, f.right) + unit, y1 = MapY(r, f.bottom) + unit;
            const int32_t t = 2 * unit;
            const SDL_Rect sides[4] = {{x0 - t, y0 - t, x1 - x0 + 2 * t, t},
                                       {x0 - t, y1, x1 - x0 + 2 * t, t},
                                       {x0 - t, y0, t, y1 - y0},
                                       {x1, y0, t, y1 - y0}};
            SDL_SetRenderDrawColor(renderer_, 255, 214, 0, 255);
            SDL_RenderFillRects(renderer_, sides, 4);
        }
        if (overlay.paused) {
            const SDL_Rect all = {r.x, r.y, r.width, r.height};
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 150);
            SDL_RenderFillRect(renderer_, &all);
            SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
            DrawText(r, "PAUSED", 120, unit * 4);
            DrawText(r, "ESC OR PAD B: LEAVE RACE", 170, unit);
            DrawText(r, "OTHER KEYS: RESUME", 182, unit);
        }
        if (overlay.noteShown) {
            const SDL_Rect band = {r.x, MapY(r, 296), r.width, MapY(r, 316) - MapY(r, 296)};
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 170);
            SDL_RenderFillRect(renderer_, &band);
            SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
            DrawText(r, overlay.note, 300, unit * 2);
        }
        SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    }

    // At most fps frames a second: the game's movement steps are whole numbers per frame.
    // Once the window has closed, the last passes run unpaced, so the program ends at once.
    void Pace() {
        if (!window_)
            return;
        const uint32_t frameMs = 1000 / static_cast<uint32_t>(settings_.fps);
        nextFrame_ += frameMs;
        const uint32_t now = SDL_GetTicks();
        const int32_t wait = static_cast<int32_t>(nextFrame_ - now);
        if (wait > 0) {
            SDL_Delay(static_cast<uint32_t>(wait));
        } else if (wait < -static_cast<int32_t>(frameMs) * 4) {
            nextFrame_ = now; // far behind (a load): start pacing afresh
        }
    }

    WindowBackendSettings settings_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Texture* upscaled_ = nullptr; // the picture at a whole scale, for fit
    int32_t upscaledScale_ = 0;
    std::array<uint8_t, Width * Height * 3> picture_{};
    std::array<SDL_GameController*, 4> pads_{};
    std::vector<std::pair<SDL_Keycode, ActionSet>> keyBindings_;
    std::array<ActionSet, PadInputCount> padBindings_{};
    std::array<bool, PadInputCount> padHeld_{};
    std::array<uint32_t, PadInputCount> padRepeatAt_{};
    bool stylusDown_ = false;
    uint32_t nextFrame_ = 0;
    int listener_ = -1;
    int runningCopy_ = -1;
};

} // namespace

DeviceBackend* CreateWindowBackend(const WindowBackendSettings& settings) {
    static WindowBackend backend(settings);
    return &backend;
}

void InstallWindowNameChecks() {
    InstallNameChecks(
        [](const std::string& name) { return SDL_GetKeyFromName(name.c_str()) != SDLK_UNKNOWN; },
        [](const std::string& name) {
            return SDL_GameControllerGetButtonFromString(name.c_str()) !=
                   SDL_CONTROLLER_BUTTON_INVALID;
        });
}
