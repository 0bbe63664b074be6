// The ShipTable: one global table of ship records for the whole program.
#include "base/ship.h"

ShipState ShipTable[ShipSlots] = {};
int32_t ShipCount = 3;
