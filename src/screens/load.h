// The one-time load step that brings every asset into memory, and its release at quit.
#pragma once

// The start state's enter step: allocates and loads everything, showing "LOADING....".
void LoadGameAssets();
// The start state's leave step at quit.
void ReleaseGameAssets();
