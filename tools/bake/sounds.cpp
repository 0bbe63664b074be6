// The baker's Sound/ folder: three modules composed in code and seven effects.
#include <cstdio>

#include "bake.h"
#include "sounds_effects.h"
#include "sounds_synth.h"

bool BakeSounds(const std::string& dir, const std::string&) {
    using namespace sounds;
    const std::string folder = dir + "Sound/";
    bool ok = WriteBytes(folder + "music.mod", WriteMod(ComposeMenuMusic()));
    ok = WriteBytes(folder + "race.mod", WriteMod(ComposeRaceMusic())) && ok;
    ok = WriteBytes(folder + "stem.mod", WriteMod(ComposeResultsMusic())) && ok;

    const uint32_t rate = 22050;
    ok = WriteBytes(folder + "menu.wav", WavBytes(MenuBlip(rate), rate)) && ok;
    ok = WriteBytes(folder + "crash.wav", WavBytes(CrashSound(rate), rate)) && ok;
    ok = WriteBytes(folder + "explode.wav", WavBytes(ExplosionSound(rate), rate)) && ok;

    const char* words[4][2] = {
        {"three", "three.wav"}, {"two", "two.wav"}, {"one", "one.wav"}, {"go!", "go!.wav"}};
    for (const auto& word : words) {
        std::vector<float> voice;
        uint32_t voiceRate = 0;
        if (!SpeakWord(word[0], folder + ".speech.wav", voice, voiceRate))
            return false;
        ok =
            WriteBytes(folder + word[1], WavBytes(PunchUpVoice(voice, voiceRate), voiceRate)) && ok;
    }
    return ok;
}
