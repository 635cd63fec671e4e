#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "MusicCache.h"
#include "MusicDevice.h"
#include "PieceRenderer.h"
#include "ScopedEnvironment.h"
#include "SoundFontSearch.h"
#include "TestFiles.h"
#include "WaveBank.h"
#include "WaveEffects.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <SDL.h>
#include <SDL_mixer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

namespace kwadrill {
namespace {

using namespace std::chrono_literals;

constexpr int kBytesPerSecond = AudioOutput::kFrequency * AudioOutput::kChannels * 2;

// SDL's disk driver writes what would be heard to a file (raw 16-bit
// stereo); a short delay per buffer lets it run faster than real time.
class DiskOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        output_ = std::make_unique<AudioOutput>();
        ASSERT_TRUE(output_->IsOpen());
        ASSERT_FALSE(output_->IsSilent());
        std::map<QString, QByteArray> waves{
            {QStringLiteral("DISS1"), test::ToneWav(11025, 0.6, 523)},
            {QStringLiteral("DROP1"), test::ToneWav(16000, 0.3, 1250)}};
        bank_ = std::make_unique<WaveBank>(*output_, waves);
    }

    qint64 Written() const { return QFileInfo(rawPath_).size(); }

    // Waits until the output holds the given length of audio beyond `from`.
    void WaitForAudio(qint64 from, double seconds) const {
        const auto target = from + static_cast<qint64>(seconds * kBytesPerSecond);
        ASSERT_TRUE(test::WaitFor([&] { return Written() >= target; }, 5s));
    }

    // Closes the output and reads all that it wrote.
    std::vector<std::int16_t> Finish() {
        music_.reset();
        effects_.reset();
        bank_.reset();
        output_.reset();
        return test::ReadSamples(rawPath_);
    }

    std::vector<std::int16_t> Decoded(const QString& name) const {
        const Mix_Chunk* chunk = bank_->Find(name);
        const auto* samples = reinterpret_cast<const std::int16_t*>(chunk->abuf);
        return {samples, samples + chunk->alen / 2};
    }

    QTemporaryDir dir_;
    QString rawPath_ = dir_.filePath(QStringLiteral("out.raw"));
    test::ScopedEnvironment driver_{"SDL_AUDIODRIVER", "disk"};
    test::ScopedEnvironment file_{"SDL_DISKAUDIOFILE", rawPath_.toLocal8Bit()};
    test::ScopedEnvironment delay_{"SDL_DISKAUDIODELAY", "5"};
    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<WaveBank> bank_;
    std::unique_ptr<WaveEffects> effects_;
    std::unique_ptr<MusicDevice> music_;
};

std::size_t FirstSound(std::span<const std::int16_t> samples, std::size_t from = 0) {
    for (std::size_t i = from; i < samples.size(); ++i)
        if (samples[i] != 0) return i;
    return samples.size();
}

// The frame-aligned offset near `around` where the output best matches the wave.
std::size_t BestMatch(std::span<const std::int16_t> out, std::span<const std::int16_t> wave,
                      std::size_t from, std::size_t to) {
    const std::size_t window = std::min<std::size_t>(wave.size(), 8192);
    std::size_t best = from;
    double bestCorrelation = -2;
    for (std::size_t at = from & ~std::size_t{1}; at <= to && at + window <= out.size(); at += 2) {
        const double c = test::Correlation(out.subspan(at, window), wave.first(window));
        if (c > bestCorrelation) bestCorrelation = c, best = at;
    }
    return best;
}

double MatchAt(std::span<const std::int16_t> out, std::span<const std::int16_t> wave,
               std::size_t at) {
    if (at + wave.size() > out.size()) return 0;
    return test::Correlation(out.subspan(at, wave.size()), wave);
}

