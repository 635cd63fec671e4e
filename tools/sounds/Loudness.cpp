#include "Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <stdexcept>

namespace kwadrill {

namespace {

constexpr double kWindowSeconds = 0.4;
constexpr double kHopSeconds = 0.005;

struct MeterDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

}  // namespace

double MaxMomentaryLoudness(const Signal& signal) {
    return MaxMomentaryLoudness(signal.samples, signal.rate);
}

double MaxMomentaryLoudness(const std::vector<double>& samples, double rate) {
    std::unique_ptr<ebur128_state, MeterDeleter> meter(
        ebur128_init(1, static_cast<unsigned long>(rate), EBUR128_MODE_M));
    // The game plays a mono effect on both speakers, which sounds 3 dB
    // louder than the one channel metered alone.
    if (!meter || ebur128_set_channel(meter.get(), 0, EBUR128_DUAL_MONO) != EBUR128_SUCCESS) {
        throw std::runtime_error("cannot create a loudness meter");
    }
    const auto window = static_cast<std::size_t>(kWindowSeconds * rate);
    std::vector<double> padded(window, 0.0);
    padded.insert(padded.end(), samples.begin(), samples.end());
    padded.insert(padded.end(), window, 0.0);
    const auto hop = std::max<std::size_t>(1, static_cast<std::size_t>(kHopSeconds * rate));
    double loudest = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < padded.size(); i += hop) {
        const std::size_t count = std::min(hop, padded.size() - i);
        ebur128_add_frames_double(meter.get(), padded.data() + i, count);
        double momentary = 0.0;
        if (i + count >= window &&
            ebur128_loudness_momentary(meter.get(), &momentary) == EBUR128_SUCCESS) {
            loudest = std::max(loudest, momentary);
        }
    }
    return loudest;
}

}  // namespace kwadrill
