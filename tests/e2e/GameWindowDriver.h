#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

#include "GameProcess.h"

class GameSandbox;

// Runs a copy of the game in the X server of the test, as a player would use
// it: keys and clicks through xdotool, the screen read back from the server,
// windows found by their captions. The game lives in
// a sandbox of its own (home, config, data and runtime directories, its own
// copy of the executable).
class GameWindowDriver {
public:
    static constexpr int kColumns = 9;
    static constexpr int kRows = 15;
    using Cells = std::array<std::array<int, kRows>, kColumns>;  // [column-1][row-1], -1 unknown

    // How the game is drawn `scale` times larger: by the desktop (a device
    // pixel ratio, QT_SCALE_FACTOR) or by its own zoom (--zoom).
    enum class Scaling { Desktop, Zoom };

    explicit GameWindowDriver(const GameSandbox& sandbox, int scale = 1,
                              Scaling scaling = Scaling::Desktop);

    bool Start(const QStringList& arguments = {});
    GameProcess& Process() { return game_; }

    // The game's main window, found by its caption, once it has been painted.
    bool FindMainWindow(int timeoutMs);
    QString WindowId() const { return windowId_; }
    // The visible window with exactly this caption, or an empty id after the timeout.
    static QString FindWindow(const QString& caption, int timeoutMs);
    static bool WaitUntilGone(const QString& windowId, int timeoutMs);
    static void Focus(const QString& windowId);
    // Asks the window manager to raise the window and give it the focus, as
    // a click on it in a task bar would; returns once it has the focus.
    static void Activate(const QString& windowId);
    // A click on the window's close box, as a window manager would pass it on.
    static bool RequestClose(const QString& windowId);

    // Positions are in the main window's layout pixels (before scaling).
    void Click(QPoint clientPos) const { ClickIn(windowId_, clientPos); }
    void ClickIn(const QString& windowId, QPoint clientPos) const;
    void ClickButton(int placeFromTop) const;  // 0 = the top button of the panel
    static void Key(const QString& keysym);
    static void Keys(const QStringList& keysyms);
    static void Type(const QString& text);

    QImage Grab() const { return Grab(windowId_); }
    static QImage Grab(const QString& windowId);
    // Which cell picture (0 empty, 1..7 block type) each cell of the well shows.
    Cells ReadWell() const { return ReadWell(Grab()); }
    Cells ReadWell(const QImage& screen) const;
    // The seven digits of the score counter, "?" for a digit not recognised.
    QString ReadScore(const QImage& screen) const;
    // What the counter shows at one of its seven places (0 = leftmost).
    QImage CounterDigit(const QImage& screen, int place) const;

private:
    int scale_;
    Scaling scaling_;
    GameProcess game_;
    QString windowId_;
    std::vector<QImage> cellPictures_;
    std::vector<QImage> digitPictures_;
};