// A driver that cannot open falls back to "dummy", and the fallback does not
// stick: the next output honours SDL_AUDIODRIVER again.
TEST(AudioOutputTest, AnUnavailableDriverFallsBackToSilentPlaying) {
    {
        test::ScopedEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
        const AudioOutput output;
        EXPECT_TRUE(output.IsOpen());
        EXPECT_TRUE(output.IsSilent());
        EXPECT_EQ(output.Frequency(), AudioOutput::kFrequency);
    }
    QTemporaryDir dir;
    test::ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    test::ScopedEnvironment file("SDL_DISKAUDIOFILE",
                                 dir.filePath(QStringLiteral("out.raw")).toLocal8Bit());
    const AudioOutput output;
    EXPECT_TRUE(output.IsOpen());
    EXPECT_FALSE(output.IsSilent());
}

// ALSA's null device takes every buffer at once. Kept, it would have SDL's
// audio thread mix flat out and hold the mixer lock against the game's
// thread; the output plays on the dummy driver instead, and effects started
// from this thread go through at once (a stall shows as the suite's timeout).
TEST(AudioOutputTest, ADeviceThatDoesNotKeepTimeIsReplacedByTheDummyDriver) {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("asound.conf"));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("pcm.!default { type null }\n");
    file.close();
    test::ScopedEnvironment alsaConfig("ALSA_CONFIG_PATH", config.toLocal8Bit());
    test::ScopedEnvironment driver("SDL_AUDIODRIVER", "alsa");
    AudioOutput output;
    ASSERT_TRUE(output.IsOpen());
    EXPECT_TRUE(output.IsSilent());
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");

    const WaveBank bank(output, {{QStringLiteral("DROP1"), test::ToneWav(16000, 0.3, 1250)}});
    Mix_Chunk* chunk = bank.Find(QStringLiteral("DROP1"));
    ASSERT_NE(chunk, nullptr);
    for (int i = 0; i < 200; ++i) {
        Mix_HaltChannel(0);
        ASSERT_EQ(Mix_PlayChannel(0, chunk, 0), 0);
    }
}

TEST_F(DiskOutputTest, ADissolveSoundComesOutAsTheDecodedWave) {
    effects_ = std::make_unique<WaveEffects>(*bank_, [](int) { return 0; });
    const qint64 before = Written();
    effects_->PlayDissolveSound();
    WaitForAudio(before, 0.9);
    const auto wave = Decoded(QStringLiteral("DISS1"));
    const auto out = Finish();
    const std::size_t onset = FirstSound(out);
    ASSERT_LT(onset, out.size());
    const std::size_t at = BestMatch(out, wave, onset > 256 ? onset - 256 : 0, onset + 256);
    EXPECT_GT(MatchAt(out, wave, at), 0.99);
    EXPECT_EQ(FirstSound(out, at + wave.size()), out.size()) << "silence after the effect";
}

TEST_F(DiskOutputTest, ANewEffectCutsTheLastOneOff) {
    effects_ = std::make_unique<WaveEffects>(*bank_, [](int) { return 0; });
    const qint64 before = Written();
    effects_->PlayDissolveSound();
    WaitForAudio(before, 0.25);
    EXPECT_TRUE(effects_->PlayDropSound());
    WaitForAudio(Written(), 0.5);
    const auto dissolve = Decoded(QStringLiteral("DISS1"));
    const auto drop = Decoded(QStringLiteral("DROP1"));
    const auto out = Finish();

    const std::size_t onset = FirstSound(out);
    const std::size_t first = BestMatch(out, dissolve, onset > 256 ? onset - 256 : 0, onset + 256);
    std::size_t cut = first;
    // The mix carries an effect at half level: its lowest bit may go.
    while (cut < out.size() && cut - first < dissolve.size() &&
           std::abs(out[cut] - dissolve[cut - first]) <= 1)
        ++cut;
    EXPECT_GT(cut - first, dissolve.size() / 10) << "the dissolve sound started";
    ASSERT_LT(cut - first, dissolve.size()) << "the dissolve sound was cut off";
    const std::size_t second = BestMatch(out, drop, cut > 4096 ? cut - 4096 : 0, cut + 64);
    // The drop sound alone: nothing of the dissolve sound is mixed into it.
    EXPECT_GT(MatchAt(out, drop, second), 0.99);
}

