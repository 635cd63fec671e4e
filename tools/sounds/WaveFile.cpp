#include "WaveFile.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "NoiseSource.h"

namespace kwadrill {

namespace {

constexpr std::uint32_t kFmtChunkSize = 16;
constexpr std::uint16_t kPcmFormat = 1;
constexpr std::uint16_t kMono = 1;
constexpr std::uint16_t kBitsPerSample = 8;
constexpr int kSilence = 128;
constexpr double kFullScale = 127.0;

void PutTag(std::vector<std::uint8_t>& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

constexpr std::uint32_t kDitherSeed = 0x8B17'D17E;

// Triangular (TPDF) dither of one step either way turns the quantisation
// error of quiet tails into a steady hiss instead of grainy distortion. It
// stops where the sound has ended, so a silent end stays digitally silent.
std::vector<std::uint8_t> Quantise(const std::vector<double>& samples) {
    std::size_t end = samples.size();
    while (end > 0 && samples[end - 1] == 0.0) {
        --end;
    }
    NoiseSource random(kDitherSeed);
    std::vector<std::uint8_t> out;
    out.reserve(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double dither = i < end ? 0.5 * (random.Next() + random.Next()) : 0.0;
        const long level = std::lround(samples[i] * kFullScale + dither) + kSilence;
        out.push_back(static_cast<std::uint8_t>(std::clamp(level, 0L, 255L)));
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeWave8(const Signal& signal) {
    const auto dataSize = static_cast<std::uint32_t>(signal.samples.size());
    const std::uint32_t padding = dataSize % 2;
    const auto rate = static_cast<std::uint32_t>(signal.rate);
    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    PutLe(out, 4 + 8 + kFmtChunkSize + 8 + dataSize + padding, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, kFmtChunkSize, 4);
    PutLe(out, kPcmFormat, 2);
    PutLe(out, kMono, 2);
    PutLe(out, rate, 4);
    PutLe(out, rate * kMono * kBitsPerSample / 8, 4);
    PutLe(out, kMono * kBitsPerSample / 8, 2);
    PutLe(out, kBitsPerSample, 2);
    PutTag(out, "data");
    PutLe(out, dataSize, 4);
    const std::vector<std::uint8_t> data = Quantise(signal.samples);
    out.insert(out.end(), data.begin(), data.end());
    if (padding != 0) {
        out.push_back(0);
    }
    return out;
}

}  // namespace kwadrill
