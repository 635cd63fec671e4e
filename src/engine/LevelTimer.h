#pragma once

namespace kwadrill {

// What a level-up changes on the main timer: its interval (the fall speed)
// and its tag (the countdown of the blinking level announcement).
class LevelTimer {
public:
    virtual ~LevelTimer() = default;
    virtual int Interval() const = 0;
    virtual void SetInterval(int milliseconds) = 0;
    virtual void SetTag(int tag) = 0;
};

}  // namespace kwadrill
