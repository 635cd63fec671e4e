#include "AudioOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <thread>

namespace kwadrill {
namespace {

constexpr const char* kDummyDriver = "dummy";
// Writes what would be heard to a file, as fast as asked: it is meant not to
// keep time.
constexpr const char* kDiskDriver = "disk";
// One effect at a time: the effects play on a single mixer channel.
constexpr int kMixerChannels = 1;
// A device that keeps time never takes this much sound ahead of playing it:
// its buffer holds two or three periods of kBufferFrames.
constexpr std::chrono::milliseconds kMaxLead{250};
// How long a newly opened device is watched for that, and how often.
constexpr std::chrono::milliseconds kTimingProbe{100};
constexpr std::chrono::milliseconds kProbePoll{2};

// Headroom of the mix: sources play at half level, the end doubles it.
constexpr int kHalfVolume = MIX_MAX_VOLUME / 2;
constexpr double kFullScale = 32768.0;
// Peaks of the doubled mix above the knee bend towards the ceiling.
constexpr double kKnee = 0.71;     // -3 dBFS: above the music's own peaks as a rule
constexpr double kCeiling = 0.89;  // -1 dBFS

void SDLCALL FinishMix(void*, Uint8* stream, int length) {
    auto* samples = reinterpret_cast<Sint16*>(stream);
    const double room = kCeiling - kKnee;
    for (int i = 0; i < length / static_cast<int>(sizeof(Sint16)); ++i) {
        const double level = 2.0 * samples[i] / kFullScale;
        const double size = std::abs(level);
        const double bent = size > kKnee ? kKnee + room * std::tanh((size - kKnee) / room) : size;
        samples[i] = static_cast<Sint16>(
            std::clamp(std::lround(std::copysign(bent, level) * kFullScale), -32768L, 32767L));
    }
}

// Puts the mix's headroom in place on a freshly opened output.
void StartMixing() {
    Mix_Volume(-1, kHalfVolume);
    Mix_VolumeMusic(kHalfVolume);
    Mix_SetPostMix(FinishMix, nullptr);
}

bool CurrentDriverIs(const char* name) {
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver != nullptr && SDL_strcmp(driver, name) == 0;
}

// SDL_GetHint also sees SDL_AUDIODRIVER from the environment.
bool DummyRequested() {
    const char* driver = SDL_GetHint(SDL_HINT_AUDIODRIVER);
    return driver != nullptr && SDL_strcmp(driver, kDummyDriver) == 0;
}

// Counts what the mixer has produced against the wall clock; Add runs on
// SDL's audio thread.
class MixClock {
public:
    MixClock(int frequency, int bytesPerFrame)
        : frequency_(frequency), bytesPerFrame_(bytesPerFrame) {}

    void Add(int bytes) { frames_ += bytes / bytesPerFrame_; }

    // How far the mix is ahead of the time since construction.
    std::chrono::microseconds Lead() const {
        const auto mixed = std::chrono::microseconds(frames_ * 1'000'000 / frequency_);
        return mixed - std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
    }

private:
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start_ = Clock::now();
    std::atomic<std::int64_t> frames_{0};
    const int frequency_;
    const int bytesPerFrame_;
};

void SDLCALL CountMix(void* clock, Uint8*, int length) {
    static_cast<MixClock*>(clock)->Add(length);
}

// Watches the first moments of the open device: one that plays in real time
// never lets the mix get kMaxLead ahead.
bool DeviceKeepsTime(int frequency) {
    MixClock clock(frequency, AudioOutput::kChannels * static_cast<int>(sizeof(Sint16)));
    Mix_SetPostMix(CountMix, &clock);
    bool keepsTime = true;
    const auto end = std::chrono::steady_clock::now() + kTimingProbe;
    while (std::chrono::steady_clock::now() < end) {
        if (clock.Lead() > kMaxLead) {
            keepsTime = false;
            break;
        }
        std::this_thread::sleep_for(kProbePoll);
    }
    // Takes the mixer lock, so the callback is done with the clock after it.
    // The mix's own end goes back in place.
    Mix_SetPostMix(FinishMix, nullptr);
    return keepsTime;
}

}  // namespace

void AudioOutput::IntoMix(std::int16_t* samples, int count) {
    // As SDL_mixer scales at half volume: towards zero.
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(samples[i] / 2);
    }
}

AudioOutput::AudioOutput(Opening opening) {
    if (opening == Opening::Now) Open();
}

void AudioOutput::Open() {
    if (tried_) return;
    tried_ = true;
    // SDL must not take SIGINT/SIGTERM away from the application.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (TryOpen()) {
        if (CurrentDriverIs(kDummyDriver) || CurrentDriverIs(kDiskDriver) ||
            DeviceKeepsTime(frequency_)) {
            silent_ = CurrentDriverIs(kDummyDriver);
            return;
        }
        // SDL's audio thread would mix flat out into such a sink, holding the
        // mixer lock nearly all the time, so that every effect started from
        // the game's thread could wait for it.
        std::fprintf(stderr,
                     "Kwadrill: the audio device (%s) takes sound faster than it plays it; "
                     "playing silently.\n",
                     SDL_GetCurrentAudioDriver());
        Close();
        OpenDummy();
        return;
    }
    if (DummyRequested()) return;
    std::fprintf(stderr, "Kwadrill: no audio device could be opened (%s); playing silently.\n",
                 SDL_GetError());
    OpenDummy();
}

AudioOutput::~AudioOutput() {
    Close();
}

bool AudioOutput::TryOpen() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // No format changes allowed: SDL converts, so the music hook always gets
    // interleaved 16-bit stereo at kFrequency.
    if (Mix_OpenAudioDevice(kFrequency, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kMixerChannels);
    StartMixing();
    Mix_QuerySpec(&frequency_, nullptr, nullptr);
    open_ = true;
    return true;
}

void AudioOutput::OpenDummy() {
    // Overrides SDL_AUDIODRIVER from the environment, whose device has just
    // failed or been refused.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, kDummyDriver, SDL_HINT_OVERRIDE);
    silent_ = true;
    TryOpen();
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
}

void AudioOutput::Close() {
    if (!open_) return;
    open_ = false;
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace kwadrill