TEST_F(DiskOutputTest, AGamePieceComesOutAsMusic) {
    const QString path = dir_.filePath(QStringLiteral("piece.mid"));
    test::WriteFileBytes(path, test::AsByteArray(test::PianoPiece(8)));
    music_ = std::make_unique<MusicDevice>(*output_);
    ASSERT_EQ(music_->Open(path), MusicDevice::kNoError);
    const qint64 before = Written();
    ASSERT_EQ(music_->Play(), MusicDevice::kNoError);
    WaitForAudio(before, 2.0);
    const auto out = Finish();
    const auto music = std::span(out).subspan(static_cast<std::size_t>(before / 2));
    const double rms = test::Rms(music);
    const auto peak = std::ranges::max(music, {}, [](std::int16_t s) { return std::abs(s); });
    EXPECT_GT(rms, 300.0);  // above -40 dBFS
    EXPECT_LT(std::abs(peak), 32767) << "no clipping";
}

// An effect at full scale over music: where SDL_mixer adds them up they
// would pass full scale; the output bends those peaks under -1 dBFS.
TEST_F(DiskOutputTest, MusicAndALoudEffectTogetherStayUnderFullScale) {
    constexpr int kRate = 11025;
    constexpr int kCount = kRate / 2;
    QByteArray square = test::WavHeader(1, 8, kRate, kCount);
    for (int i = 0; i < kCount; ++i) square.append(static_cast<char>(i / 20 % 2 ? 1 : 255));
    const WaveBank loud(*output_, {{QStringLiteral("DROP1"), square}});
    const QString path = dir_.filePath(QStringLiteral("piece.mid"));
    test::WriteFileBytes(path, test::AsByteArray(test::PianoPiece(8)));
    music_ = std::make_unique<MusicDevice>(*output_);
    ASSERT_EQ(music_->Open(path), MusicDevice::kNoError);
    ASSERT_EQ(music_->Play(), MusicDevice::kNoError);
    WaitForAudio(Written(), 0.3);
    const qint64 before = Written();
    ASSERT_EQ(Mix_PlayChannel(0, loud.Find(QStringLiteral("DROP1")), 0), 0);
    WaitForAudio(before, 0.6);
    const auto out = Finish();
    const auto mix = std::span(out).subspan(static_cast<std::size_t>(before / 2));
    const auto peak =
        std::abs(std::ranges::max(mix, {}, [](std::int16_t s) { return std::abs(s); }));
    EXPECT_GT(peak, 0.85 * 32768) << "the effect was heard at its level";
    EXPECT_LE(peak, 0.8913 * 32768) << "nothing past -1 dBFS";
}

// Everything a device wrote once its piece started, until it stopped
// playing: through an output of its own, on a file of its own.
std::vector<std::int16_t> PlayToTheEnd(const QString& raw, const QString& midi, MusicCache* cache,
                                       bool& rendered, int volume = 100) {
    test::ScopedEnvironment file("SDL_DISKAUDIOFILE", raw.toLocal8Bit());
    qint64 before = 0;
    {
        const AudioOutput output;
        MusicDevice device(output, DefaultSoundFontCandidates(), cache);
        device.SetVolume(volume);
        if (device.Open(midi) != MusicDevice::kNoError) return {};
        rendered = device.PlaysRendered();
        before = QFileInfo(raw).size();
        if (device.Play() != MusicDevice::kNoError) return {};
        if (!test::WaitFor([&] { return !device.IsPlaying(); }, 60s)) return {};
    }
    const auto samples = test::ReadSamples(raw);
    return {samples.begin() + std::min<std::size_t>(before / 2, samples.size()), samples.end()};
}

double Db(double rms) {
    return 20 * std::log10(std::max(rms, 1e-9) / 32768);
}

