// Whole runs of the real program, headless and scripted, through the front-end screens:
// checked through the trace, screenshots and the mixed sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "golden_picture.h"
#include "run_program.h"
#include "screens/backdrop.h"
#include "test_folder.h"

namespace {

// A run over the baked data with `script`, seed 7 and its trace; `extra` names files of the
// run's folder as {dir}/name.
ProgramRun RunGame(const std::string& name, const std::string& script, const std::string& extra) {
    return RunProgram(
        TestFolder("front_" + name),
        BAKED_RUN "--seed 7 --input {dir}/input.txt --trace {dir}/trace.jsonl " + extra, script);
}

// Runs the game with `script` and stops it as soon as its trace shows `state`, returning that
// pass (0 if the game ended without reaching it). Saves the passes a fixed limit would waste.
int64_t PassReachingState(const std::string& name, const std::string& script, int32_t state,
                          int64_t limit) {
    const std::filesystem::path input = TestFolder("front_" + name) / "input.txt";
    std::ofstream(input) << script;
    const std::string command =
        std::string("'") + TARNVELL_BINARY + "' " BAKED_RUN "--seed 7 --autopilot --frames " +
        std::to_string(limit) + " --input '" + input.string() + "' --trace /dev/stdout";
    std::FILE* trace = popen(command.c_str(), "r");
    int64_t found = 0;
    char line[2048];
    while (found == 0 && trace != nullptr && std::fgets(line, sizeof line, trace) != nullptr) {
        if (TraceField(line, "state") == state)
            found = TraceField(line, "pass");
    }
    if (trace != nullptr)
        pclose(trace); // the run ends at its next trace line, on the closed pipe
    return found;
}

// The sound mixed during passes [first, last] (20 a second): the loudest pass's level.
double Loudest(const WavSound& sound, int64_t first, int64_t last) {
    const size_t perPass = static_cast<size_t>(sound.rate / 20 * sound.channels);
    double loudest = -1.0;
    for (int64_t pass = first; pass <= last; ++pass) {
        const size_t begin = static_cast<size_t>(pass - 1) * perPass;
        loudest = std::max(loudest, begin + perPass <= sound.samples.size()
                                        ? sound.Level(begin, begin + perPass)
                                        : -1.0);
    }
    return loudest;
}

// Trace fields a run must show, as "pass key value" triples, passes counted after `base`.
void ExpectFields(const ProgramRun& run, const std::string& triples, int64_t base = 0) {
    std::istringstream in(triples);
    int64_t pass = 0, value = 0;
    std::string key;
    while (in >> pass >> key >> value)
        EXPECT_EQ(run.At(base + pass, key.c_str()), value) << key << " in pass " << base + pass;
    EXPECT_TRUE(in.eof()) << "unreadable: " << triples;
}

} // namespace

// Pass 1 loads the assets, pass 2 enters the menu, pass 3 is its first update. A tap given
// for pass n is read by the screen in pass n.
TEST(FrontEndRun, MenuHitsPlanetAndTrackStepping) {
    // An animation picked in pass p advances in passes p+1 ... p+10 (planet, step 2) or
    // p+20 (track, step 1); the next tap is read after it. The taps: the left border of PLAY
    // GAME, its top border (both nothing), PLAY GAME (planet selection after the animation);
    // PREV (0 -> 11), NEXT (11 -> 0), OK (track selection); PREV (0 -> 4), NEXT (4 -> 0), PREV
    // again (0 -> 4), OK (the countdown).
    const std::string script = "10 tap 48 90\n12 tap 100 80\n14 tap 49 81\n"
                               "30 tap 30 230\n45 tap 200 230\n60 tap 120 230\n"
                               "80 tap 30 230\n105 tap 200 230\n130 tap 30 230\n155 tap 120 230\n";
    const ProgramRun run = RunGame("menu", script,
                                   "--frames 220 --shot 120:{dir}/track0.png "
                                   "--shot 145:{dir}/track4.png --audio-out {dir}/sound.wav");
    ASSERT_EQ(std::tuple(run.exitCode, run.trace.size()), std::tuple(0, 220u)) << run.output;

    for (int64_t pass = 3; pass < 24; ++pass)
        ASSERT_EQ(run.At(pass, "state"), 1) << pass;
    // Planet selection ten frames after the tap of pass 14; the planet changes halfway
    // through each animation; the track screen animates at half speed.
    ExpectFields(run, "24 state 3  24 step 0  34 planet 0  35 planet 11  49 planet 11  "
                      "50 planet 0  70 state 3  70 step 2  71 state 4  89 track 0  "
                      "90 track 4  114 track 4  115 track 0  139 track 0  140 track 4  "
                      "175 state 4  176 state 5  180 planet 0  180 track 4  ");

    // The preview shows every fourth cell of every fourth row of the track's own map.
    for (int32_t track : {0, 4}) {
        const std::vector<uint16_t> shot =
            ReadRgb565Png(run.File(track ? "track4.png" : "track0.png"));
        const std::vector<uint8_t> map = ReadFileBytes(std::string(TARNVELL_DATA) + "/Map/map" +
                                                       std::to_string(track + 1) + ".raw");
        ASSERT_FALSE(shot.empty());
        ASSERT_EQ(map.size(), 512u * 512u);
        int32_t wrong = 0;
        for (int32_t p = 0; p < 128 * 128; ++p)
            wrong += shot[(66 + p / 128) * 240 + 56 + p % 128] !=
                     PreviewGrey(map[(4 * (p / 128)) * 512 + 4 * (p % 128)]);
        EXPECT_EQ(wrong, 0) << "track " << track;
    }

    // The mixed sound keeps the game's pace: 220 passes at 20 a second are 11 s, to within two
    // of the mixer's blocks of 8,192 sample frames. The menu music plays from the start (its
    // first two blocks), and the spoken countdown (2 s from pass 176, 2,205 sample frames a
    // pass) stands well above it.
    const WavSound sound = ReadWav(run.File("sound.wav"));
    ASSERT_EQ(std::tuple(sound.rate, sound.channels), std::tuple(44100, 2));
    const double seconds = static_cast<double>(sound.samples.size()) / 2 / sound.rate;
    EXPECT_TRUE(seconds >= 11.0 && seconds <= 11.0 + 2 * 8192.0 / sound.rate) << seconds;
    const double menuMusic = sound.Level(0, 2 * 8192 * 2);
    EXPECT_GT(menuMusic, 400.0);
    EXPECT_GT(sound.Level(176 * 4410, 216 * 4410), 2.0 * menuMusic);
}

