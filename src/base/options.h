// The command line, parsed once at start-up and read by the subsystems it steers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/backends.h"

struct Shot {
    int64_t pass;     // after this main-loop pass is presented
    std::string path; // PNG file, 240 x 320
};

// Whole run. Filled by ParseOptions before anything else starts.
struct Options {
    std::string dataDir; // empty: beside the program, then the installed share folder
    int32_t scale = 0;   // window scale; 0 picks the largest whole factor that fits (<= 3)
    bool fullscreen = false;
    int32_t fps = 20; // frames presented per second at most
    std::string display = "rgb565";
    bool headless = false;
    int64_t frames = 0;    // 0: run until EXIT
    std::string inputPath; // scripted input
    std::vector<Shot> shots;
    std::string tracePath;
    bool hasSeed = false;
    uint32_t seed = 0;
    bool autopilot = false; // the player's ship flies itself in races
    std::string audioOut;   // WAV file instead of an audio device
    std::string recordPath; // input script of a live session
    // The port's own settings, from the configuration file unless the command line says.
    std::string configPath;                 // empty: the default (none when headless)
    ScalingMode scaling = ScalingMode::Fit; // how the picture fills the window
    bool pauseOnFocusLoss = true;           // a race pauses when the window loses focus
    int32_t musicVolume = 100;              // percent, on top of MUSIC ON/OFF
    int32_t effectsVolume = 100;            // percent, on top of SOUND FX ON/OFF
    bool keepGameSettings = false;          // the game's six settings kept between runs
    Bindings keys = DefaultKeyBindings();   // keyboard, by PortAction
    Bindings pads = DefaultPadBindings();   // game controller, by PortAction
};

extern Options GameOptions;

enum class ParseResult { Run, Exit, Error };

// Parses argv into `options`. On Exit (help, version) the text to print is in `message`;
// on Error `message` is the one-line complaint for standard error.
ParseResult ParseOptions(int argc, const char* const* argv, Options& options, std::string& message);

// The configuration file the command line points at: --config FILE, else the player's
// default file, else none for headless runs (so tests and scripts never read the player's).
std::string ChooseConfigPath(int argc, const char* const* argv);

// Refuses what cannot work before anything starts: a --shot after the last --frames pass,
// a --shot file that cannot be written. False with the one-line complaint in `message`.
bool CheckShots(const Options& options, std::string& message);
