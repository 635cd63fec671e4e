// Renders the first minute of every piece through the game's own audio
// output and music device (SDL's disk driver, as fast as it goes), writes
// each to a WAV file and prints its level and whether it sounds like music.
// Then renders each piece into a music cache and plays the first minute
// from there, and compares the two: level, spectrum in third-octave bands,
// and the correlation of the samples.
//
//   audio_render_check [output directory [more .mid files ...]]
#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "BenchPieces.h"
#include "MusicCache.h"
#include "MusicCacheFolder.h"
#include "MusicDevice.h"
#include "PieceRenderer.h"
#include "SoundFontSearch.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fftw3.h>

#include <algorithm>
#include <array>
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

// Plays the piece through the disk driver, live or from the cache, and
// returns what came out from its first sound on.
std::vector<std::int16_t> Render(const QDir& dir, const Piece& piece, MusicCache* cache = nullptr) {
    const QString midi = dir.filePath(piece.name + QStringLiteral(".mid"));
    const QString raw = dir.filePath(piece.name + QStringLiteral(".raw"));
    test::WriteFileBytes(midi, piece.bytes);
    QFile::remove(raw);
    qputenv("SDL_DISKAUDIOFILE", raw.toLocal8Bit());
    qint64 start = 0;
    {
        AudioOutput output;
        MusicDevice device(output, DefaultSoundFontCandidates(), cache);
        if (const int error = device.Open(midi); error != MusicDevice::kNoError) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(piece.name),
                         qPrintable(MusicDevice::ErrorText(error)));
            return {};
        }
        if (device.PlaysRendered() != (cache != nullptr)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(piece.name),
                         cache ? "not in the cache" : "played from a cache");
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
    // Either may begin with a buffer of silence before the music.
    std::size_t first = std::min<std::size_t>(start / 2, samples.size());
    while (first + 1 < samples.size() && samples[first] == 0 && samples[first + 1] == 0) first += 2;
    const std::size_t last =
        std::min<std::size_t>(first + kSeconds * kFrequency * 2, samples.size());
    return {samples.begin() + first, samples.begin() + last};
}

// Mean power in third-octave bands from 50 Hz to 16 kHz (mono, Hann
// windows of 4096 frames), in dB.
constexpr int kFftFrames = 4096;
constexpr int kBands = 26;

std::array<double, kBands> BandLevels(std::span<const std::int16_t> stereo) {
    std::vector<double> in(kFftFrames);
    std::vector<fftw_complex> out(kFftFrames / 2 + 1);
    const fftw_plan plan = fftw_plan_dft_r2c_1d(kFftFrames, in.data(), out.data(), FFTW_ESTIMATE);
    std::vector<double> power(kFftFrames / 2 + 1, 0.0);
    const std::size_t frames = stereo.size() / 2;
    for (std::size_t start = 0; start + kFftFrames <= frames; start += kFftFrames) {
        for (int i = 0; i < kFftFrames; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / (kFftFrames - 1));
            in[i] = hann * (stereo[2 * (start + i)] + stereo[2 * (start + i) + 1]) / 65536.0;
        }
        fftw_execute(plan);
        for (std::size_t k = 0; k < power.size(); ++k)
            power[k] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
    }
    fftw_destroy_plan(plan);
    std::array<double, kBands> bands{};
    for (int band = 0; band < kBands; ++band) {
        const double centre = 50.0 * std::pow(2.0, band / 3.0);
        const double low = centre / std::pow(2.0, 1.0 / 6), high = centre * std::pow(2.0, 1.0 / 6);
        double sum = 0;
        for (std::size_t k = 0; k < power.size(); ++k) {
            const double hz = static_cast<double>(k) * kFrequency / kFftFrames;
            if (hz >= low && hz < high) sum += power[k];
        }
        bands[band] = 10 * std::log10(std::max(sum, 1e-30));
    }
    return bands;
}

// Cached against live. The bands centred from 50 Hz to 12.8 kHz count, those within
// 60 dB of the loudest; above, where the encoder's low-pass starts, apart.
struct Comparison {
    double levelDb = 0;      // cached minus live RMS
    double worstBandDb = 0;  // the largest band difference
    int worstBandHz = 0;     // its centre
    double meanBandDb = 0;   // the mean absolute band difference
    double topBandsDb = 0;   // the largest difference above 14 kHz
    double correlation = 0;  // of the samples, aligned
    long offset = 0;         // frames the cached sound was moved by to align it
};

constexpr double kTopBandsFrom = 14000;

// The cached render's frame offset, within half a buffer, that best matches
// the live one's first two seconds.
long BestOffset(std::span<const std::int16_t> live, std::span<const std::int16_t> cached) {
    const std::size_t window = std::min<std::size_t>(kFrequency * 2 * 2, live.size());
    long best = 0;
    double bestCorrelation = -2;
    for (long offset = -512; offset <= 512; ++offset) {
        const std::size_t a = offset < 0 ? static_cast<std::size_t>(-offset) * 2 : 0;
        const std::size_t b = offset > 0 ? static_cast<std::size_t>(offset) * 2 : 0;
        if (a + window > live.size() || b + window > cached.size()) continue;
        const double c = test::Correlation(live.subspan(a, window), cached.subspan(b, window));
        if (c > bestCorrelation) bestCorrelation = c, best = offset;
    }
    return best;
}