// Renders the piece into the cache, as the background renderer would.
testing::AssertionResult StoreRendered(const MusicCache& cache,
                                       const std::vector<std::uint8_t>& piece) {
    const std::string soundFont = FindSoundFont(DefaultSoundFontCandidates());
    if (soundFont.empty()) return testing::AssertionFailure() << "no SoundFont";
    const std::string key = MusicCache::KeyFor(piece, soundFont, AudioOutput::kFrequency);
    const std::atomic<bool> stop{false};
    std::string problem;
    if (!MusicCacheFolder(cache.Folder())
             .Store(key,
                    PieceRenderer::Render(piece, soundFont, AudioOutput::kFrequency, key, stop),
                    problem))
        return testing::AssertionFailure() << problem;
    return testing::AssertionSuccess();
}

// A player cannot tell a cached piece from the live synthesizer: the same
// level, and the same music sample for sample but for the encoder's loss.
TEST_F(DiskOutputTest, AWarmCachePieceSoundsAsTheLiveRender) {
    Finish();  // one output at a time
    const auto piece = test::TempoPiece(10);
    const QString midi = dir_.filePath(QStringLiteral("piece.mid"));
    test::WriteFileBytes(midi, test::AsByteArray(piece));
    MusicCache cache(dir_.filePath(QStringLiteral("cache")).toStdString(),
                     {test::AsByteArray(piece)});
    ASSERT_TRUE(StoreRendered(cache, piece));

    bool rendered = true;
    const auto live =
        PlayToTheEnd(dir_.filePath(QStringLiteral("live.raw")), midi, nullptr, rendered);
    EXPECT_FALSE(rendered);
    const auto cached =
        PlayToTheEnd(dir_.filePath(QStringLiteral("cached.raw")), midi, &cache, rendered);
    EXPECT_TRUE(rendered);

    // Each starts at the first buffer after Play, so silence of a buffer or
    // none may come first; the music itself starts together.
    const std::size_t liveStart = FirstSound(live) & ~std::size_t{1};
    const std::size_t cachedStart = FirstSound(cached) & ~std::size_t{1};
    const std::size_t length =
        std::min(live.size() - liveStart, cached.size() - cachedStart) & ~std::size_t{1};
    ASSERT_GT(length, static_cast<std::size_t>(AudioOutput::kFrequency) * 2 * 4);
    const auto reference = std::span(live).subspan(liveStart, length - 1024);
    const std::size_t at = BestMatch(cached, reference.first(AudioOutput::kFrequency * 2),
                                     cachedStart > 512 ? cachedStart - 512 : 0, cachedStart + 512);
    const auto aligned = std::span(cached).subspan(at, reference.size());
    const double liveDb = Db(test::Rms(reference));
    const double cachedDb = Db(test::Rms(aligned));
    std::cout << "[          ] live " << liveDb << " dB, cached " << cachedDb << " dB, offset "
              << at << ", correlation " << test::Correlation(reference, aligned) << "\n";
    EXPECT_GT(liveDb, -40.0) << "music came out";
    EXPECT_NEAR(cachedDb, liveDb, 0.5);
    EXPECT_GT(test::Correlation(reference, aligned), 0.99);
}

// The music from its first sound on, the length the shorter of two runs has.
std::span<const std::int16_t> FromFirstSound(const std::vector<std::int16_t>& out,
                                             std::size_t length) {
    return std::span(out).subspan(FirstSound(out) & ~std::size_t{1}, length);
}

std::size_t CommonLength(std::initializer_list<const std::vector<std::int16_t>*> runs) {
    std::size_t length = SIZE_MAX;
    for (const auto* run : runs) length = std::min(length, run->size() - FirstSound(*run));
    return length > 1024 ? (length - 1024) & ~std::size_t{1} : 0;
}

