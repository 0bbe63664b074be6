// Whole runs of the real program, headless, checked through its exit code, trace and shots.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_folder.h"

namespace {

struct Outcome {
    int exitCode;
    std::string errors;
};

Outcome RunGame(const std::string& arguments, const std::filesystem::path& dir) {
    const std::string errors = (dir / "stderr.txt").string();
    const std::string command = std::string(TARNVELL_BINARY) + " " + arguments + " 2>" + errors;
    const int status = std::system(command.c_str());
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

std::vector<std::string> Lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(EndToEnd, HeadlessRunLeavesShotAndTrace) {
    const auto dir = TestFolder("basic");
    const Outcome run = RunGame("--headless --frames 30 --shot 30:" + (dir / "s.png").string() +
                                    " --trace " + (dir / "t.jsonl").string(),
                                dir);
    ASSERT_EQ(0, run.exitCode) << run.errors;
    const auto lines = Lines(dir / "t.jsonl");
    ASSERT_EQ(30u, lines.size());
    EXPECT_EQ(0u, lines[0].find("{\"pass\":1,\"state\":1,\"step\":0,")); // loaded, menu next
    EXPECT_EQ(0u, lines[29].find("{\"pass\":30,\"state\":1,\"step\":1,"));
    EXPECT_NE(std::string::npos, lines[29].find("\"settings\":{\"level\":1,\"sfx\":1,\"music\":1,"
                                                "\"detail\":1,\"distance\":2,\"sky\":1}"));

    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir / "s.png").c_str()));
    EXPECT_EQ(240u, image.width);
    EXPECT_EQ(320u, image.height);
    png_image_free(&image);
    std::filesystem::remove_all(dir);
}

TEST(EndToEnd, ScriptedQuitAndBadOptions) {
    const auto dir = TestFolder("quit");
    {
        std::ofstream script(dir / "quit.txt");
        script << "# close the window after a few passes\n5 tap 10 10\n12 quit\n";
    }
    const Outcome run = RunGame("--headless --frames 500 --input " + (dir / "quit.txt").string() +
                                    " --trace " + (dir / "t.jsonl").string(),
                                dir);
    EXPECT_EQ(0, run.exitCode) << run.errors;
    const auto lines = Lines(dir / "t.jsonl");
    // The close arrives before pass 12; that pass runs the start state's leave routine,
    // which releases everything and ends the loop.
    ASSERT_EQ(12u, lines.size());
    EXPECT_EQ(0u, lines[11].find("{\"pass\":12,\"state\":99,"));

    for (const std::string& bad : {std::string("--bogus"), std::string("--frames x"),
                                   std::string("--data /nonexistent/folder --headless"),
                                   "--headless --input " + (dir / "missing.txt").string()}) {
        const Outcome refused = RunGame(bad, dir);
        EXPECT_EQ(2, refused.exitCode) << bad;
        EXPECT_EQ(0u, refused.errors.find("tarnvell: ")) << refused.errors;
    }
    {
        std::ofstream script(dir / "broken.txt");
        script << "3 tap 10\n";
    }
    const Outcome broken = RunGame("--headless --input " + (dir / "broken.txt").string(), dir);
    EXPECT_EQ(2, broken.exitCode);
    EXPECT_NE(std::string::npos, broken.errors.find(":1:"));
    std::filesystem::remove_all(dir);
}

TEST(EndToEnd, EveryDisplayProfileShowsTheSamePicture) {
    const auto dir = TestFolder("profiles");
    std::vector<std::vector<uint8_t>> pictures;
    for (const char* profile : {"rgb565", "rgb565-512", "rotated"}) {
        const std::string shot = (dir / (std::string(profile) + ".png")).string();
        const Outcome run = RunGame(
            std::string("--headless --frames 3 --display ") + profile + " --shot 3:" + shot, dir);
        ASSERT_EQ(0, run.exitCode) << run.errors;
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, shot.c_str()));
        image.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
        pictures.push_back(pixels);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(pictures[0], pictures[2]);
    std::filesystem::remove_all(dir);
}

TEST(EndToEnd, RecordingReplaysToTheSameTrace) {
    const auto dir = TestFolder("record");
    {
        std::ofstream script(dir / "in.txt");
        script << "20 tap 120 90\n40 tap 120 230\n60 key down left\n70 key up left\n"
                  "80 press a\n81 down 20 300\n83 move 30 290\n90 up\n";
    }
    const std::string recording = (dir / "rec.txt").string();
    const Outcome live =
        RunGame("--headless --frames 100 --input " + (dir / "in.txt").string() + " --record " +
                    recording + " --trace " + (dir / "live.jsonl").string(),
                dir);
    ASSERT_EQ(0, live.exitCode) << live.errors;
    const Outcome replay = RunGame("--headless --frames 100 --input " + recording + " --trace " +
                                       (dir / "replay.jsonl").string(),
                                   dir);
    ASSERT_EQ(0, replay.exitCode) << replay.errors;
    const auto a = Lines(dir / "live.jsonl");
    const auto b = Lines(dir / "replay.jsonl");
    ASSERT_EQ(100u, a.size());
    EXPECT_EQ(a, b);
    // The recording holds the clock of every pass and the input, each before its pass.
    const auto recorded = Lines(recording);
    EXPECT_NE(recorded.end(), std::find(recorded.begin(), recorded.end(), "0 ticks 50"));
    EXPECT_NE(recorded.end(), std::find(recorded.begin(), recorded.end(), "20 down 120 90"));
    EXPECT_NE(recorded.end(), std::find(recorded.begin(), recorded.end(), "21 up"));
    EXPECT_NE(recorded.end(), std::find(recorded.begin(), recorded.end(), "80 key down a"));
    std::filesystem::remove_all(dir);
}

} // namespace
