#pragma once

#include <cstdint>

namespace kwadrill {

// The one audio output of the program: SDL's audio opened through SDL_mixer,
// 16-bit stereo. When no real device can be opened, or the device takes
// sound faster than it plays it (ALSA's null device), it falls back to
// SDL's "dummy" driver, which keeps time without sound, so effects and music
// behave the same, silently. Everything that plays through it (effects,
// music device) must be destroyed before it.
class AudioOutput {
public:
    static constexpr int kFrequency = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBufferFrames = 1024;

    // The mix runs 6 dB under full scale, so that the music and an effect at
    // their loudest never clip where SDL_mixer adds them up, and comes back
    // to full level at its end, where the peaks two sounds make together
    // bend softly under -1 dBFS. SDL_mixer scales the effects itself; the
    // music, live or from the cache, is brought into the mix here, at the
    // player's volume (percent of its full level: 50 is 6 dB down).
    static void IntoMix(std::int16_t* samples, int count, int volumePercent);
    // SDL_mixer's channel volume for the effects at the player's volume.
    static int EffectsMixVolume(int volumePercent);

    enum class Opening { Now, Later };

    // Opening::Later leaves the device closed until Open(), so a caller can
    // show its window before it waits for the device.
    explicit AudioOutput(Opening opening = Opening::Now);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the device, or the dummy driver when no device opens. Does
    // nothing when already tried.
    void Open();

    // False until Open() has run: until then nothing can have failed.
    bool OpenAttempted() const { return tried_; }
    // False only when even the dummy driver failed.
    bool IsOpen() const { return open_; }
    bool IsSilent() const { return silent_; }
    int Frequency() const { return frequency_; }

private:
    bool TryOpen();
    void OpenDummy();
    void Close();

    bool tried_ = false;
    bool open_ = false;
    bool silent_ = false;
    int frequency_ = kFrequency;
};

}  // namespace kwadrill
