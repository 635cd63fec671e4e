#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kwadrill {

// Encodes interleaved 16-bit stereo into an Ogg Vorbis stream held in
// memory, with libvorbisenc's variable bit rate. The comments are given at
// the end, so they can say what was learnt while encoding.
class VorbisEncoder {
public:
    using Comments = std::vector<std::pair<std::string, std::string>>;

    // At 0.4 (30 MB for the thirteen pieces) the level matched the live
    // synthesizer's within 0.05 dB, but the 12.8 and 16 kHz third-octave
    // bands lost up to 3 dB on the pieces with bright cymbals; 0.6 keeps
    // them (bench/audio/README.md).
    static constexpr float kQuality = 0.6f;

    // serial numbers the logical stream.
    VorbisEncoder(int sampleRate, std::uint32_t serial);
    ~VorbisEncoder();
    VorbisEncoder(const VorbisEncoder&) = delete;
    VorbisEncoder& operator=(const VorbisEncoder&) = delete;

    // False when libvorbisenc refused the format.
    bool IsReady() const;
    void Write(const std::int16_t* frames, int frameCount);
    // Ends the stream and writes the comments into its header: the whole
    // file, or empty when the comments do not fit the header's pages.
    std::string Finish(const Comments& comments);

private:
    void Drain();
    void TakePages(bool flush);
    std::string HeaderPages(const Comments& comments, int& pages) const;

    struct Vorbis;  // libvorbis's and libogg's own state, kept out of this header
    std::unique_ptr<Vorbis> vorbis_;
    std::string out_;
};

}  // namespace kwadrill
