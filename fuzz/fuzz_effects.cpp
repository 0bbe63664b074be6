// Fuzz target: the sound effects. The first byte picks the effect, the rest is its WAV file;
// the effect is loaded, played and mixed for a while on the silent output.
#include <cstdint>
#include <string>

#include "app/options.h"
#include "assets/load.h"
#include "fuzz_files.h"
#include "screens/settings.h"
#include "sound/sound.h"

namespace {

const char* const EffectFiles[7] = {"menu.wav", "three.wav",   "two.wav",  "one.wav",
                                    "go!.wav",  "explode.wav", "crash.wav"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    GameOptions.headless = true; // the silent output, which still mixes
    SetDataFolder(ScratchFolder());
    SetDefaultSettings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int32_t effect = data[0] % 7;
    const std::string path = ScratchFolder() + "Sound/" + EffectFiles[effect];
    if (!WriteScratchFile(path, data + 1, size - 1)) return 0;
    InitSound();
    PlayEffect(static_cast<Effect>(effect));
    for (int32_t update = 0; update < 12; ++update) UpdateSound();
    ShutdownSound();
    std::remove(path.c_str());
    return 0;
}
