#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "GameSandbox.h"
#include "GameWindowDriver.h"
#include "ReplayFile.h"
#include "ScriptedPlayer.h"
#include "SessionSteps.h"
#include "TowerPlayer.h"
#include "XWindows.h"

namespace {

using Cells = GameWindowDriver::Cells;

constexpr int kStartButton = 0;
constexpr int kHighScoresButton = 2;
constexpr int kLanguageButton = 7;
constexpr QPoint kRussianItem{90, 19};  // second line of the language list
// Only a hung game reaches these waits; a loaded machine stays far below them.
constexpr int kWindowTimeoutMs = 30000;
constexpr int kDialogTimeoutMs = 20000;
// A game of the tower player lasts under a minute here, longer on a loaded
// machine, where the game's own ticks come late.
constexpr int kGameTimeoutMs = 480000;
// Three main ticks before the game has been played.
constexpr int kNoSecondBoxWithinMs = 3000;
constexpr int kLookForBoxEveryMs = 300;
// How often the player looks at the well.
constexpr int kPlayPollMs = 20;
constexpr int kPollMs = 50;
const QString kPlayerName = QStringLiteral("Tester");
const QString kNoScore = QStringLiteral("0000000");

struct Piece {
    int column = 0;  // 1-based column of the left block
    int row = 0;
};

// A piece of three blocks side by side, the only blocks in the well.
std::optional<Piece> FindLonePiece(const Cells& cells) {
    std::optional<Piece> piece;
    int blocks = 0;
    for (int c = 0; c < GameWindowDriver::kColumns; ++c) {
        for (int r = 0; r < GameWindowDriver::kRows; ++r) {
            if (cells[c][r] > 0) {
                ++blocks;
                if (!piece) {
                    piece = Piece{c + 1, r + 1};
                }
            }
        }
    }
    if (blocks != 3 || !piece || piece->column > 7) {
        return std::nullopt;
    }
    for (int k = 1; k < 3; ++k) {
        if (cells[piece->column - 1 + k][piece->row - 1] <= 0) {
            return std::nullopt;
        }
    }
    return piece;
}

int CountBlocks(const Cells& cells) {
    int blocks = 0;
    for (const auto& column : cells) {
        for (int value : column) {
            blocks += value > 0 ? 1 : 0;
        }
    }
    return blocks;
}

bool AllCellsRead(const Cells& cells) {
    for (const auto& column : cells) {
        for (int value : column) {
            if (value < 0) return false;
        }
    }
    return true;
}

template <typename T>
std::optional<T> PollFor(int timeoutMs, const std::function<std::optional<T>()>& probe) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (auto found = probe()) {
            return found;
        }
        QThread::msleep(kPollMs);
    }
    return std::nullopt;
}

// The width of the yellow text of the high-score window: the marks ">> " and
// " <<" make the line of the newest entry wider.
int YellowTextWidth(const QImage& window) {
    int left = window.width();
    int right = -1;
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const QRgb p = window.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 80) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < 0 ? 0 : right - left + 1;
}

// The width of the table's text once the window has been painted.
int ShownTextWidth(const QString& window) {
    return PollFor<int>(kDialogTimeoutMs,
                        [&]() -> std::optional<int> {
                            const int width = YellowTextWidth(GameWindowDriver::Grab(window));
                            return width > 0 ? std::optional<int>(width) : std::nullopt;
                        })
        .value_or(0);
}

// The well without the three blocks of the falling piece.
Cells WithoutPiece(Cells cells, const TowerPlayer::Piece& piece) {
    for (int k = 0; k < 3; ++k) cells[piece.column + k][piece.row] = 0;
    return cells;
}

// Plays the started game to its end: the game-over box, or an empty id.
// A move is planned once per piece: until the rest of the well changes (the
// piece has landed, wherever the keys took it), what looks like a falling
// piece is the same one on its way, however slowly the keys arrive.
QString PlayUntilGameOver(const GameWindowDriver& game,
                          const QString& boxCaption = QStringLiteral("So miserable...")) {
    std::optional<Cells> wellWhenSent;
    QElapsedTimer sinceLookedForBox;
    sinceLookedForBox.start();
    const QDeadlineTimer deadline(kGameTimeoutMs);
    while (!deadline.hasExpired()) {
        if (sinceLookedForBox.hasExpired(kLookForBoxEveryMs)) {
            const QString box = GameWindowDriver::FindWindow(boxCaption, 0);
            if (!box.isEmpty()) return box;
            sinceLookedForBox.restart();
        }
        QThread::msleep(kPlayPollMs);
        const QImage screen = game.Grab();
        const Cells cells = game.ReadWell(screen);
        const auto piece = TowerPlayer::FindFallingPiece(cells);
        if (!piece || !AllCellsRead(cells)) continue;
        const Cells rest = WithoutPiece(cells, *piece);
        if (wellWhenSent == rest) continue;
        const bool scoreless = game.ReadScore(screen) == kNoScore;
        const TowerPlayer::Move move = TowerPlayer::Plan(cells, *piece, scoreless);
        GameWindowDriver::Keys(TowerPlayer::Keys(move));
        wellWhenSent = rest;
    }
    return {};
}

