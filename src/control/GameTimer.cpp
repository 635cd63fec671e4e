#include "GameTimer.h"

#include <algorithm>
#include <utility>

namespace kwadrill {

GameTimer::GameTimer(int intervalMs, bool enabled, std::function<void()> onTimeout)
    : interval_(intervalMs) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(Period());
    QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(onTimeout));
    SetEnabled(enabled);
}

void GameTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_) {
        return;
    }
    interval_ = milliseconds;
    timer_.setInterval(Period());  // QTimer restarts an active timer here
}

void GameTimer::SetSpeed(int factor) {
    if (factor == speed_ || factor < 1) {
        return;
    }
    speed_ = factor;
    timer_.setInterval(Period());
}

int GameTimer::Period() const {
    return std::max(1, interval_ / speed_);
}

void GameTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (enabled_) {
        timer_.start(Period());
    } else {
        timer_.stop();
    }
}

}  // namespace kwadrill