Comparison Compare(std::span<const std::int16_t> live, std::span<const std::int16_t> cached) {
    Comparison result;
    result.offset = BestOffset(live, cached);
    if (result.offset < 0) live = live.subspan(static_cast<std::size_t>(-result.offset) * 2);
    if (result.offset > 0) cached = cached.subspan(static_cast<std::size_t>(result.offset) * 2);
    const std::size_t length = std::min(live.size(), cached.size()) & ~std::size_t{1};
    live = live.first(length);
    cached = cached.first(length);
    result.levelDb = Db(test::Rms(cached)) - Db(test::Rms(live));
    result.correlation = test::Correlation(live, cached);
    const auto a = BandLevels(live), b = BandLevels(cached);
    const double loudest = *std::max_element(a.begin(), a.end());
    int counted = 0;
    for (int band = 0; band < kBands; ++band) {
        if (a[band] < loudest - 60) continue;
        const double difference = std::abs(b[band] - a[band]);
        if (50.0 * std::pow(2.0, band / 3.0) >= kTopBandsFrom) {
            result.topBandsDb = std::max(result.topBandsDb, difference);
            continue;
        }
        result.meanBandDb += difference;
        ++counted;
        if (difference > result.worstBandDb) {
            result.worstBandDb = difference;
            result.worstBandHz = static_cast<int>(std::lround(50.0 * std::pow(2.0, band / 3.0)));
        }
    }
    result.meanBandDb /= std::max(counted, 1);
    return result;
}

// Renders the piece into the cache as the background renderer would.
bool RenderIntoCache(const std::string& folder, const Piece& piece) {
    const std::span midi(reinterpret_cast<const std::uint8_t*>(piece.bytes.constData()),
                         static_cast<std::size_t>(piece.bytes.size()));
    const std::string soundFont = FindSoundFont(DefaultSoundFontCandidates());
    const std::string key = MusicCache::KeyFor(midi, soundFont, kFrequency);
    const std::atomic<bool> stop{false};
    const std::string file = PieceRenderer::Render(midi, soundFont, kFrequency, key, stop);
    std::string problem;
    return !file.empty() && MusicCacheFolder(folder).Store(key, file, problem);
}

}  // namespace
}  // namespace kwadrill::bench

int main(int argc, char** argv) {
    using namespace kwadrill::bench;
    using kwadrill::MusicCache;
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
    std::vector<std::vector<std::int16_t>> live;
    for (const Piece& piece : pieces) {
        const auto audio = Render(dir, piece);
        WriteWav(dir.filePath(piece.name + QStringLiteral(".wav")), audio);
        const Level level = Measure(audio);
        std::printf("%-9s %7.1f %8.1f %8.1f %7ld %6.0f%% %9.2f\n", qPrintable(piece.name),
                    audio.size() / 2.0 / kFrequency, level.rmsDb, level.peakDb, level.clipped,
                    100 * level.silentShare, level.tonality);
        live.push_back(audio);
    }
    std::printf("WAV files in %s\n\n", qPrintable(dir.path()));

    const QString cacheFolder = dir.filePath(QStringLiteral("cache"));
    QDir(cacheFolder).removeRecursively();
    std::vector<QByteArray> bytes;
    for (const Piece& piece : pieces) bytes.push_back(piece.bytes);
    MusicCache cache(cacheFolder.toStdString(), bytes);
    std::printf("%-9s %9s %14s %8s %13s %15s %12s %7s\n", "piece", "level dB", "worst band dB",
                "at Hz", "mean band dB", "16 kHz band dB", "correlation", "offset");
    double worstLevel = 0, worstBand = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!RenderIntoCache(cacheFolder.toStdString(), pieces[i])) {
            std::printf("%-9s not rendered\n", qPrintable(pieces[i].name));
            continue;
        }
        const auto cached = Render(dir, pieces[i], &cache);
        WriteWav(dir.filePath(pieces[i].name + QStringLiteral("-cached.wav")), cached);
        const Comparison c = Compare(live[i], cached);
        worstLevel = std::max(worstLevel, std::abs(c.levelDb));
        worstBand = std::max(worstBand, c.worstBandDb);
        std::printf("%-9s %+9.2f %14.2f %8d %13.2f %15.2f %12.4f %7ld\n",
                    qPrintable(pieces[i].name), c.levelDb, c.worstBandDb, c.worstBandHz,
                    c.meanBandDb, c.topBandsDb, c.correlation, c.offset);
    }
    std::printf(
        "worst level difference %.2f dB, worst band difference (50 Hz to 12.8 kHz) %.2f dB\n",
        worstLevel, worstBand);
    return 0;
}
