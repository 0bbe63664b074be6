// Where a desktop keeps a player's configuration and pictures.
#include "platform/user_dirs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Only absolute paths count, as the base-directory rules say.
std::string ConfigHome() {
    std::string xdg = Environment("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/')
        return xdg;
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.config";
}

// XDG_PICTURES_DIR="$HOME/Pictures" in user-dirs.dirs: the one form the file uses.
std::string PicturesFromUserDirs(const std::string& home) {
    const std::string config = ConfigHome();
    if (config.empty())
        return {};
    std::ifstream file(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=";
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"')
            return {};
        value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home.empty() ? std::string() : home + value.substr(5);
        return !value.empty() && value[0] == '/' ? value : std::string();
    }
    return {};
}

} // namespace

std::string DefaultConfigPath() {
    const std::string config = ConfigHome();
    return config.empty() ? std::string() : config + "/tarnvell/tarnvell.conf";
}

std::string ScreenshotFolder() {
    const std::string home = Environment("HOME");
    std::string pictures = Environment("XDG_PICTURES_DIR");
    if (pictures.empty() || pictures[0] != '/')
        pictures = PicturesFromUserDirs(home);
    if (pictures.empty() && !home.empty())
        pictures = home + "/Pictures";
    return pictures.empty() ? std::string() : pictures + "/Tarnvell";
}

bool MakeFolders(const std::string& path) {
    if (path.empty())
        return false;
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/') {
            const std::string part = path.substr(0, at);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
