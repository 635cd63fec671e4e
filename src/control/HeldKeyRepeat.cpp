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

// The keyboard repeats a key as a release and a press of one time stamp.
// Qt marks them as repeats only when it sees the press waiting as it reads the
// release, which a busy machine or a synthetic keyboard often prevents; the
// time stamps tell them all.
bool HeldKeyRepeat::KeyDown(int qtKey, bool autoRepeat, unsigned long time) {
    if (!active_ || !Repeats(qtKey)) {
        return true;
    }
    const int key = LatinLayoutKey(qtKey);
    if (autoRepeat || (key == releasedKey_ && time == releaseTime_)) {
        if (key == LatinLayoutKey(heldKey_)) {
            releasePending_ = false;
        }
        return false;
    }
    heldKey_ = qtKey;
    releasePending_ = false;
    timer_.start(delayMs_);
    return true;
}

void HeldKeyRepeat::KeyUp(int qtKey, bool autoRepeat, unsigned long time) {
    if (autoRepeat || !Repeats(qtKey)) {
        return;
    }
    releasedKey_ = LatinLayoutKey(qtKey);
    releaseTime_ = time;
    if (timer_.isActive() && releasedKey_ == LatinLayoutKey(heldKey_)) {
        releasePending_ = true;
    }
}

void HeldKeyRepeat::Stop() {
    timer_.stop();
    heldKey_ = 0;
    releasePending_ = false;
}

void HeldKeyRepeat::Tick() {
    if (heldKey_ == 0 || releasePending_) {
        Stop();  // it was let go
        return;
    }
    timer_.start(intervalMs_);
    press_(heldKey_);
}

}  // namespace kwadrill
