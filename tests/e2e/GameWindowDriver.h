#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <optional>
#include <vector>

// Runs a copy of the game in the X server of the test, as a player would use
// it: keys and clicks through xdotool, the screen read back through
// ImageMagick's import. Every run has its own home, config, data and runtime
// directories and its own copy of the executable.
class GameWindowDriver {
public:
    static constexpr int kColumns = 9;
    static constexpr int kRows = 15;
    using Cells = std::array<std::array<int, kRows>, kColumns>;   // [column-1][row-1], -1 unknown

    explicit GameWindowDriver(const QTemporaryDir& home);
    ~GameWindowDriver();

    bool Start(const QStringList& arguments = {});
    bool WaitForExit(int milliseconds);
    void Terminate();
    QProcess& Process() { return game_; }

    // The game's main window, found by its caption.
    bool FindMainWindow(int timeoutMs);
    QString WindowId() const { return windowId_; }

    void Click(QPoint clientPos);
    void ClickButton(int placeFromTop);   // 0 = the top button of the panel
    void Key(const QString& keysym);
    void Type(const QString& text);

    QImage Grab() const;
    // Which cell picture (0 empty, 1..7 block type) each cell of the well shows.
    Cells ReadWell() const;

    QString ExecutableDir() const;
    QString Path(const QString& relative) const;

private:
    static QString Run(const QString& program, const QStringList& arguments, int timeoutMs = 10000);

    const QTemporaryDir& home_;
    QProcess game_;
    QString windowId_;
    std::vector<QImage> cellPictures_;
};
