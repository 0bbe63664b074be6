// The baker's flights of put-backs over a baked map: which Checkpoints are flown, and how the
// flights of the carved ones replace the earlier ones between rounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "maps_flight.h"
#include "race/course_data.h"

namespace {

std::vector<uint8_t> ReadBakedMap(int32_t track) {
    const std::string path =
        std::string(TARNVELL_DATA) + "/Map/map" + std::to_string(track + 1) + ".raw";
    std::vector<uint8_t> bytes(512u * 512u);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return {};
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return read == bytes.size() ? bytes : std::vector<uint8_t>{};
}

TEST(MapsFlight, OnlyTheMarkedCheckpointsAreFlownAndTheyFlyAsInAWholeRound) {
    ASSERT_TRUE(LoadFlightModel(std::string(TARNVELL_DATA) + "/Graph/plane1.md2"));
    constexpr int32_t Track = 1;
    const std::vector<uint8_t> map = ReadBakedMap(Track);
    ASSERT_EQ(map.size(), 512u * 512u);
    const auto count = size_t(CourseTables[Track].checkpointCount);
    const PutBackReport whole = FlyPutBacksInTheGame(Track, map, {});
    std::vector<uint8_t> only(count, 0);
    only[2] = only[7] = 1;
    const PutBackReport some = FlyPutBacksInTheGame(Track, map, only);
    ASSERT_EQ(whole.eyeSpots.size(), count);
    ASSERT_EQ(some.eyeSpots.size(), count);
    for (size_t k = 0; k < count; ++k) {
        EXPECT_GT(whole.eyeSpots[k], 0) << "Checkpoint " << k;
        EXPECT_EQ(some.eyeSpots[k], only[k] ? whole.eyeSpots[k] : 0) << "Checkpoint " << k;
        EXPECT_EQ(some.rockSpots[k], only[k] ? whole.rockSpots[k] : 0) << "Checkpoint " << k;
    }
    for (const EyeInRock& eye : some.eyes)
        EXPECT_TRUE(only[size_t(eye.checkpoint)]) << "Checkpoint " << eye.checkpoint;

    const RecoveryReport recoveries = FlyRecoveriesInTheGame(Track, map, only);
    for (size_t k = 0; k < count; ++k)
        EXPECT_EQ(recoveries.flights[k] > 0, only[k] != 0) << "Checkpoint " << k;
    // Near misses from the grid's spots and from the lattice's, told apart.
    const RecoveryReport all = FlyRecoveriesInTheGame(Track, map, {});
    size_t fromLattice = 0;
    for (const FlightPoint& miss : all.nearMisses)
        fromLattice += miss.lattice;
    EXPECT_GT(fromLattice, 0u);
    EXPECT_LT(fromLattice, all.nearMisses.size());

    // Nothing is flown on a track that does not exist or on a map of the wrong size.
    for (const int32_t track : {-1, TrackCount})
        EXPECT_TRUE(FlyPutBacksInTheGame(track, map, {}).eyeSpots.empty()) << track;
    const PutBackReport cut = FlyPutBacksInTheGame(Track, std::vector<uint8_t>(1000), {});
    ASSERT_EQ(cut.eyeSpots.size(), count);
    for (size_t k = 0; k < count; ++k)
        EXPECT_EQ(cut.eyeSpots[k], 0);
}

// The eye's faults after put-backs: where it stood in rock, and where rock stood only a cell from
// it (a race with other random aims puts the eye a cell aside), but nowhere else.
TEST(MapsFlight, TheEyeIsReportedInRockAndACellFromIt) {
    ASSERT_TRUE(LoadFlightModel(std::string(TARNVELL_DATA) + "/Graph/plane1.md2"));
    constexpr int32_t Track = 3, EyeHeight = 1400; // the chase camera's height
    const std::vector<uint8_t> map = ReadBakedMap(Track);
    ASSERT_EQ(map.size(), 512u * 512u);
    const PutBackReport report = FlyPutBacksInTheGame(Track, map, {});
    const auto ground = [&](int32_t x, int32_t y) {
        return map[size_t(y & 511) * 512 + size_t(x & 511)];
    };
    size_t inRock = 0, aside = 0;
    for (const EyeInRock& eye : report.eyes) {
        const int32_t x = int32_t(std::floor(eye.x)), y = int32_t(std::floor(eye.y));
        if (ground(x, y) * 16 > EyeHeight) {
            inRock += 1;
            continue;
        }
        int32_t highest = 0;
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                highest = std::max<int32_t>(highest, ground(x + dx, y + dy));
        EXPECT_GT(highest * 16, EyeHeight) << x << ", " << y;
        aside += 1;
    }
    // The maps are carved for both, but a shelf never cuts through the wall between two
    // stretches: some eyes still pass a cell from its rock.
    EXPECT_GT(aside, 0u);
    EXPECT_LE(inRock,
              size_t(std::accumulate(report.rockSpots.begin(), report.rockSpots.end(), 0)) * 40);
}

// A Checkpoint's fingerprint changes when the laps pass it otherwise, and only then.
TEST(MapsFlight, ReturnFingerprintsFollowTheLaps) {
    ASSERT_TRUE(LoadFlightModel(std::string(TARNVELL_DATA) + "/Graph/plane1.md2"));
    constexpr int32_t Track = 2;
    const CourseTable& course = CourseTables[Track];
    std::vector<uint8_t> map = ReadBakedMap(Track);
    ASSERT_EQ(map.size(), 512u * 512u);
    const std::vector<uint64_t> prints = ReturnFingerprints(Track, map);
    ASSERT_EQ(prints.size(), size_t(course.checkpointCount));
    EXPECT_EQ(ReturnFingerprints(Track, map), prints);
    // Every Checkpoint is passed: no two keep the same print.
    for (size_t k = 1; k < prints.size(); ++k)
        EXPECT_NE(prints[k], prints[k - 1]) << "Checkpoint " << k;

    // Rock deep in the mountains, where no lap flies, changes nothing.
    std::vector<uint8_t> far = map;
    size_t changed = 0;
    for (size_t i = 0; i < far.size(); ++i)
        if (far[i] >= 200 && far[i] < 255) {
            far[i] += 1;
            changed += 1;
        }
    ASSERT_GT(changed, 0u);
    EXPECT_EQ(ReturnFingerprints(Track, far), prints);

    // Ground raised at every Waypoint's centre raises the pilot's aims there: the laps keep
    // other aims at (nearly) every Checkpoint.
    std::vector<uint8_t> raised = map;
    for (int32_t i = 0; i < course.waypointCount; ++i) {
        const int32_t x = course.waypoints[i][0] + WaypointSide / 2;
        const int32_t y = course.waypoints[i][1] + WaypointSide / 2;
        raised[size_t(y & 511) * 512 + size_t(x & 511)] += 5;
    }
    const std::vector<uint64_t> moved = ReturnFingerprints(Track, raised);
    ASSERT_EQ(moved.size(), prints.size());
    size_t differ = 0;
    for (size_t k = 0; k < prints.size(); ++k)
        differ += moved[k] != prints[k];
    EXPECT_GE(differ + 1, prints.size());

    // Nothing flown on a map of the wrong size: every print the same, none a flown one's; no
    // prints for a track that does not exist.
    const std::vector<uint64_t> none = ReturnFingerprints(Track, std::vector<uint8_t>(1000));
    ASSERT_EQ(none.size(), prints.size());
    for (size_t k = 0; k < none.size(); ++k)
        EXPECT_TRUE(none[k] == none[0] && none[k] != prints[k]) << "Checkpoint " << k;
    EXPECT_TRUE(ReturnFingerprints(TrackCount, map).empty());
}

TEST(MapsFlight, FlightsFlownAgainReplaceOnlyTheirCheckpoints) {
    // Cells: bits 0 and 2 flown over cell 0, bit 1 over cell 1; fresh flights of 0 and 1 over
    // cell 2.
    RecoveryReport all{{5, 6, 7},
                       {1, 2, 3},
                       {{1, 1, 90, 0, 1, 1}, {2, 2, 90, 1, 2, 2}, {3, 3, 90, 2, 3, 3}},
                       {{4, 4, 120, 1, 4, 4}, {5, 5, 120, 2, 5, 5}},
                       {0b101, 0b010, 0}};
    const RecoveryReport fresh{
        {0, 9, 0}, {0, 0, 0}, {}, {{6, 6, 130, 1, 6, 6}, {7, 7, 130, 0, 7, 7}}, {0, 0, 0b011}};
    // Checkpoint 1 flown again (0 is not, though the fresh flights hold a point of it); an
    // index past the Checkpoints is ignored.
    MergeFlights(all, fresh, {0, 1, 0, 1});
    EXPECT_EQ(all.flights, (std::vector<int32_t>{5, 9, 7}));
    EXPECT_EQ(all.wrecked, (std::vector<int32_t>{1, 0, 3}));
    ASSERT_EQ(all.contacts.size(), 2u);
    EXPECT_EQ(all.contacts[0].checkpoint, 0);
    EXPECT_EQ(all.contacts[1].checkpoint, 2);
    ASSERT_EQ(all.nearMisses.size(), 2u);
    EXPECT_EQ(all.nearMisses[0].checkpoint, 2);
    EXPECT_EQ(all.nearMisses[1].checkpoint, 1);
    EXPECT_EQ(all.nearMisses[1].altitude, 130);
    // Checkpoint 1's cells are the fresh flights' alone; 0's and 2's stay.
    EXPECT_EQ(all.cells, (FlownCells{0b101, 0, 0b010}));

    PutBackReport eyes{{10, 10}, {2, 1}, {{1, 1, 0}, {2, 2, 1}, {3, 3, 1}}, {}};
    MergeFlights(eyes, PutBackReport{{10, 12}, {0, 0}, {}, {0b10, 0b11}}, {0, 1});
    EXPECT_EQ(eyes.eyeSpots, (std::vector<int32_t>{10, 12}));
    EXPECT_EQ(eyes.rockSpots, (std::vector<int32_t>{2, 0}));
    ASSERT_EQ(eyes.eyes.size(), 1u);
    EXPECT_EQ(eyes.eyes[0].checkpoint, 0);
    // No cells before: the fresh ones of the Checkpoints flown again.
    EXPECT_EQ(eyes.cells, (FlownCells{0b10, 0b10}));
    // Nothing flown again, nothing changes.
    MergeFlights(eyes, PutBackReport{{0, 0}, {9, 9}, {{5, 5, 0}}, {0b11, 0b11}}, {});
    EXPECT_EQ(eyes.rockSpots, (std::vector<int32_t>{2, 0}));
    EXPECT_EQ(eyes.eyes.size(), 1u);
    EXPECT_EQ(eyes.cells, (FlownCells{0b10, 0b10}));
}

} // namespace