// Half the effects volume is half the level: 6 dB down, the wave unchanged.
TEST_F(DiskOutputTest, AnEffectAtHalfVolumeComesOutSixDecibelsDown) {
    effects_ = std::make_unique<WaveEffects>(*bank_, [](int) { return 0; });
    effects_->SetEffectsVolume(50);
    const qint64 before = Written();
    effects_->PlayDissolveSound();
    WaitForAudio(before, 0.9);
    const auto wave = Decoded(QStringLiteral("DISS1"));
    const auto out = Finish();
    const std::size_t onset = FirstSound(out);
    ASSERT_LT(onset, out.size());
    const std::size_t at = BestMatch(out, wave, onset > 256 ? onset - 256 : 0, onset + 256);
    EXPECT_GT(MatchAt(out, wave, at), 0.99);
    const double down =
        Db(test::Rms(std::span(out).subspan(at, wave.size()))) - Db(test::Rms(wave));
    EXPECT_NEAR(down, -6.02, 0.1);
}

// The music volume scales live and cached music alike: half is 6 dB down.
TEST_F(DiskOutputTest, MusicAtHalfVolumeComesOutSixDecibelsDownLiveAndCached) {
    Finish();  // one output at a time
    const auto piece = test::PianoPiece(12);
    const QString midi = dir_.filePath(QStringLiteral("piece.mid"));
    test::WriteFileBytes(midi, test::AsByteArray(piece));
    MusicCache cache(dir_.filePath(QStringLiteral("cache")).toStdString(),
                     {test::AsByteArray(piece)});
    ASSERT_TRUE(StoreRendered(cache, piece));

    bool rendered = true;
    const auto full =
        PlayToTheEnd(dir_.filePath(QStringLiteral("full.raw")), midi, nullptr, rendered, 100);
    const auto half =
        PlayToTheEnd(dir_.filePath(QStringLiteral("half.raw")), midi, nullptr, rendered, 50);
    EXPECT_FALSE(rendered);
    const auto cachedHalf =
        PlayToTheEnd(dir_.filePath(QStringLiteral("cached.raw")), midi, &cache, rendered, 50);
    EXPECT_TRUE(rendered);

    const std::size_t length = CommonLength({&full, &half, &cachedHalf});
    ASSERT_GT(length, static_cast<std::size_t>(AudioOutput::kFrequency) * 2 * 3);
    const double fullDb = Db(test::Rms(FromFirstSound(full, length)));
    const double halfDb = Db(test::Rms(FromFirstSound(half, length)));
    const double cachedHalfDb = Db(test::Rms(FromFirstSound(cachedHalf, length)));
    std::cout << "[          ] music at 100 %: " << fullDb << " dB, at 50 %: " << halfDb
              << " dB live, " << cachedHalfDb << " dB cached\n";
    EXPECT_GT(fullDb, -40.0) << "music came out";
    EXPECT_NEAR(halfDb - fullDb, -6.02, 0.2);
    EXPECT_NEAR(cachedHalfDb, halfDb, 0.5);
}

// A new volume reaches the piece that plays at once: at 0, after the buffer
// that was on its way, nothing more is heard.
TEST_F(DiskOutputTest, MusicVolumeAppliesToThePieceThatPlays) {
    const QString path = dir_.filePath(QStringLiteral("piece.mid"));
    test::WriteFileBytes(path, test::AsByteArray(test::PianoPiece(16)));
    music_ = std::make_unique<MusicDevice>(*output_);
    ASSERT_EQ(music_->Open(path), MusicDevice::kNoError);
    const qint64 before = Written();
    ASSERT_EQ(music_->Play(), MusicDevice::kNoError);
    WaitForAudio(before, 1.0);
    music_->SetVolume(0);
    const qint64 muted = Written();
    WaitForAudio(muted, 1.0);
    EXPECT_TRUE(music_->IsPlaying()) << "the piece plays on, unheard";
    const auto out = Finish();
    const std::size_t bufferSamples = AudioOutput::kBufferFrames * AudioOutput::kChannels;
    const auto heard = std::span(out).subspan(static_cast<std::size_t>(before / 2),
                                              static_cast<std::size_t>((muted - before) / 2));
    const auto after =
        std::span(out).subspan(static_cast<std::size_t>(muted / 2) + 2 * bufferSamples);
    EXPECT_GT(test::Rms(heard), 300.0);
    EXPECT_EQ(FirstSound(after), after.size());
}

}  // namespace
}  // namespace kwadrill
