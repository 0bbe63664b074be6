// Whole runs of the real program, headless, checked through its exit code, trace and shots.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "golden_picture.h"
#include "run_program.h"
#include "test_folder.h"

// The same run in every display layout: the same trace and, read back from the display
// memory, the same picture.
TEST(EndToEnd, HeadlessRunLeavesShotAndTraceInEveryDisplayProfile) {
    const auto dir = TestFolder("profiles");
    std::vector<std::vector<uint16_t>> pictures;
    for (const std::string profile : {"rgb565", "rgb565-512", "rotated"}) {
        const ProgramRun run =
            RunProgram(dir, "--headless --frames 30 --display " + profile + " --shot 30:{dir}/" +
                                profile + ".png --trace {dir}/trace.jsonl");
        ASSERT_EQ(0, run.exitCode) << run.output;
        ASSERT_EQ(30u, run.trace.size());
        EXPECT_EQ(0u, run.trace[0].find("{\"pass\":1,\"state\":1,\"step\":0,")); // menu next
        EXPECT_EQ(0u, run.trace[29].find("{\"pass\":30,\"state\":1,\"step\":1,"));
        EXPECT_NE(std::string::npos, run.trace[29].find("\"settings\":{\"level\":1,\"sfx\":1,"
                                                        "\"music\":1,\"detail\":1,"
                                                        "\"distance\":2,\"sky\":1}"));
        pictures.push_back(ReadRgb565Png(run.File(profile + ".png")));
        ASSERT_FALSE(pictures.back().empty()) << profile;
    }
    EXPECT_EQ(std::tuple(pictures[1] == pictures[0], pictures[2] == pictures[0]),
              std::tuple(true, true)); // which profile's picture differs
}

TEST(EndToEnd, ScriptedQuitAndBadOptions) {
    const auto dir = TestFolder("quit");
    const ProgramRun run =
        RunProgram(dir, "--headless --frames 500 --input {dir}/input.txt --trace {dir}/trace.jsonl",
                   "# close the window after a few passes\n5 tap 10 10\n12 quit\n");
    EXPECT_EQ(0, run.exitCode) << run.output;
    // The close arrives before pass 12; that pass runs the start state's leave routine,
    // which releases everything and ends the loop.
    ASSERT_EQ(12u, run.trace.size());
    EXPECT_EQ(0u, run.trace[11].find("{\"pass\":12,\"state\":99,"));

    // The last: a folder with none of Map/, Graph/ and Sound/ is no data folder.
    for (const char* bad : {"--bogus", "--frames x", "--data /nonexistent/folder --headless",
                            "--headless --input {dir}/missing.txt", "--headless --data {dir}"}) {
        const ProgramRun refused = RunProgram(dir, bad);
        EXPECT_EQ(2, refused.exitCode) << bad;
        EXPECT_EQ(0u, refused.output.find("tarnvell: ")) << refused.output;
    }
    const ProgramRun broken = RunProgram(dir, "--headless --input {dir}/input.txt", "3 tap 10\n");
    EXPECT_TRUE(broken.exitCode == 2 && broken.output.find(":1:") != std::string::npos)
        << "exit " << broken.exitCode << ": " << broken.output;
}

TEST(EndToEnd, RecordingReplaysToTheSameTrace) {
    const auto dir = TestFolder("record");
    const ProgramRun live =
        RunProgram(dir,
                   "--headless --frames 100 --input {dir}/input.txt --record {dir}/rec.txt --trace "
                   "{dir}/trace.jsonl",
                   "20 tap 120 90\n40 tap 120 230\n60 key down left\n70 key up left\n"
                   "80 press a\n81 down 20 300\n83 move 30 290\n90 up\n");
    ASSERT_EQ(0, live.exitCode) << live.output;
    const ProgramRun replay = RunProgram(TestFolder("replay"), "--headless --frames 100 --input " +
                                                                   live.File("rec.txt").string() +
                                                                   " --trace {dir}/trace.jsonl");
    ASSERT_EQ(0, replay.exitCode) << replay.output;
    ASSERT_EQ(100u, live.trace.size());
    EXPECT_EQ(live.trace, replay.trace);
    // The recording holds the clock of every pass and the input, each before its pass.
    const auto recorded = ReadLines(live.File("rec.txt"));
    for (const char* line : {"0 ticks 50", "20 down 120 90", "21 up", "80 key down a"})
        EXPECT_NE(recorded.end(), std::find(recorded.begin(), recorded.end(), line)) << line;
}
