#include "GameAudio.h"

#include <QFile>

#include <utility>

#include "MusicFiles.h"

namespace kwadrill {

namespace {
std::map<QString, QByteArray> WavesFor(AudioOutput::Opening opening) {
    return opening == AudioOutput::Opening::Now ? WaveBank::ReadWaveResources()
                                                : std::map<QString, QByteArray>{};
}

std::unique_ptr<MusicCache> CacheIn(const QString& folder) {
    if (folder.isEmpty()) {
        return nullptr;
    }
    return std::make_unique<MusicCache>(QFile::encodeName(folder).toStdString(),
                                        MusicFiles::ResourcePieces());
}
}  // namespace

GameAudio::GameAudio(AudioOutput::Opening opening, const QString& scratchDirectory,
                     std::function<int(int)> random, GameMusic::ErrorCallback showError,
                     const QString& musicCacheFolder)
    : opened_(opening == AudioOutput::Opening::Now),
      output_(opening),
      waves_(output_, WavesFor(opening)),
      effects_(waves_, std::move(random)),
      cache_(CacheIn(musicCacheFolder)),
      device_(output_, DefaultSoundFontCandidates(), cache_.get()),
      music_(device_, scratchDirectory, std::move(showError)) {}

void GameAudio::Open() {
    if (opened_) {
        return;
    }
    opened_ = true;
    output_.Open();
    waves_.Decode(WaveBank::ReadWaveResources());
}

}  // namespace kwadrill
