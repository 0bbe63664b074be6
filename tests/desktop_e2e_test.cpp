// Whole runs of the real program for what the desktop port adds: the configuration file
// (written on first run, broken lines warned about, command line first, the game's settings
// kept when asked), screenshots refused at start, and effects heard in both ears.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.h"
#include "test_folder.h"

namespace {

struct Outcome {
    int exitCode;
    std::string errors;
};

Outcome RunTarnvell(const std::string& arguments, const std::filesystem::path& dir) {
    const std::string errors = (dir / "stderr.txt").string();
    const std::string command = std::string("'") + TARNVELL_BINARY + "' --data '" + TARNVELL_DATA +
                                "' " + arguments + " >/dev/null 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The frame rate the last trace line reports.
int64_t LastFrameRate(const std::filesystem::path& trace) {
    const std::vector<std::string> lines = ReadLines(trace);
    return lines.empty() ? -1 : TraceField(lines.back(), "frameRate");
}

// Taps that open the settings, switch MUSIC off and DETAIL to HIGH, and leave with OK.
const char* const MusicOffDetailHigh = "5 tap 100 120\n"
                                       "30 tap 200 120\n"
                                       "45 tap 200 150\n"
                                       "60 tap 120 220\n";

} // namespace

TEST(DesktopConfig, WrittenOnFirstRunWarnedLineByLineAndBeatenByTheCommandLine) {
    const auto dir = TestFolder("config");
    const std::string first = (dir / "new" / "deeper" / "tarnvell.conf").string();
    Outcome run = RunTarnvell("--headless --frames 1 --config '" + first + "'", dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::string written = Read(first);
    for (const char* line : {"scaling = fit\n", "fps = 20\n", "pause_on_focus_loss = yes\n",
                             "keep_game_settings = no\n", "key.accelerate = Z, Space\n",
                             "key.back = Escape\n", "pad.pause = start, back\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line;
    }
    // Read back as it was written: not one warning.
    run = RunTarnvell("--headless --frames 1 --config '" + first + "'", dir);
    EXPECT_EQ(run.errors, "");

    // Broken lines: one warning each, naming the line; the game starts all the same and the
    // good line (fps = 10) holds.
    const std::string broken = (dir / "broken.conf").string();
    std::ofstream(broken) << "# comment\n"
                             "scaling = blurry\n"
                             "fps = 10\n"
                             "no equals sign here\n"
                             "key.up = Uup\n"
                             "pad.nothing = a\n"
                             "music_volume = 300\n"
                             "colour = red\n"
                             "\xff\xfe = \x01\n";
    const std::string trace = (dir / "t.jsonl").string();
    run = RunTarnvell("--headless --frames 30 --trace '" + trace + "' --config '" + broken + "'",
                      dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const struct {
        int line;
        const char* says;
    } warnings[] = {{2, "scaling takes fit or integer; using fit"},
                    {4, "not a \"key = value\" line"},
                    {5, "'Uup' is not a key name; key.up stays Up"},
                    {6, "no action called 'nothing'"},
                    {7, "music_volume takes a percentage from 0 to 100; using 100"},
                    {8, "unknown setting 'colour'"},
                    {9, "unknown setting"}};
    int32_t lines = 0;
    for (char c : run.errors)
        lines += c == '\n';
    EXPECT_EQ(lines, 7) << run.errors;
    for (const auto& w : warnings) {
        const std::string where = broken + ":" + std::to_string(w.line) + ": ";
        const size_t at = run.errors.find(where);
        ASSERT_NE(at, std::string::npos) << where << "\n" << run.errors;
        EXPECT_EQ(run.errors.find(w.says, at), at + where.size()) << run.errors;
    }
    // The virtual clock runs at 10 frames a second: measured as 12 (the count is doubled).
    EXPECT_EQ(LastFrameRate(trace), 12);

    // The command line beats the file.
    run = RunTarnvell(
        "--headless --frames 30 --fps 20 --trace '" + trace + "' --config '" + broken + "'", dir);
    EXPECT_EQ(LastFrameRate(trace), 22);

    // A headless run without --config reads and writes no configuration at all.
    const auto home = TestFolder("home");
    run = RunTarnvell("--headless --frames 1", dir);
    const std::string isolated = "XDG_CONFIG_HOME='" + home.string() + "' '" + TARNVELL_BINARY +
                                 "' --data '" + TARNVELL_DATA + "' --headless --frames 1";
    ASSERT_EQ(std::system(isolated.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(home));
    std::filesystem::remove_all(dir);
    std::filesystem::remove_all(home);
}

TEST(DesktopConfig, TheGameSettingsStayOnlyForPlayersWhoAskForIt) {
    const auto dir = TestFolder("kept");
    const std::string script = (dir / "settings.txt").string(), trace = (dir / "t.jsonl").string(),
                      config = (dir / "tarnvell.conf").string();
    std::ofstream(script) << MusicOffDetailHigh;
    const std::string changed = "\"settings\":{\"level\":1,\"sfx\":1,\"music\":0,\"detail\":2,";
    const std::string defaults = "\"settings\":{\"level\":1,\"sfx\":1,\"music\":1,\"detail\":1,";

    // As the game always did: every run starts from the defaults.
    std::ofstream(config) << "keep_game_settings = no\n";
    Outcome run = RunTarnvell("--headless --frames 80 --input '" + script + "' --trace '" + trace +
                                  "' --config '" + config + "'",
                              dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_NE(ReadLines(trace).back().find(changed), std::string::npos) << ReadLines(trace).back();
    run =
        RunTarnvell("--headless --frames 5 --trace '" + trace + "' --config '" + config + "'", dir);
    EXPECT_NE(ReadLines(trace).back().find(defaults), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "kept-settings.conf"));

    // Kept: the next run's menu opens with MUSIC OFF and DETAIL HIGH.
    std::ofstream(config) << "keep_game_settings = yes\n";
    run = RunTarnvell("--headless --frames 80 --input '" + script + "' --trace '" + trace +
                          "' --config '" + config + "'",
                      dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(Read(dir / "kept-settings.conf").find("DETAIL = HIGH\n"), std::string::npos);
    run =
        RunTarnvell("--headless --frames 5 --trace '" + trace + "' --config '" + config + "'", dir);
    const std::vector<std::string> lines = ReadLines(trace);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[2].find(changed), std::string::npos) << lines[2];

    // A kept file with nonsense in it leaves the defaults.
    std::ofstream(dir / "kept-settings.conf") << "DETAIL = ENORMOUS\nMUSIC\n= ON\n";
    run =
        RunTarnvell("--headless --frames 5 --trace '" + trace + "' --config '" + config + "'", dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(ReadLines(trace).back().find(defaults), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(DesktopShots, RefusedAtStartWhenTheyCannotBeTaken) {
    const auto dir = TestFolder("shots");
    const struct {
        std::string arguments;
        const char* says;
    } cases[] = {
        {"--headless --frames 5 --shot 6:" + (dir / "late.png").string(),
         "comes after the last pass (--frames 5)"},
        {"--headless --frames 5 --shot 3:/nonexistent/folder/x.png",
         "cannot write the screenshot /nonexistent/folder/x.png"},
        {"--headless --frames 5 --shot 3:" + dir.string() + "/", "cannot write the screenshot"},
    };
    for (const auto& c : cases) {
        const Outcome run = RunTarnvell(c.arguments, dir);
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_EQ(run.errors.find("tarnvell: "), 0u) << run.errors;
        EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    }
    // The last pass itself is fine.
    const Outcome good =
        RunTarnvell("--headless --frames 5 --shot 5:" + (dir / "ok.png").string(), dir);
    EXPECT_EQ(good.exitCode, 0) << good.errors;
    EXPECT_TRUE(std::filesystem::exists(dir / "ok.png"));
    std::filesystem::remove_all(dir);
}

// With MUSIC OFF only the effects sound: the countdown voices, the clicks. They play in the
// middle, the two channels' loudness within 1 dB of each other.
TEST(DesktopSound, EffectsSoundInBothEarsAlike) {
    const auto dir = TestFolder("ears");
    const std::string script = (dir / "in.txt").string(), wav = (dir / "out.wav").string();
    std::ofstream(script) << "5 tap 100 120\n"  // SETTINGS
                             "30 tap 200 120\n" // MUSIC OFF
                             "50 tap 120 220\n" // OK
                             "75 tap 100 90\n"  // PLAY GAME
                             "100 tap 120 230\n"
                             "125 tap 120 230\n";
    const Outcome run = RunTarnvell(
        "--headless --frames 230 --input '" + script + "' --audio-out '" + wav + "'", dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    std::ifstream in(wav, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    const size_t frames = (bytes.size() - 44) / 4;
    // From pass 40 (MUSIC is off by then) to the end: 2,205 sample frames a pass.
    double left = 0, right = 0;
    size_t counted = 0;
    for (size_t f = 40 * 2205; f < frames; ++f, ++counted) {
        int16_t l, r;
        std::memcpy(&l, bytes.data() + 44 + f * 4, 2);
        std::memcpy(&r, bytes.data() + 44 + f * 4 + 2, 2);
        left += static_cast<double>(l) * l;
        right += static_cast<double>(r) * r;
    }
    ASSERT_GT(counted, 100000u);
    const double leftRms = std::sqrt(left / counted), rightRms = std::sqrt(right / counted);
    EXPECT_GT(leftRms, 100.0) << "the effects are heard at all";
    EXPECT_LT(std::fabs(20.0 * std::log10(leftRms / rightRms)), 1.0)
        << "left " << leftRms << ", right " << rightRms;
    std::filesystem::remove_all(dir);
}
