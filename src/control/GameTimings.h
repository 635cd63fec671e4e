#pragma once

namespace kwadrill {

// Periods of the three ticks, in milliseconds.
inline constexpr int kMainTickIdleMs = 1000;  // until the first game starts
inline constexpr int kMainTickGameMs = 800;   // from every Start, shortened at each level-up
inline constexpr int kFastTickMs = 50;
inline constexpr int kSoundDelayTickMs = 50;

// A new level is announced by the level label blinking for this many fast ticks.
inline constexpr int kLevelBlinkTicks = 80;
// The destruction animation shows this many frames, one per fast tick.
inline constexpr int kDestructionFrames = 11;
inline constexpr int kDestructionAnimSets = 3;
// Sound-delay ticks that hold the main tick after a drop sound.
inline constexpr int kDropDelayTicks = 6;
// The score counter rolls by this step while it is further off than that.
inline constexpr int kScoreRollStep = 7;

}  // namespace kwadrill
