#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kwadrill {

// A FluidSynth synthesizer with one MIDI file player, rendered on demand
// into 16-bit stereo. The player's clock is the rendered sample count, so a
// piece advances exactly as fast as it is rendered.
//
// Render may run on the audio thread; Start and Stop must not run while a
// Render is under way (the music device unhooks the output first).
class MidiSynth {
public:
    // FluidSynth's default (0.2) is too quiet. At 0.5 the game's pieces
    // measure -20 to -27 dB RMS with peaks below -3.5 dB: a few dB under the
    // effects, with headroom left for both at once.
    static constexpr double kGain = 0.5;

    explicit MidiSynth(int sampleRate);
    ~MidiSynth();
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;

    // The library's version and every setting the constructor makes, one per
    // line: what besides the SoundFont and the piece decides how it sounds.
    static std::string SettingsText(int sampleRate);

    // False when FluidSynth could not create the synthesizer.
    bool IsReady() const;

    // Loads the SoundFont once; samples are read lazily as instruments are
    // first used, which keeps both the load and the memory small.
    bool LoadSoundFont(const std::string& path);
    bool HasSoundFont() const { return soundFontId_ >= 0; }

    // Loads the samples of these (bank, program) instruments now and keeps
    // them until the next call, so the audio thread never waits for the
    // disk when the piece selects one. Instruments only the last call
    // named are released.
    void PinPrograms(const std::vector<std::pair<int, int>>& programs);

    // Plays a standard MIDI file image from its start; the bytes are copied.
    bool Start(std::span<const std::uint8_t> midiFile);
    // Stops the piece and silences every voice.
    void Stop();
    bool PlayerRunning() const;
    std::int64_t CurrentTick() const;

    // Writes frameCount interleaved stereo frames.
    void Render(std::int16_t* frames, int frameCount);

private:
    struct Fluid;  // FluidSynth's own objects, kept out of this header
    std::unique_ptr<Fluid> fluid_;
    int soundFontId_ = -1;
    std::vector<std::pair<int, int>> pinned_;
};

}  // namespace kwadrill
