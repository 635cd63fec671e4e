#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>

#include "ResourceFiles.h"
#include "WaveReader.h"

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

double Decibels(double level) {
    return 20.0 * std::log10(std::max(level, 1e-9));
}

Wave8 LoadEffect(const std::string& name) {
    return ReadWave8(ReadBytes(ResourcePath("wave", name + ".wav")));
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

// Peaks near -3 dBFS, a body that is clearly heard, no samples pinned at the rails.
TEST_P(WaveEffectTest, IsLoudButNotClipped) {
    const Wave8 wave = LoadEffect(GetParam().name);
    double peak = 0.0;
    double energy = 0.0;
    std::size_t pinned = 0;
    for (std::uint8_t sample : wave.samples) {
        const double x = (sample - kSilence) / kFullScale;
        peak = std::max(peak, std::abs(x));
        energy += x * x;
        pinned += (sample == 0 || sample == 255) ? 1 : 0;
    }
    const double rms = std::sqrt(energy / static_cast<double>(wave.samples.size()));
    EXPECT_GT(Decibels(peak), -6.0);
    EXPECT_LT(Decibels(peak), -1.0);
    EXPECT_GT(Decibels(rms), -30.0);
    EXPECT_EQ(pinned, 0u);
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
}

std::string EffectName(const ::testing::TestParamInfo<EffectSlot>& slot) {
    return slot.param.name;
}

INSTANTIATE_TEST_SUITE_P(AllEffects, WaveEffectTest, ::testing::ValuesIn(kEffects), EffectName);

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
