#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <optional>

#include "GameSandbox.h"
#include "GameWindowDriver.h"

// Names of their own: the files of this suite are compiled in one batch.
namespace gamepad_end_to_end {

using Cells = GameWindowDriver::Cells;

// Only a hung game reaches these.
constexpr int kWindowTimeoutMs = 30000;
constexpr int kSeenTimeoutMs = 20000;
constexpr int kLookEveryMs = 20;

// The three blocks of a piece side by side, the only blocks in the well.
struct LonePiece {
    int column = 0;  // 1-based, left block
    int row = 0;
    std::array<int, 3> types{};
};

std::optional<LonePiece> FindPiece(const Cells& cells) {
    std::optional<LonePiece> piece;
    int blocks = 0;
    for (int c = 0; c < GameWindowDriver::kColumns; ++c) {
        for (int r = 0; r < GameWindowDriver::kRows; ++r) {
            if (cells[c][r] < 0) return std::nullopt;  // a cell not read
            if (cells[c][r] == 0) continue;
            ++blocks;
            if (!piece) piece = LonePiece{c + 1, r + 1, {}};
        }
    }
    if (blocks != 3 || !piece || piece->column > GameWindowDriver::kColumns - 2) {
        return std::nullopt;
    }
    for (int k = 0; k < 3; ++k) {
        const int type = cells[piece->column - 1 + k][piece->row - 1];
        if (type <= 0) return std::nullopt;
        piece->types[k] = type;
    }
    return piece;
}

std::optional<LonePiece> WaitForPiece(const GameWindowDriver& game,
                                      const std::function<bool(const LonePiece&)>& wanted) {
    const QDeadlineTimer deadline(kSeenTimeoutMs);
    while (!deadline.hasExpired()) {
        const auto piece = FindPiece(game.ReadWell());
        if (piece && wanted(*piece)) return piece;
        QThread::msleep(kLookEveryMs);
    }
    return std::nullopt;
}

// The game plays each line of the script on its virtual pad as it appears.
void Append(const QString& script, const QByteArray& lines) {
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::Append));
    ASSERT_EQ(file.write(lines), lines.size());
}

QByteArray Tap(const char* button) {
    return QByteArray("button ") + button + " 1\nbutton " + button + " 0\n";
}

void Keep(const QImage& screen, const QString& name) {
    const QString path = QDir::current().absoluteFilePath(name);
    if (screen.save(path)) std::cout << "[          ] screenshot: " << qPrintable(path) << '\n';
}

// A pad alone: Back starts the game, the D-pad moves the piece, A cycles it.
TEST(GamepadEndToEnd, AVirtualPadStartsTheGameMovesAndCyclesThePiece) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    ASSERT_TRUE(sandbox.InstallDevicesModule(GameSandbox::DevicesModule::ScriptedPad));
    const QString script = sandbox.Path(QStringLiteral("pad-presses"));
    // Back is there from the start: the game must hold it back until the pad
    // has been seen, or the press is lost.
    ASSERT_TRUE(sandbox.WriteFile(script, Tap("back")));
    GameWindowDriver game(sandbox);
    game.Process().SetEnvironmentValue(QStringLiteral("KWADRILL_VIRTUAL_PAD"), script);
    game.Process().CaptureStandardError();
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";

    const auto spawned = WaitForPiece(game, [](const LonePiece&) { return true; });
    ASSERT_TRUE(spawned) << "Back on the pad did not start a game; the game said: "
                         << game.Process().StandardError().toStdString();
    Keep(game.Grab(), QStringLiteral("gamepad-spawned-piece.png"));

    const bool atLeftWall = spawned->column == 1;
    Append(script, Tap(atLeftWall ? "dpright" : "dpleft"));
    const int column = spawned->column + (atLeftWall ? 1 : -1);
    const auto moved =
        WaitForPiece(game, [column](const LonePiece& piece) { return piece.column == column; });
    ASSERT_TRUE(moved) << "the D-pad did not move the piece one column";
    Keep(game.Grab(), QStringLiteral("gamepad-moved-piece.png"));

    Append(script, Tap("a"));
    const std::array<int, 3> cycled{spawned->types[2], spawned->types[0], spawned->types[1]};
    EXPECT_TRUE(WaitForPiece(game, [&](const LonePiece& piece) {
        return piece.column == column && piece.types == cycled;
    })) << "A did not cycle the piece";
}

}  // namespace gamepad_end_to_end
