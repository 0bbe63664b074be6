// The load step: everything allocated once, missing files drawn black, the baked data in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "assets/assets.h"
#include "assets/font.h"
#include "assets/paths.h"
#include "assets/tga.h"
#include "base/frame.h"
#include "base/options.h"
#include "base/random.h"
#include "render/ship_draw.h"
#include "screens/load.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

template <typename T> bool AllZero(const T* data, size_t count) {
    return data != nullptr && std::all_of(data, data + count, [](T value) { return value == 0; });
}

} // namespace

TEST(Load, AllFilesMissingLeavesBlackPictures) {
    ASSERT_TRUE(AllocateFrameBuffer());
    ReleaseGameAssets();
    const fs::path empty = TestFolder("load_missing");
    fs::create_directories(empty / "Graph");
    SetDataFolder(empty.string());
    GameOptions.hasSeed = true, GameOptions.seed = 4242;
    LoadGameAssets();
    const int32_t afterLoad = GameRandom();
    SeedGameRandom(4242);
    EXPECT_EQ(afterLoad, GameRandom()) << "the generator is seeded from --seed";
    GameOptions.hasSeed = false;

    EXPECT_EQ(std::tuple(AllZero(TerrainColours, 512 * 512), AllZero(HeightMap, 512 * 512),
                         AllZero(DepthBuffer, 240 * 240), AllZero(SkyPicture, 256 * 256),
                         AllZero(ExplosionPicture, 256 * 256), AllZero(LogoPicture, 240 * 80),
                         AllZero(ExitIcon, 16 * 16)),
              std::tuple(true, true, true, true, true, true, true));
    EXPECT_TRUE(AllZero(PanelPicture, 240 * 80)); // black labels on a black panel
    for (uint16_t* slot : TileSlots)
        EXPECT_TRUE(AllZero(slot, TileSlotPixels));
    ASSERT_NE(ModelTable[0], nullptr);
    ASSERT_EQ(ModelTable[0]->header.numTris, 0);

    uint16_t* sky = SkyPicture;
    LoadGameAssets(); // a second load reuses the buffers
    EXPECT_EQ(SkyPicture, sky);
    ReleaseGameAssets();
    EXPECT_EQ(std::tuple(SkyPicture, TileSlots[3], SheetFontPicture, ModelTable[0]),
              std::tuple(nullptr, nullptr, nullptr, nullptr));
    ReleaseGameAssets(); // twice is harmless
}

TEST(Load, BakedDataShowsLoadingAndLabelsThePanel) {
    ASSERT_TRUE(AllocateFrameBuffer());
    SetDataFolder(TARNVELL_DATA);
    LoadGameAssets();

    // "LOADING...." on black stays in the frame buffer through the load.
    std::vector<uint16_t> screen(240 * 320, 0);
    DrawSheetText("LOADING....", 32, 150, screen.data(), 320);
    EXPECT_FALSE(AllZero(screen.data(), screen.size()));
    EXPECT_TRUE(std::equal(screen.begin(), screen.end(), FrameBufferAddress()));

    // The panel is the picture from the file with POSITION and LAP drawn over it.
    std::vector<uint16_t> panel(240 * 80, 0);
    ASSERT_EQ(LoadTgaPicture(GraphFolder() + "control.tga", 240, 80, panel.data()), 1);
    const std::vector<uint16_t> plain = panel;
    DrawSheetTextScaled("POSITION", 10, 15, 75, 5, panel.data(), 80);
    DrawSheetTextScaled("LAP", 10, 15, 75, 40, panel.data(), 80);
    EXPECT_NE(panel, plain);
    EXPECT_TRUE(std::equal(panel.begin(), panel.end(), PanelPicture));
    EXPECT_FALSE(AllZero(SkyPicture, 256 * 256) || AllZero(LogoPicture, 240 * 80) ||
                 AllZero(TileSlots[0], 128 * 128));
    EXPECT_GT(ModelTable[0]->header.numTris, 0);
    ReleaseGameAssets();
}