// Opens a window of the game and returns its id once it shows.
QString OpenFromMainWindow(const GameWindowDriver& game, int button, const QString& caption) {
    GameWindowDriver::Focus(game.WindowId());
    game.ClickButton(button);
    return GameWindowDriver::FindWindow(caption, kDialogTimeoutMs);
}

bool CloseWithKey(const QString& window, const QString& key) {
    GameWindowDriver::Focus(window);
    GameWindowDriver::Key(key);
    return GameWindowDriver::WaitUntilGone(window, kDialogTimeoutMs);
}

// Start is clicked, a piece appears at the top, the left arrow moves it one
// column, "p" pauses and the well fills with random blocks.
TEST(EndToEnd, StartSteerAndPauseInARealWindow) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";

    const Cells empty = game.ReadWell();
    EXPECT_EQ(CountBlocks(empty), 0) << "the well starts empty";

    game.ClickButton(kStartButton);
    const auto spawned =
        PollFor<Piece>(kDialogTimeoutMs, [&] { return FindLonePiece(game.ReadWell()); });
    ASSERT_TRUE(spawned) << "no piece of three blocks appeared after Start";
    EXPECT_LE(spawned->row, 3) << "the piece appears in the top rows";

    const bool atLeftWall = spawned->column == 1;
    game.Key(atLeftWall ? QStringLiteral("Right") : QStringLiteral("Left"));
    const int expectedColumn = spawned->column + (atLeftWall ? 1 : -1);
    const auto moved = PollFor<Piece>(kDialogTimeoutMs, [&]() -> std::optional<Piece> {
        auto piece = FindLonePiece(game.ReadWell());
        return piece && piece->column == expectedColumn ? piece : std::nullopt;
    });
    EXPECT_TRUE(moved) << "the arrow key did not move the piece one column";

    game.Key(QStringLiteral("p"));
    const auto sprinkled = PollFor<int>(kDialogTimeoutMs, [&]() -> std::optional<int> {
        const int blocks = CountBlocks(game.ReadWell());
        return blocks >= 12 ? std::optional<int>(blocks) : std::nullopt;
    });
    EXPECT_TRUE(sprinkled) << "pausing did not sprinkle random blocks over the well";
}

bool IsLit(QRgb pixel) {
    const QColor c(pixel);
    return c.hsvSaturation() > 150 && c.value() > 150;
}

// Pixels of a digit picture lit in one and not in the other.
std::vector<QPoint> SegmentsLitOnlyIn(const QImage& lit, const QImage& unlit) {
    std::vector<QPoint> points;
    for (int y = 0; y < lit.height(); ++y) {
        for (int x = 0; x < lit.width(); ++x) {
            if (IsLit(lit.pixel(x, y)) && !IsLit(unlit.pixel(x, y))) points.emplace_back(x, y);
        }
    }
    return points;
}

double MeanValue(const QImage& image, const std::vector<QPoint>& points) {
    double sum = 0;
    for (const QPoint& p : points) sum += QColor(image.pixel(p)).value();
    return points.empty() ? 0 : sum / double(points.size());
}

// The window offers the game's icon at every size (once it has painted), and
// the counter's unlit segments stand far darker than its lit ones, so a 0
// never reads as an 8.
TEST(EndToEnd, MainWindowShowsTheGameIconAndACounterThatReadsAtAGlance) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";

    const auto icons =
        PollFor<std::vector<QImage>>(kWindowTimeoutMs, [&]() -> std::optional<std::vector<QImage>> {
            std::vector<QImage> offered = WindowIcons(game.WindowId().toULong());
            if (offered.empty()) return std::nullopt;
            return offered;
        });
    ASSERT_TRUE(icons) << "the window never offered an icon";
    QList<int> sizes;
    for (const QImage& icon : *icons) {
        sizes << icon.width();
        const QImage own = QImage(QStringLiteral(":/icons/%1x%1").arg(icon.width()))
                               .convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(icon, own) << "the " << icon.width() << " px icon is not the game's own";
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(size)) << "no " << size << " px window icon";
    }

    const auto shown = PollFor<QImage>(kWindowTimeoutMs, [&]() -> std::optional<QImage> {
        QImage grab = game.Grab();
        return game.ReadScore(grab) == kNoScore ? std::optional<QImage>(grab) : std::nullopt;
    });
    ASSERT_TRUE(shown) << "the counter never showed 0000000";
    const QImage eight(QStringLiteral(":/bitmaps/DG8"));
    const QImage zero(QStringLiteral(":/bitmaps/DG0"));
    const std::vector<QPoint> middle = SegmentsLitOnlyIn(eight, zero);
    QImage dark(zero.size(), QImage::Format_RGB32);
    dark.fill(Qt::black);
    const std::vector<QPoint> litInZero = SegmentsLitOnlyIn(zero, dark);
    ASSERT_FALSE(middle.empty());
    ASSERT_FALSE(litInZero.empty());
    for (int place = 0; place < 7; ++place) {
        const QImage digit = game.CounterDigit(*shown, place);
        EXPECT_LT(MeanValue(digit, middle), MeanValue(digit, litInZero) / 3)
            << "the unlit middle segment of place " << place << " is not dark";
    }
    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
}

