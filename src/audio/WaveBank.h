#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <vector>

struct Mix_Chunk;

namespace kwadrill {

class AudioOutput;

// The game's WAV effects, decoded once into the output's format and kept
// for the program's life.
class WaveBank {
public:
    // The effects compiled in as ":/wave/<name>".
    static const std::vector<QString>& EffectNames();
    static std::map<QString, QByteArray> ReadWaveResources();

    // Decodes each complete WAV image; one that does not decode is left out.
    // Needs an open output (the decoder converts to its format): while the
    // output is closed the bank stays empty.
    WaveBank(const AudioOutput& output, const std::map<QString, QByteArray>& waves);
    // Decodes more effects, for a bank made before its output was opened.
    void Decode(const std::map<QString, QByteArray>& waves);
    ~WaveBank();
    WaveBank(const WaveBank&) = delete;
    WaveBank& operator=(const WaveBank&) = delete;

    // The decoded effect, or nullptr for an unknown name.
    Mix_Chunk* Find(const QString& name) const;

private:
    const AudioOutput& output_;
    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const;
    };
    std::map<QString, std::unique_ptr<Mix_Chunk, ChunkDeleter>> chunks_;
};

}  // namespace kwadrill
