#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kwadrill::test {

// The 44-byte header of a PCM WAV file whose data follows it.
QByteArray WavHeader(int channels, int bitsPerSample, int sampleRate, std::uint32_t dataBytes);

// A complete 8-bit mono PCM WAV image: a tone whose loudness swells and
// fades, so its shape is recognisable in the output.
QByteArray ToneWav(int sampleRate, double seconds, double frequency);

// Builds standard MIDI files event by event.
class MidiWriter {
public:
    // Appends one event to the track being written.
    MidiWriter& Event(std::uint32_t delta, std::vector<std::uint8_t> bytes);
    MidiWriter& Note(std::uint32_t delta, std::uint8_t key, std::uint32_t duration);
    MidiWriter& EndOfTrack(std::uint32_t delta = 0);
    // Closes the track and starts another.
    MidiWriter& NextTrack();

    std::vector<std::uint8_t> Bytes(int format = 0, int division = 96) const;

    static std::vector<std::uint8_t> Vlq(std::uint32_t value);

private:
    std::vector<std::vector<std::uint8_t>> tracks_{{}};
};

// A playable format-0 piece of about the given number of quarter notes at
// the default tempo (120 per minute): a piano melody over held chords.
std::vector<std::uint8_t> PianoPiece(int quarters);

// Like PianoPiece, with a tempo change at every quarter: small steps that
// speed it up, and a jump to half the speed half-way.
std::vector<std::uint8_t> TempoPiece(int quarters);

QByteArray AsByteArray(std::span<const std::uint8_t> bytes);

// Polls until the condition holds or the timeout passes; for tests of
// devices that run on the audio thread's real-time clock.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Interleaved 16-bit samples read from raw output.
std::vector<std::int16_t> ReadSamples(const QString& path);
double Rms(std::span<const std::int16_t> samples);
// Normalised correlation of two equally long runs of samples.
double Correlation(std::span<const std::int16_t> a, std::span<const std::int16_t> b);

}  // namespace kwadrill::test
