// The sound layer over libmikmod: the player's settings, the output, and what plays when.
#include "sound/sound.h"

#include <mikmod.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/paths.h"
#include "base/frame.h"
#include "base/settings.h"

namespace {

constexpr int32_t ModuleCount = 3;
constexpr int32_t EffectCount = 7;
constexpr int32_t EffectVoices = 4;
constexpr int32_t MusicVoices = 4;        // the most a module may use
constexpr uint8_t MusicVolumeOn = 32;     // of 128: the music sits well under the effects
constexpr uint32_t StartRetryMs = 1000;   // how long a busy audio device is waited for
constexpr uint32_t MixRate = 44100;       // Hz
constexpr uint64_t WavBlockFrames = 8192; // the WAV writer mixes 32,768 bytes an update
constexpr int32_t MostBlocksPerUpdate = 64;
constexpr int32_t MostStillClockTries = 1000; // a clock that never moves would wait for ever

const char* const ModuleFiles[ModuleCount] = {"music.mod", "race.mod", "stem.mod"};
// Indexed by Effect; loaded in the order menu, crash, explosion, three, two, one, go.
const char* const EffectFiles[EffectCount] = {"menu.wav", "three.wav",   "two.wav",  "one.wav",
                                              "go!.wav",  "explode.wav", "crash.wav"};
const Effect EffectLoadOrder[EffectCount] = {MenuEffect, CrashEffect, ExplodeEffect, ThreeEffect,
                                             TwoEffect,  OneEffect,   GoEffect};

// Whole run (from InitSound to ShutdownSound).
struct SoundState {
    bool started = false; // MikMod_Init succeeded on some output
    const char* output = "";
    MODULE* modules[ModuleCount] = {};
    SAMPLE* effects[EffectCount] = {};
    int32_t playing = -1;    // Music value of the playing module
    bool wavPaced = false;   // mixing into a WAV file at the pace of the tick count
    uint32_t startTicks = 0; // ms, tick count at InitSound
    bool clockMoved = false;
    uint64_t mixedFrames = 0; // frames written to the WAV file
};
SoundState Sound;

// Whole process: the player's volumes on top of the game's, in percent.
int32_t MusicPercent = 100;
int32_t EffectsPercent = 100;

uint8_t MusicVolumeWhenOn() {
    return static_cast<uint8_t>(MusicVolumeOn * MusicPercent / 100);
}

// Driver registration is for the whole process: the library links a registered driver
// into its list, and registering it twice would loop the list on itself.
bool registered = false;

void RegisterOnce() {
    if (registered)
        return;
    MikMod_RegisterAllDrivers();
    MikMod_RegisterAllLoaders();
    registered = true;
}

uint32_t LittleEndian32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t LittleEndian16(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

// An effect from a WAV file. The library plays past the end of a "data" chunk that claims
// more bytes than the file holds (and crashes), so such a chunk is cut to the whole sample
// frames present, and the effect plays what there is. It also divides by the format's
// fields unchecked, so only plain PCM (1 or 2 channels of 8 or 16 bits, a rate, a matching
// block size) before the data is passed on. Null when nothing playable is left.
SAMPLE* LoadEffect(const std::string& path) {
    std::vector<uint8_t> file;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        uint8_t block[4096];
        for (size_t got; (got = std::fread(block, 1, sizeof block, in)) > 0;)
            file.insert(file.end(), block, block + got);
        std::fclose(in);
    }
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return nullptr;
    uint32_t frameBytes = 0; // 0 until a sound "fmt " chunk is seen
    for (size_t at = 12; at + 8 <= file.size();) {
        const uint32_t size = LittleEndian32(file.data() + at + 4);
        const size_t body = at + 8, left = file.size() - body;
        if (std::memcmp(file.data() + at, "fmt ", 4) == 0 && size >= 16 && left >= 16) {
            const uint8_t* format = file.data() + body;
            const uint32_t channels = LittleEndian16(format + 2);
            const uint32_t rate = LittleEndian32(format + 4);
            const uint32_t align = LittleEndian16(format + 12);
            const uint32_t bits = LittleEndian16(format + 14);
            const bool sound = LittleEndian16(format) == 1 && (channels == 1 || channels == 2) &&
                               (bits == 8 || bits == 16) && rate >= 1000 && rate <= 192000 &&
                               align == channels * bits / 8;
            frameBytes = sound ? align : 0;
        } else if (std::memcmp(file.data() + at, "data", 4) == 0) {
            if (frameBytes == 0)
                return nullptr;
            const uint32_t present = static_cast<uint32_t>(size <= left ? size : left);
            const uint32_t whole = present - present % frameBytes;
            if (whole == 0)
                return nullptr;
            file.resize(body + whole);
            for (int32_t i = 0; i < 4; ++i) {
                file[at + 4 + i] = static_cast<uint8_t>(whole >> (8 * i));
                file[4 + i] = static_cast<uint8_t>((file.size() - 8) >> (8 * i));
            }
            SAMPLE* sample = Sample_LoadMem(reinterpret_cast<const char*>(file.data()),
                                            static_cast<int>(file.size()));
            // The library's WAV loader leaves the panning at 0, hard left, and Sample_Play
            // plays a sample at its own panning: an effect belongs in the middle.
            if (sample)
                sample->panning = PAN_CENTER;
            return sample;
        }
        if (size > left)
            break;
        at = body + size + (size & 1); // chunks are padded to even lengths
    }
    return nullptr;
}

// The library's number for the driver with this alias, 0 if it has none.
int32_t DriverNumber(const char* alias) {
    for (int32_t ordinal = 1;; ++ordinal) {
        MDRIVER* driver = MikMod_DriverByOrdinal(ordinal);
        if (!driver)
            return 0;
        if (driver->Alias && std::strcmp(driver->Alias, alias) == 0)
            return ordinal;
    }
}

// The player's settings; set before every start, since the library keeps them for the
// whole process.
void HoldPlayerSettings() {
    md_mixfreq = MixRate;
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SURROUND | DMODE_SOFT_MUSIC | DMODE_SOFT_SNDFX;
    md_reverb = 6;
    md_pansep = 128;
    md_volume = 128;
    md_sndfxvolume = static_cast<UBYTE>(128 * EffectsPercent / 100);
    md_musicvolume = MusicVolumeWhenOn();
}

bool StartOn(const char* alias, const std::string& parameters) {
    int32_t number = DriverNumber(alias);
    if (number == 0)
        return false;
    md_device = static_cast<UWORD>(number);
    HoldPlayerSettings();
    return MikMod_Init(parameters.c_str()) == 0;
}

// ALSA's library reports each failed attempt to open a device on stderr, eight lines a time,
// so the retry below would print some 170 lines on a machine without sound. Its messages are
// dropped instead, and the game says once that it plays without sound.
extern "C" void DropAudioLibraryMessage(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void QuietAudioLibraryMessages() {
    // The desktop's audio goes through SDL, which opens the same library later; it stays
    // loaded so the handler holds for the whole run.
    void* library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr)
        return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"));
    if (set != nullptr)
        set(DropAudioLibraryMessage);
}

namespace {

// Whole run, from the program entry.
SoundOutput chosenOutput = SoundOutput::Silent;
std::string chosenWavPath;

// Opens the chosen output. Only the desktop device is waited for: a device
// another program holds may come free within the second.
void StartOutput() {
    if (chosenOutput == SoundOutput::WavFile) {
        // The driver's parameters end at a comma, so such a name would write another file.
        const bool nameFits = chosenWavPath.find(',') == std::string::npos;
        if (nameFits && StartOn("wav", "file=" + chosenWavPath)) {
            Sound.output = "wav";
            Sound.wavPaced = true;
            return;
        }
    } else if (chosenOutput == SoundOutput::Device) {
        QuietAudioLibraryMessages();
        const uint32_t start = ReadTickCount();
        int32_t tries = 1;
        bool opened = StartOn("sdl", "");
        while (!opened && ReadTickCount() - start < StartRetryMs) {
            // A clock that has not moved at all is not a clock: stop rather than spin.
            if (ReadTickCount() == start && tries >= MostStillClockTries)
                break;
            PumpMessages(true);
            opened = StartOn("sdl", "");
            ++tries;
        }
        if (opened) {
            Sound.output = "sdl";
            return;
        }
        std::fprintf(stderr, "tarnvell: no sound device could be opened; playing without sound\n");
    }
    if (StartOn("nosound", ""))
        Sound.output = "nosound";
}

// Player_Stop leaves the module's voices sounding, and a looped note would then hold for
// ever under silence that was asked for: stop them as well.
void StopMusic() {
    Player_Stop();
    if (Sound.playing >= 0 && Sound.modules[Sound.playing]) {
        const int32_t voices = Sound.modules[Sound.playing]->numvoices;
        for (int32_t voice = 0; voice < voices; ++voice)
            Voice_Stop(static_cast<SBYTE>(voice));
    }
    Sound.playing = -1;
}

void SetMusicVolume(uint8_t volume) {
    // The SDL output mixes on its own thread; the lock keeps it from reading half a change.
    MikMod_Lock();
    md_musicvolume = volume;
    MikMod_Unlock();
}

} // namespace

void ChooseSoundOutput(SoundOutput output, const std::string& wavPath) {
    chosenOutput = output;
    chosenWavPath = wavPath;
}

void InitSound() {
    if (Sound.started)
        ShutdownSound();
    Sound = SoundState{};
    RegisterOnce();
    StartOutput();
    if (!Sound.output[0])
        return; // no output at all: every call stays silent
    Sound.started = true;
    MikMod_SetNumVoices(-1, EffectVoices);
    MikMod_EnableOutput();

    const std::string& folder = SoundFolder();
    Player_Stop();
    for (int32_t i = 0; i < ModuleCount; ++i) {
        MODULE* module = Player_Load((folder + ModuleFiles[i]).c_str(), MusicVoices, 0);
        if (!module)
            continue;
        MikMod_Lock();
        module->wrap = 1; // a module that reaches its end goes on from its restart position
        MikMod_Unlock();
        Sound.modules[i] = module;
    }
    for (Effect effect : EffectLoadOrder)
        Sound.effects[effect] = LoadEffect(folder + EffectFiles[effect]);

    // Kept: the menu music starts whatever the settings say; they get their defaults later,
    // in the load step.
    if (Sound.modules[MenuMusic]) {
        Player_Start(Sound.modules[MenuMusic]);
        Sound.playing = MenuMusic;
    }
    SetMusicVolume(MusicVolumeWhenOn());
    Sound.startTicks = ReadTickCount();
}

void UpdateSound() {
    if (!Sound.started)
        return;
    if (!Sound.wavPaced) {
        MikMod_Update();
        return;
    }
    const uint32_t elapsed = ReadTickCount() - Sound.startTicks;
    if (elapsed != 0)
        Sound.clockMoved = true;
    if (!Sound.clockMoved) {
        MikMod_Update();
        Sound.mixedFrames += WavBlockFrames;
        return;
    }
    const uint64_t due = static_cast<uint64_t>(elapsed) * MixRate / 1000;
    for (int32_t i = 0; i < MostBlocksPerUpdate && Sound.mixedFrames < due; ++i) {
        MikMod_Update();
        Sound.mixedFrames += WavBlockFrames;
    }
}

void PlayEffect(Effect effect) {
    if (!Sound.started || effect < 0 || effect >= EffectCount)
        return;
    if (GameSettings.sfx == 0 || !Sound.effects[effect])
        return;
    Sample_Play(Sound.effects[effect], 0, 0);
}

void SwitchMusic(Music music) {
    if (!Sound.started)
        return;
    StopMusic();
    if (music < 0 || music >= ModuleCount || GameSettings.music == 0 || !Sound.modules[music])
        return;
    Player_Start(Sound.modules[music]);
    Sound.playing = music;
}

void SetMusicOn(bool on) {
    if (!Sound.started)
        return;
    SetMusicVolume(on ? MusicVolumeWhenOn() : 0);
}

void PauseSound(bool paused) {
    if (!Sound.started)
        return;
    // The output stops mixing altogether, so music and effects go on where they stood.
    if (paused)
        MikMod_DisableOutput();
    else
        MikMod_EnableOutput();
}

void SetSoundVolumes(int32_t musicPercent, int32_t effectsPercent) {
    MusicPercent = musicPercent < 0 ? 0 : musicPercent > 100 ? 100 : musicPercent;
    EffectsPercent = effectsPercent < 0 ? 0 : effectsPercent > 100 ? 100 : effectsPercent;
    if (!Sound.started)
        return;
    MikMod_Lock();
    md_sndfxvolume = static_cast<UBYTE>(128 * EffectsPercent / 100);
    if (md_musicvolume != 0)
        md_musicvolume = MusicVolumeWhenOn();
    MikMod_Unlock();
}

void ShutdownSound() {
    if (!Sound.started)
        return;
    StopMusic();
    for (MODULE*& module : Sound.modules) {
        if (module)
            Player_Free(module);
        module = nullptr;
    }
    for (SAMPLE*& effect : Sound.effects) {
        if (effect)
            Sample_Free(effect);
        effect = nullptr;
    }
    // The output closes here: the SDL output pauses its audio before closing it, and the
    // WAV writer puts the final sizes into the file's header.
    MikMod_Exit();
    Sound = SoundState{};
}

SoundStatus ReadSoundStatus() {
    SoundStatus status{};
    status.started = Sound.started;
    status.output = Sound.output;
    for (MODULE* module : Sound.modules)
        status.modules += module ? 1 : 0;
    for (SAMPLE* effect : Sound.effects)
        status.effects += effect ? 1 : 0;
    status.playing = Sound.playing;
    status.musicVolume = Sound.started ? md_musicvolume : 0;
    return status;
}
