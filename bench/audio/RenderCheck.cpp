// Renders the first minute of every piece through the game's own audio
// output and music device (SDL's disk driver, as fast as it goes), writes
// each to a WAV file and prints its level and whether it sounds like music.
//
//   audio_render_check [output directory [more .mid files ...]]
#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "BenchPieces.h"
#include "MusicDevice.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kwadrill::bench {
namespace {

using namespace std::chrono_literals;

constexpr int kFrequency = AudioOutput::kFrequency;
constexpr int kSeconds = 60;
constexpr qint64 kBytesPerSecond = kFrequency * 2 * 2;

struct Level {
    double rmsDb = 0, peakDb = 0, silentShare = 0, tonality = 0;
    long clipped = 0;
};

double Db(double value) {
    return value > 0 ? 20 * std::log10(value / 32768.0) : -120;
}

// The strongest normalised autocorrelation at a pitch lag (2..20 ms) of a
// mono window: near 1 for tones, near 0 for noise.
double Tonality(std::span<const double> window) {
    double energy = 0;
    for (double v : window) energy += v * v;
    if (energy == 0) return 0;
    double best = 0;
    for (int lag = kFrequency / 500; lag <= kFrequency / 50; ++lag) {
        double sum = 0;
        for (std::size_t i = lag; i < window.size(); ++i) sum += window[i] * window[i - lag];
        best = std::max(best, sum / energy);
    }
    return best;
}

Level Measure(std::span<const std::int16_t> stereo) {
    Level level;
    double sum = 0, peak = 0;
    for (const std::int16_t s : stereo) {
        sum += static_cast<double>(s) * s;
        peak = std::max(peak, std::abs(static_cast<double>(s)));
        level.clipped += (s == 32767 || s == -32768);
    }
    level.rmsDb = Db(std::sqrt(sum / std::max<std::size_t>(stereo.size(), 1)));
    level.peakDb = Db(peak);
    const std::size_t windowFrames = kFrequency / 10;
    std::vector<double> tonalities;
    int windows = 0, silent = 0;
    for (std::size_t start = 0; (start + windowFrames) * 2 <= stereo.size();
         start += windowFrames, ++windows) {
        std::vector<double> mono(windowFrames);
        for (std::size_t i = 0; i < windowFrames; ++i)
            mono[i] = (stereo[2 * (start + i)] + stereo[2 * (start + i) + 1]) / 2.0;
        const auto bytes = stereo.subspan(start * 2, windowFrames * 2);
        if (Db(test::Rms(bytes)) < -60)
            ++silent;
        else if (windows % 5 == 0)
            tonalities.push_back(Tonality(mono));
    }
    level.silentShare = windows ? static_cast<double>(silent) / windows : 1;
    if (!tonalities.empty()) {
        std::nth_element(tonalities.begin(), tonalities.begin() + tonalities.size() / 2,
                         tonalities.end());
        level.tonality = tonalities[tonalities.size() / 2];
    }
    return level;
}

void WriteWav(const QString& path, std::span<const std::int16_t> stereo) {
    const auto dataBytes = static_cast<std::uint32_t>(stereo.size() * 2);
    test::WriteFileBytes(path, test::WavHeader(2, 16, kFrequency, dataBytes) +
                                   QByteArray(reinterpret_cast<const char*>(stereo.data()),
                                              static_cast<qsizetype>(dataBytes)));
}

// Plays the piece through the disk driver and returns what came out.
std::vector<std::int16_t> Render(const QDir& dir, const Piece& piece) {
    const QString midi = dir.filePath(piece.name + QStringLiteral(".mid"));
    const QString raw = dir.filePath(piece.name + QStringLiteral(".raw"));
    test::WriteFileBytes(midi, piece.bytes);
    QFile::remove(raw);
    qputenv("SDL_DISKAUDIOFILE", raw.toLocal8Bit());
    qint64 start = 0;
    {
        AudioOutput output;
        MusicDevice device(output);
        if (const int error = device.Open(midi); error != MusicDevice::kNoError) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(piece.name),
                         qPrintable(MusicDevice::ErrorText(error)));
            return {};
        }
        start = QFileInfo(raw).size();
        device.Play();
        test::WaitFor(
            [&] {
                return QFileInfo(raw).size() >= start + kSeconds * kBytesPerSecond ||
                       !device.IsPlaying();
            },
            120s);
    }
    auto samples = test::ReadSamples(raw);
    QFile::remove(raw);
    const std::size_t first = std::min<std::size_t>(start / 2, samples.size());
    const std::size_t last =
        std::min<std::size_t>(first + kSeconds * kFrequency * 2, samples.size());
    return {samples.begin() + first, samples.begin() + last};
}

}  // namespace
}  // namespace kwadrill::bench

int main(int argc, char** argv) {
    using namespace kwadrill::bench;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1])
                            : QDir::temp().filePath(QStringLiteral("kwadrill-render")));
    QDir().mkpath(dir.path());
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIODELAY", "0");
    std::printf("%-9s %7s %8s %8s %7s %7s %9s\n", "piece", "seconds", "RMS dB", "peak dB",
                "clipped", "silent", "tonality");
    std::vector<Piece> pieces = GamePieces();
    for (int i = 2; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (file.open(QIODevice::ReadOnly))
            pieces.push_back({QFileInfo(file).baseName(), file.readAll()});
    }
    for (const Piece& piece : pieces) {
        const auto audio = Render(dir, piece);
        WriteWav(dir.filePath(piece.name + QStringLiteral(".wav")), audio);
        const Level level = Measure(audio);
        std::printf("%-9s %7.1f %8.1f %8.1f %7ld %6.0f%% %9.2f\n", qPrintable(piece.name),
                    audio.size() / 2.0 / kFrequency, level.rmsDb, level.peakDb, level.clipped,
                    100 * level.silentShare, level.tonality);
    }
    std::printf("WAV files in %s\n", qPrintable(dir.path()));
    return 0;
}
