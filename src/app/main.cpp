// The program entry: options, the chosen backend, signals, then the game itself.
#include <csignal>
#include <cstdio>

#include "app/config.h"
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
    // Checked once before the configuration file is touched (--help writes nothing), then
    // again over the file's settings, so the command line wins.
    Options checked;
    const ParseResult first = ParseOptions(argc, argv, checked, message);
    if (first == ParseResult::Run) {
        InstallWindowNameChecks();
        LoadConfig(ChooseConfigPath(argc, argv), GameOptions);
        message.clear();
    }
    switch (first == ParseResult::Run ? ParseOptions(argc, argv, GameOptions, message) : first) {
    case ParseResult::Exit:
        std::fputs(message.c_str(), stdout);
        return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "tarnvell: %s\n", message.c_str());
        return 2;
    case ParseResult::Run:
        break;
    }
    if (!CheckShots(GameOptions, message)) {
        std::fprintf(stderr, "tarnvell: %s\n", message.c_str());
        return 2;
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
        settings.scaling = GameOptions.scaling;
        settings.pauseOnFocusLoss = GameOptions.pauseOnFocusLoss;
        settings.keys = GameOptions.keys;
        settings.pads = GameOptions.pads;
        // The baker draws the icons into icons/ beside the data's three folders.
        settings.iconPath = GraphFolder() + "../icons/tarnvell-64.png";
        SetDeviceBackend(CreateWindowBackend(settings));
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    SetSoundVolumes(GameOptions.musicVolume, GameOptions.effectsVolume);
    const int32_t code = RunGame();
    // A screenshot asked for on the command line that could not be written is a failure.
    return code == 0 && ShotsFailed() ? 2 : code;
}
