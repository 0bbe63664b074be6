// Ships in the view: placing and drawing the ship model, its surface-contact test, the model
// table and the ships' markers on the race panel's overview map.
#pragma once
#include <cstdint>

#include "assets/ship_model.h"
#include "render/camera.h"

// Extent of a placed model: world units in x and y, altitude units in z. A first field of
// -1 means the model touched the surface (then `contact` is 1 and nothing else counts).
struct ModelBox {
    int32_t minX, maxX;
    int32_t minY, maxY;
    int32_t minZ, maxZ;
    int32_t contact; // 1 when a vertex reached the surface; only this is trusted by DrawShip
};

// The models ships can be drawn with, indexed by a ShipState's model field. The load step
// puts the one ShipModel into entry 0 and clears it at quit; every ship uses it.
constexpr int32_t ModelSlots = 1;
extern ShipModel* ModelTable[ModelSlots];

// Most vertices a model can have for DrawModel to draw it.
constexpr int32_t ProjectedVertexLimit = ModelVertexLimit;

// Places frame `frame` of `model` at world (x, y) and altitude z, turned by ax, ay, az (angle
// units, taken modulo 256) as RotatePoint turns, enlarged 8 times in the ground plane and
// shrunk 4 times in altitude; projects it with `camera` and tests each placed vertex against
// the surface of `heights` (512 x 512). At the first vertex at or below the surface it
// returns at once, drawing nothing, with minX -1 and contact 1. Otherwise it draws every
// triangle with a visible corner and returns the extent of the placed vertices (for a model
// without vertices: the point x, y, z).
ModelBox DrawModel(const ShipModel& model, const CameraState& camera, int32_t frame, int32_t ax,
                   int32_t ay, int32_t az, int32_t x, int32_t y, int32_t z, const uint8_t* heights);

// Draws ShipTable entry `ship` (0-9) and tests it against the surface: a wrecked ship is
// skipped (0). On contact the ship becomes wrecked with no wreck frames yet and the result
// is 1; otherwise its box is stored (z halved) and the result is 0.
int32_t DrawShip(const CameraState& camera, int32_t ship, const uint8_t* heights);

// The overview map of the race panel: columns 160-239 of FrameBuffer rows 240-319, the
// 512 x 512 cells scaled by 5/32.
constexpr int32_t OverviewLeft = 160;
constexpr int32_t OverviewTop = 240;
constexpr int32_t OverviewSize = 80;
constexpr uint16_t PlayerMarkerColour = 0xFFFF;   // white
constexpr uint16_t OpponentMarkerColour = 0xF81F; // magenta

// Marks ships 0 to ShipCount - 1, wrecked or not, in table order on the overview map of the
// camera's frame: a 2 x 2 block with a black pixel pair on each side. Nothing is written
// outside the overview map, wherever a ship is.
void DrawMapMarkers(const CameraState& camera);
