// The program entry: options, the chosen backend, signals, then the game itself.
#include <csignal>
#include <cstdio>

#include "app/session.h"
#include "app/window.h"
#include "assets/paths.h"
#include "base/options.h"
#include "platform/backends.h"
#include "platform/display.h"
#include "sound/sound.h"

namespace {
// SIGINT and SIGTERM close the game the way closing its window does.
void OnSignal(int) {
    RequestDeviceClose();
}
} // namespace

int main(int argc, char** argv) {
    std::string message;
    switch (ParseOptions(argc, argv, GameOptions, message)) {
    case ParseResult::Exit:
        std::fputs(message.c_str(), stdout);
        return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "tarnvell: %s\n", message.c_str());
        return 2;
    case ParseResult::Run:
        break;
    }
    if (!InitDataPaths()) {
        std::fprintf(stderr, "tarnvell: no data folder found (Map/, Graph/, Sound/); "
                             "name one with --data DIR\n");
        return 2;
    }
    if (!GameOptions.inputPath.empty() && !LoadInputScript(GameOptions.inputPath, message)) {
        std::fprintf(stderr, "tarnvell: %s\n", message.c_str());
        return 2;
    }
    if (!GameOptions.tracePath.empty() && !OpenTrace(GameOptions.tracePath, message)) {
        std::fprintf(stderr, "tarnvell: %s\n", message.c_str());
        return 2;
    }
    if (!GameOptions.recordPath.empty() && !OpenRecording(GameOptions.recordPath, message)) {
        std::fprintf(stderr, "tarnvell: %s\n", message.c_str());
        return 2;
    }
    // The display backend and the sound output, chosen together.
    SelectDisplayProfile(GameOptions.display);
    if (!GameOptions.audioOut.empty())
        ChooseSoundOutput(SoundOutput::WavFile, GameOptions.audioOut);
    else
        ChooseSoundOutput(GameOptions.headless ? SoundOutput::Silent : SoundOutput::Device);
    if (GameOptions.headless) {
        SetDeviceBackend(CreateHeadlessBackend(GameOptions.fps));
    } else {
        WindowBackendSettings settings;
        settings.scale = GameOptions.scale;
        settings.fullscreen = GameOptions.fullscreen;
        settings.fps = GameOptions.fps;
        // The baker draws the icons into icons/ beside the data's three folders.
        settings.iconPath = GraphFolder() + "../icons/tarnvell-64.png";
        SetDeviceBackend(CreateWindowBackend(settings));
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return RunGame();
}
