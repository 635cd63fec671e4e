#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <optional>

#include "GameSandbox.h"
#include "GameWindowDriver.h"
#include "XWindows.h"

// Names of their own: the files of this suite are compiled in one batch.
namespace focus_end_to_end {

using Cells = GameWindowDriver::Cells;

// Only a hung game or window manager reaches these.
constexpr int kWindowTimeoutMs = 30000;
constexpr int kSeenTimeoutMs = 20000;
// The long pause below takes some five seconds here, and the pause screen's
// ticks come late on a loaded machine (a sanitizer build beside another).
constexpr int kLongPauseTimeoutMs = 180000;
constexpr int kLookEveryMs = 20;
constexpr int kStartButton = 0;
// The band of the pause notice lies across the middle of the well: the cells
// of its middle row are covered, and only its text is pure white there.
constexpr int kNoticeRow = 8;
constexpr QPoint kWellOrigin{136, 4};
constexpr int kCellSize = 21;
// While paused, the well fills with random blocks, one per fast tick. This
// many of them showing takes about a hundred fast ticks, some seven main
// ticks in which a running game would have let the piece fall seven rows.
constexpr int kLongPauseBlocks = 60;
// The piece was last seen at most this many rows above where it shows after
// the resume: the row it had when the pause came, and the one row of the
// main tick that redraws the well after the resume.
constexpr int kRowsAcrossThePause = 2;

// The window manager of the test's display: the focus then goes where a
// desktop sends it. Stopped when the test ends.
class WindowManager {
public:
    bool Start() {
        process_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!process_.waitForStarted()) return false;
        const QDeadlineTimer deadline(kWindowTimeoutMs);
        while (!WindowManagerRunning()) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return false;
            QThread::msleep(kLookEveryMs);
        }
        return true;
    }
    ~WindowManager() {
        process_.terminate();
        if (!process_.waitForFinished(kWindowTimeoutMs)) process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
};

struct Piece {
    int column = 0;  // 1-based, left block
    int row = 0;
};

// Three blocks side by side, the only blocks in a well that reads whole.
std::optional<Piece> LonePiece(const Cells& cells) {
    std::optional<Piece> piece;
    int blocks = 0;
    for (int c = 0; c < GameWindowDriver::kColumns; ++c) {
        for (int r = 0; r < GameWindowDriver::kRows; ++r) {
            if (cells[c][r] < 0) return std::nullopt;
            if (cells[c][r] == 0) continue;
            ++blocks;
            if (!piece) piece = Piece{c + 1, r + 1};
        }
    }
    if (blocks != 3 || !piece || piece->column > GameWindowDriver::kColumns - 2) {
        return std::nullopt;
    }
    for (int k = 1; k < 3; ++k) {
        if (cells[piece->column - 1 + k][piece->row - 1] <= 0) return std::nullopt;
    }
    return piece;
}

int CountBlocks(const Cells& cells) {
    int blocks = 0;
    for (const auto& column : cells) {
        for (const int value : column) blocks += value > 0 ? 1 : 0;
    }
    return blocks;
}

// The notice shows: its band hides the cells of the middle row, and white
// text stands on it.
bool NoticeShows(const QImage& screen, const Cells& cells) {
    for (int c = 0; c < GameWindowDriver::kColumns; ++c) {
        if (cells[c][kNoticeRow - 1] >= 0) return false;
    }
    const QRect row(kWellOrigin + QPoint(0, (kNoticeRow - 1) * kCellSize),
                    QSize(GameWindowDriver::kColumns * kCellSize, kCellSize));
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = row.left(); x <= row.right(); ++x) {
            if (screen.pixel(x, y) == qRgb(255, 255, 255)) return true;
        }
    }
    return false;
}

// Looks at the well until the probe is satisfied; false only when the game hangs.
bool Watch(const GameWindowDriver& game,
           const std::function<bool(const QImage&, const Cells&)>& probe,
           int timeoutMs = kSeenTimeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QImage screen = game.Grab();
        if (!screen.isNull() && probe(screen, game.ReadWell(screen))) return true;
        QThread::msleep(kLookEveryMs);
    }
    return false;
}

// Another program takes the focus during a game: the game pauses at once and
// the well says so. The focus coming back leaves it paused however long the
// pause lasts; P resumes it where it stood.
TEST(FocusEndToEnd, AnotherProgramTakingTheFocusPausesUntilP) {
    WindowManager windowManager;
    ASSERT_TRUE(windowManager.Start()) << "openbox did not come up (package openbox)";
    // Up before the game, so that taking the focus later is one request.
    OtherClientWindow other(QStringLiteral("Another program"));
    ASSERT_FALSE(other.Id().isEmpty());
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";
    GameWindowDriver::Activate(game.WindowId());
    game.ClickButton(kStartButton);
    std::optional<Piece> seen;
    ASSERT_TRUE(Watch(game, [&](const QImage&, const Cells& cells) {
        seen = LonePiece(cells);
        return seen.has_value();
    })) << "no piece appeared after Start";

    GameWindowDriver::Activate(other.Id());
    // Until the pause shows, the piece is followed: where it was last seen
    // is where the pause found it.
    ASSERT_TRUE(Watch(game, [&](const QImage& screen, const Cells& cells) {
        if (const auto piece = LonePiece(cells)) seen = piece;
        return NoticeShows(screen, cells);
    })) << "the game did not pause when another window took the focus";
    const Piece paused = *seen;

    GameWindowDriver::Activate(game.WindowId());
    EXPECT_TRUE(Watch(
        game,
        [](const QImage& screen, const Cells& cells) {
            return !NoticeShows(screen, cells) || CountBlocks(cells) >= kLongPauseBlocks;
        },
        kLongPauseTimeoutMs));
    const QImage afterFocusCameBack = game.Grab();
    ASSERT_TRUE(NoticeShows(afterFocusCameBack, game.ReadWell(afterFocusCameBack)))
        << "the game resumed by itself when the focus came back";

    GameWindowDriver::Key(QStringLiteral("p"));
    std::optional<Piece> resumed;
    ASSERT_TRUE(Watch(game, [&](const QImage&, const Cells& cells) {
        resumed = LonePiece(cells);
        return resumed.has_value();
    })) << "P did not resume the game";
    std::cout << "[          ] paused at row " << paused.row << ", on again at row " << resumed->row
              << "\n";
    EXPECT_EQ(resumed->column, paused.column);
    EXPECT_GE(resumed->row, paused.row);
    EXPECT_LE(resumed->row, paused.row + kRowsAcrossThePause)
        << "the piece fell on during the pause";

    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());
}

}  // namespace focus_end_to_end
