#include "HeldKeyRepeat.h"

#include <algorithm>
#include <utility>

#include "PlayerSettings.h"

namespace kwadrill {

HeldKeyRepeat::HeldKeyRepeat(std::function<void(int qtKey)> press) : press_(std::move(press)) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

void HeldKeyRepeat::Configure(int leftKey, int rightKey, std::optional<int> delayMs,
                              std::optional<int> perSecond, int systemDelayMs,
                              int systemPerSecond) {
    Stop();
    active_ = delayMs.has_value() || perSecond.has_value();
    leftKey_ = leftKey;
    rightKey_ = rightKey;
    delayMs_ = delayMs.value_or(systemDelayMs);
    intervalMs_ = std::max(1, 1000 / std::max(1, perSecond.value_or(systemPerSecond)));
}

bool HeldKeyRepeat::Repeats(int qtKey) const {
    const int key = LatinLayoutKey(qtKey);
    return key == leftKey_ || key == rightKey_;
}

bool HeldKeyRepeat::KeyDown(int qtKey, bool autoRepeat) {
    if (!active_ || !Repeats(qtKey)) {
        return true;
    }
    if (autoRepeat) {
        return false;
    }
    heldKey_ = qtKey;
    timer_.start(delayMs_);
    return true;
}

void HeldKeyRepeat::KeyUp(int qtKey, bool autoRepeat) {
    // The keyboard's repeat comes as a release and a press: only a real
    // release lets go.
    if (!autoRepeat && Repeating() && LatinLayoutKey(qtKey) == LatinLayoutKey(heldKey_)) {
        Stop();
    }
}

void HeldKeyRepeat::Stop() {
    timer_.stop();
    heldKey_ = 0;
}

void HeldKeyRepeat::Tick() {
    if (heldKey_ == 0) {
        return;
    }
    timer_.start(intervalMs_);
    press_(heldKey_);
}

}  // namespace kwadrill
