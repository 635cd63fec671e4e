#include "WaveFile.h"

#include <algorithm>
#include <cmath>
#include <string_view>

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

std::uint8_t ToUnsigned8(double sample) {
    const long level = std::lround(sample * kFullScale) + kSilence;
    return static_cast<std::uint8_t>(std::clamp(level, 0L, 255L));
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
    std::transform(signal.samples.begin(), signal.samples.end(), std::back_inserter(out),
                   ToUnsigned8);
    if (padding != 0) {
        out.push_back(0);
    }
    return out;
}

}  // namespace kwadrill
