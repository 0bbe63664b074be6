// The player's folders on a Linux desktop: configuration and pictures (XDG base directories).
#pragma once
#include <string>

// $XDG_CONFIG_HOME/tarnvell/tarnvell.conf, or ~/.config/tarnvell/tarnvell.conf; empty when
// neither variable names a folder.
std::string DefaultConfigPath();
// $XDG_PICTURES_DIR/Tarnvell: the variable, else the desktop's user-dirs.dirs entry, else
// ~/Pictures. Empty when no folder can be named.
std::string ScreenshotFolder();
// Makes the folder and any missing parents (mode 0755). True when it exists afterwards.
bool MakeFolders(const std::string& path);
