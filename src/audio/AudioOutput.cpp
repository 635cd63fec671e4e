#include "AudioOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <thread>

namespace kwadrill {
namespace {

constexpr const char* kDummyDriver = "dummy";
// One effect at a time: the effects play on a single mixer channel.
constexpr int kMixerChannels = 1;

bool DriverIsDummy() {
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver != nullptr && SDL_strcmp(driver, kDummyDriver) == 0;
}

// SDL_GetHint also sees SDL_AUDIODRIVER from the environment.
bool DummyRequested() {
    const char* driver = SDL_GetHint(SDL_HINT_AUDIODRIVER);
    return driver != nullptr && SDL_strcmp(driver, kDummyDriver) == 0;
}

void SDLCALL PaceMix(void* pacer, Uint8*, int length) {
    static_cast<AudioPacer*>(pacer)->Pace(length);
}

}  // namespace

void AudioPacer::Start(int frequency, int bytesPerFrame) {
    frequency_ = frequency;
    bytesPerFrame_ = bytesPerFrame;
    frames_ = 0;
    start_ = Clock::now();
}

void AudioPacer::Pace(int bytes) {
    frames_ += bytes / bytesPerFrame_;
    const auto mixed = std::chrono::microseconds(frames_ * 1'000'000 / frequency_);
    const auto now = Clock::now();
    const auto lead = mixed - (now - start_);
    if (lead > kMaxLead) {
        std::this_thread::sleep_for(lead - kMaxLead);
    } else if (lead < -kMaxLead) {
        // Fallen behind (an underrun, a suspended machine): carry on from
        // here instead of mixing the lost time in a burst.
        start_ = now - mixed;
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
        silent_ = DriverIsDummy();
        return;
    }
    if (DummyRequested()) return;
    // Overrides SDL_AUDIODRIVER from the environment, which has just failed.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, kDummyDriver, SDL_HINT_OVERRIDE);
    std::fprintf(stderr, "Kwadrill: no audio device could be opened (%s); playing silently.\n",
                 SDL_GetError());
    silent_ = true;
    TryOpen();
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
}

AudioOutput::~AudioOutput() {
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
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
    Mix_QuerySpec(&frequency_, nullptr, nullptr);
    pacer_.Start(frequency_, kChannels * static_cast<int>(sizeof(Sint16)));
    Mix_SetPostMix(PaceMix, &pacer_);
    open_ = true;
    return true;
}

}  // namespace kwadrill
