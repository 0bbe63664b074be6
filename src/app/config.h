// The configuration file: the port's settings and bindings, kept between runs, and the
// game's six settings for players who ask to keep them too.
#pragma once
#include <string>

#include "base/options.h"

// Reads `path` into `options`. A missing file is written with the defaults (folders made
// as needed) and read as such. A line that cannot be used gets a one-line warning naming
// the file and line on standard error, and its setting keeps its default; nothing here
// stops the game from starting.
void LoadConfig(const std::string& path, Options& options);
// The whole file as first written: every setting at its default, each with a comment.
std::string DefaultConfigText();

// The game's six settings, kept beside the configuration file when the player asked for it
// (keep_game_settings = yes): restored after the load step has set the defaults, stored
// after the last pass. Nothing happens otherwise.
void RestoreKeptSettings();
void StoreKeptSettings();
// Where they are kept: kept-settings.conf beside the configuration file; empty for none.
std::string KeptSettingsPath();
