// The data folders: deriving them from the program's path and searching the usual places.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assets/paths.h"
#include "assets/tga.h"
#include "run_program.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

// A fresh temporary tree, and a search that looks nowhere outside it.
DataSearch SearchIn(const fs::path& root, const std::string& program) {
    fs::remove_all(root);
    fs::create_directories(root);
    DataSearch search;
    search.programPath = (root / program).string();
    search.xdgDataHome = (root / "xdg-home").string();
    search.xdgDataDirs = (root / "xdg-a").string() + ":" + (root / "xdg-b").string();
    search.home = (root / "home").string();
    return search;
}

} // namespace

TEST(Paths, FoldersFollowTheProgramPath) {
    EXPECT_EQ(ProgramFolderOf("/tarnvell"), "/");
    EXPECT_EQ(ProgramFolderOf("/opt/games/tarnvell/bin/tarnvell"), "/opt/games/tarnvell/bin");
    EXPECT_EQ(ProgramFolderOf("tarnvell"), ".");
    SetDataFolder(ProgramFolderOf("/tarnvell"));
    EXPECT_EQ(MapFolder(), "/Map/");
    SetDataFolder(ProgramFolderOf("/Games/X/prog"));
    EXPECT_EQ(GraphFolder() + SoundFolder(), "/Games/X/Graph//Games/X/Sound/");
    EXPECT_STREQ(DataFilePath(GraphFolder(), "cloud.tga"), "/Games/X/Graph/cloud.tga");

    // Non-ASCII folders keep every byte, and their files are found.
    const fs::path root = TestFolder("paths_utf8");
    const fs::path data = root / "T\xC3\xA4rnvell \xE6\xB8\xB8\xE6\x88\xB2";
    DataSearch search = SearchIn(root, "T\xC3\xA4rnvell \xE6\xB8\xB8\xE6\x88\xB2/tarnvell");
    fs::create_directories(data / "Graph");
    std::vector<uint8_t> tga = GameTgaBytes(1, 1);
    tga[18] = tga[19] = tga[20] = 0xFF; // entry 0 white
    ASSERT_TRUE(WriteFileBytes(data / "Graph/exit.tga", tga));
    std::string found;
    ASSERT_TRUE(FindDataFolder(search, found));
    SetDataFolder(found);
    EXPECT_EQ(GraphFolder(), data.string() + "/Graph/");
    uint16_t pixel = 0;
    EXPECT_EQ(
        (std::tuple{LoadTgaPicture(DataFilePath(GraphFolder(), "exit.tga"), 1, 1, &pixel), pixel}),
        std::tuple(1, 0xFFFF));
}

TEST(Paths, SearchOrder) {
    const fs::path root = TestFolder("paths_order");
    DataSearch search = SearchIn(root, "prefix/bin/tarnvell");
    fs::create_directories(root / "prefix/bin");
    fs::create_directories(root / "prefix/Graph"); // a file or folder elsewhere does not count
    std::string found;
    EXPECT_FALSE(FindDataFolder(search, found));

    // Filled from the last place to the first: each one found wins over all that follow it.
    const char* places[] = {"prefix/bin/Graph", "prefix/share/tarnvell/Sound",
                            "xdg-home/tarnvell/Map", "xdg-b/tarnvell/Graph"};
    for (int i = 3; i >= 0; --i) {
        fs::create_directories(root / places[i]);
        ASSERT_TRUE(FindDataFolder(search, found)) << i;
        EXPECT_EQ(fs::canonical(found), fs::canonical(root / places[i]).parent_path()) << i;
    }

    // --data overrides every other place; a --data folder without data is refused.
    fs::create_directories(root / "mine/Map");
    search.dataDir = (root / "mine").string();
    ASSERT_TRUE(FindDataFolder(search, found));
    EXPECT_EQ(found, (root / "mine/").string());
    search.dataDir = (root / "prefix/share").string();
    EXPECT_FALSE(FindDataFolder(search, found));

    // Unset base directories default to $HOME/.local/share; relative ones are ignored.
    search = SearchIn(root, "bin/tarnvell");
    fs::create_directories(root / "home/.local/share/tarnvell/Sound");
    search.xdgDataHome = "relative", search.xdgDataDirs = "relative/share";
    ASSERT_TRUE(FindDataFolder(search, found));
    EXPECT_EQ(found, (root / "home/.local/share/tarnvell/").string());
}
