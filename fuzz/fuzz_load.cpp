// Fuzz target: the whole load step over a data folder in which one file is replaced. The
// first byte picks the file (every picture, model, font and height map of the baked folder),
// the rest is its new content; then a track and a planet are loaded as the menus would, and
// everything is released again.
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/options.h"
#include "fuzz_files.h"
#include "race/course.h"
#include "screens/load.h"

namespace {

struct DataFile {
    std::string path;          // in the scratch folder
    std::vector<uint8_t> good; // the baked content, put back after each input
};
std::vector<DataFile> Files;

std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The baked folder: $TARNVELL_DATA when set (the fuzz build bakes none of its own).
std::string BakedFolder() {
    const char* folder = std::getenv("TARNVELL_DATA");
    return folder != nullptr && *folder != '\0' ? folder : TARNVELL_DATA;
}

void CopyFolder(const std::string& name) {
    const std::string from = BakedFolder() + "/" + name + "/";
    std::vector<std::string> names;
    if (DIR* folder = opendir(from.c_str())) {
        while (const dirent* entry = readdir(folder))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& file : names) {
        DataFile data{ScratchFolder() + name + "/" + file, ReadWhole(from + file)};
        WriteScratchFile(data.path, data.good.data(), data.good.size());
        Files.push_back(std::move(data));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CopyFolder("Graph");
    CopyFolder("Map");
    SetDataFolder(ScratchFolder());
    GameOptions.hasSeed = true;
    AllocateFrameBuffer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || Files.empty())
        return 0;
    const DataFile& file = Files[data[0] % Files.size()];
    if (!WriteScratchFile(file.path, data + 1, size - 1))
        return 0;
    LoadGameAssets();
    LoadTrackMap(data[0] % 5);
    LoadPlanetTiles(data[0] % 12);
    BuildPanelMap();
    ReleaseGameAssets();
    WriteScratchFile(file.path, file.good.data(), file.good.size());
    return 0;
}
