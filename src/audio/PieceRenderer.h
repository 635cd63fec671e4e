#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace kwadrill {

// Renders one piece as the live device would play it, into a whole Ogg
// Vorbis file in memory, with a synthesizer of its own: one reused across
// pieces would carry reverb and chorus from one render into the next.
class PieceRenderer {
public:
    // A rendered piece sounds on this long past its length: the live device
    // goes on until the main tick, once a second at most, sees the end.
    static constexpr int kTailMs = 2000;

    // Everything besides the piece and the SoundFont that decides the
    // rendered file: part of its cache key.
    static std::string SettingsText(int sampleRate);

    // The file, its comments naming the key, its frames and the player's
    // clock; empty when the piece, the SoundFont or the encoder fails, or
    // as soon as stop is set.
    static std::string Render(std::span<const std::uint8_t> midi, const std::string& soundFont,
                              int sampleRate, const std::string& key,
                              const std::atomic<bool>& stop);
};

}  // namespace kwadrill
