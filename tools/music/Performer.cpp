#include "Performer.h"

#include <algorithm>
#include <cmath>

namespace kwadrill {

namespace {

// Per channel: lead, counter, comp, pad, bass, ..., drums. The lead sits a
// hair behind the beat, the bass on it, the pad barely moves.
constexpr std::array<Performer::Feel, 16> kFeels = {{
    {2, 1, 6},
    {2, 1, 5},
    {1, 0, 7},
    {1, 0, 3},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 7},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
    {1, 0, 4},
}};

std::uint32_t Fnv1a(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (char c : text) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    return hash;
}

}  // namespace

Performer::Performer(std::string_view piece, int swingUnit, double swing)
    : swingUnit_(swingUnit), swing_(swing) {
    const std::uint32_t seed = Fnv1a(piece);
    for (std::size_t channel = 0; channel < states_.size(); ++channel) {
        states_[channel] = (seed ^ (0x9E3779B9u * static_cast<std::uint32_t>(channel + 1))) | 1u;
    }
}

int Performer::Between(int channel, int low, int high) {
    std::uint32_t& state = states_[static_cast<std::size_t>(channel)];
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return low + static_cast<int>(state % static_cast<std::uint32_t>(high - low + 1));
}

// The second note of each swung pair comes late, towards the third triplet.
int Performer::Swung(int tick) const {
    if (swing_ <= 0.0 || tick % (2 * swingUnit_) != swingUnit_) {
        return tick;
    }
    return tick + static_cast<int>(std::lround(swing_ * swingUnit_ / 3.0));
}

void Performer::Play(MidiTrack& track, int channel, int tick, int length, int pitch, int velocity,
                     int floor, int limit) {
    const Feel& feel = kFeels[static_cast<std::size_t>(channel)];
    const int end = Swung(tick + length);
    int start = Swung(tick) + feel.lean + Between(channel, -feel.timing, feel.timing);
    start = std::clamp(start, std::min(floor, tick), limit - 1);
    const int played = std::clamp(end - start, 1, limit - start);
    track.Note(start, played, channel, pitch,
               velocity + Between(channel, -feel.velocity, feel.velocity));
}

}  // namespace kwadrill
