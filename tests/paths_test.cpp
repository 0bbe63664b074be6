// The data folders: deriving them from the program's path and searching the usual places.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "assets/load.h"
#include "assets/tga.h"

namespace fs = std::filesystem;

namespace {

// A fresh, empty temporary tree for one test.
fs::path FreshTree(const std::string& name) {
    fs::path root = fs::temp_directory_path() / ("tarnvell_paths_" + name);
    fs::remove_all(root);
    fs::create_directories(root);
    return root;
}

DataSearch NoWhere(const fs::path& root) {
    DataSearch search;
    search.xdgDataHome = (root / "xdg-home").string();
    search.xdgDataDirs = (root / "xdg-a").string() + ":" + (root / "xdg-b").string();
    search.home = (root / "home").string();
    return search;
}

} // namespace

TEST(Paths, ProgramFolderIsEverythingBeforeTheLastSlash) {
    EXPECT_EQ(ProgramFolderOf("/tarnvell"), "/");
    EXPECT_EQ(ProgramFolderOf("/opt/games/tarnvell/bin/tarnvell"), "/opt/games/tarnvell/bin");
    EXPECT_EQ(ProgramFolderOf("tarnvell"), ".");
    // UTF-8 bytes pass through whole: nothing is narrowed to one byte a character.
    EXPECT_EQ(ProgramFolderOf("/home/zo\xC3\xAB/Spi\xC3\xA9le/\xE6\xB8\xB8\xE6\x88\xB2/tarnvell"),
              "/home/zo\xC3\xAB/Spi\xC3\xA9le/\xE6\xB8\xB8\xE6\x88\xB2");

    SetDataFolder("/");
    EXPECT_EQ(MapFolder(), "/Map/");
    SetDataFolder("/opt/games/X");
    EXPECT_EQ(GraphFolder(), "/opt/games/X/Graph/");
    EXPECT_EQ(SoundFolder(), "/opt/games/X/Sound/");
    EXPECT_STREQ(DataFilePath(GraphFolder(), "cloud.tga"), "/opt/games/X/Graph/cloud.tga");
}

TEST(Paths, SearchOrder) {
    fs::path root = FreshTree("order");
    DataSearch search = NoWhere(root);
    search.programPath = (root / "prefix/bin/tarnvell").string();
    fs::create_directories(root / "prefix/bin");
    std::string found;
    EXPECT_FALSE(FindDataFolder(search, found));

    // Filled from the last place to the first: each one found wins over all that follow it.
    const fs::path places[] = {root / "prefix/bin", root / "prefix/share/tarnvell",
                               root / "xdg-home/tarnvell", root / "xdg-b/tarnvell"};
    const char* folders[] = {"Graph", "Sound", "Map", "Graph"};
    for (int i = 3; i >= 0; --i) {
        fs::create_directories(places[i] / folders[i]);
        ASSERT_TRUE(FindDataFolder(search, found)) << i;
        EXPECT_EQ(fs::weakly_canonical(found), fs::weakly_canonical(places[i])) << i;
        EXPECT_EQ(found.back(), '/');
    }

    // --data overrides every other place, and a --data folder without data is an error.
    fs::create_directories(root / "mine/Map");
    search.dataDir = (root / "mine").string();
    ASSERT_TRUE(FindDataFolder(search, found));
    EXPECT_EQ(found, (root / "mine/").string());
    search.dataDir = (root / "home").string();
    EXPECT_FALSE(FindDataFolder(search, found));

    // A file named like a data folder does not count.
    fs::path lone = FreshTree("lone");
    std::FILE* file = std::fopen((lone / "Graph").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    DataSearch loneSearch = NoWhere(lone);
    loneSearch.programPath = (lone / "tarnvell").string();
    EXPECT_FALSE(FindDataFolder(loneSearch, found));
}

TEST(Paths, XdgDefaultsComeFromHome) {
    fs::path root = FreshTree("home");
    fs::create_directories(root / "home/.local/share/tarnvell/Sound");
    DataSearch search;
    search.programPath = (root / "bin/tarnvell").string();
    search.home = (root / "home").string();
    search.xdgDataDirs = "relative/share:" + (root / "none").string();
    search.xdgDataHome = "relative"; // ignored, as the base directories ask
    std::string found;
    ASSERT_TRUE(FindDataFolder(search, found));
    EXPECT_EQ(found, (root / "home/.local/share/tarnvell/").string());
}

TEST(Paths, NonAsciiFolderReachesItsFiles) {
    fs::path root = FreshTree("utf8");
    const std::string name = "T\xC3\xA4rnvell \xE6\xB8\xB8\xE6\x88\xB2";
    fs::path data = root / name;
    fs::create_directories(data / "Graph");
    // A 1 x 1 picture whose one pixel is colour-map entry 0, pure white.
    uint8_t bytes[787] = {0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0xFF, 0xFF, 0xFF};
    std::FILE* file = std::fopen((data / "Graph/exit.tga").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes, 1, sizeof bytes, file);
    std::fclose(file);

    DataSearch search = NoWhere(root);
    search.programPath = (data / "tarnvell").string();
    std::string found;
    ASSERT_TRUE(FindDataFolder(search, found));
    SetDataFolder(found);
    EXPECT_EQ(GraphFolder(), data.string() + "/Graph/");
    uint16_t pixel = 0;
    EXPECT_EQ(LoadTgaPicture(DataFilePath(GraphFolder(), "exit.tga"), 1, 1, &pixel), 1);
    EXPECT_EQ(pixel, 0xFFFF);
}
