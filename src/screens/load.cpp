// The start state: the one-time load step at start-up and its matching release at quit.
#include <cstdlib>

#include "assets/assets.h"
#include "assets/font.h"
#include "assets/paths.h"
#include "assets/ship_model.h"
#include "assets/terrain_data.h"
#include "assets/tga.h"
#include "base/frame.h"
#include "base/options.h"
#include "base/random.h"
#include "base/settings.h"
#include "base/state.h"
#include "race/course.h"
#include "render/ship_draw.h"
#include "render/tables.h"
#include "screens/load.h"
#include "screens/screens.h"

namespace {

constexpr size_t TerrainColourPixels = size_t{512} * 512;
constexpr size_t HeightMapBytes = size_t{512} * 512;
constexpr size_t DepthBufferEntries = size_t{240} * 240;

// Zero-filled, so whatever a missing file leaves shows as black (and the ground as flat).
template <typename T> void Allocate(T*& buffer, size_t count) {
    if (buffer == nullptr)
        buffer = new T[count]();
}

template <typename T> void Release(T*& buffer) {
    delete[] buffer;
    buffer = nullptr;
}

bool assetsLoaded = false; // between the start state's enter and leave

} // namespace

void LoadGameAssets() {
    // The opponents draw from the game's own generator; --seed makes a run repeatable.
    SeedGameRandom(GameOptions.hasSeed ? GameOptions.seed : ReadTickCount());

    // Everything is allocated here, once, so that menus and races never allocate.
    Allocate(TerrainColours, TerrainColourPixels);
    Allocate(PanelPicture, static_cast<size_t>(PanelPictureWidth) * PanelPictureHeight);
    Allocate(HeightMap, HeightMapBytes);
    Allocate(DepthBuffer, DepthBufferEntries);
    Allocate(SkyPicture, static_cast<size_t>(SkyPictureSize) * SkyPictureSize);
    Allocate(ExplosionPicture, static_cast<size_t>(ExplosionPictureSize) * ExplosionPictureSize);
    Allocate(LogoPicture, static_cast<size_t>(LogoPictureWidth) * LogoPictureHeight);
    for (uint16_t*& slot : TileSlots)
        Allocate(slot, TileSlotPixels);
    Allocate(ExitIcon, static_cast<size_t>(ExitIconSize) * ExitIconSize);

    LoadFonts(GraphFolder());

    // The message stands on the display for the rest of the load.
    ClearFrameBuffer(0);
    DrawSheetText("LOADING....", 32, 150);
    PumpMessages(true);

    const std::string& graph = GraphFolder();
    LoadTgaPicture(DataFilePath(graph, "cloud.tga"), SkyPictureSize, SkyPictureSize, SkyPicture);
    LoadTgaPicture(DataFilePath(graph, "explode.tga"), ExplosionPictureSize, ExplosionPictureSize,
                   ExplosionPicture);
    LoadTgaPicture(DataFilePath(graph, "control.tga"), PanelPictureWidth, PanelPictureHeight,
                   PanelPicture);
    LoadTgaPicture(DataFilePath(graph, "logo.tga"), LogoPictureWidth, LogoPictureHeight,
                   LogoPicture);
    LoadTgaPicture(DataFilePath(graph, "exit.tga"), ExitIconSize, ExitIconSize, ExitIcon);

    LoadPlanetTiles(0);
    BuildAngleTables();

    // Every ship is drawn with the one model in slot 0.
    if (ModelTable[0] == nullptr)
        ModelTable[0] = CreateShipModel();
    if (ModelTable[0] != nullptr) {
        ReadShipModel(*ModelTable[0], DataFilePath(graph, "plane1.md2"));
        LoadShipSkin(*ModelTable[0], DataFilePath(graph, "plane1.tga"));
    }

    SetDefaultSettings();
    SetUpTrack(0, 1);

    DrawSheetTextScaled("POSITION", 10, 15, 75, 5, PanelPicture, PanelPictureHeight);
    DrawSheetTextScaled("LAP", 10, 15, 75, 40, PanelPicture, PanelPictureHeight);
}

void ReleaseGameAssets() {
    DestroyShipModel(ModelTable[0]);
    Release(TerrainColours);
    Release(HeightMap);
    Release(PanelPicture);
    Release(DepthBuffer);
    Release(SkyPicture);
    Release(ExplosionPicture);
    Release(LogoPicture);
    for (uint16_t*& slot : TileSlots)
        Release(slot);
    Release(ExitIcon);
    ReleaseFonts();
}

void EnterStart() {
    LoadGameAssets();
    assetsLoaded = true;
    PushScreen(StateMainMenu);
}

void UpdateStart() {
    LeaveScreen();
}

void LeaveStart() {
    if (assetsLoaded)
        ReleaseGameAssets();
    assetsLoaded = false;
    GameState = StateQuit;
}
