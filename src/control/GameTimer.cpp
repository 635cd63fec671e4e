#include "GameTimer.h"

#include <utility>

namespace kwadrill {

GameTimer::GameTimer(int intervalMs, bool enabled, std::function<void()> onTimeout)
    : interval_(intervalMs) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(interval_);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(onTimeout));
    SetEnabled(enabled);
}

void GameTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_) {
        return;
    }
    interval_ = milliseconds;
    timer_.setInterval(interval_);  // QTimer restarts an active timer here
}

void GameTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (enabled_) {
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

}  // namespace kwadrill
