// Whole runs of the real program for what the desktop port adds: the configuration file
// (written on first run, broken lines warned about, command line first, the game's settings
// kept when asked) and screenshots refused at start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "run_program.h"
#include "test_folder.h"

namespace {

// A headless run over the baked data in `dir`, its trace in {dir}/trace.jsonl.
ProgramRun RunDesktop(const std::filesystem::path& dir, const std::string& arguments,
                      const std::string& script = "") {
    return RunProgram(dir, BAKED_RUN "--trace {dir}/trace.jsonl " + arguments, script);
}

} // namespace

TEST(DesktopConfig, WrittenOnFirstRunWarnedLineByLineAndBeatenByTheCommandLine) {
    const auto dir = TestFolder("config");
    const std::string first = (dir / "new" / "deeper" / "tarnvell.conf").string();
    ProgramRun run = RunDesktop(dir, "--frames 1 --config '" + first + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string written = ReadText(first);
    for (const char* line : {"scaling = fit\n", "fps = 20\n", "pause_on_focus_loss = yes\n",
                             "keep_game_settings = no\n", "key.accelerate = Z, Space\n",
                             "key.back = Escape\n", "pad.pause = start, back\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line;
    }
    // Read back as it was written: not one warning.
    run = RunDesktop(dir, "--frames 1 --config '" + first + "'");
    EXPECT_EQ(run.output, "");

    // Broken lines: one warning each, naming the line; the game starts all the same and the
    // good line (fps = 10) holds.
    const std::string broken = (dir / "broken.conf").string();
    std::ofstream(broken) << "# comment\nscaling = blurry\nfps = 10\nno equals sign here\n"
                             "key.up = Uup\npad.nothing = a\nmusic_volume = 300\ncolour = red\n"
                             "\xff\xfe = \x01\n";
    run = RunDesktop(dir, "--frames 30 --config '" + broken + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
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
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 7) << run.output;
    for (const auto& w : warnings) {
        const std::string where = broken + ":" + std::to_string(w.line) + ": ";
        const size_t at = run.output.find(where);
        ASSERT_NE(at, std::string::npos) << where << "\n" << run.output;
        EXPECT_EQ(run.output.find(w.says, at), at + where.size()) << run.output;
    }
    // The virtual clock runs at 10 frames a second: measured as 12 (the count is doubled).
    EXPECT_EQ(TraceField(run.trace.back(), "frameRate"), 12);

    // The command line beats the file.
    run = RunDesktop(dir, "--frames 30 --fps 20 --config '" + broken + "'");
    EXPECT_EQ(TraceField(run.trace.back(), "frameRate"), 22);

    // A headless run without --config reads and writes no configuration at all.
    const auto home = TestFolder("home");
    const std::string isolated =
        "XDG_CONFIG_HOME='" + home.string() + "' '" + TARNVELL_BINARY + "' " BAKED_RUN "--frames 1";
    ASSERT_EQ(std::system(isolated.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(home));
}

TEST(DesktopConfig, TheGameSettingsStayOnlyForPlayersWhoAskForIt) {
    const auto dir = TestFolder("kept");
    const std::string config = "--config '" + (dir / "tarnvell.conf").string() + "' ";
    // Taps that open the settings, switch MUSIC off and DETAIL to HIGH, and leave with OK.
    const std::string script = "5 tap 100 120\n30 tap 200 120\n45 tap 200 150\n60 tap 120 220\n";
    const std::string changed = "\"settings\":{\"level\":1,\"sfx\":1,\"music\":0,\"detail\":2,";
    const std::string defaults = "\"settings\":{\"level\":1,\"sfx\":1,\"music\":1,\"detail\":1,";
    const auto lastLineHas = [](const ProgramRun& run, const std::string& text) {
        return !run.trace.empty() && run.trace.back().find(text) != std::string::npos;
    };

    // As the game always did: every run starts from the defaults.
    std::ofstream(dir / "tarnvell.conf") << "keep_game_settings = no\n";
    ProgramRun run = RunDesktop(dir, config + "--frames 80 --input {dir}/input.txt", script);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(lastLineHas(run, changed));
    EXPECT_TRUE(lastLineHas(RunDesktop(dir, config + "--frames 5"), defaults));
    EXPECT_FALSE(std::filesystem::exists(dir / "kept-settings.conf"));

    // Kept: the next run's menu opens with MUSIC OFF and DETAIL HIGH.
    std::ofstream(dir / "tarnvell.conf") << "keep_game_settings = yes\n";
    run = RunDesktop(dir, config + "--frames 80 --input {dir}/input.txt", script);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(ReadText(dir / "kept-settings.conf").find("DETAIL = HIGH\n"), std::string::npos);
    run = RunDesktop(dir, config + "--frames 5");
    ASSERT_EQ(run.trace.size(), 5u);
    EXPECT_NE(run.trace[2].find(changed), std::string::npos) << run.trace[2]; // from the start

    // A kept file with nonsense in it leaves the defaults.
    std::ofstream(dir / "kept-settings.conf") << "DETAIL = ENORMOUS\nMUSIC\n= ON\n";
    run = RunDesktop(dir, config + "--frames 5");
    EXPECT_TRUE(run.exitCode == 0 && lastLineHas(run, defaults))
        << "exit " << run.exitCode << ": " << run.output;
}

TEST(DesktopShots, RefusedAtStartWhenTheyCannotBeTaken) {
    const auto dir = TestFolder("shots");
    const struct {
        std::string shot;
        const char* says;
    } cases[] = {
        {"6:" + (dir / "late.png").string(), "comes after the last pass (--frames 5)"},
        {"3:/nonexistent/folder/x.png", "cannot write the screenshot /nonexistent/folder/x.png"},
        {"3:" + dir.string() + "/", "cannot write the screenshot"},
    };
    for (const auto& c : cases) {
        // Exit code 2 and one line saying why.
        const ProgramRun run = RunDesktop(dir, "--frames 5 --shot " + c.shot);
        EXPECT_TRUE(run.exitCode == 2 && run.output.find("tarnvell: ") == 0 &&
                    run.output.find(c.says) != std::string::npos &&
                    std::count(run.output.begin(), run.output.end(), '\n') == 1)
            << c.shot << ": " << run.exitCode << " " << run.output;
    }
    // The last pass itself is fine.
    const ProgramRun good = RunDesktop(dir, "--frames 5 --shot 5:{dir}/ok.png");
    EXPECT_TRUE(good.exitCode == 0 && std::filesystem::exists(dir / "ok.png"))
        << "exit " << good.exitCode << ": " << good.output;
}
