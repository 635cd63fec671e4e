#include "WaveReader.h"

#include <string>
#include <string_view>

namespace kwadrill::test {

namespace {

constexpr std::size_t kHeaderSize = 44;

std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

void Expect(bool condition, const std::string& what) {
    if (!condition) {
        throw std::runtime_error(what);
    }
}

void ExpectTag(const std::vector<std::uint8_t>& bytes, std::size_t at, std::string_view tag) {
    Expect(std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, 4) == tag,
           "expected \"" + std::string(tag) + "\" at byte " + std::to_string(at));
}

}  // namespace

Wave8 ReadWave8(const std::vector<std::uint8_t>& file) {
    Expect(file.size() >= kHeaderSize, "shorter than a WAV header");
    ExpectTag(file, 0, "RIFF");
    Expect(Le(file, 4, 4) == file.size() - 8, "RIFF size does not match the file");
    ExpectTag(file, 8, "WAVE");
    ExpectTag(file, 12, "fmt ");
    Expect(Le(file, 16, 4) == 16, "fmt chunk is not 16 bytes");
    Expect(Le(file, 20, 2) == 1, "not PCM");
    Expect(Le(file, 22, 2) == 1, "not mono");
    Wave8 wave;
    wave.sampleRate = Le(file, 24, 4);
    Expect(Le(file, 28, 4) == wave.sampleRate, "byte rate is not the sample rate");
    Expect(Le(file, 32, 2) == 1, "block align is not 1");
    Expect(Le(file, 34, 2) == 8, "not 8 bits per sample");
    ExpectTag(file, 36, "data");
    const std::uint32_t dataSize = Le(file, 40, 4);
    Expect(file.size() == kHeaderSize + dataSize + dataSize % 2,
           "data chunk does not end the file");
    wave.samples.assign(file.begin() + kHeaderSize, file.begin() + kHeaderSize + dataSize);
    return wave;
}

}  // namespace kwadrill::test
