// The configuration file: plain "key = value" lines with comments, read once at start-up.
#include "app/config.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/settings.h"
#include "platform/user_dirs.h"
#include "sound/sound.h"

namespace {

constexpr int32_t MostVolume = 100; // percent

void Warn(const std::string& path, int32_t line, const std::string& text) {
    std::fprintf(stderr, "tarnvell: %s:%d: %s\n", path.c_str(), line, text.c_str());
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseYesNo(const std::string& value, bool& out) {
    if (value == "yes" || value == "true" || value == "on" || value == "1") {
        out = true;
        return true;
    }
    if (value == "no" || value == "false" || value == "off" || value == "0") {
        out = false;
        return true;
    }
    return false;
}

bool ParseWhole(const std::string& value, int32_t low, int32_t high, int32_t& out) {
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int32_t number = std::stoi(value);
    if (number < low || number > high)
        return false;
    out = number;
    return true;
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

// Every name of the list must be known, or the whole binding keeps its default.
bool CheckBinding(const std::string& list, bool pad, std::string& bad) {
    bool good = true;
    ForEachBindingName(list, [&](const std::string& name) {
        if (good && !(pad ? IsPadButtonName(name) : IsKeyName(name))) {
            bad = name;
            good = false;
        }
    });
    return good;
}

// One "key = value" line; false with the reason when it cannot be used.
bool ApplySetting(const std::string& key, const std::string& value, Options& options,
                  std::string& reason) {
    const Options defaults;
    int32_t number = 0;
    if (key == "scale") {
        if (!ParseWhole(value, 0, 16, number)) {
            reason = "scale takes a whole number from 0 to 16; using 0";
            return false;
        }
        options.scale = number;
    } else if (key == "scaling") {
        if (value != "fit" && value != "integer") {
            reason = "scaling takes fit or integer; using fit";
            return false;
        }
        options.scaling = value == "fit" ? ScalingMode::Fit : ScalingMode::Integer;
    } else if (key == "fullscreen" || key == "pause_on_focus_loss" || key == "keep_game_settings") {
        bool flag = false;
        bool& target = key == "fullscreen"            ? options.fullscreen
                       : key == "pause_on_focus_loss" ? options.pauseOnFocusLoss
                                                      : options.keepGameSettings;
        if (!ParseYesNo(value, flag)) {
            const bool fallback = key == "fullscreen"            ? defaults.fullscreen
                                  : key == "pause_on_focus_loss" ? defaults.pauseOnFocusLoss
                                                                 : defaults.keepGameSettings;
            reason = key + " takes yes or no; using " + YesNo(fallback);
            return false;
        }
        target = flag;
    } else if (key == "fps") {
        if (!ParseWhole(value, 1, 1000, number)) {
            reason = "fps takes a whole number from 1 to 1000; using 20";
            return false;
        }
        options.fps = number;
    } else if (key == "music_volume" || key == "effects_volume") {
        if (!ParseWhole(value, 0, MostVolume, number)) {
            reason = key + " takes a percentage from 0 to 100; using 100";
            return false;
        }
        (key == "music_volume" ? options.musicVolume : options.effectsVolume) = number;
    } else if (key.compare(0, 4, "key.") == 0 || key.compare(0, 4, "pad.") == 0) {
        const bool pad = key[0] == 'p';
        const std::string name = key.substr(4);
        for (int32_t a = 0; a < PortActionCount; ++a) {
            if (name != PortActionName(static_cast<PortAction>(a)))
                continue;
            std::string bad;
            if (!CheckBinding(value, pad, bad)) {
                const Bindings& fallback = pad ? defaults.pads : defaults.keys;
                reason = "'" + bad + "' is not a " + (pad ? "gamepad button" : "key") + " name; " +
                         key + " stays " +
                         (fallback[a].empty() ? std::string("unbound") : fallback[a]);
                return false;
            }
            (pad ? options.pads : options.keys)[a] = value;
            return true;
        }
        reason = "no action called '" + name + "'; line ignored";
        return false;
    } else {
        reason = "unknown setting '" + key + "'; line ignored";
        return false;
    }
    return true;
}

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

std::string DefaultConfigText() {
    const Options d;
    std::ostringstream out;
    out << "# Tarnvell's settings. One \"key = value\" a line; '#' starts a comment.\n"
           "# Command-line options override what is set here. A line the game cannot use is\n"
           "# reported when it starts, and that setting keeps its default.\n\n"
           "# Window scale when the game opens: 0 picks the largest whole number that fits\n"
           "# (at most 3).\n"
           "scale = "
        << d.scale
        << "\n"
           "# How the picture fills the window: fit (the largest picture the window holds,\n"
           "# kept sharp) or integer (whole-number scales only).\n"
           "scaling = fit\n"
           "# Start full screen (F11 toggles): yes or no.\n"
           "fullscreen = "
        << YesNo(d.fullscreen)
        << "\n"
           "# Frames a second; the game is made for 20.\n"
           "fps = "
        << d.fps
        << "\n"
           "# Pause a race when the window loses the keyboard focus: yes or no.\n"
           "pause_on_focus_loss = "
        << YesNo(d.pauseOnFocusLoss)
        << "\n"
           "# Volumes in percent, on top of the game's own MUSIC and SOUND FX settings.\n"
           "music_volume = "
        << d.musicVolume << "\neffects_volume = " << d.effectsVolume
        << "\n"
           "# The game's six settings (level, sound fx, music, detail, distance, sky) start\n"
           "# at their defaults each run, as the game always did. yes keeps them between\n"
           "# runs, in kept-settings.conf beside this file.\n"
           "keep_game_settings = "
        << YesNo(d.keepGameSettings)
        << "\n\n"
           "# Keyboard: key names separated by commas, as SDL spells them (Z, Space, Return,\n"
           "# Escape, Left, Keypad Enter, F11 ...). An empty value leaves the action unbound.\n"
           "# up/down/left/right steer in a race and move the focus in the menus;\n"
           "# accelerate and start choose the focused button; back leaves a screen, and in a\n"
           "# race pauses it (and again, leaves the race).\n";
    for (int32_t a = 0; a < PortActionCount; ++a)
        out << "key." << PortActionName(static_cast<PortAction>(a)) << " ="
            << (d.keys[a].empty() ? "" : " ") << d.keys[a] << "\n";
    out << "\n# Gamepad: button names separated by commas (a, b, x, y, back, guide, start,\n"
           "# leftstick, rightstick, leftshoulder, rightshoulder, dpup, dpdown, dpleft,\n"
           "# dpright). The left stick always works as the d-pad.\n";
    for (int32_t a = 0; a < PortActionCount; ++a)
        out << "pad." << PortActionName(static_cast<PortAction>(a)) << " ="
            << (d.pads[a].empty() ? "" : " ") << d.pads[a] << "\n";
    return out.str();
}

void LoadConfig(const std::string& path, Options& options) {
    if (path.empty())
        return;
    std::ifstream file(path);
    if (!file) {
        // First run: the defaults, written out for the player to edit.
        if (MakeFolders(Folder(path))) {
            std::ofstream out(path);
            out << DefaultConfigText();
            if (!out)
                std::fprintf(stderr, "tarnvell: cannot write the configuration %s\n", path.c_str());
        } else {
            std::fprintf(stderr, "tarnvell: cannot make the folder of %s\n", path.c_str());
        }
        options.configPath = path;
        return;
    }
    options.configPath = path;
    std::string text;
    int32_t number = 0;
    while (std::getline(file, text)) {
        ++number;
        const std::string line = Trim(text.substr(0, text.find('#')));
        if (line.empty())
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            Warn(path, number, "not a \"key = value\" line; ignored");
            continue;
        }
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        std::string reason;
        if (!ApplySetting(key, value, options, reason))
            Warn(path, number, reason);
    }
}

std::string KeptSettingsPath() {
    if (!GameOptions.keepGameSettings || GameOptions.configPath.empty())
        return {};
    return Folder(GameOptions.configPath) + "/kept-settings.conf";
}

void RestoreKeptSettings() {
    const std::string path = KeptSettingsPath();
    if (path.empty())
        return;
    std::ifstream file(path);
    std::string text;
    while (std::getline(file, text)) {
        const size_t equals = text.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = Trim(text.substr(0, equals));
        const std::string word = Trim(text.substr(equals + 1));
        for (int32_t line = 1; line <= SettingLineCount; ++line) {
            if (key != SettingLabel(line))
                continue;
            // Cycled through the screen's own words until the kept one shows; an unknown
            // word leaves the default.
            const int32_t start = SettingValue(line);
            for (int32_t i = 0; i < SettingValueCount(line) && word != SettingWord(line); ++i)
                CycleSetting(line);
            for (int32_t i = 0; i < SettingValueCount(line) && word != SettingWord(line) &&
                                SettingValue(line) != start;
                 ++i) {
                CycleSetting(line);
            }
        }
    }
    SetMusicOn(MusicOn());
}

void StoreKeptSettings() {
    const std::string path = KeptSettingsPath();
    if (path.empty())
        return;
    std::ofstream out(path);
    out << "# The game's six settings, kept because keep_game_settings = yes.\n";
    for (int32_t line = 1; line <= SettingLineCount; ++line)
        out << SettingLabel(line) << " = " << SettingWord(line) << "\n";
    if (!out)
        std::fprintf(stderr, "tarnvell: cannot keep the game's settings in %s\n", path.c_str());
}
