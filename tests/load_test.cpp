// The load step: everything allocated once, missing files drawn black, the baked data in place.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/options.h"
#include "assets/assets.h"
#include "assets/font.h"
#include "assets/load.h"
#include "assets/tga.h"
#include "race/course.h"
#include "render/ship_draw.h"
#include "render/tables.h"
#include "screens/settings.h"

namespace fs = std::filesystem;

namespace {

template <typename T> bool AllZero(const T* data, size_t count) {
    return std::all_of(data, data + count, [](T value) { return value == 0; });
}

fs::path EmptyDataFolder(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("tarnvell_load_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir / "Graph");
    return dir;
}

} // namespace

TEST(Load, AllFilesMissingLeavesBlackPicturesAndDefaults) {
    ASSERT_TRUE(AllocateFrameBuffer());
    ReleaseGameAssets();
    SetDataFolder(EmptyDataFolder("missing").string());
    GameSettings = {2, 0, 0, 2, 0, 0};
    GameOptions.hasSeed = true;
    GameOptions.seed = 4242;
    LoadGameAssets();
    const int afterLoad = std::rand();
    std::srand(4242);
    EXPECT_EQ(afterLoad, std::rand()) << "the generator is seeded from --seed";
    GameOptions.hasSeed = false;

    EXPECT_EQ(ScreenTarget, FrameBufferAddress());
    ASSERT_NE(TerrainColours, nullptr);
    ASSERT_NE(HeightMap, nullptr);
    ASSERT_NE(DepthBuffer, nullptr);
    ASSERT_NE(ModelTable[0], nullptr);
    EXPECT_TRUE(AllZero(SkyPicture, 256 * 256));
    EXPECT_TRUE(AllZero(ExplosionPicture, 256 * 256));
    EXPECT_TRUE(AllZero(LogoPicture, 240 * 80));
    EXPECT_TRUE(AllZero(ExitIcon, 16 * 16));
    for (uint16_t* slot : TileSlots)
        EXPECT_TRUE(AllZero(slot, TileSlotPixels));
    EXPECT_TRUE(AllZero(HeightMap, 512 * 512));
    // Without a font sheet the labels are black boxes on a black panel.
    EXPECT_TRUE(AllZero(PanelPicture, 240 * 80));
    EXPECT_EQ(ModelTable[0]->header.numTris, 0);

    EXPECT_EQ(GameSettings.level, 1);
    EXPECT_EQ(GameSettings.sfx, 1);
    EXPECT_EQ(GameSettings.music, 1);
    EXPECT_EQ(GameSettings.detail, 1);
    EXPECT_EQ(GameSettings.distance, 2);
    EXPECT_EQ(GameSettings.sky, 1);
    EXPECT_EQ(CosTable[0], 1024);
    EXPECT_EQ(SinTable[64], 1024);

    // A second load reuses the buffers instead of allocating new ones.
    uint16_t* sky = SkyPicture;
    LoadGameAssets();
    EXPECT_EQ(SkyPicture, sky);

    ReleaseGameAssets();
    EXPECT_EQ(SkyPicture, nullptr);
    EXPECT_EQ(TerrainColours, nullptr);
    EXPECT_EQ(TileSlots[3], nullptr);
    EXPECT_EQ(SheetFontPicture, nullptr);
    EXPECT_EQ(ModelTable[0], nullptr);
    ReleaseGameAssets(); // twice is harmless
}

TEST(Load, BakedDataShowsLoadingAndLabelsThePanel) {
    const std::string data = TARNVELL_DATA;
    if (!fs::exists(data + "/Graph/font.tga"))
        GTEST_SKIP() << "no baked data in " << data;
    ASSERT_TRUE(AllocateFrameBuffer());
    SetDataFolder(data);
    LoadGameAssets();

    // "LOADING...." on black stays in the frame buffer through the load.
    std::vector<uint16_t> screen(240 * 320, 0);
    DrawSheetText("LOADING....", 32, 150, screen.data(), 320);
    EXPECT_TRUE(std::equal(screen.begin(), screen.end(), FrameBufferAddress()));
    EXPECT_FALSE(AllZero(screen.data(), screen.size()));

    // The panel is the picture from the file with the two labels drawn over it.
    std::vector<uint16_t> panel(240 * 80, 0);
    ASSERT_EQ(LoadTgaPicture(GraphFolder() + "control.tga", 240, 80, panel.data()), 1);
    std::vector<uint16_t> plain = panel;
    DrawSheetTextScaled("POSITION", 10, 15, 75, 5, panel.data(), 80);
    DrawSheetTextScaled("LAP", 10, 15, 75, 40, panel.data(), 80);
    EXPECT_NE(panel, plain);
    EXPECT_TRUE(std::equal(panel.begin(), panel.end(), PanelPicture));

    EXPECT_FALSE(AllZero(SkyPicture, 256 * 256));
    EXPECT_FALSE(AllZero(LogoPicture, 240 * 80));
    EXPECT_FALSE(AllZero(TileSlots[0], 128 * 128));
    ASSERT_NE(ModelTable[0], nullptr);
    EXPECT_GT(ModelTable[0]->header.numTris, 0);
    ReleaseGameAssets();
}

TEST(Load, ProgramWithoutAnyDataFileReachesTheMenu) {
    const fs::path dir = EmptyDataFolder("e2e");
    const fs::path trace = dir / "trace.jsonl";
    const std::string command = std::string(TARNVELL_BINARY) + " --headless --frames 20 --data '" +
                                dir.string() + "' --trace '" + trace.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(trace);
    std::string line, last;
    while (std::getline(in, line))
        last = line;
    EXPECT_EQ(last.find("{\"pass\":20,\"state\":1,"), 0u) << last;

    // A folder with none of Map/, Graph/ and Sound/ is no data folder: the program says so.
    fs::remove_all(dir / "Graph");
    const std::string none = std::string(TARNVELL_BINARY) + " --headless --frames 5 --data '" +
                             dir.string() + "' 2>/dev/null";
    const int refused = std::system(none.c_str());
    ASSERT_TRUE(WIFEXITED(refused));
    EXPECT_EQ(WEXITSTATUS(refused), 2);
}
