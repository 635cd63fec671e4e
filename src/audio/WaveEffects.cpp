#include "WaveEffects.h"

#include "AudioOutput.h"
#include "WaveBank.h"

#include <SDL_mixer.h>

#include <algorithm>

namespace kwadrill {
namespace {

constexpr int kEffectChannel = 0;
constexpr int kDissolveVariants = 2;
constexpr int kDropVariants = 6;

}  // namespace

WaveEffects::WaveEffects(const WaveBank& bank, std::function<int(int)> random)
    : bank_(bank), random_(std::move(random)) {}

void WaveEffects::SetEffectsVolume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
    // Also for the effect that sounds now.
    Mix_Volume(kEffectChannel, AudioOutput::EffectsMixVolume(volume_));
}

void WaveEffects::PlayWaveResource(const QString& name) {
    // The calls fail silently when the output is not open; the volume is set
    // again at each effect, as the output may have opened since.
    Mix_HaltChannel(kEffectChannel);
    Mix_Volume(kEffectChannel, AudioOutput::EffectsMixVolume(volume_));
    if (Mix_Chunk* chunk = bank_.Find(name)) Mix_PlayChannel(kEffectChannel, chunk, 0);
}

void WaveEffects::PlayDissolveSound() {
    if (!soundEnabled_) return;
    PlayVariant(QStringLiteral("DISS"), kDissolveVariants);
}

bool WaveEffects::PlayDropSound() {
    if (!soundEnabled_) return false;
    PlayVariant(QStringLiteral("DROP"), kDropVariants);
    return true;
}

void WaveEffects::PlayVariant(const QString& family, int variants) {
    PlayWaveResource(family + QString::number(random_(variants) + 1));
}

}  // namespace kwadrill