// A whole session as a player has it: a game played to its end, a name
// entered, the table with the new entry marked, Russian chosen, the window
// closed with its close box; started again, everything is back.
TEST(EndToEnd, WholeSessionIsFoundAgainAfterARestart) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    int markedWidth = 0;
    QString finalScore;
    {
        GameWindowDriver game(sandbox);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";
        ASSERT_EQ(game.ReadScore(game.Grab()), kNoScore);
        game.ClickButton(kStartButton);
        QElapsedTimer clock;
        clock.start();
        const QString gameOver = PlayUntilGameOver(game);
        ASSERT_FALSE(gameOver.isEmpty())
            << "the game did not end within " << kGameTimeoutMs << " ms";
        std::cout << "[          ] the game ended after " << clock.elapsed() << " ms\n";
        finalScore = game.ReadScore(game.Grab());

        GameWindowDriver::Focus(gameOver);
        GameWindowDriver::Key(QStringLiteral("Return"));
        const QString nameEntry =
            GameWindowDriver::FindWindow(QStringLiteral("Congratulations!!!"), kDialogTimeoutMs);
        ASSERT_FALSE(nameEntry.isEmpty()) << "no name was asked for: did the score earn a place?";
        GameWindowDriver::Focus(nameEntry);
        GameWindowDriver::Type(kPlayerName);
        GameWindowDriver::Key(QStringLiteral("Return"));

        const QString table =
            GameWindowDriver::FindWindow(QStringLiteral("Our greatest winners"), kDialogTimeoutMs);
        ASSERT_FALSE(table.isEmpty()) << "the high-score window did not follow the name";
        EXPECT_EQ(GameWindowDriver::Grab(table).size(), QSize(426, 330));
        markedWidth = ShownTextWidth(table);
        EXPECT_GT(markedWidth, 0) << "the table shows no entry";
        ASSERT_TRUE(CloseWithKey(table, QStringLiteral("Escape")));

        const QString language =
            OpenFromMainWindow(game, kLanguageButton, QStringLiteral("Select language"));
        ASSERT_FALSE(language.isEmpty()) << "the language dialog did not open";
        game.ClickIn(language, kRussianItem);
        ASSERT_TRUE(CloseWithKey(language, QStringLiteral("Return")));
        const QString russianTable =
            OpenFromMainWindow(game, kHighScoresButton, QStringLiteral("Наши победители"));
        ASSERT_FALSE(russianTable.isEmpty()) << "no Russian caption after choosing Russian";
        ASSERT_TRUE(CloseWithKey(russianTable, QStringLiteral("Escape")));

        ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
        ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs))
            << "the close box did not close";
        EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());
    }

    RecordBytes backup;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
    EXPECT_EQ(backup.Name(1), kPlayerName.toLatin1());
    EXPECT_GT(backup.Score(1), 0);
    EXPECT_EQ(QString::number(backup.Score(1)).rightJustified(7, u'0'), finalScore)
        << "the entry holds the score the counter showed at the end";
    EXPECT_EQ(backup.Score(2), 0) << "one game, one entry";
    EXPECT_EQ(backup.LastName(), kPlayerName.toLatin1());
    const StoreValues store = ReadStore(sandbox.StorePath());
    EXPECT_EQ(store.language.toString(), QStringLiteral("1"));
    EXPECT_EQ(store.table.toByteArray(), backup.Table());

    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never came back";
    const QString table =
        OpenFromMainWindow(game, kHighScoresButton, QStringLiteral("Наши победители"));
    ASSERT_FALSE(table.isEmpty()) << "the language did not come back";
    const int unmarkedWidth = ShownTextWidth(table);
    EXPECT_GT(unmarkedWidth, 0) << "the entry did not come back";
    EXPECT_LT(unmarkedWidth, markedWidth) << "a new run marks no entry";
    ASSERT_TRUE(CloseWithKey(table, QStringLiteral("Escape")));
    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());
    RecordBytes again;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), again));
    EXPECT_EQ(again.Table(), backup.Table());
}

