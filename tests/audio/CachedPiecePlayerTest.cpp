#include "CachedPiecePlayer.h"
#include "TestFiles.h"
#include "VorbisEncoder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace kwadrill {
namespace {

constexpr int kPlayerRate = 44100;

// Two and a half seconds of two tones, so a play crosses the player's
// one-second batches more than once.
std::string EncodedTones() {
    VorbisEncoder encoder(kPlayerRate, 7);
    std::vector<std::int16_t> frames;
    for (int i = 0; i < kPlayerRate * 5 / 2; ++i) {
        const double t = static_cast<double>(i) / kPlayerRate;
        frames.push_back(
            static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * t)));
        frames.push_back(
            static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 660 * t)));
    }
    encoder.Write(frames.data(), static_cast<int>(frames.size() / 2));
    return encoder.Finish({});
}

// What libvorbisfile decodes from the whole file in one go.
std::vector<std::int16_t> DecodedAtOnce(const std::string& path) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return {};
    std::vector<std::int16_t> samples(4096);
    std::size_t have = 0;
    for (;;) {
        if (samples.size() - have < 4096) samples.resize(samples.size() * 2);
        int section = 0;
        const long bytes = ov_read(&file, reinterpret_cast<char*>(samples.data() + have), 4096 * 2,
                                   0, 2, 1, &section);
        if (bytes <= 0) break;
        have += static_cast<std::size_t>(bytes) / 2;
    }
    ov_clear(&file);
    samples.resize(have);
    return samples;
}

class CachedPiecePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.filePath(QStringLiteral("piece.ogg")).toStdString();
        test::WriteFileBytes(QString::fromStdString(path_),
                             QByteArray::fromStdString(EncodedTones()));
        reference_ = DecodedAtOnce(path_);
        ASSERT_GT(reference_.size(), std::size_t{2 * kPlayerRate * 2});
    }

    std::int64_t Frames() const { return static_cast<std::int64_t>(reference_.size() / 2); }
    int Descriptor() const { return ::open(path_.c_str(), O_RDONLY | O_CLOEXEC); }

    QTemporaryDir dir_;
    std::string path_;
    std::vector<std::int16_t> reference_;
};

// Buffers of an odd size cross the decoding batches at odd places: the
// samples must still be the file's, each once, in order, then silence.
TEST_F(CachedPiecePlayerTest, GivesTheFilesSamplesAcrossBatchesThenSilence) {
    auto player = CachedPiecePlayer::Open(Descriptor(), Frames(), kPlayerRate);
    ASSERT_NE(player, nullptr);
    std::vector<std::int16_t> played;
    std::vector<std::int16_t> buffer(2 * 1013);
    while (!player->Ended()) {
        ASSERT_LT(played.size(), reference_.size() + buffer.size()) << "never ends";
        player->Mix(buffer.data(), 1013);
        played.insert(played.end(), buffer.begin(), buffer.end());
    }
    EXPECT_EQ(player->Played(), Frames());
    ASSERT_GE(played.size(), reference_.size());
    EXPECT_TRUE(std::equal(reference_.begin(), reference_.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<std::ptrdiff_t>(reference_.size()),
                            played.end(), [](std::int16_t s) { return s == 0; }));
    player->Mix(buffer.data(), 1013);
    EXPECT_EQ(player->Played(), Frames());
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](std::int16_t s) { return s == 0; }));
}

// A file that is not the piece as recorded would play a wrong length, so
// the position would run off the piece's clock.
TEST_F(CachedPiecePlayerTest, RefusesAFileThatIsNotThePieceAsRecorded) {
    const std::string whole = test::ReadFileBytes(QString::fromStdString(path_)).toStdString();
    struct Case {
        const char* what;
        std::string bytes;
        std::int64_t frames;
        int rate;
    };
    const Case cases[] = {
        {"a frame more recorded", whole, Frames() + 1, kPlayerRate},
        {"a frame less recorded", whole, Frames() - 1, kPlayerRate},
        {"another rate", whole, Frames(), 48000},
        {"cut in half", whole.substr(0, whole.size() / 2), Frames(), kPlayerRate},
        {"not Ogg", std::string(3000, 'x'), Frames(), kPlayerRate},
        {"empty", std::string(), Frames(), kPlayerRate},
    };
    for (const Case& c : cases) {
        test::WriteFileBytes(QString::fromStdString(path_), QByteArray::fromStdString(c.bytes));
        EXPECT_EQ(CachedPiecePlayer::Open(Descriptor(), c.frames, c.rate), nullptr) << c.what;
    }
}

}  // namespace
}  // namespace kwadrill
