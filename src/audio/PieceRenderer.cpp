#include "PieceRenderer.h"

#include "MidiFileInfo.h"
#include "MidiSynth.h"
#include "MusicCacheFolder.h"
#include "TickMap.h"
#include "VorbisEncoder.h"

#include <vorbis/codec.h>

#include <algorithm>
#include <charconv>
#include <vector>

namespace kwadrill {
namespace {

// Bump when a change here changes what is rendered.
constexpr int kRendererVersion = 1;
// The synthesizer's own block: the player's clock moves once per block, so
// the clock is observed at each.
constexpr int kClockFrames = 64;
constexpr int kBlockFrames = 1024;
// Longer than any piece could reasonably be; a piece that never ends is not cached.
constexpr std::int64_t kMaxSeconds = 30 * 60;

// The same key gives the same file.
std::uint32_t SerialFrom(const std::string& key) {
    std::uint32_t serial = 0;
    std::from_chars(key.data(), key.data() + std::min<std::size_t>(8, key.size()), serial, 16);
    return serial;
}

}  // namespace

std::string PieceRenderer::SettingsText(int sampleRate) {
    return MidiSynth::SettingsText(sampleRate) + "\nrenderer " + std::to_string(kRendererVersion) +
           "\n" + vorbis_version_string() + " quality " + std::to_string(VorbisEncoder::kQuality) +
           "\ntail ms " + std::to_string(kTailMs);
}

std::string PieceRenderer::Render(std::span<const std::uint8_t> midi, const std::string& soundFont,
                                  int sampleRate, const std::string& key,
                                  const std::atomic<bool>& stop) {
    const MidiFileInfo info = MidiFileInfo::Read(midi);
    if (info.status != MidiFileInfo::Status::Ok) return {};
    MidiSynth synth(sampleRate);
    if (!synth.IsReady() || stop || !synth.LoadSoundFont(soundFont)) return {};
    // As the live device does; rendering waits for the disk either way.
    synth.PinPrograms(info.programs);
    if (!synth.Start(midi)) return {};
    VorbisEncoder encoder(sampleRate, SerialFrom(key));
    if (!encoder.IsReady()) return {};

    TickMap::Builder clock;
    std::vector<std::int16_t> block(kBlockFrames * 2);
    const std::int64_t tail = static_cast<std::int64_t>(sampleRate) * kTailMs / 1000;
    const std::int64_t limit = kMaxSeconds * sampleRate;
    std::int64_t frames = 0;
    std::int64_t end = -1;  // known once the piece has reached its length
    while (end < 0 || frames < end) {
        if (stop || frames > limit) return {};
        int filled = 0;
        while (filled < kBlockFrames && (end < 0 || frames < end)) {
            synth.Render(block.data() + 2 * filled, kClockFrames);
            filled += kClockFrames;
            frames += kClockFrames;
            if (end >= 0) continue;
            const std::int64_t tick = synth.CurrentTick();
            clock.Observe(frames, tick);
            // Where the live device stops playing.
            if (tick >= info.lengthTicks || !synth.PlayerRunning()) end = frames + tail;
        }
        encoder.Write(block.data(), filled);
    }
    return encoder.Finish({{MusicCacheFolder::kKeyTag, key},
                           {MusicCacheFolder::kFramesTag, std::to_string(frames)},
                           {MusicCacheFolder::kTicksTag, clock.Finish().ToText()}});
}

}  // namespace kwadrill
