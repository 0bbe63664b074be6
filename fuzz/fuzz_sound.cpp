// Fuzz target: the sound files. The first byte picks an effect (0-6) or a module (7-9), the
// rest is its file; it is loaded, played and mixed for a while on the silent output.
#include <cstdint>
#include <string>

#include "assets/paths.h"
#include "base/settings.h"
#include "fuzz_files.h"
#include "sound/sound.h"

namespace {

const char* const EffectFiles[7] = {"menu.wav", "three.wav",   "two.wav",  "one.wav",
                                    "go!.wav",  "explode.wav", "crash.wav"};
const char* const ModuleFiles[3] = {"music.mod", "race.mod", "stem.mod"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ChooseSoundOutput(SoundOutput::Silent); // no device; the player still mixes
    SetDataFolder(ScratchFolder());
    SetDefaultSettings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int32_t pick = data[0] % 10;
    const std::string path =
        ScratchFolder() + "Sound/" + (pick < 7 ? EffectFiles[pick] : ModuleFiles[pick - 7]);
    if (!WriteScratchFile(path, data + 1, size - 1))
        return 0;
    InitSound();
    if (pick < 7)
        PlayEffect(static_cast<Effect>(pick));
    else
        SwitchMusic(static_cast<Music>(pick - 7));
    for (int32_t update = 0; update < 12; ++update)
        UpdateSound();
    ShutdownSound();
    std::remove(path.c_str());
    return 0;
}
