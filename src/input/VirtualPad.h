#pragma once

#include <QFileSystemWatcher>
#include <QString>
#include <QStringList>

#include <SDL_joystick.h>

namespace kwadrill {

// A game controller that exists only in SDL: plugged in by the tests, and
// by the tests' build of the game's devices module when KWADRILL_VIRTUAL_PAD
// names a script of presses (see PadScript). Needs SDL's game-controller subsystem to be open.
class VirtualPad {
public:
    VirtualPad();   // plugs it in
    ~VirtualPad();  // unplugs it
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool Plugged() const { return joystick_ != nullptr; }
    SDL_JoystickID Id() const;
    // Take effect at SDL's next joystick update (the watcher's next pump).
    bool SetButton(int button, bool down);  // SDL_GameControllerButton
    bool SetAxis(int axis, int value);      // SDL_GameControllerAxis, -32768 .. 32767
    void Unplug();
    // The pad's state as SDL's last joystick update saw it.
    bool ButtonShown(int button) const;
    int AxisShown(int axis) const;

private:
    SDL_Joystick* joystick_ = nullptr;
};

// Reads a file that grows while the game runs and plays it on a virtual pad,
// one line per call, so that every change is seen by a pump of its own:
//   button <name> <1|0>     a button down or up (SDL's names: a, b, back, start, dpleft, ...)
//   axis <name> <value>     an axis moved (leftx, lefty)
//   unplug                  the pad goes away
// A line not understood is skipped. The file is read when it changes, so an
// idle script costs nothing. Test-only: the shipped module never reads one.
class PadScript {
public:
    explicit PadScript(QString path);
    // Plays the next complete line, if there is one.
    void PlayNextLine();
    const VirtualPad& Pad() const { return pad_; }

private:
    void ReadNewLines();
    void Play(const QString& line);

    QString path_;
    qint64 offset_ = 0;
    QStringList lines_;  // read, not yet played
    QFileSystemWatcher watcher_;
    VirtualPad pad_;
};

}  // namespace kwadrill
