#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace kwadrill {

// Plays a piece from the music cache (Ogg Vorbis, 16-bit stereo) into the
// output's music stream. It decodes about a second at a time: decoding a
// packet for every buffer, as a streaming decoder does, wakes the decoder with
// cold caches 43 times a second and costs about twice the CPU for the same
// sound.
class CachedPiecePlayer {
public:
    // Takes the descriptor. Null when the file does not open as a stereo
    // Vorbis stream at `sampleRate` exactly `frames` frames long (a file cut
    // short or from another renderer).
    static std::unique_ptr<CachedPiecePlayer> Open(int fd, std::int64_t frames, int sampleRate);
    ~CachedPiecePlayer();
    CachedPiecePlayer(const CachedPiecePlayer&) = delete;
    CachedPiecePlayer& operator=(const CachedPiecePlayer&) = delete;

    // On the audio thread: the next `frames` interleaved frames of the
    // piece, silence once it has ended.
    void Mix(std::int16_t* out, int frames);

    // Frames of the piece given out so far; any thread.
    std::int64_t Played() const { return played_; }
    // The whole piece has been given out, or the file failed to decode.
    bool Ended() const { return ended_; }

private:
    struct Decoder;
    explicit CachedPiecePlayer(std::unique_ptr<Decoder> decoder);
    // Decodes until about a second is waiting or the piece ends.
    void Refill();

    std::unique_ptr<Decoder> decoder_;
    std::vector<std::int16_t> buffer_;
    std::size_t next_ = 0;     // samples of buffer_ already given out
    std::size_t waiting_ = 0;  // samples of buffer_ decoded
    bool decodedAll_ = false;
    std::atomic<std::int64_t> played_{0};
    std::atomic<bool> ended_{false};
};

}  // namespace kwadrill
