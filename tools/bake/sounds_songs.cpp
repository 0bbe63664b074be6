// The three modules, composed: chord progressions, drum, bass and arpeggio patterns, melodies.
#include <cstdio>
#include <cstring>
#include <map>

#include "sounds_instruments.h"

namespace sounds {

namespace {

// Channel roles; the panning keeps the four voices apart without hard left/right.
enum : int32_t { DrumChannel = 0, BassChannel = 1, HarmonyChannel = 2, MelodyChannel = 3 };
constexpr uint8_t ChannelPan[Channels] = {0x80, 0x78, 0xB8, 0x48};
constexpr int32_t RowsPerBar = 16;

struct Chord {
    int32_t root = 0;           // pitch class, C = 0
    std::vector<int32_t> tones; // semitones above the root
};

int32_t PitchClass(const char*& text) {
    static const int32_t letters[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int32_t pc = letters[(*text++ - 'A') % 7];
    if (*text == '#') {
        ++pc;
        ++text;
    } else if (*text == 'b') {
        --pc;
        ++text;
    }
    return (pc + 12) % 12;
}

Chord ParseChord(const char* name) {
    Chord chord;
    chord.root = PitchClass(name);
    std::string quality = name;
    static const std::map<std::string, std::vector<int32_t>> qualities = {
        {"", {0, 4, 7}},         {"m", {0, 3, 7}},      {"7", {0, 4, 7, 10}},
        {"maj7", {0, 4, 7, 11}}, {"m7", {0, 3, 7, 10}}, {"sus4", {0, 5, 7}},
        {"add9", {0, 4, 7, 14}}, {"sus2", {0, 2, 7}},
    };
    auto found = qualities.find(quality);
    chord.tones = found != qualities.end() ? found->second : std::vector<int32_t>{0, 4, 7};
    return chord;
}

// MIDI-style note number from "F#5"; -1 for a rest "r".
int32_t ParsePitch(const char*& text) {
    if (*text == 'r') {
        ++text;
        return -1;
    }
    int32_t pc = PitchClass(text);
    int32_t octave = *text++ - '0';
    return 12 * (octave + 1) + pc;
}

// Tracker note for a pitch on an instrument whose C-2 sounds `c2Pitch`, folded into range.
int32_t TrackerNote(int32_t pitch, int32_t c2Pitch) {
    int32_t note = pitch - c2Pitch + 12;
    while (note < 0)
        note += 12;
    while (note >= NoteCount)
        note -= 12;
    return note;
}

struct Instrument {
    uint8_t sample;    // 1-31
    int32_t c2Pitch;   // the pitch its C-2 sounds
    int32_t shift = 0; // semitones the part is played above where it is written
};

struct DrumHit {
    uint8_t sample;
    int32_t note;
    uint8_t volume; // 0-64
};

// One 64-row pattern: four bars, one chord a bar (or two, split at the half bar).
struct Section {
    const char* chords[8] = {}; // four names, or eight for two chords a bar
    const char* drums[4] = {};  // 16 steps a bar, keys of the song's kit; null: silent
    const char* bass = nullptr; // 16 steps, repeated each bar
    const char* harmony = nullptr;
    const char* melody = nullptr; // "F#5:6 E5:2 r:4 ..." lengths in rows
    int32_t melodyInstrument = 0; // index into the song's melodic instruments
    int32_t harmonyInstrument = 0;
    const char* bassLast = nullptr; // the fourth bar's bass, when it differs
};

struct SongPlan {
    int32_t tempo;
    std::map<char, DrumHit> kit;
    Instrument bass;
    std::vector<Instrument> harmony;
    std::vector<Instrument> melody;
    bool vibrato = true;
    int32_t bassFloor = 36; // lowest root of the bass line
    int32_t harmonyFloor = 55;
};

void Put(ModPattern& pattern, int32_t row, int32_t channel, int32_t note, uint8_t sample,
         uint8_t effect = 0, uint8_t param = 0) {
    ModCell& cell = pattern.rows[static_cast<size_t>(row)][static_cast<size_t>(channel)];
    cell.note = static_cast<uint8_t>(note + 1);
    cell.sample = sample;
    cell.effect = effect;
    cell.param = param;
}

void PutEffect(ModPattern& pattern, int32_t row, int32_t channel, uint8_t effect, uint8_t param) {
    ModCell& cell = pattern.rows[static_cast<size_t>(row)][static_cast<size_t>(channel)];
    cell.effect = effect;
    cell.param = param;
}

const Chord& ChordAt(const std::vector<Chord>& chords, int32_t row) {
    if (chords.size() == 8)
        return chords[static_cast<size_t>(row / 8)];
    return chords[static_cast<size_t>(row / RowsPerBar)];
}

int32_t Place(int32_t pitchClass, int32_t floor) {
    int32_t p = floor + ((pitchClass - floor) % 12 + 12) % 12;
    return p;
}

// The pitch a pattern letter stands for over a chord rooted at `root` (a placed pitch).
int32_t ToneOf(char key, const Chord& chord, int32_t root) {
    const std::vector<int32_t>& t = chord.tones;
    switch (key) {
    case '1':
    case 'R':
    case 'C':
        return root;
    case '3':
        return root + t[1];
    case '5':
        return root + t[2];
    case '7':
        return root + (t.size() > 3 ? t[3] : 12);
    case '8':
    case 'O':
        return root + 12;
    case '0':
        return root + t[1] + 12;
    case 'T':
        return root + t[2] + 12;
    case 'L':
        return root + t[2] - 12;
    default:
        return -1;
    }
}

ModPattern Arrange(const SongPlan& plan, const Section& section) {
    ModPattern pattern;
    std::vector<Chord> chords;
    for (const char* name : section.chords)
        if (name)
            chords.push_back(ParseChord(name));

    // Drums.
    for (int32_t bar = 0; bar < 4; ++bar) {
        const char* steps = section.drums[bar];
        if (!steps)
            continue;
        for (int32_t s = 0; s < RowsPerBar && steps[s]; ++s) {
            auto hit = plan.kit.find(steps[s]);
            if (hit == plan.kit.end())
                continue;
            const DrumHit& d = hit->second;
            Put(pattern, bar * RowsPerBar + s, DrumChannel, d.note, d.sample, 0xC, d.volume);
        }
    }
    // Bass.
    for (int32_t bar = 0; bar < 4 && section.bass; ++bar) {
        const char* steps = (bar == 3 && section.bassLast) ? section.bassLast : section.bass;
        for (int32_t s = 0; s < RowsPerBar && steps[s]; ++s) {
            int32_t row = bar * RowsPerBar + s;
            const Chord& chord = ChordAt(chords, row);
            int32_t root = Place(chord.root, plan.bassFloor);
            if (steps[s] == 'x') {
                PutEffect(pattern, row, BassChannel, 0xC, 0);
                continue;
            }
            int32_t pitch = ToneOf(steps[s], chord, root);
            if (pitch < 0)
                continue;
            Put(pattern, row, BassChannel, TrackerNote(pitch, plan.bass.c2Pitch), plan.bass.sample);
        }
    }
    // Harmony: broken chords, or 'C' for the whole chord as a fast arpeggio held with '-'.
    if (section.harmony) {
        const Instrument& inst = plan.harmony[static_cast<size_t>(section.harmonyInstrument)];
        uint8_t arpeggio = 0;
        for (int32_t row = 0; row < PatternRows; ++row) {
            char key = section.harmony[row % RowsPerBar];
            const Chord& chord = ChordAt(chords, row);
            int32_t root = Place(chord.root, plan.harmonyFloor);
            if (key == '-') {
                if (arpeggio)
                    PutEffect(pattern, row, HarmonyChannel, 0x0, arpeggio);
                continue;
            }
            arpeggio = 0;
            if (key == 'x') {
                PutEffect(pattern, row, HarmonyChannel, 0xC, 0);
                continue;
            }
            int32_t pitch = ToneOf(key, chord, root);
            if (pitch < 0)
                continue;
            Put(pattern, row, HarmonyChannel, TrackerNote(pitch + inst.shift, inst.c2Pitch),
                inst.sample);
            if (key == 'C') {
                int32_t a = std::min(chord.tones[1], 15), b = std::min(chord.tones[2], 15);
                arpeggio = static_cast<uint8_t>(a << 4 | b);
                PutEffect(pattern, row, HarmonyChannel, 0x0, arpeggio);
            }
        }
    }
    // Melody, with a gentle vibrato on held notes. A section without one silences the note
    // the section before it ended on: the lead's samples loop, so it would sound on and on.
    if (!section.melody)
        PutEffect(pattern, 0, MelodyChannel, 0xC, 0);
    if (section.melody) {
        const Instrument& inst = plan.melody[static_cast<size_t>(section.melodyInstrument)];
        const char* text = section.melody;
        int32_t row = 0;
        while (*text && row < PatternRows) {
            while (*text == ' ')
                ++text;
            if (!*text)
                break;
            int32_t pitch = ParsePitch(text);
            int32_t length = 1;
            if (*text == ':') {
                ++text;
                length = 0;
                while (*text >= '0' && *text <= '9')
                    length = length * 10 + (*text++ - '0');
            }
            if (pitch < 0) {
                PutEffect(pattern, row, MelodyChannel, 0xC, 0);
            } else {
                Put(pattern, row, MelodyChannel, TrackerNote(pitch, inst.c2Pitch), inst.sample);
                for (int32_t r = row + 3;
                     plan.vibrato && length >= 6 && r < row + length && r < PatternRows; ++r)
                    PutEffect(pattern, r, MelodyChannel, 0x4, 0x43);
            }
            row += length;
        }
    }
    // Tempo on the drum channel's first row; the panning of every channel on its first row
    // with a free effect slot (a pattern can start anywhere in the order list).
    PutEffect(pattern, 0, DrumChannel, 0xF, static_cast<uint8_t>(plan.tempo));
    for (int32_t ch = 0; ch < Channels; ++ch) {
        for (int32_t row = 0; row < 4; ++row) {
            const ModCell& cell = pattern.rows[static_cast<size_t>(row)][static_cast<size_t>(ch)];
            if (cell.effect == 0 && cell.param == 0) {
                PutEffect(pattern, row, ch, 0x8, ChannelPan[ch]);
                break;
            }
        }
    }
    return pattern;
}

ModSong Build(const char* title, const SongPlan& plan, std::vector<ModSample> samples,
              const std::vector<Section>& sections, const std::vector<uint8_t>& orders) {
    ModSong song;
    song.title = title;
    song.samples = std::move(samples);
    for (const Section& section : sections)
        song.patterns.push_back(Arrange(plan, section));
    song.orders = orders;
    return song;
}

} // namespace

// The menu: calm, D major, 100 beats a minute; electric piano, flute, soft bass, brushes.
ModSong ComposeMenuMusic() {
    std::vector<ModSample> samples;
    samples.push_back(MakeKick(12, 70.0, 50)); // 1
    samples.push_back(MakeSnare(24, 0.5, 30)); // 2
    samples.push_back(MakeShaker(29, 26));     // 3
    samples.push_back(MakeHat(33, 0.03, 22));  // 4
    {
        SustainedTone bass;
        bass.cycle = 128;
        bass.loopCycles = 16;
        bass.falloff = 2;
        bass.brightness = 3.0;
        bass.attackSeconds = 0.008;
        bass.settleSeconds = 0.35;
        bass.peak = 1.6;
        samples.push_back(MakeSustained("soft bass", bass, 42)); // 5
    }
    samples.push_back(MakeElectricPiano("electric piano", 32, 0.6, 40)); // 6
    {
        SustainedTone flute;
        flute.cycle = 32;
        flute.loopCycles = 32;
        flute.falloff = 2;
        flute.brightness = 2.0;
        flute.lowHarmonics = {1.0, 0.9, 0.5, 0.3};
        flute.attackSeconds = 0.06;
        flute.settleSeconds = 0.15;
        flute.breath = 0.25f;
        samples.push_back(MakeSustained("flute", flute, 50)); // 7
    }
    {
        SustainedTone pad;
        pad.cycle = 32;
        pad.loopCycles = 128;
        pad.detune = 1;
        pad.brightness = 3.0;
        pad.attackSeconds = 0.5;
        pad.settleSeconds = 0.6;
        samples.push_back(MakeSustained("warm pad", pad, 34)); // 8
    }
    samples.push_back(MakeCrash(24, 20));     // 9
    samples.push_back(MakeHat(33, 0.15, 18)); // 10

    SongPlan plan;
    plan.tempo = 100;
    plan.kit = {{'k', {1, 12, 50}}, {'s', {2, 24, 30}}, {'h', {3, 29, 18}}, {'H', {3, 29, 28}},
                {'t', {4, 33, 20}}, {'c', {9, 24, 20}}, {'o', {10, 33, 16}}};
    plan.bass = {5, 36};
    plan.harmony = {{6, 60}};
    plan.melody = {{7, 60}, {8, 60}};
    plan.bassFloor = 38;
    plan.harmonyFloor = 57;

    const char* verse[4] = {"Dmaj7", "Bm7", "Gmaj7", "A"};
    const char* lift[4] = {"Em7", "F#m7", "Gmaj7", "A"};
    const char* bridge[4] = {"Bm", "G", "D", "A"};
    const char* groove = "k.h.H.h.s.h.H.hk";
    const char* groove2 = "k.h.H.hks.h.H.h.";
    const char* fill = "k.h.H.h.s.h.s.ss";
    auto with = [](const char* const chords[4], Section s) {
        for (int i = 0; i < 4; ++i)
            s.chords[i] = chords[i];
        return s;
    };
    Section intro, a1, a2, b1, b2, c, outro;
    intro.drums[2] = "h.h.H.h.h.h.H.h.";
    intro.drums[3] = "h.h.H.h.h.h.HHHH";
    intro.bass = "R...............";
    intro.harmony = "1.5.8.5.0.5.8.5.";
    intro.melody = "F#4:16 D4:16 B3:16 C#4:8 E4:8";
    intro.melodyInstrument = 1;
    a1.drums[0] = "c.h.H.h.s.h.H.hk";
    a1.drums[1] = groove2;
    a1.drums[2] = groove;
    a1.drums[3] = fill;
    a1.bass = "R.....R.5.....3.";
    a1.harmony = "1.5.8.5.0.5.8.5.";
    a1.melody =
        "F#5:6 E5:2 D5:4 A4:4 B4:6 C#5:2 D5:4 F#5:4 G5:6 F#5:2 E5:4 D5:2 B4:2 C#5:8 E5:4 A4:4";
    a2 = a1;
    a2.drums[0] = groove;
    a2.melody =
        "F#5:6 E5:2 D5:4 A4:4 B4:6 C#5:2 D5:4 B4:4 G4:4 B4:4 D5:4 G5:4 F#5:4 E5:4 C#5:4 A4:4";
    a2.harmony = "1.5.8.7.0.7.8.5.";
    b1.drums[0] = "c.h.H.h.s.h.H.hk";
    b1.drums[1] = groove2;
    b1.drums[2] = groove;
    b1.drums[3] = "k.h.s.h.s.hss.ss";
    b1.bass = "R.....R.5...R.5.";
    b1.harmony = "1.5.8.5.7.5.8.5.";
    b1.melody = "E5:4 G5:4 B5:6 A5:2 F#5:4 A5:4 C#5:6 D5:2 B4:4 D5:4 G5:4 F#5:2 E5:2 E5:12 r:4";
    b2 = b1;
    b2.melody =
        "E5:4 G5:4 B5:6 A5:2 F#5:4 A5:4 C#5:6 D5:2 B4:4 D5:4 G5:4 F#5:2 E5:2 A5:4 G5:4 F#5:4 E5:4";
    c.drums[0] = "c.h.H.hks.h.H.hk";
    c.drums[1] = "k.h.H.hks.h.H.hk";
    c.drums[2] = "k.h.H.hks.h.H.hk";
    c.drums[3] = "k.h.s.hks.s.ssss";
    c.bass = "R...R.5.R...5.R.";
    c.harmony = "1358135813581358";
    c.melody = "D5:2 F#5:2 B5:8 A5:4 G5:2 F#5:2 E5:8 D5:4 F#5:6 E5:2 D5:8 E5:4 F#5:2 E5:2 C#5:8";
    outro.drums[0] = "c.h.H.h.h.h.H.h.";
    outro.drums[1] = "h.h.H.h.h.h.H.h.";
    outro.bass = "R.......5.......";
    outro.harmony = "1.5.8.5.0.5.8.5.";
    outro.melody = "A4:16 F#4:16 D4:16 E4:16";
    outro.melodyInstrument = 1;
    std::vector<Section> sections = {with(verse, intro), with(verse, a1), with(verse, a2),
                                     with(lift, b1),     with(lift, b2),  with(bridge, c),
                                     with(verse, outro)};
    // intro, verse, verse, lift, bridge, verse, lift, bridge, verse, outro
    return Build("tarnvell menu", plan, samples, sections, {0, 1, 2, 3, 5, 1, 4, 5, 2, 6});
}

// The race: driving, A minor, 140 beats a minute; acid bass, plucked arpeggios, saw lead.
ModSong ComposeRaceMusic() {
    std::vector<ModSample> samples;
    samples.push_back(MakeKick(12, 120.0, 64));             // 1
    samples.push_back(MakeSnare(24, 0.9, 50));              // 2
    samples.push_back(MakeHat(33, 0.03, 30));               // 3
    samples.push_back(MakeHat(33, 0.16, 26));               // 4
    samples.push_back(MakeCrash(24, 30));                   // 5
    samples.push_back(MakeTom(12, 140.0, 0.15, "tom", 50)); // 6
    {
        Pluck acid;
        acid.cycle = 128;
        acid.cutoffStart = 2600.0;
        acid.cutoffEnd = 260.0;
        acid.cutoffDecay = 0.07;
        acid.damping = 0.3;
        acid.ampDecay = 0.3;
        samples.push_back(MakeFilteredPluck("acid bass", acid, 52)); // 7
    }
    {
        Pluck arp;
        arp.cycle = 32;
        arp.square = true;
        arp.cutoffStart = 3800.0;
        arp.cutoffEnd = 700.0;
        arp.cutoffDecay = 0.05;
        arp.damping = 0.6;
        arp.ampDecay = 0.16;
        arp.lengthSeconds = 0.5;
        samples.push_back(MakeFilteredPluck("pluck", arp, 30)); // 8
    }
    {
        SustainedTone lead;
        lead.cycle = 32;
        lead.loopCycles = 128;
        lead.detune = 1;
        lead.brightness = 9.0;
        lead.attackSeconds = 0.01;
        lead.settleSeconds = 0.12;
        lead.peak = 1.2;
        samples.push_back(MakeSustained("saw lead", lead, 52)); // 9
    }
    samples.push_back(MakeTom(12, 95.0, 0.18, "low tom", 50)); // 10

    SongPlan plan;
    plan.tempo = 140;
    plan.kit = {{'k', {1, 12, 64}}, {'s', {2, 24, 48}}, {'g', {2, 24, 22}},
                {'h', {3, 33, 20}}, {'H', {3, 33, 32}}, {'o', {4, 33, 26}},
                {'c', {5, 24, 34}}, {'t', {6, 12, 48}}, {'m', {10, 12, 50}}};
    plan.bass = {7, 36};
    plan.harmony = {{8, 60}};
    plan.melody = {{9, 60}};
    plan.bassFloor = 33;
    plan.harmonyFloor = 57;

    const char* verse[4] = {"Am", "F", "C", "G"};
    const char* verse2[4] = {"Am", "F", "G", "E"};
    const char* chorus1[4] = {"F", "G", "Em", "Am"};
    const char* chorus2[4] = {"Dm", "G", "C", "E"};
    const char* beat = "k.H.s.h.k.hks.H.";
    const char* beat2 = "k.H.s.hgk.hks.Ho";
    const char* drive = "k.Hks.H.k.Hks.Ho";
    const char* fill = "k.H.s.h.k.s.ttmm";
    auto with = [](const char* const chords[4], Section s) {
        for (int i = 0; i < 4; ++i)
            s.chords[i] = chords[i];
        return s;
    };
    Section intro, v1, v2, c1, c2, breakdown, build, outro;
    intro.drums[0] = "k...k...k...k...";
    intro.drums[1] = "k...k...k...k...";
    intro.drums[2] = "k.h.k.h.k.h.k.h.";
    intro.drums[3] = "k.h.k.h.s.s.ssss";
    intro.bass = "R.R.O.R.R.R.O.R.";
    intro.harmony = "1.5.8.5.1.5.8.5.";
    v1.drums[0] = "c.H.s.h.k.hks.H.";
    v1.drums[1] = beat2;
    v1.drums[2] = beat;
    v1.drums[3] = fill;
    v1.bass = "R.R.O.R.R.R.O.R.";
    v1.harmony = "1.5.8.5.1.5.8.5.";
    v1.melody = "A4:3 C5:3 E5:2 A5:4 G5:2 E5:2 F5:3 E5:3 C5:2 A4:4 C5:4 "
                "G5:3 E5:3 C5:2 E5:2 G5:2 C5:4 B4:4 D5:4 G5:6 F5:2";
    v2 = v1;
    v2.drums[0] = beat;
    v2.melody = "A4:3 C5:3 E5:2 A5:4 G5:2 E5:2 F5:3 E5:3 C5:2 A4:4 C5:4 "
                "D5:3 E5:3 G5:2 B5:4 A5:2 G5:2 G#5:8 E5:4 B4:4";
    c1.drums[0] = "c.Hks.H.k.Hks.Ho";
    c1.drums[1] = drive;
    c1.drums[2] = drive;
    c1.drums[3] = "k.Hks.H.k.s.ssss";
    c1.bass = "R.RRO.R.R.RRO.5.";
    c1.harmony = "1358135813581358";
    c1.melody = "A5:6 G5:2 F5:4 C5:4 B5:6 A5:2 G5:4 D5:4 G5:4 E5:4 B4:4 E5:4 A5:12 r:4";
    c2 = c1;
    c2.drums[0] = drive;
    c2.drums[3] = fill;
    c2.melody = "F5:6 E5:2 D5:4 A4:4 B4:6 D5:2 G5:4 F5:4 E5:4 G5:4 C5:4 E5:4 G#5:8 B5:4 G#5:4";
    breakdown.drums[0] = "c...............";
    breakdown.drums[2] = "h.h.h.h.h.h.h.h.";
    breakdown.drums[3] = "h.h.h.h.H.H.HHHH";
    breakdown.bass = "R.......R.......";
    breakdown.harmony = "1358135813581358";
    breakdown.melody = "E5:16 C5:16 E5:16 D5:16";
    build.drums[0] = "k...s...k...s...";
    build.drums[1] = "k...s...k.s.s.s.";
    build.drums[2] = "k.s.s.s.k.s.s.s.";
    build.drums[3] = "g.g.s.s.gsgsssss"; // the roll swells into the verse
    build.bass = "R.R.R.R.R.R.R.R.";
    build.harmony = "1.5.8.5.1.5.8.5.";
    build.melody = "A4:3 C5:3 E5:2 A5:4 G5:2 E5:2 F5:3 E5:3 C5:2 A4:4 C5:4 "
                   "D5:3 E5:3 G5:2 B5:4 A5:2 G5:2 G#5:8 E5:4 B4:4";
    outro.drums[0] = "c.H.s.h.k.hks.H.";
    outro.drums[1] = beat;
    outro.drums[2] = beat2;
    outro.drums[3] = "k.H.s.h.s.s.ttmm";
    outro.bass = "R.R.O.R.R.R.O.R.";
    outro.harmony = "1358135813581358";
    std::vector<Section> sections = {
        with(verse, intro), with(verse, v1),        with(verse2, v2),    with(chorus1, c1),
        with(chorus2, c2),  with(verse, breakdown), with(verse2, build), with(verse2, outro)};
    // intro, verse, verse, chorus, chorus, breakdown, build, verse, verse, chorus, chorus, outro
    return Build("tarnvell race", plan, samples, sections, {0, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 7});
}

// The results: triumphant, C major, 120 beats a minute; brass fanfare over a march.
ModSong ComposeResultsMusic() {
    std::vector<ModSample> samples;
    samples.push_back(MakeKick(12, 90.0, 60));                 // 1
    samples.push_back(MakeSnare(24, 1.0, 44));                 // 2
    samples.push_back(MakeHat(33, 0.035, 24));                 // 3
    samples.push_back(MakeCrash(24, 30));                      // 4
    samples.push_back(MakeTom(12, 70.0, 0.35, "timpani", 56)); // 5
    {
        SustainedTone bass;
        bass.cycle = 128;
        bass.loopCycles = 16;
        bass.falloff = 1;
        bass.brightness = 4.0;
        bass.attackSeconds = 0.006;
        bass.settleSeconds = 0.3;
        bass.peak = 1.8;
        samples.push_back(MakeSustained("bass", bass, 40)); // 6
    }
    {
        SustainedTone horns;
        horns.cycle = 32;
        horns.loopCycles = 64;
        horns.detune = 1;
        horns.brightness = 5.0;
        horns.startBrightness = 0.3;
        horns.attackSeconds = 0.03;
        horns.settleSeconds = 0.12;
        horns.peak = 1.3;
        samples.push_back(MakeSustained("horns", horns, 34)); // 7
    }
    {
        SustainedTone trumpet;
        trumpet.cycle = 32;
        trumpet.loopCycles = 64;
        trumpet.brightness = 7.0;
        trumpet.startBrightness = 0.25;
        trumpet.attackSeconds = 0.025;
        trumpet.settleSeconds = 0.1;
        trumpet.peak = 1.3;
        samples.push_back(MakeSustained("trumpet", trumpet, 52)); // 8
    }
    samples.push_back(MakeBell("glockenspiel", 16, 28)); // 9
    samples.push_back(MakeHat(33, 0.15, 20));            // 10

    SongPlan plan;
    plan.tempo = 120;
    plan.kit = {{'k', {1, 12, 60}}, {'s', {2, 24, 44}}, {'g', {2, 24, 20}}, {'h', {3, 33, 22}},
                {'c', {4, 24, 30}}, {'t', {5, 12, 56}}, {'m', {5, 7, 56}},  {'o', {10, 33, 20}}};
    plan.bass = {6, 36};
    plan.harmony = {{7, 60}, {9, 72, 12}};
    plan.melody = {{8, 60}};
    plan.bassFloor = 36;
    plan.harmonyFloor = 55;

    const char* fanfare[4] = {"C", "F", "G", "C"};
    const char* answer[4] = {"Am", "F", "G", "G"};
    const char* anthem1[4] = {"F", "G", "Em", "Am"};
    // The anthem ends on the dominant: the fanfare that follows, and the loop, open on C.
    const char* anthem2[4] = {"Dm", "G", "C", "G7"};
    const char* march = "k.h.s.h.k.k.s.hg";
    const char* march2 = "k.hgs.h.k.k.s.hs";
    const char* roll = "s.s.s.ssssttmmmm";
    auto with = [](const char* const chords[4], Section s) {
        for (int i = 0; i < 4; ++i)
            s.chords[i] = chords[i];
        return s;
    };
    Section intro, a1, a2, b, c1, c2;
    intro.drums[0] = "t...t...t.t.t...";
    intro.drums[1] = "t...t...t.t.t...";
    intro.drums[2] = "t...m...t...m...";
    intro.drums[3] = "gggggggsssssssss";
    intro.bass = "R.......R.......";
    intro.harmony = "C-----x.C---x.C-"; // fanfare hits, not a held chord
    a1.drums[0] = "c.h.s.h.k.k.s.hg";
    a1.drums[1] = march2;
    a1.drums[2] = march;
    a1.drums[3] = roll;
    a1.bass = "R...R.5.R...5.R.";
    a1.harmony = "C--C--C-C---C-x."; // a breath before each chord change
    a1.melody = "G4:2 C5:2 E5:2 G5:6 E5:2 G5:2 A5:6 G5:2 F5:4 A5:4 G5:4 D5:2 E5:2 F5:4 D5:4 E5:2 "
                "D5:2 C5:12";
    a2 = a1;
    a2.drums[0] = march;
    a2.harmony = "1358853113588531";
    a2.harmonyInstrument = 1;
    a2.melody =
        "G4:2 C5:2 E5:2 G5:6 E5:2 G5:2 A5:6 G5:2 F5:4 A5:4 B4:4 D5:4 G5:4 B5:4 C5:4 E5:4 G5:8";
    b.drums[0] = "c.h.s.h.k.k.s.hg";
    b.drums[1] = march2;
    b.drums[2] = march;
    b.drums[3] = "k.h.s.h.s.s.ssss";
    b.bass = "R...R.5.R...5.R.";
    b.bassLast = "R.R.R.R.5.5.7.7.";
    b.harmony = "C--C--C-C---C-x.";
    b.melody = "E5:4 C5:4 A4:4 C5:4 F5:6 E5:2 F5:4 A5:4 G5:6 F5:2 E5:4 D5:4 B4:4 C5:4 D5:8";
    c1.drums[0] = "c.h.s.hkk.k.s.hs";
    c1.drums[1] = "k.h.s.hkk.k.s.hs";
    c1.drums[2] = "k.h.s.hkk.k.s.hs";
    c1.drums[3] = roll;
    c1.bass = "R.R.5.R.R.R.5.O.";
    c1.harmony = "1358853113588531";
    c1.harmonyInstrument = 1;
    c1.melody = "A5:8 G5:4 F5:4 G5:8 F5:4 E5:4 E5:4 G5:4 B5:8 A5:12 E5:4";
    c2 = c1;
    c2.drums[0] = "k.h.s.hkk.k.s.hs";
    c2.drums[3] = "k.h.s.hkc.......";
    c2.harmony = "C--C--C-C---C-x.";
    c2.harmonyInstrument = 0;
    c2.melody = "F5:4 A5:4 D5:8 D5:4 G5:4 B5:8 G5:4 E5:4 C5:4 E5:4 G5:4 F5:4 D5:4 B4:4";
    std::vector<Section> sections = {with(fanfare, intro), with(fanfare, a1), with(fanfare, a2),
                                     with(answer, b),      with(anthem1, c1), with(anthem2, c2)};
    // intro, fanfare, fanfare, answer, anthem, anthem, fanfare, answer, anthem, anthem
    return Build("tarnvell results", plan, samples, sections, {0, 1, 2, 3, 4, 5, 2, 3, 4, 5});
}

} // namespace sounds
