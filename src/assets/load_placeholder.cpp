// Load step until the asset loaders arrive: settings defaults only.
#include "assets/load.h"
#include "screens/settings.h"

namespace {
std::string mapFolder = "Map/", graphFolder = "Graph/", soundFolder = "Sound/";
}

bool InitDataPaths() { return true; }
const std::string& MapFolder() { return mapFolder; }
const std::string& GraphFolder() { return graphFolder; }
const std::string& SoundFolder() { return soundFolder; }
void LoadGameAssets() { SetDefaultSettings(); }
void ReleaseGameAssets() {}
