#include "GameAudio.h"

#include <utility>

namespace kwadrill {

namespace {
std::map<QString, QByteArray> WavesFor(AudioOutput::Opening opening) {
    return opening == AudioOutput::Opening::Now ? WaveBank::ReadWaveResources()
                                                : std::map<QString, QByteArray>{};
}
}  // namespace

GameAudio::GameAudio(AudioOutput::Opening opening, const QString& scratchDirectory,
                     std::function<int(int)> random, GameMusic::ErrorCallback showError)
    : opened_(opening == AudioOutput::Opening::Now),
      output_(opening),
      waves_(output_, WavesFor(opening)),
      effects_(waves_, std::move(random)),
      device_(output_),
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