// The replay sign under the control panel: a red plate while a replay
// plays, a grey one once it has ended. Read down a column near its left
// edge, clear of its text.
enum class ReplaySignShown { None, Playing, Ended };

ReplaySignShown ReadReplaySign(const QImage& window) {
    constexpr int kPlateColumn = 8;
    constexpr int kBelowCounter = 252;
    for (int y = kBelowCounter; y < window.height(); ++y) {
        const QRgb p = window.pixel(kPlateColumn, y) & 0xffffff;
        if (p == (qRgb(160, 0, 0) & 0xffffff)) return ReplaySignShown::Playing;
        if (p == (qRgb(72, 72, 80) & 0xffffff)) return ReplaySignShown::Ended;
    }
    return ReplaySignShown::None;
}

// A game played to its end keeps its replay, which the command line finds
// consistent; chosen with Return in the high-score window, it plays in the
// main window (at 4x) to its end, where the well and the counter show what
// the game ended with, and the table is as it was.
TEST(EndToEnd, AGamesReplayIsWatchedFromTheTableToItsEnd) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";
    game.ClickButton(kStartButton);
    const QString gameOver = PlayUntilGameOver(game);
    ASSERT_FALSE(gameOver.isEmpty()) << "the game did not end within " << kGameTimeoutMs << " ms";
    ASSERT_TRUE(CloseWithKey(gameOver, QStringLiteral("Return")));
    const QString nameEntry =
        GameWindowDriver::FindWindow(QStringLiteral("Congratulations!!!"), kDialogTimeoutMs);
    ASSERT_FALSE(nameEntry.isEmpty()) << "no name was asked for: did the score earn a place?";
    GameWindowDriver::Focus(nameEntry);
    GameWindowDriver::Type(kPlayerName);
    GameWindowDriver::Key(QStringLiteral("Return"));
    const QString firstTable =
        GameWindowDriver::FindWindow(QStringLiteral("Our greatest winners"), kDialogTimeoutMs);
    ASSERT_FALSE(firstTable.isEmpty());
    ASSERT_TRUE(CloseWithKey(firstTable, QStringLiteral("Escape")));

    // The game's end, as the well and the counter show it.
    const auto ended = PollFor<QImage>(kDialogTimeoutMs, [&]() -> std::optional<QImage> {
        QImage grab = game.Grab();
        if (!AllCellsRead(game.ReadWell(grab)) || game.ReadScore(grab).contains(u'?')) {
            return std::nullopt;
        }
        return grab;
    });
    ASSERT_TRUE(ended) << "the well or the counter could not be read after the game";
    const Cells finalWell = game.ReadWell(*ended);
    const QString finalScore = game.ReadScore(*ended);
    const RecordBytes before = [&] {
        RecordBytes backup;
        EXPECT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
        return backup;
    }();

    const QDir replays(sandbox.Path(QStringLiteral("data/QZ's Kwadrill/replays")));
    const QStringList kept = replays.entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1) << qPrintable(kept.join(u' '));
    EXPECT_TRUE(kept.first().startsWith(QString::number(finalScore.toInt()) + u'-'))
        << qPrintable(kept.first());
    QProcess verify;
    verify.start(sandbox.ExecutablePath(),
                 {QStringLiteral("--verify-replay"), replays.filePath(kept.first())});
    ASSERT_TRUE(verify.waitForFinished(kWindowTimeoutMs));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().constData();
    EXPECT_TRUE(QString::fromUtf8(verify.readAllStandardOutput())
                    .startsWith(QStringLiteral("score %1, level ").arg(finalScore.toInt())));

    const QString table =
        OpenFromMainWindow(game, kHighScoresButton, QStringLiteral("Our greatest winners"));
    ASSERT_FALSE(table.isEmpty());
    ASSERT_TRUE(CloseWithKey(table, QStringLiteral("Return"))) << "Return did not start the replay";
    const auto playing = PollFor<int>(kDialogTimeoutMs, [&]() -> std::optional<int> {
        return ReadReplaySign(game.Grab()) == ReplaySignShown::Playing ? std::optional<int>(1)
                                                                       : std::nullopt;
    });
    ASSERT_TRUE(playing) << "no sign that a replay plays";
    GameWindowDriver::Focus(game.WindowId());
    GameWindowDriver::Key(QStringLiteral("4"));

    const auto watched = PollFor<QImage>(kGameTimeoutMs, [&]() -> std::optional<QImage> {
        QImage grab = game.Grab();
        return ReadReplaySign(grab) == ReplaySignShown::Ended ? std::optional<QImage>(grab)
                                                              : std::nullopt;
    });
    ASSERT_TRUE(watched) << "the replay did not come to its end";
    EXPECT_EQ(game.ReadWell(*watched), finalWell);
    EXPECT_EQ(game.ReadScore(*watched), finalScore);

    GameWindowDriver::Key(QStringLiteral("Escape"));
    EXPECT_TRUE(PollFor<int>(kDialogTimeoutMs, [&]() -> std::optional<int> {
        return ReadReplaySign(game.Grab()) == ReplaySignShown::None ? std::optional<int>(1)
                                                                    : std::nullopt;
    })) << "Escape did not leave the replay";
    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());
    RecordBytes after;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), after));
    EXPECT_EQ(after.Table(), before.Table()) << "watching changed the table";
    EXPECT_EQ(replays.entryList(QDir::Files), kept);
}

