// Ship flight: the control steps, the flight step, wrecks and their put-back, ship bumping.
#include "race/flight.h"

#include <cmath>
#include <cstdlib>

#include "base/random.h"
#include "base/ship.h"
#include "race/course.h"
#include "render/raster.h"

double FrameStep = 1.0;

namespace {

constexpr double BankLimit = 54.0;       // the controls bank and dip up to here from level
constexpr double OtherSideLimit = 202.0; // ...and down to here from the other side
constexpr double AltitudeCeiling = 230.0;
constexpr int32_t ExplosionFrames = 16;
constexpr int32_t ExplosionSize = 70; // altitude units
constexpr int32_t PutBackAfter = 50;  // wreck frames; the ship returns on the 51st

bool Flying(int32_t ship) {
    return ship >= 0 && ship < ShipSlots && !ShipTable[ship].wrecked;
}

// Levels one attitude angle by `rate`: turned back toward 0 and snapped to exactly 0 when
// the step carries it through 0.
double Level(double angle, double rate) {
    if (angle > 0.0 && angle < 127.0) {
        double levelled = WrapAngle(angle, -rate);
        return levelled > 128.0 ? 0.0 : levelled;
    }
    if (angle >= 127.0) {
        double levelled = WrapAngle(angle, rate);
        return levelled < 127.0 ? 0.0 : levelled;
    }
    return angle;
}

// Positions are never wrapped; adding in unsigned keeps a ship that flies for ever defined.
int32_t Shift(int32_t value, int32_t by) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(by));
}

// Puts a wreck back at a random place in the middle half of its last passed Checkpoint,
// with the attitude and pilot targets saved there. Laps and next checkpoint stay.
void PutBack(ShipState& ship) {
    int32_t x = ship.x, y = ship.y;
    const int32_t count = Course.checkpointCount;
    if (count > 0 && count <= CheckpointCapacity) {
        int32_t last = (ship.nextCheckpoint % count + count - 1) % count;
        if (last < 0)
            last += count;
        const CourseBox& k = Course.checkpoints[last];
        int32_t w = std::abs(k.x0 - k.x1);
        int32_t h = std::abs(k.y0 - k.y1);
        // Kept: two draws even where a side is too short to use them, so the generator's
        // sequence, and with it every later pilot decision, stays the same.
        int32_t p = GameRandom();
        int32_t q = GameRandom();
        int32_t spreadX = w / 2 > 0 ? p % (w / 2) : 0;
        int32_t spreadY = h / 2 > 0 ? q % (h / 2) : 0;
        x = ((k.x0 + k.x1) / 2 + spreadX - w / 4) * 256;
        y = ((k.y0 + k.y1) / 2 + spreadY - h / 4) * 256;
    }
    PutBackAt(ship, x, y);
}

// One axis of a bump: both ships move apart by half the overlap, in opposite directions.
void Push(int32_t iMin, int32_t iMax, int32_t jMin, int32_t jMax, int32_t& iValue,
          int32_t& jValue) {
    int32_t d = 0;
    if (jMin < iMax) {
        d = static_cast<int32_t>((static_cast<int64_t>(iMax) - jMin) / 2);
        jValue = Shift(jValue, -d);
        iValue = Shift(iValue, d);
    } else if (iMin < jMax) {
        d = static_cast<int32_t>((static_cast<int64_t>(jMax) - iMin) / 2);
        jValue = Shift(jValue, d);
        iValue = Shift(iValue, -d);
    }
}

} // namespace

void PutBackAt(ShipState& ship, int32_t x, int32_t y) {
    ship.x = x;
    ship.y = y;
    ship.altitude = 100;
    ship.targetWaypoint = ship.savedTargetWaypoint;
    ship.targetX = ship.savedTargetX;
    ship.targetY = ship.savedTargetY;
    ship.targetAltitude = ship.savedTargetAltitude;
    ship.heading = ship.savedHeading >= 0 && ship.savedHeading < 256 ? ship.savedHeading : 0;
    ship.pitch = 0.0;
    ship.bank = 0.0;
    ship.speed = 0.0;
    ship.wrecked = 0;
}

double WrapAngle(double angle, double change) {
    double value = angle + 256.0;
    value = value + change;
    // Only a value far out of range (never one the game makes) skips the loop's many turns.
    if (value >= 1024.0)
        value = std::fmod(value, 256.0);
    while (value >= 256.0)
        value -= 256.0;
    return value;
}

void SetFrameStep(double step) {
    // The frame rate is never below 5, so the step is at most 4; anything else would let one
    // frame carry a ship through walls or spin its angles.
    if (!(step >= 0.0))
        step = 0.0;
    if (step > 4.0)
        step = 4.0;
    FrameStep = step;
}

void BankLeft(int32_t ship) {
    if (!Flying(ship))
        return;
    ShipState& s = ShipTable[ship];
    if (s.bank < BankLimit)
        s.bank = WrapAngle(s.bank, 6.0 * FrameStep);
}

