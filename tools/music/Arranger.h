#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "MidiTrack.h"
#include "Notation.h"
#include "Performer.h"
#include "Piece.h"

namespace kwadrill {

// Plays a piece's running order into one MIDI track.
class Arranger {
public:
    explicit Arranger(const Piece& piece);

    // The finished standard MIDI file. Throws std::invalid_argument when the
    // piece's text does not add up (a line longer than its section, ...).
    std::vector<std::uint8_t> Compose();
    // Playing time of the composed file, from its tempo changes.
    double Seconds() const;

private:
    struct Strike {
        std::vector<int> pitches;
        int start = 0;
        int velocity = 0;
        char symbol = 0;
        std::size_t chord = 0;
    };

    const Section& FindSection(std::string_view name) const;
    const Groove& FindGroove(std::string_view name) const;
    int BarTicks() const;
    int BeatTicks() const;
    int Accent(int tick) const;
    void CheckSteps(std::string_view pattern) const;

    void SetUpChannels();
    void PlayEntry(std::size_t index);
    // Where the tune of the next passage starts, as written in this one's key.
    int NextTuneStart(std::size_t index, const std::vector<LineNote>& lead) const;
    void PlayTempo(const Entry& entry, int bars);
    void SelectProgram(Part part, int program);
    // Which bars of each four-bar phrase a line plays: all, the call (the
    // first two) or the answer (the last two).
    enum class Phrase { kWhole, kCall, kAnswer };
    // Notes from `keepFrom` on are played whatever the phrase.
    void PlayLine(Part part, const std::vector<LineNote>& notes, int transpose,
                  Phrase phrase = Phrase::kWhole, int keepFrom = std::numeric_limits<int>::max());
    // From `rootAt` on (a tick in the passage) the pattern starts again on the root.
    void PlayPattern(Part part, std::string_view pattern, const std::vector<ChordSpan>& chords,
                     int bars, int rootAt = -1);
    void Release(Part part, Strike& strike, int tick);
    std::vector<int> PatternPitches(Part part, char symbol, const std::vector<ChordSpan>& chords,
                                    std::size_t index) const;
    std::vector<int> BassPitches(char symbol, const std::vector<ChordSpan>& chords,
                                 std::size_t index) const;
    void PlayDrums(const Groove& groove, const Entry& entry, int bars);
    void PlayDrumBar(const std::vector<DrumLane>& lanes, int bar, int step0, bool filling);
    void PlayExpression(const Entry& entry, int bars);
    void Play(int channel, int tick, int length, int pitch, int velocity);

    const Piece& piece_;
    MidiTrack track_;
    Performer performer_;
    int entryStart_ = 0;
    int pieceEnd_ = 0;
    std::vector<std::pair<int, double>> tempos_;
    std::array<int, kPartCount> programs_{};
};

}  // namespace kwadrill
