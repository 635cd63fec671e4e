#include "Effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Mastering.h"
#include "NoiseSource.h"
#include "Voices.h"

namespace kwadrill {

namespace {

// Struck steel bar: the classic inharmonic bell series.
const std::vector<Partial> kBarPartials = {{1.0, 1.0}, {2.76, 0.45}, {5.40, 0.25}, {8.93, 0.12}};
// Thin glass: closer, brighter partials.
const std::vector<Partial> kGlassPartials = {{1.0, 1.0}, {2.32, 0.5}, {4.25, 0.3}, {6.63, 0.15}};
const std::vector<Partial> kPureTone = {{1.0, 1.0}};

// C major pentatonic, A5 to E7, and A major pentatonic, A5 to B7 (MIDI note numbers).
const std::vector<int> kFallingScale = {81, 84, 86, 88, 91, 93, 96, 98, 100};
const std::vector<int> kRisingScale = {81, 83, 85, 88, 90, 93, 95, 97, 100, 102, 105, 107};

double NoteHz(int midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// Sample counts: the lengths the game's effect slots were timed for, kept even
// so that no RIFF pad byte is needed.
Signal Diss1() {
    Signal signal(11025, 9226);
    NoiseSource random(0xD155'0001);
    const int grains = 22;
    for (int i = 0; i < grains; ++i) {
        const double x = static_cast<double>(i) / (grains - 1);
        const int step = static_cast<int>(std::lround(random.Between(-1.0, 1.0)));
        const int index = std::clamp(8 - static_cast<int>(x * 8.0) + step, 0, 8);
        AddBell(signal,
                {0.01 + 0.52 * std::pow(x, 1.15) + random.Between(-0.006, 0.006),
                 NoteHz(kFallingScale[static_cast<std::size_t>(index)]),
                 0.5 * (1.0 - 0.4 * x) * random.Between(0.8, 1.0), 0.07 + 0.1 * x, kBarPartials});
    }
    AddGlide(signal, {0.0, 0.8, 1800.0, 600.0, 0.1, 13.0});
    Master(signal,
           {.reverbWet = 0.45, .reverbFeedback = 0.8, .reverbDamping = 0.35, .fadeOut = 0.2});
    return signal;
}

void AddSparkles(Signal& signal, NoiseSource& random, int count) {
    for (int i = 0; i < count; ++i) {
        // Dense at first, thinning out as the blocks vanish.
        const double t = 0.05 + 0.67 * std::pow(random.Between(0.0, 1.0), 1.6);
        AddBell(signal, {t, random.Between(3000.0, 7000.0), 0.22 * (1.0 - t / 0.8),
                         random.Between(0.006, 0.015), kPureTone});
    }
}

Signal Diss2() {
    Signal signal(22050, 18376);
    NoiseSource random(0xD155'0002);
    for (std::size_t i = 0; i < kRisingScale.size(); ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(kRisingScale.size() - 1);
        AddBell(signal, {0.005 + 0.018 * static_cast<double>(i), NoteHz(kRisingScale[i]),
                         0.3 + 0.15 * x, 0.08, kGlassPartials});
    }
    for (int note : {93, 97, 100, 104}) {
        AddBell(signal, {0.2, NoteHz(note), 0.22, 0.35, kBarPartials});
    }
    AddSweptNoise(signal, {0.03, 0.78, 8000.0, 1500.0, 0.35, 0xF122});
    AddSparkles(signal, random, 36);
    Master(signal, {.reverbWet = 0.35, .reverbFeedback = 0.78, .fadeOut = 0.2});
    return signal;
}

// A plain heavy thud: falling sine, a click on top, a dull noise body.
Signal Drop1() {
    Signal signal(16000, 5264);
    AddThump(signal, {0.0, 160.0, 48.0, 0.035, 0.085, 1.0});
    AddNoiseBurst(signal, {0.0, 0.0005, 0.004, 0.5, 1500.0, 6000.0, 11});
    AddNoiseBurst(signal, {0.0, 0.001, 0.03, 0.45, 60.0, 500.0, 12});
    Master(signal, {.drive = 1.6, .fadeOut = 0.03});
    return signal;
}

// A block that lands, bounces once and settles with a little grit.
Signal Drop2() {
    Signal signal(16000, 7068);
    AddThump(signal, {0.0, 130.0, 42.0, 0.045, 0.11, 1.0});
    AddNoiseBurst(signal, {0.0, 0.002, 0.05, 0.5, 50.0, 800.0, 21});
    AddNoiseBurst(signal, {0.0, 0.0005, 0.003, 0.35, 2000.0, 7000.0, 22});
    AddThump(signal, {0.16, 190.0, 70.0, 0.03, 0.06, 0.38});
    AddNoiseBurst(signal, {0.16, 0.001, 0.02, 0.2, 100.0, 1200.0, 23});
    NoiseSource random(0xD209'0002);
    double amplitude = 0.12;
    for (double t : {0.19, 0.23, 0.26, 0.30, 0.33}) {
        const double f = random.Between(900.0, 2000.0);
        AddKnock(signal, {t,
                          amplitude,
                          0.001,
                          {{f, 0.015, 1.0}, {f * 2.3, 0.01, 0.5}},
                          static_cast<std::uint32_t>(t * 1000)});
        amplitude *= 0.75;
    }
    Master(signal, {.drive = 1.4, .fadeOut = 0.04});
    return signal;
}

// A hollow wooden block that knocks down and rocks back once.
Signal Drop3() {
    Signal signal(16000, 5184);
    const std::vector<Mode> wood = {
        {420.0, 0.035, 1.0}, {1080.0, 0.02, 0.6}, {1890.0, 0.012, 0.4}, {2950.0, 0.008, 0.25}};
    AddKnock(signal, {0.0, 1.0, 0.0015, wood, 31});
    AddKnock(signal, {0.095, 0.35, 0.0015, wood, 32});
    AddThump(signal, {0.0, 140.0, 80.0, 0.02, 0.05, 0.5});
    Master(signal, {.drive = 0.8, .fadeOut = 0.03});
    return signal;
}

// A bright stone clack with a flam, the second hit a touch higher.
Signal Drop4() {
    Signal signal(22050, 5700);
    const std::vector<Mode> stone = {
        {1250.0, 0.035, 1.0}, {2890.0, 0.025, 0.7}, {4410.0, 0.018, 0.5}, {6100.0, 0.012, 0.3}};
    std::vector<Mode> flam = stone;
    for (Mode& mode : flam) {
        mode.frequency *= 1.03;
    }
    AddKnock(signal, {0.0, 1.0, 0.0008, stone, 41});
    AddKnock(signal, {0.018, 0.55, 0.0008, flam, 42});
    AddThump(signal, {0.0, 220.0, 95.0, 0.015, 0.035, 0.45});
    Master(signal, {.fadeOut = 0.03});
    return signal;
}

// A soft, muffled landing on something yielding: no click at all.
Signal Drop5() {
    Signal signal(11025, 3166);
    AddNoiseBurst(signal, {0.0, 0.006, 0.05, 1.0, 40.0, 350.0, 51});
    AddNoiseBurst(signal, {0.0, 0.01, 0.09, 0.5, 30.0, 180.0, 52});
    AddThump(signal, {0.0, 95.0, 45.0, 0.05, 0.08, 0.7});
    Master(signal, {.drive = 1.2, .fadeOut = 0.04});
    return signal;
}

void AddDebris(Signal& signal, NoiseSource& random, int pieces) {
    for (int k = 0; k < pieces; ++k) {
        const double x = static_cast<double>(k) / (pieces - 1);
        const double f = random.Between(500.0, 1600.0);
        AddKnock(
            signal,
            {0.07 + 0.45 * std::pow(x, 1.3) + random.Between(-0.01, 0.01),
             0.18 * (1.0 - 0.07 * k),
             0.001,
             {{f, random.Between(0.01, 0.025), 1.0}, {f * 2.3, 0.01, 0.5}, {f * 3.9, 0.006, 0.25}},
             static_cast<std::uint32_t>(600 + k)});
    }
}

// The big one: a deep boom and the rubble settling after it.
Signal Drop6() {
    Signal signal(22000, 15984);
    AddThump(signal, {0.0, 110.0, 34.0, 0.06, 0.22, 1.0});
    AddThump(signal, {0.0, 220.0, 68.0, 0.04, 0.08, 0.35});
    AddNoiseBurst(signal, {0.0, 0.0005, 0.005, 0.45, 1200.0, 8000.0, 61});
    AddNoiseBurst(signal, {0.0, 0.002, 0.12, 0.5, 40.0, 600.0, 62});
    NoiseSource random(0xD209'0006);
    AddDebris(signal, random, 12);
    Master(signal, {.reverbWet = 0.2,
                    .reverbFeedback = 0.7,
                    .reverbDamping = 0.5,
                    .drive = 1.5,
                    .fadeOut = 0.1});
    return signal;
}

}  // namespace

std::vector<Effect> SynthesizeEffects() {
    std::vector<Effect> effects;
    effects.push_back({"DISS1", Diss1()});
    effects.push_back({"DISS2", Diss2()});
    effects.push_back({"DROP1", Drop1()});
    effects.push_back({"DROP2", Drop2()});
    effects.push_back({"DROP3", Drop3()});
    effects.push_back({"DROP4", Drop4()});
    effects.push_back({"DROP5", Drop5()});
    effects.push_back({"DROP6", Drop6()});
    return effects;
}

}  // namespace kwadrill
