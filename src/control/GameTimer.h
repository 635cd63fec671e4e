#pragma once

#include <QTimer>

#include <functional>

namespace kwadrill {

// One of the three periodic ticks: a precise QTimer with its interval and
// whether it is switched on.
class GameTimer {
public:
    GameTimer(int intervalMs, bool enabled, std::function<void()> onTimeout);

    int Interval() const { return interval_; }
    // A new interval on a running timer starts its period anew.
    void SetInterval(int milliseconds);

    // A replay watched n times faster ticks n times as often; Interval()
    // stays the game's own.
    void SetSpeed(int factor);
    // How often it really ticks: the interval at the speed.
    int Period() const;

    bool Enabled() const { return enabled_; }
    // Switching a timer on again starts its period anew; switching it to the
    // state it already has changes nothing.
    void SetEnabled(bool enabled);

private:
    QTimer timer_;
    int interval_;
    int speed_ = 1;
    bool enabled_ = false;
};

}  // namespace kwadrill
