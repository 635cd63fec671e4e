#pragma once

namespace kwadrill {

// The one audio output of the program: SDL's audio opened through SDL_mixer,
// 16-bit stereo. When no real device can be opened it falls back to SDL's
// "dummy" driver, which keeps time without sound, so effects and music
// behave the same, silently. Everything that plays through it (effects,
// music device) must be destroyed before it.
class AudioOutput {
public:
    static constexpr int kFrequency = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBufferFrames = 1024;

    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // False only when even the dummy driver failed.
    bool IsOpen() const { return open_; }
    bool IsSilent() const { return silent_; }
    int Frequency() const { return frequency_; }

private:
    bool TryOpen();

    bool open_ = false;
    bool silent_ = false;
    int frequency_ = kFrequency;
};

}  // namespace kwadrill