void BankRight(int32_t ship) {
    if (!Flying(ship))
        return;
    ShipState& s = ShipTable[ship];
    if (s.bank < BankLimit || s.bank > OtherSideLimit)
        s.bank = WrapAngle(s.bank, -6.0 * FrameStep);
}

void NoseDown(int32_t ship) {
    if (!Flying(ship))
        return;
    ShipState& s = ShipTable[ship];
    if (s.pitch < BankLimit)
        s.pitch = WrapAngle(s.pitch, 4.0 * FrameStep);
}

void NoseUp(int32_t ship) {
    if (!Flying(ship))
        return;
    ShipState& s = ShipTable[ship];
    if (s.pitch < BankLimit || s.pitch > OtherSideLimit)
        s.pitch = WrapAngle(s.pitch, -4.0 * FrameStep);
}

void Accelerate(int32_t ship) {
    if (!Flying(ship))
        return;
    ShipState& s = ShipTable[ship];
    if (s.speed < s.topSpeed)
        s.speed = s.speed + s.acceleration * FrameStep;
}

void Brake(int32_t ship) {
    if (!Flying(ship))
        return;
    ShipState& s = ShipTable[ship];
    s.speed = s.speed - s.acceleration * FrameStep;
    if (s.speed < 0.0)
        s.speed = 0.0;
}

void MoveShips() {
    const double f = FrameStep;
    for (int32_t i = 0; i < ShipCount && i < ShipSlots; ++i) {
        ShipState& s = ShipTable[i];
        if (s.wrecked)
            continue;

        // The bank turns the ship, measured before it levels.
        if (s.bank > 0.0 && s.bank < 127.0) {
            s.heading = WrapAngle(s.heading, -(s.bank * f * 0.1));
        } else if (s.bank >= 127.0) {
            s.heading = WrapAngle(s.heading, (256.0 - s.bank) * f * 0.1);
        }
        s.bank = Level(s.bank, 3.0 * f);
        s.pitch = Level(s.pitch, 2.0 * f);

        // Thrust along the nose: (0, -5 speed f, 0) turned by pitch, bank and heading.
        double forward = s.speed * f * (-5.0);
        if (forward < -1.0e9)
            forward = -1.0e9; // a runaway speed must not overflow the cast
        WorldPoint v{0, static_cast<int32_t>(forward), 0};
        WorldPoint d{};
        RotatePoint(v, d, static_cast<int32_t>(s.pitch), static_cast<int32_t>(s.bank),
                    static_cast<int32_t>(s.heading));
        s.x = Shift(s.x, d.x);
        s.y = Shift(s.y, d.y);
        s.altitude = Shift(s.altitude, d.z / 32);
        if (s.altitude > AltitudeCeiling)
            s.altitude = static_cast<int32_t>(AltitudeCeiling);

        if (s.speed > 0.0) {
            s.speed = s.speed - s.drag * f;
            if (s.speed < 0.0)
                s.speed = 0.0;
        }
    }
}

void UpdateWrecks(const CameraState& camera, const uint16_t* explosion) {
    for (int32_t i = 0; i < ShipCount && i < ShipSlots; ++i) {
        ShipState& s = ShipTable[i];
        if (!s.wrecked)
            continue;
        if (s.wreckFrames >= 0 && s.wreckFrames < ExplosionFrames && explosion != nullptr) {
            const WorldPoint at{s.x, s.y, Shift(s.altitude, -5) * 2};
            DrawBillboard(camera, at, explosion, ExplosionSize, s.wreckFrames);
        }
        s.wreckFrames += 1;
        if (s.wreckFrames > PutBackAfter)
            PutBack(s);
    }
}

bool BumpShips() {
    bool any = false;
    const int32_t count = ShipCount < ShipSlots ? ShipCount : ShipSlots;
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t j = i + 1; j < count; ++j) {
            ShipState& a = ShipTable[i];
            ShipState& b = ShipTable[j];
            if (a.wrecked || b.wrecked)
                continue;
            bool overlap = b.boxMinX <= a.boxMaxX && a.boxMinX <= b.boxMaxX &&
                           b.boxMinY <= a.boxMaxY && a.boxMinY <= b.boxMaxY &&
                           b.boxMinZ <= a.boxMaxZ && a.boxMinZ <= b.boxMaxZ;
            if (!overlap)
                continue;
            any = true;
            Push(a.boxMinX, a.boxMaxX, b.boxMinX, b.boxMaxX, a.x, b.x);
            Push(a.boxMinY, a.boxMaxY, b.boxMinY, b.boxMaxY, a.y, b.y);
            Push(a.boxMinZ, a.boxMaxZ, b.boxMinZ, b.boxMaxZ, a.altitude, b.altitude);
        }
    }
    return any;
}
