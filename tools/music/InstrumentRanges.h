#pragma once

namespace kwadrill {

// The stretch of MIDI notes in which a General MIDI instrument sounds like
// itself in the General MIDI SoundFont: outside it a sample is stretched
// thin or squeaky, or a player would be at the edge of the instrument.
struct NoteRange {
    int lowest;
    int highest;

    bool Holds(int pitch) const { return pitch >= lowest && pitch <= highest; }
};

NoteRange ComfortableRange(int program);

}  // namespace kwadrill
