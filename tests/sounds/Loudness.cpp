#include "Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "AudioOutput.h"
#include "MidiSynth.h"

namespace kwadrill::test {

namespace {

struct MeterDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Meter = std::unique_ptr<ebur128_state, MeterDeleter>;

}  // namespace

std::optional<double> RenderedLoudness(const std::vector<std::uint8_t>& midiFile,
                                       const std::string& soundFont, double boundSeconds) {
    constexpr int kRate = AudioOutput::kFrequency;
    constexpr int kBlock = kRate / 10;
    MidiSynth synth(kRate);
    if (!synth.LoadSoundFont(soundFont) || !synth.Start(midiFile)) {
        return std::nullopt;
    }
    Meter meter(ebur128_init(AudioOutput::kChannels, kRate, EBUR128_MODE_I));
    std::vector<std::int16_t> frames(static_cast<std::size_t>(kBlock) * AudioOutput::kChannels);
    for (double seconds = 0.0; synth.PlayerRunning() && seconds < boundSeconds; seconds += 0.1) {
        synth.Render(frames.data(), kBlock);
        ebur128_add_frames_short(meter.get(), frames.data(), kBlock);
    }
    double loudness = 0.0;
    if (ebur128_loudness_global(meter.get(), &loudness) != EBUR128_SUCCESS) {
        return std::nullopt;
    }
    return loudness;
}

}  // namespace kwadrill::test
