// The trace and the screenshots of a run.
#include "app/trace.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "base/options.h"
#include "base/settings.h"
#include "base/ship.h"
#include "base/state.h"
#include "platform/display.h"
#include "platform/png_writer.h"
#include "render/camera.h"
#include "screens/race_screen.h"

namespace {

std::FILE* trace = nullptr;         // whole run, from start-up to CloseTrace
uint8_t shotPicture[240 * 320 * 3]; // RGB, one screenshot at a time
bool shotFailed = false;

// Appends formatted text to the trace line being built; false when it would not fit.
bool Append(char* out, int32_t capacity, int32_t& length, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

bool Append(char* out, int32_t capacity, int32_t& length, const char* format, ...) {
    if (length >= capacity)
        return false;
    va_list args;
    va_start(args, format);
    const int written =
        std::vsnprintf(out + length, static_cast<size_t>(capacity - length), format, args);
    va_end(args);
    if (written < 0 || written >= capacity - length) {
        length = capacity;
        return false;
    }
    length += written;
    return true;
}

} // namespace

bool OpenTrace(const std::string& path, std::string& error) {
    trace = std::fopen(path.c_str(), "w");
    if (!trace)
        error = "cannot write the trace " + path;
    return trace != nullptr;
}

int32_t FormatTraceLine(int64_t pass, char* out, int32_t capacity) {
    int32_t length = 0;
    const Settings& s = GameSettings;
    Append(out, capacity, length,
           "{\"pass\":%" PRId64 ",\"state\":%d,\"step\":%d,\"frameRate\":%d,\"planet\":%d,"
           "\"track\":%d,\"settings\":{\"level\":%d,\"sfx\":%d,\"music\":%d,\"detail\":%d,"
           "\"distance\":%d,\"sky\":%d},\"outcome\":%d,"
           "\"camera\":{\"x\":%d,\"y\":%d,\"angle\":%d},\"ships\":[",
           pass, GameState, GameStep, FrameRate, PlanetIndex, TrackIndex, s.level, s.sfx, s.music,
           s.detail, s.distance, s.sky, RaceOutcome, Camera.x, Camera.y, Camera.angle);
    for (int32_t i = 0; i < 3; ++i) {
        const ShipState& ship = ShipTable[i];
        Append(out, capacity, length,
               "%s{\"x\":%d,\"y\":%d,\"alt\":%d,\"heading\":%.3f,\"pitch\":%.3f,\"bank\":%.3f,"
               "\"speed\":%.3f,\"wrecked\":%d,\"next\":%d,\"laps\":%d}",
               i ? "," : "", ship.x, ship.y, ship.altitude, ship.heading, ship.pitch, ship.bank,
               ship.speed, ship.wrecked, ship.nextCheckpoint, ship.laps);
    }
    Append(out, capacity, length, "]}\n");
    return length < capacity ? length : capacity - 1;
}

void WritePassRecords(int64_t pass) {
    for (const Shot& shot : GameOptions.shots) {
        if (shot.pass != pass)
            continue;
        DecodeDisplay(shotPicture);
        if (!WritePngFile(shot.path, shotPicture, 240, 320)) {
            std::fprintf(stderr, "tarnvell: cannot write the screenshot %s\n", shot.path.c_str());
            shotFailed = true;
        }
    }
    if (trace) {
        char line[2048];
        const int32_t length = FormatTraceLine(pass, line, sizeof line);
        std::fwrite(line, 1, static_cast<size_t>(length), trace);
    }
}

bool ShotsFailed() {
    return shotFailed;
}

void CloseTrace() {
    if (trace)
        std::fclose(trace);
    trace = nullptr;
}
