// The picture set of the data folder: ground tiles, sky, explosion, panel, logo, exit icon,
// both fonts, and the program icons beside the data.
#include <filesystem>

#include "bake.h"
#include "pictures_art.h"

bool BakePictures(const std::string& dir, const std::string& preview) {
    std::string graph = dir + "Graph/";
    std::string icons = dir + "icons/";
    std::error_code error;
    std::filesystem::create_directories(icons, error);
    bool ok = BakeTiles(graph, preview);
    ok = BakeSky(graph, preview) && ok;
    ok = BakeExplosion(graph, preview) && ok;
    ok = BakePanelPictures(graph, preview) && ok;
    ok = BakeSheetFont(graph, preview) && ok;
    ok = BakeSmallFont(graph, preview) && ok;
    ok = BakeIcons(icons, preview) && ok;
    return ok;
}
