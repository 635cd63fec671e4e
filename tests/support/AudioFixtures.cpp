#include "AudioFixtures.h"

#include "TestFiles.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

namespace kwadrill::test {
namespace {

void PutLe(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutBe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

QByteArray WavHeader(int channels, int bitsPerSample, int sampleRate, std::uint32_t dataBytes) {
    const int frameBytes = channels * bitsPerSample / 8;
    QByteArray wav("RIFF");
    PutLe(wav, 36 + dataBytes, 4);
    wav.append("WAVEfmt ");
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);  // PCM
    PutLe(wav, channels, 2);
    PutLe(wav, sampleRate, 4);
    PutLe(wav, sampleRate * frameBytes, 4);
    PutLe(wav, frameBytes, 2);
    PutLe(wav, bitsPerSample, 2);
    wav.append("data");
    PutLe(wav, dataBytes, 4);
    return wav;
}

QByteArray ToneWav(int sampleRate, double seconds, double frequency) {
    const int count = static_cast<int>(sampleRate * seconds);
    QByteArray wav = WavHeader(1, 8, sampleRate, count);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double envelope = 0.2 + 0.7 * std::sin(std::numbers::pi * i / count);
        const double value = envelope * std::sin(2 * std::numbers::pi * frequency * t + 0.5);
        wav.append(static_cast<char>(128 + std::lround(100 * value)));
    }
    return wav;
}

MidiWriter& MidiWriter::Event(std::uint32_t delta, std::vector<std::uint8_t> bytes) {
    auto& track = tracks_.back();
    const auto vlq = Vlq(delta);
    track.insert(track.end(), vlq.begin(), vlq.end());
    track.insert(track.end(), bytes.begin(), bytes.end());
    return *this;
}

MidiWriter& MidiWriter::Note(std::uint32_t delta, std::uint8_t key, std::uint32_t duration) {
    Event(delta, {0x90, key, 100});
    return Event(duration, {0x80, key, 0});
}

MidiWriter& MidiWriter::EndOfTrack(std::uint32_t delta) {
    return Event(delta, {0xFF, 0x2F, 0x00});
}

MidiWriter& MidiWriter::NextTrack() {
    tracks_.emplace_back();
    return *this;
}

std::vector<std::uint8_t> MidiWriter::Bytes(int format, int division) const {
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    PutBe(out, 6, 4);
    PutBe(out, format, 2);
    PutBe(out, static_cast<std::uint32_t>(tracks_.size()), 2);
    PutBe(out, division, 2);
    for (const auto& track : tracks_) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBe(out, static_cast<std::uint32_t>(track.size()), 4);
        out.insert(out.end(), track.begin(), track.end());
    }
    return out;
}

std::vector<std::uint8_t> MidiWriter::Vlq(std::uint32_t value) {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0)
        out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return out;
}

std::vector<std::uint8_t> PianoPiece(int quarters) {
    constexpr std::uint32_t kQuarter = 96;
    MidiWriter midi;
    midi.Event(0, {0xC0, 0}).Event(0, {0xC1, 48});
    const std::uint8_t melody[] = {60, 64, 67, 72, 67, 64};
    for (int i = 0; i < quarters; ++i) {
        midi.Event(0, {0x91, static_cast<std::uint8_t>(48 + (i / 4) % 2 * 5), 90});
        midi.Note(0, melody[i % 6], kQuarter);
        midi.Event(0, {0x81, static_cast<std::uint8_t>(48 + (i / 4) % 2 * 5), 0});
    }
    return midi.EndOfTrack().Bytes();
}

std::vector<std::uint8_t> TempoPiece(int quarters) {
    constexpr std::uint32_t kQuarter = 96;
    MidiWriter midi;
    midi.Event(0, {0xC0, 0});
    const std::uint8_t melody[] = {60, 64, 67, 72, 67, 64};
    for (int i = 0; i < quarters; ++i) {
        const std::uint32_t perQuarter =
            (i < quarters / 2 ? 600000 - 7919 * i : 1200000 - 3001 * i);  // microseconds
        midi.Event(
            0, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(perQuarter >> 16),
                static_cast<std::uint8_t>(perQuarter >> 8), static_cast<std::uint8_t>(perQuarter)});
        midi.Note(0, melody[i % 6], kQuarter);
    }
    return midi.EndOfTrack().Bytes();
}

QByteArray AsByteArray(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<std::int16_t> ReadSamples(const QString& path) {
    const QByteArray bytes = ReadFileBytes(path);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size()) / 2);
    // An output closed before its first buffer wrote nothing: no copy at all.
    if (!samples.empty()) std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

double Rms(std::span<const std::int16_t> samples) {
    if (samples.empty()) return 0;
    double sum = 0;
    for (const std::int16_t s : samples) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

double Correlation(std::span<const std::int16_t> a, std::span<const std::int16_t> b) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return (aa == 0 || bb == 0) ? 0 : ab / std::sqrt(aa * bb);
}

}  // namespace kwadrill::test
