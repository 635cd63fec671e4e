#include "WaveEffects.h"

#include "WaveBank.h"

#include <SDL_mixer.h>

namespace kwadrill {
namespace {

constexpr int kEffectChannel = 0;
constexpr int kDissolveVariants = 2;
constexpr int kDropVariants = 6;

}  // namespace

WaveEffects::WaveEffects(const WaveBank& bank, std::function<int(int)> random)
    : bank_(bank), random_(std::move(random)) {}

void WaveEffects::PlayWaveResource(const QString& name) {
    // Both calls fail silently when the output is not open.
    Mix_HaltChannel(kEffectChannel);
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
