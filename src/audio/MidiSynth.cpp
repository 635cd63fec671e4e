#include "MidiSynth.h"

#include <fluidsynth.h>

#include <algorithm>

namespace kwadrill {
namespace {

constexpr int kStereoStride = 2;

struct IntSetting {
    const char* name;
    int value;
};

// Everything here shapes the sound or its timing, so it is part of the
// rendered music's cache key (SettingsText).
constexpr IntSetting kIntSettings[] = {
    {"synth.dynamic-sample-loading", 1},
    // Pinning samples needs a memory-lock limit that ordinary users lack.
    {"synth.lock-memory", 0},
};
constexpr const char* kTimingSource = "sample";

}  // namespace

struct MidiSynth::Fluid {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
};

MidiSynth::MidiSynth(int sampleRate) : fluid_(std::make_unique<Fluid>()) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings, "synth.gain", kGain);
    for (const IntSetting& setting : kIntSettings)
        fluid_settings_setint(settings, setting.name, setting.value);
    fluid_settings_setstr(settings, "player.timing-source", kTimingSource);
    fluid_->settings = settings;
    fluid_->synth = new_fluid_synth(settings);
}

std::string MidiSynth::SettingsText(int sampleRate) {
    std::string text = std::string("fluidsynth ") + fluid_version_str() +
                       "\nsynth.sample-rate=" + std::to_string(sampleRate) +
                       "\nsynth.gain=" + std::to_string(kGain);
    for (const IntSetting& setting : kIntSettings)
        text += std::string("\n") + setting.name + "=" + std::to_string(setting.value);
    return text + "\nplayer.timing-source=" + kTimingSource;
}

MidiSynth::~MidiSynth() {
    Stop();
    if (fluid_->synth != nullptr) delete_fluid_synth(fluid_->synth);
    delete_fluid_settings(fluid_->settings);
}

bool MidiSynth::IsReady() const {
    return fluid_->synth != nullptr;
}

bool MidiSynth::LoadSoundFont(const std::string& path) {
    if (fluid_->synth == nullptr) return false;
    if (!HasSoundFont()) {
        const int id = fluid_synth_sfload(fluid_->synth, path.c_str(), 1);
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
        if (fluid_synth_pin_preset(fluid_->synth, soundFontId_, bank, program) == FLUID_OK)
            pinned.emplace_back(bank, program);
    }
    for (const auto& [bank, program] : pinned_) {
        if (std::find(pinned.begin(), pinned.end(), std::pair(bank, program)) == pinned.end())
            fluid_synth_unpin_preset(fluid_->synth, soundFontId_, bank, program);
    }
    pinned_ = std::move(pinned);
}

bool MidiSynth::Start(std::span<const std::uint8_t> midiFile) {
    Stop();
    if (fluid_->synth == nullptr) return false;
    fluid_->player = new_fluid_player(fluid_->synth);
    if (fluid_->player == nullptr) return false;
    if (fluid_player_add_mem(fluid_->player, midiFile.data(), midiFile.size()) != FLUID_OK ||
        fluid_player_play(fluid_->player) != FLUID_OK) {
        Stop();
        return false;
    }
    return true;
}

void MidiSynth::Stop() {
    if (fluid_->player == nullptr) return;
    fluid_player_stop(fluid_->player);
    delete_fluid_player(fluid_->player);
    fluid_->player = nullptr;
    // Notes still held and controllers set by the piece must not reach the next one.
    fluid_synth_system_reset(fluid_->synth);
}

bool MidiSynth::PlayerRunning() const {
    return fluid_->player != nullptr &&
           fluid_player_get_status(fluid_->player) == FLUID_PLAYER_PLAYING;
}

std::int64_t MidiSynth::CurrentTick() const {
    return fluid_->player == nullptr ? 0 : fluid_player_get_current_tick(fluid_->player);
}

void MidiSynth::Render(std::int16_t* frames, int frameCount) {
    if (fluid_->synth == nullptr) {
        std::fill_n(frames, frameCount * kStereoStride, std::int16_t{0});
        return;
    }
    fluid_synth_write_s16(fluid_->synth, frameCount, frames, 0, kStereoStride, frames, 1,
                          kStereoStride);
}

}  // namespace kwadrill