TEST(FrontEndRun, SettingsCyclingClicksAndMusic) {
    // SETTINGS; DETAIL four times (the first made during the menu's animation, read when
    // settings opens); MUSIC OFF; SOUND FX OFF (still clicks), ON (silent), OFF again (clicks);
    // OK (silent); PLAY GAME; planet OK; track OK (the countdown starts no music).
    const std::string script = "10 tap 120 120\n14 tap 200 150\n40 tap 200 150\n52 tap 200 150\n"
                               "64 tap 200 150\n80 tap 200 120\n130 tap 200 100\n150 tap 200 100\n"
                               "170 tap 200 100\n190 tap 120 220\n210 tap 100 90\n"
                               "230 tap 120 230\n250 tap 120 230\n";
    const ProgramRun run = RunGame("settings", script, "--frames 340 --audio-out {dir}/sound.wav");
    ASSERT_EQ(std::tuple(run.exitCode, run.trace.size()), std::tuple(0, 340u)) << run.output;

    EXPECT_EQ(run.At(20, "state"), 2);
    // HIGH, LOW, MEDIUM, HIGH, each five frames after the settings screen read its tap.
    const int64_t changes[4][2] = {{27, 2}, {45, 0}, {57, 1}, {69, 2}};
    for (const auto& change : changes)
        EXPECT_EQ(
            std::tuple(run.At(change[0] - 1, "detail") != change[1], run.At(change[0], "detail")),
            std::tuple(true, change[1]))
            << change[0];
    // Back to the menu's update (step 1), not its enter; at the end nothing else changed.
    ExpectFields(run, "84 music 1  85 music 0  135 sfx 0  155 sfx 1  175 sfx 0  200 step 2  "
                      "201 state 1  201 step 1  271 state 5  340 level 1  340 distance 2  "
                      "340 sky 1  340 detail 2  ");

    // The mixer runs a few passes ahead of what is heard, so each event is looked for in the
    // nine passes from its tap.
    const WavSound sound = ReadWav(run.File("sound.wav"));
    ASSERT_GT(sound.rate, 0);
    for (int64_t pass = 30; pass < 40; ++pass)
        EXPECT_GT(Loudest(sound, pass, pass), 300.0) << pass; // the menu music
    EXPECT_LT(Loudest(sound, 120, 129), 50.0);                // silenced by MUSIC OFF
    const double click = Loudest(sound, 130, 138);
    EXPECT_GT(click, 10.0 * Loudest(sound, 129, 129));
    EXPECT_LT(Loudest(sound, 150, 158), click / 10.0); // only the first click's fading echo
    EXPECT_GT(Loudest(sound, 170, 178), 5.0 * Loudest(sound, 169, 169)); // the click again
    EXPECT_LT(Loudest(sound, 280, 340), 5.0); // no race music, no countdown voices
    // With MUSIC OFF only the effects sound, in the middle: over the clicks (2,205 sample frames
    // a pass) the two ears' loudness lies within 1 dB of each other.
    WavSound ears[2] = {{sound.rate, 1, {}}, {sound.rate, 1, {}}};
    for (size_t i = 130 * 2205 * 2; i < 180 * 2205 * 2 && i < sound.samples.size(); ++i)
        ears[i % 2].samples.push_back(sound.samples[i]);
    const double left = ears[0].Level(0, SIZE_MAX), right = ears[1].Level(0, SIZE_MAX);
    EXPECT_TRUE(left > 100.0 && std::fabs(20.0 * std::log10(left / right)) < 1.0)
        << "left " << left << ", right " << right;
}