// A game of dropped pieces, kept as a file, watched with --play-replay from
// its start to its end: the well and the counter end as the game did. A
// damaged file is refused in a box that says why, and the game stays usable.
TEST(EndToEnd, AReplayFileIsWatchedFromTheCommandLine) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    kwadrill::test::ScriptedGame played(2026, 12, {.aimsForLines = false, .onlyDrops = true});
    ASSERT_TRUE(played.Play());
    Cells expectedWell{};
    for (int c = 0; c < GameWindowDriver::kColumns; ++c) {
        for (int r = 0; r < GameWindowDriver::kRows; ++r) {
            expectedWell[c][r] = played.GameEngine().board.At(c + 1, r + 1);
        }
    }
    const QString expectedScore =
        QString::number(played.GameEngine().score).rightJustified(7, u'0');
    const QString file = sandbox.Path(QStringLiteral("home/dropped.kwreplay"));
    ASSERT_TRUE(sandbox.WriteFile(file, kwadrill::EncodeReplay(played.Record())));
    {
        GameWindowDriver game(sandbox);
        ASSERT_TRUE(game.Start({QStringLiteral("--play-replay"), file}));
        ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";
        ASSERT_TRUE(PollFor<int>(kDialogTimeoutMs, [&]() -> std::optional<int> {
            return ReadReplaySign(game.Grab()) == ReplaySignShown::Playing ? std::optional<int>(1)
                                                                           : std::nullopt;
        })) << "no sign that a replay plays";
        GameWindowDriver::Focus(game.WindowId());
        GameWindowDriver::Key(QStringLiteral("4"));
        const auto watched = PollFor<QImage>(kGameTimeoutMs, [&]() -> std::optional<QImage> {
            QImage grab = game.Grab();
            return ReadReplaySign(grab) == ReplaySignShown::Ended ? std::optional<QImage>(grab)
                                                                  : std::nullopt;
        });
        ASSERT_TRUE(watched) << "the replay did not come to its end";
        EXPECT_EQ(game.ReadWell(*watched), expectedWell);
        EXPECT_EQ(game.ReadScore(*watched), expectedScore);
        ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
        ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
    }
    QByteArray damaged = kwadrill::EncodeReplay(played.Record());
    damaged[50] = static_cast<char>(damaged[50] ^ 0x01);
    ASSERT_TRUE(sandbox.WriteFile(file, damaged));
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start({QStringLiteral("--play-replay"), file}));
    const QString refused =
        GameWindowDriver::FindWindow(QStringLiteral("Replay"), kWindowTimeoutMs);
    ASSERT_FALSE(refused.isEmpty()) << "no box said why the replay cannot be watched";
    ASSERT_TRUE(CloseWithKey(refused, QStringLiteral("Return")));
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs));
    EXPECT_EQ(ReadReplaySign(game.Grab()), ReplaySignShown::None);
    game.ClickButton(kStartButton);
    EXPECT_TRUE(PollFor<Piece>(kDialogTimeoutMs, [&] { return FindLonePiece(game.ReadWell()); }))
        << "the game does not play after the refusal";
    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
}

struct SessionEnd {
    int signalNumber;
    const char* lastName;      // entered in an earlier run; "" for none
    const char* recordedName;  // what the table must hold
    bool russian;              // the language chosen in an earlier run
};
void PrintTo(const SessionEnd& end, std::ostream* out) {
    *out << sigabbrev_np(end.signalNumber) << ", last name \"" << end.lastName << "\""
         << (end.russian ? ", Russian" : "");
}

// The caption of a box's one button: the rightmost group of dark grey ink in
// the box's bottom band, set apart by a gap from the button's icon.
QRect ButtonCaptionInk(const QImage& box) {
    constexpr int kButtonBand = 40;
    constexpr int kIconGap = 3;
    const int top = std::max(0, box.height() - kButtonBand);
    const auto isInk = [](QRgb p) {
        const QColor c(p);
        return c.value() < 90 && c.hsvSaturation() < 60;
    };
    QRect ink;
    int gap = 0;
    for (int x = box.width() - 1; x >= 0; --x) {
        QRect column;
        for (int y = top; y < box.height(); ++y) {
            if (isInk(box.pixel(x, y))) column |= QRect(x, y, 1, 1);
        }
        if (!column.isEmpty()) {
            ink |= column;
            gap = 0;
        } else if (!ink.isEmpty() && ++gap >= kIconGap) {
            break;
        }
    }
    return ink;
}

