// The sound layer heard through its WAV output: music volume, switching, effects, missing files.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>

#include "assets/paths.h"
#include "base/settings.h"
#include "run_program.h"
#include "sound/sound.h"
#include "test_folder.h"

namespace {

constexpr size_t BlockFrames = 8192; // one update of the WAV output with a still clock

// RMS level (of 32,768) of update blocks [first, last) of a stereo recording.
double Level(const WavSound& r, size_t first, size_t last) {
    return r.Level(first * BlockFrames * 2, last * BlockFrames * 2);
}

void Updates(int count) {
    while (count-- > 0)
        UpdateSound();
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = TestFolder(std::string("sound_") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        out_ = (dir_ / "out.wav").string();
        ChooseSoundOutput(SoundOutput::WavFile, out_);
        SetDataFolder(TARNVELL_DATA);
        SetDefaultSettings();
    }
    void TearDown() override {
        ShutdownSound();
        ChooseSoundOutput(SoundOutput::Silent);
    }
    std::string Out() const { return out_; }

    std::string out_;
    std::filesystem::path dir_;
};

} // namespace

TEST_F(SoundTest, MenuMusicPlaysFromStartUpAndFollowsTheMusicVolume) {
    InitSound();
    const SoundStatus status = ReadSoundStatus();
    ASSERT_EQ(std::tuple(status.started, std::string_view(status.output)), std::tuple(true, "wav"));
    EXPECT_EQ(std::tuple(status.modules, status.effects, status.playing, status.musicVolume),
              std::tuple(3, 7, MenuMusic, 32));

    Updates(8);
    SetMusicOn(false); // silenced, not stopped
    EXPECT_EQ(std::tuple(ReadSoundStatus().musicVolume, ReadSoundStatus().playing),
              std::tuple(0, MenuMusic));
    Updates(8);
    SetMusicOn(true);
    EXPECT_EQ(ReadSoundStatus().musicVolume, 32);
    Updates(8);
    ShutdownSound();
    EXPECT_FALSE(ReadSoundStatus().started);

    const WavSound r = ReadWav(Out());
    ASSERT_EQ(std::tuple(r.rate, r.channels, r.samples.size()),
              std::tuple(44100, 2, size_t{24} * BlockFrames * 2));
    EXPECT_GT(Level(r, 0, 8), 400.0);   // audible from the first update
    EXPECT_LT(Level(r, 12, 16), 40.0);  // volume 0: quiet once the reverb's tail has gone
    EXPECT_GT(Level(r, 17, 24), 400.0); // back, from where it had got to
}

// What MUSIC OFF and SOUND FX OFF sound like in a whole game is FrontEndRun's check (no race
// music, no countdown voices); here what only the calls show.
TEST_F(SoundTest, MusicOffStartsNothingAndStrayRequestsAreIgnored) {
    InitSound();
    GameSettings.music = 0;
    SwitchMusic(RaceMusic); // the menu music stops, the race music does not start
    EXPECT_EQ(ReadSoundStatus().playing, -1);
    GameSettings.music = 1;
    SetMusicOn(true), Updates(2); // no module playing: MUSIC ON brings nothing yet
    EXPECT_EQ(ReadSoundStatus().playing, -1);
    SwitchMusic(RaceMusic);
    EXPECT_EQ(ReadSoundStatus().playing, RaceMusic);
    Updates(4);
    PlayEffect(static_cast<Effect>(7)),
        PlayEffect(static_cast<Effect>(-1)); // out of range: ignored
    for (int32_t music : {-1, 9}) {          // stops the music, starts nothing
        SwitchMusic(static_cast<Music>(music));
        EXPECT_EQ(ReadSoundStatus().playing, -1) << music;
    }
    ShutdownSound();
    const WavSound r = ReadWav(Out());
    ASSERT_EQ(r.samples.size(), 6 * BlockFrames * 2);
    EXPECT_GT(Level(r, 2, 6), 400.0); // the race music
}

