// Whole runs of the real program over broken data folders: every file missing in turn, all
// missing at once, every file cut short, grown, or replaced by noise. The game must reach
// the menu and a race, and end cleanly, every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "run_program.h"
#include "test_folder.h"

namespace {

constexpr size_t RunPasses = 150;
// PLAY GAME, OK on the planet, OK on the track: the countdown, then the race from about
// pass 126 on, flown by the autopilot.
constexpr const char* RaceScript = "10 tap 100 90\n30 tap 120 230\n50 tap 120 230\n";

const char* const Folders[] = {"Map", "Graph", "Sound"};

std::string BadFolder(const std::string& name) {
    return (TestRoot() / ("bad_" + name)).string() + "/";
}

// The names of the baked data files, as "Folder/name".
std::vector<std::string> DataFiles() {
    std::vector<std::string> files;
    for (const char* folder : Folders)
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(TARNVELL_DATA) + "/" + folder))
            files.push_back(std::string(folder) + "/" + entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

// A fresh copy of the baked data folders in the test's own folder `bad_NAME`.
std::string CopyOfData(const std::string& name) {
    const std::string folder = BadFolder(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const char* sub : Folders)
        std::filesystem::copy(std::string(TARNVELL_DATA) + "/" + sub, folder + sub,
                              std::filesystem::copy_options::recursive);
    return folder;
}

// One headless run of the game over `folder` with the race script.
ProgramRun RunOver(const std::string& folder, const std::string& extra = "") {
    return RunProgram(folder,
                      "--headless --data {dir} --seed 3 --autopilot --frames " +
                          std::to_string(RunPasses) +
                          " --input {dir}/input.txt --trace {dir}/trace.jsonl " + extra,
                      RaceScript);
}

// Ended cleanly (-1: killed by a signal) after every pass, some on the menu, some in the race.
void ExpectRaced(const ProgramRun& run, const std::string& what) {
    const auto reached = [&run](const char* state) {
        return std::any_of(run.trace.begin(), run.trace.end(), [state](const std::string& line) {
            return line.find(state) != std::string::npos;
        });
    };
    EXPECT_TRUE(run.exitCode == 0 && run.trace.size() == RunPasses && reached("\"state\":1,") &&
                reached("\"state\":6,"))
        << what << ": exit " << run.exitCode << ", " << run.trace.size() << " passes\n"
        << run.output;
}

} // namespace

TEST(BadData, EveryFileMissingInTurn) {
    const std::vector<std::string> files = DataFiles();
    ASSERT_GE(files.size(), 30u) << "the baked data folder is not complete";
    // Two folders, one for each core, each taking every second file.
    std::vector<ProgramRun> outcomes(files.size());
    auto work = [&files, &outcomes](size_t first) {
        const std::string folder = CopyOfData("missing" + std::to_string(first));
        for (size_t i = first; i < files.size(); i += 2) {
            const std::string path = folder + files[i];
            const std::vector<uint8_t> good = ReadFileBytes(path);
            std::remove(path.c_str());
            outcomes[i] = RunOver(folder);
            WriteFileBytes(path, good);
        }
    };
    std::thread second(work, 1);
    work(0);
    second.join();
    for (size_t i = 0; i < files.size(); ++i)
        ExpectRaced(outcomes[i], "without " + files[i]);
}

// Everything missing at once: black pictures, flat ground, no model, and not a sound.
TEST(BadData, AllFilesMissing) {
    const std::string folder = BadFolder("empty");
    for (const char* sub : Folders)
        std::filesystem::create_directories(folder + sub);
    ExpectRaced(RunOver(folder, "--audio-out '" + folder + "sound.wav' --shot '140:" + folder +
                                    "race.png'"),
                "with empty folders");
    const std::vector<uint8_t> wav = ReadFileBytes(folder + "sound.wav");
    ASSERT_GT(wav.size(), 44u + 1000u) << "no sound was written";
    EXPECT_TRUE(std::all_of(wav.begin() + 44, wav.end(), [](uint8_t b) { return b == 0; }))
        << "sound without sound files";
    EXPECT_GT(ReadFileBytes(folder + "race.png").size(), 0u);
}

// Every file at once cut to half its length, then to its first 10 bytes, grown by noise,
// and replaced by noise of its own length: a fixed generator, so failures repeat.
TEST(BadData, TruncatedGrownAndGarbageFiles) {
    const std::vector<std::string> files = DataFiles();
    ASSERT_FALSE(files.empty());
    uint32_t noise = 12345;
    auto nextByte = [&noise] {
        noise = noise * 1103515245u + 12345u;
        return static_cast<uint8_t>(noise >> 16);
    };
    // Each kind in its own folder, made before the runs so that the noise repeats exactly.
    const char* const kinds[] = {"half", "ten", "grown", "noise"};
    for (const std::string kind : kinds) {
        const std::string folder = CopyOfData(kind);
        for (const std::string& file : files) {
            std::vector<uint8_t> bytes = ReadFileBytes(folder + file);
            if (kind == "half")
                bytes.resize(bytes.size() / 2);
            else if (kind == "ten")
                bytes.resize(std::min<size_t>(bytes.size(), 10));
            else if (kind == "grown")
                for (int32_t i = 0; i < 4000; ++i)
                    bytes.push_back(nextByte());
            else
                for (uint8_t& byte : bytes)
                    byte = nextByte();
            WriteFileBytes(folder + file, bytes);
        }
    }
    ProgramRun outcomes[4];
    std::thread other([&] {
        outcomes[1] = RunOver(BadFolder(kinds[1]));
        outcomes[3] = RunOver(BadFolder(kinds[3]));
    });
    outcomes[0] = RunOver(BadFolder(kinds[0]));
    outcomes[2] = RunOver(BadFolder(kinds[2]));
    other.join();
    for (int32_t i = 0; i < 4; ++i)
        ExpectRaced(outcomes[i], std::string("with every file ") + kinds[i]);
}

// Effects in formats the mixer cannot use are left out, and effects cut short play what they
// hold: the music files gone so that only effects can sound. Broken here: no channels (once a
// division by zero in the library), 12-bit samples, a block size that does not match; the
// other effects cut to a third of their length (a "data" chunk longer than its file once
// crashed), an odd length leaving half a sample frame at the end.
TEST(BadData, EffectsCutShortOrInImpossibleFormats) {
    const std::string folder = CopyOfData("effects");
    const struct {
        const char* file;
        size_t offset; // into the "fmt " chunk's body, which starts at byte 20
        uint8_t value;
    } breaks[] = {{"Sound/three.wav", 22, 0}, {"Sound/two.wav", 34, 12}, {"Sound/one.wav", 32, 7}};
    for (const std::string& file : DataFiles()) {
        if (file.rfind("Sound/", 0) != 0)
            continue;
        const std::string path = folder + file;
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        if (file.compare(file.size() - 4, 4, ".wav") != 0) {
            std::remove(path.c_str());
            continue;
        }
        ASSERT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "fmt ") << file;
        const auto broken = std::find_if(std::begin(breaks), std::end(breaks),
                                         [&](const auto& b) { return file == b.file; });
        if (broken != std::end(breaks))
            bytes[broken->offset] = broken->value;
        else
            bytes.resize(bytes.size() / 3 + 1);
        WriteFileBytes(path, bytes);
    }
    ExpectRaced(RunOver(folder, "--audio-out '" + folder + "sound.wav'"), "with broken effects");
    const std::vector<uint8_t> wav = ReadFileBytes(folder + "sound.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_FALSE(std::all_of(wav.begin() + 44, wav.end(), [](uint8_t b) { return b == 0; }))
        << "the short effects were not heard";
}
