#include "AudioOutput.h"

#include "DeviceTimingWatch.h"

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
// How often a newly opened device is looked at while it is watched.
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
    Mix_Volume(-1, kHalfVolume);  // the effects bring their own volume as they start
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

// Counts what the mixer has produced; Add runs on SDL's audio thread.
class MixCounter {
public:
    MixCounter(int frequency, int bytesPerFrame)
        : frequency_(frequency), bytesPerFrame_(bytesPerFrame) {}

    void Add(int bytes) { frames_ += bytes / bytesPerFrame_; }

    DeviceTimingWatch::Duration Mixed() const {
        return DeviceTimingWatch::Duration(frames_ * 1'000'000 / frequency_);
    }

private:
    std::atomic<std::int64_t> frames_{0};
    const int frequency_;
    const int bytesPerFrame_;
};

void SDLCALL CountMix(void* counter, Uint8*, int length) {
    static_cast<MixCounter*>(counter)->Add(length);
}

// Watches the first moments of the open device. Every look, even one that
// comes late on a loaded machine, judges what it sees.
bool DeviceKeepsTime(int frequency) {
    using Clock = std::chrono::steady_clock;
    MixCounter counter(frequency, AudioOutput::kChannels * static_cast<int>(sizeof(Sint16)));
    Mix_SetPostMix(CountMix, &counter);
    const auto start = Clock::now();
    auto verdict = DeviceTimingWatch::Verdict::Watching;
    while (verdict == DeviceTimingWatch::Verdict::Watching) {
        std::this_thread::sleep_for(kProbePoll);
        const auto mixed = counter.Mixed();
        const auto watched =
            std::chrono::duration_cast<DeviceTimingWatch::Duration>(Clock::now() - start);
        verdict = DeviceTimingWatch::Look(mixed, watched);
    }
    // Takes the mixer lock, so the callback is done with the counter after
    // it. The mix's own end goes back in place.
    Mix_SetPostMix(FinishMix, nullptr);
    return verdict == DeviceTimingWatch::Verdict::KeepsTime;
}

}  // namespace

void AudioOutput::IntoMix(std::int16_t* samples, int count, int volumePercent) {
    // As SDL_mixer scales at half volume: towards zero.
    const int divisor = 2 * 100;
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(samples[i] * volumePercent / divisor);
    }
}

int AudioOutput::EffectsMixVolume(int volumePercent) {
    return (kHalfVolume * std::clamp(volumePercent, 0, 100) + 50) / 100;
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