TEST_F(SoundTest, EveryEffectSoundsAndFourVoicesAreShared) {
    InitSound();
    SetMusicOn(false);
    Updates(8); // let the music's reverb die away
    for (int32_t e = MenuEffect; e <= CrashEffect; ++e) {
        PlayEffect(static_cast<Effect>(e));
        Updates(1);
    }
    // Five at once: the fifth takes over one of the four voices and nothing breaks.
    for (int32_t e : {ThreeEffect, TwoEffect, OneEffect, GoEffect, CrashEffect})
        PlayEffect(static_cast<Effect>(e));
    Updates(2);
    ShutdownSound();
    const WavSound r = ReadWav(Out());
    ASSERT_EQ(r.samples.size(), 17 * BlockFrames * 2);
    for (size_t block = 8; block < 17; ++block)
        EXPECT_GT(Level(r, block, block + 1), 300.0) << block;
}

TEST_F(SoundTest, ModulesWrapAtTheirEnd) {
    InitSound();
    SwitchMusic(ResultsMusic); // 80 s long: 431 blocks
    Updates(470);
    ShutdownSound();
    const WavSound r = ReadWav(Out());
    ASSERT_EQ(r.samples.size(), 470 * BlockFrames * 2);
    EXPECT_GT(Level(r, 440, 470), 400.0);
}

TEST_F(SoundTest, MissingFilesAndOutputsAreSkippedSilently) {
    // An empty data folder: nothing loads, every call is harmless, the output stays silent.
    SetDataFolder((dir_ / "empty").string());
    InitSound();
    const SoundStatus status = ReadSoundStatus();
    EXPECT_EQ(std::tuple(status.started, status.modules, status.effects, status.playing),
              std::tuple(true, 0, 0, -1));
    for (int32_t e = MenuEffect; e <= CrashEffect; ++e)
        PlayEffect(static_cast<Effect>(e));
    SwitchMusic(RaceMusic), SetMusicOn(false), SetMusicOn(true);
    Updates(3);
    ShutdownSound(), ShutdownSound(); // twice is harmless
    const WavSound r = ReadWav(Out());
    ASSERT_EQ(r.samples.size(), 3 * BlockFrames * 2);
    EXPECT_EQ(Level(r, 0, 3), 0.0);

    // A WAV file that cannot be written: the game goes on without sound.
    SetDataFolder(TARNVELL_DATA);
    ChooseSoundOutput(SoundOutput::WavFile, (dir_ / "no such folder" / "out.wav").string());
    InitSound();
    EXPECT_EQ(std::make_tuple(std::string(ReadSoundStatus().output), ReadSoundStatus().modules),
              std::make_tuple(std::string("nosound"), 3));
    PlayEffect(MenuEffect);
    Updates(2);
    // A name the driver would cut at its comma is refused rather than written elsewhere.
    ChooseSoundOutput(SoundOutput::WavFile, (dir_ / "a,b.wav").string());
    InitSound();
    EXPECT_STREQ(ReadSoundStatus().output, "nosound");
    ShutdownSound();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "a"));
    // Headless without a file: no sound at all, and a second start in the same process.
    ChooseSoundOutput(SoundOutput::Silent);
    InitSound();
    EXPECT_EQ(std::make_tuple(std::string(ReadSoundStatus().output), ReadSoundStatus().playing),
              std::make_tuple(std::string("nosound"), int32_t{MenuMusic}));
    ShutdownSound();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no such folder"));

    // Calls before any start do nothing.
    PlayEffect(MenuEffect), SwitchMusic(MenuMusic), UpdateSound();
    EXPECT_FALSE(ReadSoundStatus().started);
}

TEST(SoundQuiet, AlsaMessagesAreDroppedOnceAsked) {
    // A device that cannot exist, opened through ALSA's own library as SDL would open one.
    void* library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr)
        GTEST_SKIP() << "no ALSA library on this machine";
    using Open = int (*)(void**, const char*, int, int);
    auto open = reinterpret_cast<Open>(dlsym(library, "snd_pcm_open"));
    ASSERT_NE(open, nullptr);
    auto attempt = [&] {
        void* pcm = nullptr;
        testing::internal::CaptureStderr();
        EXPECT_LT(open(&pcm, "tarnvell-no-such-device", 0, 0), 0);
        return testing::internal::GetCapturedStderr();
    };
    EXPECT_NE(attempt().find("ALSA lib"), std::string::npos); // the library's own complaint
    QuietAudioLibraryMessages();
    EXPECT_EQ(attempt(), "");
}