class SessionEndsDuringGameOverBox : public ::testing::TestWithParam<SessionEnd> {};

// A logout or shutdown while the game-over box is up: nobody can type a name
// any more, but the finished game's result is kept, under the last name
// entered or, without one, a neutral name.
TEST_P(SessionEndsDuringGameOverBox, TheResultIsKept) {
    const SessionEnd& end = GetParam();
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    RecordBytes earlier;
    earlier.SetSwitches(1, 1);
    earlier.SetLastName(end.lastName);
    ASSERT_TRUE(sandbox.WriteFile(sandbox.BackupPath(), earlier.BackupFile()));
    if (end.russian) {
        ASSERT_TRUE(sandbox.WriteFile(sandbox.StorePath(), "[General]\nlng=1\n"));
    }

    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";
    game.ClickButton(kStartButton);
    const QString gameOver = PlayUntilGameOver(
        game, end.russian ? QStringLiteral("А жаль!") : QStringLiteral("So miserable..."));
    ASSERT_FALSE(gameOver.isEmpty()) << "the game did not end within " << kGameTimeoutMs << " ms";
    const QString finalScore = game.ReadScore(game.Grab());
    if (end.russian) {
        // The button says the game's own word ("Ладно"), not the two letters
        // of Qt's untranslated OK: a caption more than twice as wide as tall.
        const auto ink = PollFor<QRect>(kDialogTimeoutMs, [&]() -> std::optional<QRect> {
            const QRect found = ButtonCaptionInk(GameWindowDriver::Grab(gameOver));
            return found.isEmpty() ? std::nullopt : std::optional<QRect>(found);
        });
        ASSERT_TRUE(ink) << "the game-over box shows no button caption";
        EXPECT_GT(ink->width(), 2 * ink->height())
            << "the button caption is " << ink->width() << " x " << ink->height();
    }

    game.Process().Signal(end.signalNumber);
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs)) << "the game did not close";
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());

    RecordBytes backup;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
    EXPECT_EQ(QString::number(backup.Score(1)).rightJustified(7, u'0'), finalScore);
    EXPECT_EQ(QString::fromUtf8(backup.Name(1)), QString::fromUtf8(end.recordedName));
    EXPECT_EQ(backup.Score(2), 0) << "one game, one entry";
    EXPECT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray(), backup.Table());
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, SessionEndsDuringGameOverBox,
                         ::testing::Values(SessionEnd{SIGTERM, "", "Player", false},
                                           SessionEnd{SIGINT, "Ann", "Ann", true},
                                           SessionEnd{SIGHUP, "", "Player", false}),
                         [](const auto& testInfo) {
                             return std::string(sigabbrev_np(testInfo.param.signalNumber));
                         });

// The end of a session while a start-up box waits for an answer: the game
// still goes down in order, saving what it loaded and removing its music.
TEST(EndToEnd, SessionEndingDuringAStartUpBoxClosesTheGameInOrder) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    ASSERT_TRUE(QDir().mkpath(sandbox.MusicFilePaths().first())) << "a folder where music belongs";
    RecordBytes earlier;
    earlier.SetEntry(1, "Ann", 900, 45000.25);
    earlier.SetSwitches(1, 0);
    ASSERT_TRUE(sandbox.WriteFile(sandbox.BackupPath(), earlier.BackupFile()));
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    ASSERT_FALSE(GameWindowDriver::FindWindow(QStringLiteral("Error!"), kWindowTimeoutMs).isEmpty())
        << "no start-up warning";

    game.Process().Signal(SIGTERM);
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs)) << "the game did not close";
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());
    EXPECT_EQ(kwadrill::test::ReadFileBytes(sandbox.BackupPath()), earlier.BackupFile());
    EXPECT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray(), earlier.Table());
    for (const QString& music : sandbox.MusicFilePaths().mid(1)) {
        EXPECT_FALSE(QFile::exists(music)) << qPrintable(music) << " was left behind";
    }
}

