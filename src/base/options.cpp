// The command line: every option parsed and checked before anything starts.
#include "base/options.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/display.h"
#include "platform/user_dirs.h"

Options GameOptions;

namespace {

const char* const HelpText =
    "usage: tarnvell [options]\n"
    "  --data DIR            folder holding Map/, Graph/, Sound/ (default: beside the program,\n"
    "                        then the installed share folder)\n"
    "  --scale N             window scale (default: the largest whole number that fits, at most "
    "3)\n"
    "  --fullscreen          start full screen (F11 toggles)\n"
    "  --scaling MODE        fit (the largest picture the window holds, sharp; default) or\n"
    "                        integer (whole-number scales only)\n"
    "  --config FILE         the configuration file (default\n"
    "                        $XDG_CONFIG_HOME/tarnvell/tarnvell.conf; none when headless)\n"
    "  --fps N               frames presented per second (default 20)\n"
    "  --display PROFILE     rgb565 | rgb565-512 | rotated | gray4 | gray2\n"
    "  --headless            no window, no audio device, virtual clock\n"
    "  --frames N            end after pass N\n"
    "  --input FILE          scripted input\n"
    "  --record FILE         write the session's input as a script that --input replays\n"
    "  --shot N:FILE.png     save the screen after pass N is presented; repeatable\n"
    "  --trace FILE          one JSON line per pass\n"
    "  --seed N              seed the random generator with N instead of the tick count\n"
    "  --autopilot           the player's ship flies itself in races\n"
    "  --audio-out FILE.wav  mix the sound into a WAV file instead of a device\n"
    "  --version, --help\n"
    "Keys: arrows steer, Z or Space accelerate (hold), X brake; in the menus arrows move,\n"
    "Enter, Space or Z choose, Escape goes back; P, Pause or Escape pause a race (Escape\n"
    "again leaves it); F11 full screen, F12 screenshot; the mouse is the stylus.\n"
    "Gamepad: d-pad or left stick, A accelerate and choose, B brake and back, Start or Back\n"
    "pause. Bindings and more settings live in the configuration file.\n";

// A whole decimal number within [low, high].
bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    if (text.empty() || text.size() > 18)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    errno = 0;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0 && value >= low && value <= high;
}

} // namespace

ParseResult ParseOptions(int argc, const char* const* argv, Options& options,
                         std::string& message) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                message = "option " + option + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        // A value that names a folder or file: never empty.
        auto named = [&](std::string& out, const char* what) {
            if (!value(out))
                return false;
            if (out.empty())
                message = "option " + option + " needs a " + what;
            return !out.empty();
        };
        auto number = [&](int64_t low, int64_t high, int64_t& out) {
            std::string text;
            if (!value(text))
                return false;
            if (!ParseNumber(text, low, high, out)) {
                message = "option " + option + " takes a whole number from " + std::to_string(low) +
                          " to " + std::to_string(high) + ", not '" + text + "'";
                return false;
            }
            return true;
        };
        int64_t n = 0;
        std::string text;
        if (option == "--help" || option == "-h") {
            message = HelpText;
            return ParseResult::Exit;
        } else if (option == "--version") {
            message = std::string("tarnvell ") + TARNVELL_VERSION + "\n";
            return ParseResult::Exit;
        } else if (option == "--data") {
            if (!named(options.dataDir, "folder"))
                return ParseResult::Error;
        } else if (option == "--scale") {
            if (!number(1, 16, n))
                return ParseResult::Error;
            options.scale = static_cast<int32_t>(n);
        } else if (option == "--fullscreen") {
            options.fullscreen = true;
        } else if (option == "--scaling") {
            if (!value(text))
                return ParseResult::Error;
            if (text != "fit" && text != "integer") {
                message = "option --scaling takes fit or integer, not '" + text + "'";
                return ParseResult::Error;
            }
            options.scaling = text == "fit" ? ScalingMode::Fit : ScalingMode::Integer;
        } else if (option == "--config") {
            if (!named(options.configPath, "file"))
                return ParseResult::Error;
        } else if (option == "--fps") {
            if (!number(1, 1000, n))
                return ParseResult::Error;
            options.fps = static_cast<int32_t>(n);
        } else if (option == "--display") {
            if (!value(text))
                return ParseResult::Error;
            if (!IsDisplayProfile(text)) {
                message = "unknown display profile '" + text +
                          "' (rgb565, rgb565-512, rotated, gray4 or gray2)";
                return ParseResult::Error;
            }
            options.display = text;
        } else if (option == "--headless") {
            options.headless = true;
        } else if (option == "--frames") {
            if (!number(1, INT64_C(1000000000000), n))
                return ParseResult::Error;
            options.frames = n;
        } else if (option == "--input") {
            if (!value(options.inputPath))
                return ParseResult::Error;
        } else if (option == "--record") {
            if (!value(options.recordPath))
                return ParseResult::Error;
        } else if (option == "--shot") {
            if (!value(text))
                return ParseResult::Error;
            const size_t colon = text.find(':');
            if (colon == std::string::npos || colon + 1 >= text.size() ||
                !ParseNumber(text.substr(0, colon), 1, INT64_C(1000000000000), n)) {
                message = "option --shot takes PASS:FILE.png, not '" + text + "'";
                return ParseResult::Error;
            }
            options.shots.push_back({n, text.substr(colon + 1)});
        } else if (option == "--trace") {
            if (!value(options.tracePath))
                return ParseResult::Error;
        } else if (option == "--seed") {
            if (!number(0, UINT32_MAX, n))
                return ParseResult::Error;
            options.hasSeed = true;
            options.seed = static_cast<uint32_t>(n);
        } else if (option == "--autopilot") {
            options.autopilot = true;
        } else if (option == "--audio-out") {
            if (!value(options.audioOut))
                return ParseResult::Error;
        } else {
            message = "unknown option '" + option + "' (try --help)";
            return ParseResult::Error;
        }
    }
    return ParseResult::Run;
}

std::string ChooseConfigPath(int argc, const char* const* argv) {
    bool headless = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--headless")
            headless = true;
        else if (option == "--config" && i + 1 < argc)
            path = argv[++i];
    }
    if (!path.empty() || headless)
        return path;
    return DefaultConfigPath();
}

bool CheckShots(const Options& options, std::string& message) {
    for (const Shot& shot : options.shots) {
        if (options.frames > 0 && shot.pass > options.frames) {
            message = "--shot " + std::to_string(shot.pass) + ":" + shot.path +
                      " comes after the last pass (--frames " + std::to_string(options.frames) +
                      ")";
            return false;
        }
        // The file must be writable where it is, or creatable in its folder.
        const size_t slash = shot.path.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : shot.path.substr(0, slash);
        const bool exists = access(shot.path.c_str(), F_OK) == 0;
        const bool writable = exists ? access(shot.path.c_str(), W_OK) == 0
                                     : access(folder.c_str(), W_OK | X_OK) == 0;
        if (!writable || (!shot.path.empty() && shot.path.back() == '/')) {
            message = "cannot write the screenshot " + shot.path;
            return false;
        }
    }
    return true;
}
