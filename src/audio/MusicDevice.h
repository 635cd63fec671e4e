#pragma once

#include "SoundFontSearch.h"
#include "TickMap.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kwadrill {

class AudioOutput;
class MidiSynth;
class MusicCache;
struct MidiFileInfo;

// The MIDI sequencer of the game: one piece at a time, opened by path,
// rendered by a synthesizer into the output's music stream. Position and
// length are in MIDI ticks. The SoundFont is loaded at the first open, so
// start-up does not wait for it.
//
// With a cache, a piece already rendered there plays from its file instead
// (CachedPiecePlayer), its position following the player's clock
// recorded with it; a piece not there yet plays live and the cache renders
// it in the background. Once every piece is rendered the SoundFont is
// released, or never loaded.
class MusicDevice {
public:
    enum Error : int {
        kNoError = 0,
        kNoSoundFont,
        kSoundFontUnreadable,
        kOutputUnavailable,
        kSynthFailed,
        kFileNotFound,
        kFileUnreadable,
        kNotMidiFile,
        kDamagedTrack,
        kUnsupportedFormat,
    };

    // The first existing candidate is the SoundFont.
    explicit MusicDevice(
        const AudioOutput& output,
        std::vector<std::string> soundFontCandidates = DefaultSoundFontCandidates(),
        MusicCache* cache = nullptr);
    ~MusicDevice();
    MusicDevice(const MusicDevice&) = delete;
    MusicDevice& operator=(const MusicDevice&) = delete;

    // Opens the piece (closing any other), reading its length and checking
    // it whole. Returns kNoError or the error; after an error nothing is open.
    int Open(const QString& path);
    // Starts the open piece from its start and returns at once: kNoError,
    // or kSynthFailed when the synthesizer could not take the piece.
    int Play();
    void Close();

    // The level the music plays at, 0 to 100 percent; at once, also while a
    // piece plays, and for every piece after.
    void SetVolume(int percent);

    bool IsOpen() const { return open_; }
    // False while the audio output has not been opened yet (it opens after
    // the first paint): the device is not there yet, but has not failed either.
    bool OutputAttempted() const;
    // Playing ends when the position reaches the length or the player stops.
    bool IsPlaying() const;
    std::int64_t Position() const;
    std::int64_t Length() const { return length_; }

    // The open piece plays from the cache.
    bool PlaysRendered() const { return rendered_ != nullptr; }
    // A SoundFont is loaded.
    bool HoldsSoundFont() const { return synth_ != nullptr; }

    // The text for an error code; "Unknown error code" for any other number.
    static QString ErrorText(int code);

private:
    struct Rendered;

    // SDL_mixer's music hook: the open piece, live or rendered, into the mix.
    static void Mix(void* device, std::uint8_t* stream, int length);

    int PrepareSynth(const std::string& soundFont);
    int ReadPiece(const QString& path, MidiFileInfo& info);
    bool OpenRendered(const std::string& soundFont);
    bool LoadRendered(int fd, std::int64_t frames, TickMap ticks);

    const AudioOutput& output_;
    std::vector<std::string> soundFontCandidates_;
    MusicCache* cache_;
    std::unique_ptr<MidiSynth> synth_;
    std::unique_ptr<Rendered> rendered_;
    QByteArray piece_;
    std::int64_t length_ = 0;
    bool open_ = false;
    bool hooked_ = false;
    std::atomic<int> volume_{100};  // read on the audio thread
};

}  // namespace kwadrill