// A hand-edited store of the wrong type is reported in the standard error
// report, captioned with the application title; after OK the game comes up.
TEST(EndToEnd, DamagedStoreIsReportedAloneAndTheGameComesUpAfterOk) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    ASSERT_TRUE(sandbox.WriteFile(sandbox.StorePath(), "[General]\nlng=@ByteArray(1)\n"));
    GameWindowDriver game(sandbox);
    ASSERT_TRUE(game.Start());
    const QString report =
        GameWindowDriver::FindWindow(QStringLiteral("Kwadrill"), kWindowTimeoutMs);
    ASSERT_FALSE(report.isEmpty()) << "no error report";
    // Meanwhile the main tick keeps the music going, before the audio output
    // has been opened: that is no device error.
    EXPECT_TRUE(GameWindowDriver::FindWindow(QStringLiteral("Ошибка звуковой системы"),
                                             kNoSecondBoxWithinMs)
                    .isEmpty())
        << "a music device error was reported while the start-up report was open";
    ASSERT_TRUE(CloseWithKey(report, QStringLiteral("Return")));
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs))
        << "the game did not come up after the report";
    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());
    EXPECT_EQ(ReadStore(sandbox.StorePath()).language.toString(), QStringLiteral("0"))
        << "the store is written sound again";
}

struct UnsavedCase {
    const char* name;
    bool russian;
    QString gameOver, nameEntry, notSaved, table;  // the windows' captions
};
void PrintTo(const UnsavedCase& c, std::ostream* out) {
    *out << c.name;
}

// Gives folders a mode for the test, and their old one back after it.
class FolderModes {
public:
    bool Set(const QString& folder, mode_t mode) {
        struct stat info {};
        const QByteArray native = QFile::encodeName(folder);
        if (::stat(native.constData(), &info) != 0) return false;
        old_.emplace_back(native, info.st_mode & 07777);
        return ::chmod(native.constData(), mode) == 0;
    }
    ~FolderModes() {
        for (const auto& [folder, mode] : old_) ::chmod(folder.constData(), mode);
    }

private:
    std::vector<std::pair<QByteArray, mode_t>> old_;
};

// The X server lets in whoever shows its cookie, which sits in a file of
// root's: the game, run as nobody, gets a copy of its own.
bool LetNobodyUseTheDisplay(const GameSandbox& sandbox, GameProcess& game) {
    constexpr uid_t kNobody = 65534;
    const QString cookies = qEnvironmentVariable("XAUTHORITY");
    if (cookies.isEmpty()) return true;  // none needed
    const QString copy = sandbox.Path(QStringLiteral("home/.Xauthority"));
    if (!sandbox.WriteFile(copy, kwadrill::test::ReadFileBytes(cookies))) return false;
    if (::chown(QFile::encodeName(copy).constData(), kNobody, kNobody) != 0) return false;
    game.SetEnvironmentValue(QStringLiteral("XAUTHORITY"), copy);
    return true;
}

class ResultThatCannotBeSaved : public ::testing::TestWithParam<UnsavedCase> {};