// The spots a put-back's recoveries are flown from: the grid first, its corners included; on a
// dense lap a lattice besides, so that no row or column of the zone goes unflown (a ship put
// back on one line of cells may pass a Waypoint at once and turn round where its neighbours
// fly on).
TEST(MapsFlight, RecoverySpotsMeetEveryRowAndColumnOnADenseLap) {
    size_t grid = 0;
    // The 5 x 5 grid of an ordinary lap: 25 spots, corners included, no lattice.
    const std::vector<Spot> plain = RecoverySpots(10, 20, 30, 60, 5, 0, grid);
    ASSERT_EQ(std::tuple(plain.size(), grid), std::tuple(size_t{25}, size_t{25}));
    EXPECT_EQ(std::tuple(plain.front(), plain[4], plain[20], plain.back()),
              std::tuple(Spot{10, 20}, Spot{30, 20}, Spot{10, 60}, Spot{30, 60}));
    // A dense lap over a zone 19 x 64 cells: 7 x 22 grid spots at most 3 cells apart, then the
    // lattice, never on a grid spot, meeting every row and every column.
    constexpr int32_t Left = 166, Top = 385, Right = 184, Bottom = 448;
    const std::vector<Spot> dense = RecoverySpots(Left, Top, Right, Bottom, 0, 3, grid);
    ASSERT_EQ(grid, size_t{7 * 22});
    ASSERT_GT(dense.size(), grid);
    EXPECT_EQ(std::tuple(dense[0], dense[6], dense[grid - 1]),
              std::tuple(Spot{Left, Top}, Spot{Right, Top}, Spot{Right, Bottom}));
    std::vector<int32_t> rows(Bottom - Top + 1), columns(Right - Left + 1);
    for (size_t i = 0; i < dense.size(); ++i) {
        const Spot s = dense[i];
        ASSERT_TRUE(s.x >= Left && s.x <= Right && s.y >= Top && s.y <= Bottom) << i;
        if (i >= grid) {
            EXPECT_EQ(std::count(dense.begin(), dense.end(), s), 1) << s.x << ", " << s.y;
        }
        rows[size_t(s.y - Top)] += 1;
        columns[size_t(s.x - Left)] += 1;
    }
    // One cell in three of every row (19 long) and every column (64 long), the grid's spots
    // among them: no line of cells left unflown, the grid's columns included.
    for (size_t y = 0; y < rows.size(); ++y)
        EXPECT_GE(rows[y], 6) << "row " << Top + int32_t(y);
    for (size_t x = 0; x < columns.size(); ++x)
        EXPECT_GE(columns[x], 21) << "column " << Left + int32_t(x);
    // About a third of the zone's cells in all.
    EXPECT_EQ(dense.size(), size_t(19 * 64 / 3 + 1));
    // A zone one cell wide still has its spot; an empty one none.
    EXPECT_EQ(RecoverySpots(5, 5, 5, 5, 0, 3, grid), (std::vector<Spot>{Spot{5, 5}}));
    EXPECT_EQ(grid, size_t{1});
    EXPECT_TRUE(RecoverySpots(6, 5, 5, 5, 5, 0, grid).empty());
    EXPECT_EQ(grid, size_t{0});
}
