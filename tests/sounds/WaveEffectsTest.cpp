#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>

#include "Loudness.h"
#include "ResourceFiles.h"
#include "WaveReader.h"
#include "sounds/Loudness.h"  // the generator's own meter

namespace kwadrill::test {
namespace {

struct EffectSlot {
    const char* name;
    std::uint32_t sampleRate;
    std::size_t dataBytes;  // the length the game's timing was made for
};

constexpr EffectSlot kEffects[] = {
    {"DISS1", 11025, 9226}, {"DISS2", 22050, 18377}, {"DROP1", 16000, 5264},
    {"DROP2", 16000, 7068}, {"DROP3", 16000, 5185},  {"DROP4", 22050, 5700},
    {"DROP5", 11025, 3166}, {"DROP6", 22000, 15985},
};

constexpr double kSilence = 128.0;
constexpr double kFullScale = 128.0;
// The music's common loudness in the game's render; effects sit 3 to 5 LU above it.
constexpr double kMusicLoudness = -18.0;
constexpr double kLeastLift = 3.0;
constexpr double kMostLift = 5.0;
constexpr double kDropSpread = 2.0;

Wave8 LoadEffect(const std::string& name) {
    return ReadWave8(ReadBytes(ResourcePath("wave", name + ".wav")));
}

std::vector<double> Centred(const Wave8& wave) {
    std::vector<double> samples;
    for (std::uint8_t sample : wave.samples) {
        samples.push_back((sample - kSilence) / kFullScale);
    }
    return samples;
}

double EffectLoudness(const std::string& name) {
    const Wave8 wave = LoadEffect(name);
    return MaxMomentaryLoudness(Centred(wave), wave.sampleRate);
}

// Share of the energy below `cutoffHz` (second-order low-pass).
double LowShare(const Wave8& wave, double cutoffHz) {
    const double w = 2.0 * 3.141592653589793 * cutoffHz / wave.sampleRate;
    const double alpha = std::sin(w) / (2.0 * 0.707);
    const double a0 = 1.0 + alpha;
    const double b0 = (1.0 - std::cos(w)) / 2.0 / a0;
    const double a1 = -2.0 * std::cos(w) / a0;
    const double a2 = (1.0 - alpha) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, low = 0, all = 0;
    for (double x : Centred(wave)) {
        const double y = b0 * (x + 2.0 * x1 + x2) - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        low += y * y;
        all += x * x;
    }
    return low / all;
}

class WaveEffectTest : public ::testing::TestWithParam<EffectSlot> {};

TEST_P(WaveEffectTest, IsEightBitMonoPcmAtItsSampleRate) {
    const Wave8 wave = LoadEffect(GetParam().name);
    EXPECT_EQ(wave.sampleRate, GetParam().sampleRate);
}

TEST_P(WaveEffectTest, LastsAboutAsLongAsItsSlot) {
    const Wave8 wave = LoadEffect(GetParam().name);
    EXPECT_NEAR(static_cast<double>(wave.samples.size()), static_cast<double>(GetParam().dataBytes),
                0.1 * static_cast<double>(GetParam().dataBytes));
}

// Matched to the music by loudness, not by peak; nothing pinned at the rails.
TEST_P(WaveEffectTest, SitsAboveTheMusicWithoutClipping) {
    const Wave8 wave = LoadEffect(GetParam().name);
    const double loudness = EffectLoudness(GetParam().name);
    EXPECT_GE(loudness, kMusicLoudness + kLeastLift);
    EXPECT_LE(loudness, kMusicLoudness + kMostLift);
    EXPECT_EQ(std::count_if(wave.samples.begin(), wave.samples.end(),
                            [](std::uint8_t s) { return s == 0 || s == 255; }),
              0);
}

TEST_P(WaveEffectTest, IsCentredOnSilence) {
    const Wave8 wave = LoadEffect(GetParam().name);
    const double sum = std::accumulate(wave.samples.begin(), wave.samples.end(), 0.0);
    EXPECT_NEAR(sum / static_cast<double>(wave.samples.size()), kSilence, 1.0);
}

// A tail that stops short of silence clicks when the sound ends.
TEST_P(WaveEffectTest, FadesOutToSilence) {
    const Wave8 wave = LoadEffect(GetParam().name);
    const std::size_t tail = wave.sampleRate / 100;
    for (std::size_t i = wave.samples.size() - tail; i < wave.samples.size(); ++i) {
        EXPECT_NEAR(wave.samples[i], kSilence, 2.0) << "sample " << i;
    }
    EXPECT_EQ(wave.samples.back(), kSilence);
}

std::string EffectName(const ::testing::TestParamInfo<EffectSlot>& slot) {
    return slot.param.name;
}

INSTANTIATE_TEST_SUITE_P(AllEffects, WaveEffectTest, ::testing::ValuesIn(kEffects), EffectName);

// The six drops answer the same event at random: one family, heard at one
// level, with a body that small speakers can play.
TEST(DropFamilyTest, DropsShareALevelAndABodyAboveTheRumble) {
    std::vector<double> levels;
    for (const EffectSlot& slot : kEffects) {
        if (std::string(slot.name).starts_with("DROP")) {
            levels.push_back(EffectLoudness(slot.name));
            EXPECT_LT(LowShare(LoadEffect(slot.name), 100.0), 0.15) << slot.name;
        }
    }
    ASSERT_EQ(levels.size(), 6u);
    const double mean = std::accumulate(levels.begin(), levels.end(), 0.0) / 6.0;
    for (double level : levels) {
        EXPECT_NEAR(level, mean, kDropSpread);
    }
}

// The layout check is what the game's loader relies on; each damage must be caught.
TEST(WaveReaderTest, RejectsEveryDeparture) {
    const std::vector<std::uint8_t> good = ReadBytes(ResourcePath("wave", "DROP1.wav"));
    ASSERT_NO_THROW(ReadWave8(good));
    struct Damage {
        std::size_t offset;
        std::uint8_t value;
    };
    const Damage damages[] = {{0, 'X'}, {4, 0},   {16, 18},  {20, 3},
                              {22, 2},  {34, 16}, {36, 'L'}, {40, 1}};
    for (const Damage& damage : damages) {
        std::vector<std::uint8_t> bad = good;
        bad[damage.offset] = damage.value;
        EXPECT_THROW(ReadWave8(bad), std::runtime_error) << "byte " << damage.offset;
    }
    std::vector<std::uint8_t> truncated(good.begin(), good.end() - 1);
    EXPECT_THROW(ReadWave8(truncated), std::runtime_error);
}

}  // namespace
}  // namespace kwadrill::test
