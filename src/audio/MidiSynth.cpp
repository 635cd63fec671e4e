#include "MidiSynth.h"

#include <fluidsynth.h>

#include <algorithm>

namespace kwadrill {
namespace {

constexpr int kStereoStride = 2;

}  // namespace

MidiSynth::MidiSynth(int sampleRate) {
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings_, "synth.gain", kGain);
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    // Pinning samples needs a memory-lock limit that ordinary users lack.
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    synth_ = new_fluid_synth(settings_);
}

MidiSynth::~MidiSynth() {
    Stop();
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

bool MidiSynth::LoadSoundFont(const std::string& path) {
    if (synth_ == nullptr) return false;
    if (!HasSoundFont()) {
        const int id = fluid_synth_sfload(synth_, path.c_str(), 1);
        if (id != FLUID_FAILED) soundFontId_ = id;
    }
    return HasSoundFont();
}

void MidiSynth::PinPrograms(const std::vector<std::pair<int, int>>& programs) {
    if (!HasSoundFont()) return;
    // New pins first, so an instrument both pieces use stays loaded.
    std::vector<std::pair<int, int>> pinned;
    for (const auto& [bank, program] : programs) {
        // A program the SoundFont lacks is simply not pinned.
        if (fluid_synth_pin_preset(synth_, soundFontId_, bank, program) == FLUID_OK)
            pinned.emplace_back(bank, program);
    }
    for (const auto& [bank, program] : pinned_) {
        if (std::find(pinned.begin(), pinned.end(), std::pair(bank, program)) == pinned.end())
            fluid_synth_unpin_preset(synth_, soundFontId_, bank, program);
    }
    pinned_ = std::move(pinned);
}

bool MidiSynth::Start(std::span<const std::uint8_t> midiFile) {
    Stop();
    if (synth_ == nullptr) return false;
    player_ = new_fluid_player(synth_);
    if (player_ == nullptr) return false;
    if (fluid_player_add_mem(player_, midiFile.data(), midiFile.size()) != FLUID_OK ||
        fluid_player_play(player_) != FLUID_OK) {
        Stop();
        return false;
    }
    return true;
}

void MidiSynth::Stop() {
    if (player_ == nullptr) return;
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
    // Notes still held and controllers set by the piece must not reach the next one.
    fluid_synth_system_reset(synth_);
}

bool MidiSynth::PlayerRunning() const {
    return player_ != nullptr && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING;
}

std::int64_t MidiSynth::CurrentTick() const {
    return player_ == nullptr ? 0 : fluid_player_get_current_tick(player_);
}

void MidiSynth::Render(std::int16_t* frames, int frameCount) {
    if (synth_ == nullptr) {
        std::fill_n(frames, frameCount * kStereoStride, std::int16_t{0});
        return;
    }
    fluid_synth_write_s16(synth_, frameCount, frames, 0, kStereoStride, frames, 1, kStereoStride);
}

}  // namespace kwadrill
