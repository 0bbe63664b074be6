// The data folders and the one-time load step that brings every asset into memory.
#pragma once
#include <string>

// Finds the Map/, Graph/ and Sound/ folders. False when no data folder can be found.
bool InitDataPaths();
const std::string& MapFolder();   // ends with '/'
const std::string& GraphFolder(); // ends with '/'
const std::string& SoundFolder(); // ends with '/'

// The start state's enter step: allocates and loads everything, showing "LOADING....".
void LoadGameAssets();
// The start state's leave step at quit.
void ReleaseGameAssets();
