#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "WaveBank.h"
#include "WaveEffects.h"

#include <SDL_mixer.h>

#include <gtest/gtest.h>

namespace kwadrill {
namespace {

constexpr int kEffectChannel = 0;

std::map<QString, QByteArray> AllEffects() {
    std::map<QString, QByteArray> waves;
    int frequency = 300;
    for (const QString& name : WaveBank::EffectNames())
        waves[name] = test::ToneWav(11025, 0.5, frequency += 100);
    return waves;
}

class WaveEffectsTest : public ::testing::Test {
protected:
    // What the effect channel is playing now, by name; empty when silent.
    QString Playing() const {
        if (!Mix_Playing(kEffectChannel)) return {};
        for (const QString& name : WaveBank::EffectNames())
            if (bank_.Find(name) == Mix_GetChunk(kEffectChannel)) return name;
        return QStringLiteral("?");
    }

    AudioOutput output_;
    WaveBank bank_{output_, AllEffects()};
    int nextRandom_ = 0;
    std::vector<int> randomRanges_;
    WaveEffects effects_{bank_, [this](int n) {
                             randomRanges_.push_back(n);
                             return nextRandom_;
                         }};
};

TEST_F(WaveEffectsTest, TheRandomVariantNamesTheEffectThatPlays) {
    for (int variant = 0; variant < 2; ++variant) {
        nextRandom_ = variant;
        effects_.PlayDissolveSound();
        EXPECT_EQ(Playing(), QStringLiteral("DISS%1").arg(variant + 1));
    }
    for (int variant = 0; variant < 6; ++variant) {
        nextRandom_ = variant;
        EXPECT_TRUE(effects_.PlayDropSound());
        EXPECT_EQ(Playing(), QStringLiteral("DROP%1").arg(variant + 1));
    }
    EXPECT_EQ(randomRanges_, (std::vector<int>{2, 2, 6, 6, 6, 6, 6, 6}));
}

TEST_F(WaveEffectsTest, SoundOffPlaysNothingAndAsksForNoDropDelay) {
    effects_.SetSoundEnabled(false);
    effects_.PlayDissolveSound();
    EXPECT_FALSE(effects_.PlayDropSound());
    EXPECT_EQ(Playing(), QString());
    EXPECT_TRUE(randomRanges_.empty());
}

TEST_F(WaveEffectsTest, AnUnknownNameStopsTheLastEffectAndPlaysNothing) {
    effects_.PlayWaveResource(QStringLiteral("DROP3"));
    ASSERT_EQ(Playing(), QStringLiteral("DROP3"));
    effects_.PlayWaveResource(QStringLiteral("DROP7"));
    EXPECT_EQ(Playing(), QString());
}

TEST(WaveBankTest, AWaveThatDoesNotDecodeIsLeftOut) {
    AudioOutput output;
    const WaveBank bank(output,
                        {{QStringLiteral("DISS1"), QByteArray("RIFF\x10\0\0\0WAVEjunk", 16)},
                         {QStringLiteral("DISS2"), test::ToneWav(22050, 0.1, 440)}});
    EXPECT_EQ(bank.Find(QStringLiteral("DISS1")), nullptr);
    EXPECT_NE(bank.Find(QStringLiteral("DISS2")), nullptr);
}

TEST(WaveBankTest, TheGameEffectsAreBuiltIn) {
    const auto waves = WaveBank::ReadWaveResources();
    ASSERT_FALSE(waves.empty()) << "the WAV resources are built in";
    AudioOutput output;
    const WaveBank bank(output, waves);
    for (const QString& name : WaveBank::EffectNames())
        EXPECT_NE(bank.Find(name), nullptr) << name.toStdString();
}

}  // namespace
}  // namespace kwadrill
