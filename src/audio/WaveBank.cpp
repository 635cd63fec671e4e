#include "WaveBank.h"

#include "AudioOutput.h"

#include <QFile>

#include <SDL_mixer.h>

namespace kwadrill {

const std::vector<QString>& WaveBank::EffectNames() {
    static const std::vector<QString> names{QStringLiteral("DISS1"), QStringLiteral("DISS2"),
                                            QStringLiteral("DROP1"), QStringLiteral("DROP2"),
                                            QStringLiteral("DROP3"), QStringLiteral("DROP4"),
                                            QStringLiteral("DROP5"), QStringLiteral("DROP6")};
    return names;
}

std::map<QString, QByteArray> WaveBank::ReadWaveResources() {
    std::map<QString, QByteArray> waves;
    for (const QString& name : EffectNames()) {
        QFile resource(QStringLiteral(":/wave/") + name);
        if (resource.open(QIODevice::ReadOnly)) waves[name] = resource.readAll();
    }
    return waves;
}

WaveBank::WaveBank(const AudioOutput& output, const std::map<QString, QByteArray>& waves)
    : output_(output) {
    Decode(waves);
}

void WaveBank::Decode(const std::map<QString, QByteArray>& waves) {
    if (!output_.IsOpen()) return;
    for (const auto& [name, bytes] : waves) {
        SDL_RWops* source = SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
        Mix_Chunk* chunk = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
        if (chunk != nullptr) chunks_[name].reset(chunk);
    }
}

WaveBank::~WaveBank() = default;

Mix_Chunk* WaveBank::Find(const QString& name) const {
    const auto found = chunks_.find(name);
    return found == chunks_.end() ? nullptr : found->second.get();
}

void WaveBank::ChunkDeleter::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

}  // namespace kwadrill
