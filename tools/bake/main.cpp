// tarnvell_bake OUT [--preview DIR]: writes the whole data folder into OUT.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bake.h"

int main(int argc, char** argv) {
    std::string out, preview;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc) {
            preview = argv[++i];
        } else if (out.empty() && argv[i][0] != '-') {
            out = argv[i];
        } else {
            std::fprintf(stderr, "usage: tarnvell_bake OUT [--preview DIR]\n");
            return 2;
        }
    }
    if (out.empty())
        out = ".";
    if (out.back() != '/')
        out += '/';
    std::error_code error;
    for (const char* sub : {"Map", "Graph", "Sound"})
        std::filesystem::create_directories(out + sub, error);
    if (!preview.empty()) {
        if (preview.back() != '/')
            preview += '/';
        std::filesystem::create_directories(preview, error);
    }
    // The model first: the maps are shaped by flying it with the game's own race code.
    bool ok = BakeModel(out, preview);
    ok = BakeMaps(out, preview) && ok;
    ok = BakePictures(out, preview) && ok;
    ok = BakeSounds(out, preview) && ok;
    return ok ? 0 : 1;
}
