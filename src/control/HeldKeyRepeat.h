#pragma once

#include <QTimer>

#include <functional>
#include <optional>

namespace kwadrill {

// The game's own repeat of a held shift key, for a player who has set a
// repeat delay or rate: the keyboard's auto-repeat belongs to the system, so
// its repeats of the two shift keys are dropped and these take their place,
// the first after the delay, then one per interval while the key stays
// down. With neither value set nothing is dropped and the keyboard repeats
// as it always did. Only the shift key pressed last repeats; another key
// leaves it repeating, so a piece can be cycled while it slides.
class HeldKeyRepeat {
public:
    // press: gives a key to the game, as a key-down would.
    explicit HeldKeyRepeat(std::function<void(int qtKey)> press);
    HeldKeyRepeat(const HeldKeyRepeat&) = delete;
    HeldKeyRepeat& operator=(const HeldKeyRepeat&) = delete;

    // The two keys that repeat and the player's values; a value not set is
    // the system's. Lets go of a key that repeats.
    void Configure(int leftKey, int rightKey, std::optional<int> delayMs,
                   std::optional<int> perSecond, int systemDelayMs, int systemPerSecond);
    // The player has set a value: the game repeats, not the keyboard.
    bool Active() const { return active_; }

    // A key of the keyboard went down (autoRepeat: Qt saw the keyboard
    // repeat it; time: the event's time stamp). False for a repeat that this
    // one replaces: the game must not take it.
    bool KeyDown(int qtKey, bool autoRepeat, unsigned long time);
    void KeyUp(int qtKey, bool autoRepeat, unsigned long time);
    // Lets go: the window no longer has the keyboard.
    void Stop();

    // The repeat's tick; tests call it in place of waiting.
    void Tick();
    bool Repeating() const { return timer_.isActive() && !releasePending_; }
    int NextTickMs() const { return timer_.interval(); }

private:
    bool Repeats(int qtKey) const;

    std::function<void(int)> press_;
    QTimer timer_;
    bool active_ = false;
    int leftKey_ = 0;
    int rightKey_ = 0;
    int delayMs_ = 0;
    int intervalMs_ = 0;
    int heldKey_ = 0;  // as it was pressed
    // The last release of a shift key, which may turn out to be the
    // keyboard's repeat: the timer lets go only if no press of it follows.
    int releasedKey_ = 0;
    unsigned long releaseTime_ = 0;
    bool releasePending_ = false;
};

}  // namespace kwadrill
