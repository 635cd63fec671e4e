#pragma once

#include <QTimer>

#include <functional>

#include "LevelTimer.h"

namespace kwadrill {

// One of the three periodic ticks: a precise QTimer with its interval, whether
// it is switched on, and the Tag countdown the game keeps on it.
class GameTimer : public LevelTimer {
public:
    GameTimer(int intervalMs, bool enabled, std::function<void()> onTimeout);

    int Interval() const override { return interval_; }
    // A new interval on a running timer starts its period anew.
    void SetInterval(int milliseconds) override;

    bool Enabled() const { return enabled_; }
    // Switching a timer on again starts its period anew; switching it to the
    // state it already has changes nothing.
    void SetEnabled(bool enabled);

    int Tag() const { return tag_; }
    void SetTag(int tag) override { tag_ = tag; }

private:
    QTimer timer_;
    int interval_;
    bool enabled_ = false;
    int tag_ = 0;
};

}  // namespace kwadrill