TEST(FrontEndRun, HelpPagesAndButtons) {
    // HELP; OK's and PREV's places on page 0 (nothing); NEXT (page 1 from pass 61); OK's place
    // on page 1 (nothing); NEXT (page 2); NEXT's place on page 2 (nothing); PREV (page 1); NEXT
    // (page 2); OK (the main menu).
    const std::string script = "10 tap 120 150\n30 tap 120 230\n40 tap 30 230\n50 tap 200 230\n"
                               "75 tap 120 230\n80 tap 200 230\n105 tap 200 230\n110 tap 30 230\n"
                               "135 tap 200 230\n160 tap 120 230\n";
    const ProgramRun run =
        RunGame("help", script,
                "--frames 190 --shot 45:{dir}/help0.png --shot 75:{dir}/help1.png "
                "--shot 160:{dir}/help2.png");
    ASSERT_EQ(run.exitCode, 0);
    for (int64_t pass = 20; pass <= 180; ++pass)
        ASSERT_EQ(run.At(pass, "state"), 8) << pass;
    ExpectFields(run, "19 state 1  180 step 2  181 state 1  181 step 1  ");

    // The controls page alone has text on rows 204-211; white is the small font's only colour.
    auto whiteIn = [](const std::vector<uint16_t>& shot, int32_t top, int32_t bottom) {
        int32_t count = 0;
        for (int32_t y = top; y <= bottom; ++y)
            count += static_cast<int32_t>(
                std::count(shot.begin() + y * 240 + 10, shot.begin() + y * 240 + 226, 0xFFFF));
        return count;
    };
    const std::vector<uint16_t> page0 = ReadRgb565Png(run.File("help0.png")),
                                page1 = ReadRgb565Png(run.File("help1.png")),
                                page2 = ReadRgb565Png(run.File("help2.png"));
    ASSERT_FALSE(page0.empty() || page1.empty() || page2.empty());
    EXPECT_GT(whiteIn(page1, 204, 211), 20);
    EXPECT_EQ(std::tuple(whiteIn(page0, 204, 211), whiteIn(page2, 204, 211)), std::tuple(0, 0));
    EXPECT_GT(whiteIn(page0, 92, 107), 50);
    EXPECT_GT(whiteIn(page2, 162, 177), 50); // and the address
}

// A whole game: menu, settings, help, planet, track, countdown, a race flown by the autopilot,
// results and back to the menu, then EXIT. The race's length depends on the flight, so a first
// run finds when the results open and a second run, identical up to there, taps relative to it.
TEST(FrontEndRun, WholeGame) {
    const std::string prefix = ReadText(TARNVELL_SOURCE "/tests/scripts/whole_game.txt");
    ASSERT_FALSE(prefix.empty());
    const int64_t results = PassReachingState("game_first", prefix, 7, 6000);
    ASSERT_GT(results, 0) << "the race did not finish";

    // Taps on PLAY GAME's place early in the results: thrown away, never read by the menu.
    // Results enter at `results + 1`; their 264 frames are passes results + 2 ... results + 265.
    std::ostringstream script;
    script << prefix << results + 10 << " tap 100 90\n"
           << results + 60 << " tap 100 90\n"
           << results + 300 << " tap 100 180\n"; // EXIT
    const ProgramRun run = RunGame("game", script.str(), "--autopilot");
    EXPECT_EQ(std::tuple(run.exitCode, run.FirstPassIn(7)), std::tuple(0, results)) << run.output;
    const int32_t place = run.At(results, "outcome");
    EXPECT_TRUE(place >= 1 && place <= 3) << place;
    for (int64_t pass = results; pass < results + 265; ++pass)
        ASSERT_EQ(run.At(pass, "state"), 7) << pass;
    // The eleventh pulse ends the screen; then the menu's update, not planet selection.
    ExpectFields(run, "265 step 2  266 state 1  266 step 1  299 state 1  310 state 0  ", results);
    ASSERT_EQ(static_cast<int64_t>(run.trace.size()), results + 311);
    EXPECT_EQ(TraceField(run.trace.back(), "state"), 99);

    // The prefix visited every front-end screen on its way to the race.
    for (int32_t state : {1, 2, 8, 3, 4, 5, 6})
        EXPECT_GT(run.FirstPassIn(state), 0) << state;
}