// Neither the backup file nor the store can be written: their folders are
// read-only (the game runs as nobody when the test runs as root). The new
// high score is told lost in the player's language as soon as it is entered;
// the close that follows goes through at once, with no second report, and
// stderr gives the true reasons.
TEST_P(ResultThatCannotBeSaved, IsToldAtOnceAndTheCloseGoesThrough) {
    const UnsavedCase& c = GetParam();
    GameSandbox sandbox(GameSandbox::ExecutableDirAccess::ReadOnly);
    if (!sandbox.Usable()) GTEST_SKIP() << qPrintable(sandbox.Problem());
    FolderModes modes;
    if (c.russian) {
        ASSERT_TRUE(sandbox.WriteFile(sandbox.StorePath(), "[General]\nlng=1\n"));
        ASSERT_TRUE(modes.Set(QFileInfo(sandbox.StorePath()).absolutePath(), 0555));
    } else {
        ASSERT_TRUE(modes.Set(sandbox.Path(QStringLiteral("config")), 0555));
    }
    ASSERT_TRUE(modes.Set(sandbox.Path(QStringLiteral("data")), 0555));
    const QByteArray storeBefore = kwadrill::test::ReadFileBytes(sandbox.StorePath());

    GameWindowDriver game(sandbox);
    game.Process().CaptureStandardError();
    if (sandbox.RunsAsNobody()) {
        ASSERT_TRUE(LetNobodyUseTheDisplay(sandbox, game.Process()));
    }
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs))
        << "the main window never appeared; stderr: " << game.Process().StandardError().data();
    game.ClickButton(kStartButton);
    const QString gameOver = PlayUntilGameOver(game, c.gameOver);
    ASSERT_FALSE(gameOver.isEmpty()) << "the game did not end within " << kGameTimeoutMs << " ms";
    GameWindowDriver::Focus(gameOver);
    GameWindowDriver::Key(QStringLiteral("Return"));
    const QString nameEntry = GameWindowDriver::FindWindow(c.nameEntry, kDialogTimeoutMs);
    ASSERT_FALSE(nameEntry.isEmpty()) << "no name was asked for: did the score earn a place?";
    GameWindowDriver::Focus(nameEntry);
    GameWindowDriver::Type(kPlayerName);
    GameWindowDriver::Key(QStringLiteral("Return"));

    const QString notSaved = GameWindowDriver::FindWindow(c.notSaved, kDialogTimeoutMs);
    ASSERT_FALSE(notSaved.isEmpty()) << "the player was not told";
    ASSERT_TRUE(CloseWithKey(notSaved, QStringLiteral("Return")));
    const QString table = GameWindowDriver::FindWindow(c.table, kDialogTimeoutMs);
    ASSERT_FALSE(table.isEmpty()) << "the high-score window did not follow";
    ASSERT_TRUE(CloseWithKey(table, QStringLiteral("Escape")));
    ASSERT_TRUE(GameWindowDriver::RequestClose(game.WindowId()));
    ASSERT_TRUE(game.Process().WaitForExit(kShutdownTimeoutMs))
        << "the close stopped; stderr: " << game.Process().StandardError().data();
    EXPECT_TRUE(game.Process().ExitedCleanly()) << qPrintable(game.Process().ExitDescription());

    const QString said = QString::fromUtf8(game.Process().StandardError());
    // Each names the folder that refused: where the file or its folder was to be made.
    const QString storeFolder = c.russian ? QFileInfo(sandbox.StorePath()).absolutePath()
                                          : sandbox.Path(QStringLiteral("config"));
    EXPECT_EQ(said.count(QStringLiteral("the backup record could not be saved: %1: %2: ")
                             .arg(sandbox.DataBackupPath(), sandbox.Path(QStringLiteral("data")))),
              2)
        << "once when the result came, once at the close: " << qPrintable(said);
    EXPECT_EQ(said.count(QStringLiteral("the settings could not be saved: %1: %2: ")
                             .arg(sandbox.StorePath(), storeFolder)),
              2)
        << qPrintable(said);
    EXPECT_TRUE(
        said.contains(QStringLiteral("the new high score could be saved nowhere and is lost")))
        << qPrintable(said);
    EXPECT_FALSE(said.contains(QStringLiteral("Failed to set data"))) << qPrintable(said);
    EXPECT_FALSE(QFileInfo::exists(sandbox.DataBackupPath()));
    EXPECT_EQ(kwadrill::test::ReadFileBytes(sandbox.StorePath()), storeBefore);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ResultThatCannotBeSaved,
                         ::testing::Values(UnsavedCase{"English", false,
                                                       QStringLiteral("So miserable..."),
                                                       QStringLiteral("Congratulations!!!"),
                                                       QStringLiteral("High score not saved"),
                                                       QStringLiteral("Our greatest winners")},
                                           UnsavedCase{"Russian", true, QStringLiteral("А жаль!"),
                                                       QStringLiteral("Поздравляю!!!"),
                                                       QStringLiteral("Рекорд не сохранён"),
                                                       QStringLiteral("Наши победители")}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// On a screen of device pixel ratio 2, and at the game's own zoom of 2 on
// any screen, the well is drawn from the double-size cell pictures, pixel
// for pixel, not from scaled-up small ones.
class TwiceTheSize : public ::testing::TestWithParam<GameWindowDriver::Scaling> {};

TEST_P(TwiceTheSize, TheWellIsDrawnFromTheDoubleSizePictures) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameWindowDriver game(sandbox, 2, GetParam());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(kWindowTimeoutMs)) << "the main window never appeared";
    // The window is mapped before its first paint: wait until the well shows.
    const auto painted = PollFor<QImage>(kWindowTimeoutMs, [&]() -> std::optional<QImage> {
        QImage grab = game.Grab();
        if (AllCellsRead(game.ReadWell(grab))) return grab;
        return std::nullopt;
    });
    const QImage screen = painted ? *painted : game.Grab();
    EXPECT_EQ(screen.size(), QSize(2 * 329, 2 * 323));
    EXPECT_EQ(CountBlocks(game.ReadWell(screen)), 0);
    EXPECT_TRUE(AllCellsRead(game.ReadWell(screen))) << "the empty well is not the @2x empty cell";
    EXPECT_EQ(game.ReadScore(screen), kNoScore) << "the counter is not drawn from the @2x digits";
    game.ClickButton(kStartButton);
    const auto spawned =
        PollFor<Piece>(kDialogTimeoutMs, [&] { return FindLonePiece(game.ReadWell()); });
    EXPECT_TRUE(spawned) << "no piece drawn from the @2x block pictures appeared";
}

INSTANTIATE_TEST_SUITE_P(Scalings, TwiceTheSize,
                         ::testing::Values(GameWindowDriver::Scaling::Desktop,
                                           GameWindowDriver::Scaling::Zoom),
                         [](const ::testing::TestParamInfo<GameWindowDriver::Scaling>& scaling) {
                             return scaling.param == GameWindowDriver::Scaling::Desktop
                                        ? std::string("Desktop")
                                        : std::string("Zoom");
                         });

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // for the resources and image decoding only
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
