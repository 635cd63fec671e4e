#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include <functional>
#include "GameSession.h"
#include "NextPieceBox.h"

#include "GameSession.h"
#include "PauseNotice.h"
#include "ScorePaintBox.h"
#include "SettingsStore.h"
#include "SilentAudio.h"

namespace kwadrill {
namespace {

using test::SilentEffects;
using test::SilentMusic;

QImage Picture(const QString& name) {
    return QImage(QStringLiteral(":/bitmaps/") + name).convertToFormat(QImage::Format_RGB32);
}

// Runs events until the condition holds; false only when the window system hangs.
bool WaitFor(const std::function<bool()>& condition) {
    constexpr int kHangMs = 30000;
    const QDeadlineTimer deadline(kHangMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

QImage CellOnScreen(const QImage& screen, int column, int row) {
    return screen.copy((column - 1) * 21, (row - 1) * 21, 21, 21)
        .convertToFormat(QImage::Format_RGB32);
}

class MainWindow : public ::testing::Test {
protected:
    MainWindow() {
        session_.Arrange();
        form_.show();
    }

    Board& board() { return session_.engine().board; }
    GameController& game() { return session_.controller(); }
    void UseLanguage(int language) {
        game().LoadStoredSettings(
            StoredSettings({{QStringLiteral("lng"), QString::number(language)}}));
    }

    SilentEffects effects_;
    SilentMusic music_;
    GameSession session_{effects_, music_, SessionSetup{.seed = 7}};
    TForm1& form_ = session_.window();
};

TEST_F(MainWindow, LayoutFollowsThePictureSizes) {
    EXPECT_EQ(form_.size(), QSize(329, 323));
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("QZ's Kwadrill game"));
    EXPECT_EQ(form_.Well()->geometry(), QRect(136, 4, 189, 315));
    EXPECT_EQ(form_.ScoreCounter()->geometry(), QRect(8, 228, 112, 21));
    EXPECT_EQ(form_.ControlPanel()->geometry(), QRect(0, 0, 129, 253));
    EXPECT_EQ(form_.LevelLabel()->geometry(), QRect(4, 208, 121, 17));
    EXPECT_EQ(session_.state().highlightRank, -1);
}

TEST_F(MainWindow, ButtonsStandInTheirOrderAndTakeNoFocus) {
    const std::array<int, 8> topToBottom{1, 2, 3, 5, 6, 7, 4, 8};
    for (std::size_t place = 0; place < topToBottom.size(); ++place) {
        QToolButton* button = form_.SpeedButton(topToBottom[place]);
        EXPECT_EQ(button->geometry(), QRect(4, 16 + 24 * static_cast<int>(place), 121, 22))
            << "SpeedButton" << topToBottom[place];
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(button->isCheckable(), topToBottom[place] == 5 || topToBottom[place] == 6);
    }
}

TEST_F(MainWindow, TogglesFollowTheStoredSwitches) {
    SessionSetup setup;
    setup.record.musicOn = 0;
    setup.record.soundOn = 1;
    GameSession session(effects_, music_, setup);
    session.Arrange();
    EXPECT_FALSE(session.window().SpeedButton(5)->isChecked());
    EXPECT_TRUE(session.window().SpeedButton(6)->isChecked());
}

// Red pixels of the bar that strikes a switched-off glyph through.
int StrikePixels(const QImage& button) {
    int red = 0;
    for (int y = 0; y < button.height(); ++y) {
        for (int x = 0; x < button.width(); ++x) {
            const QColor c(button.pixel(x, y));
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
        }
    }
    return red;
}

double MeanValue(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) sum += QColor(image.pixel(x, y)).value();
    }
    return sum / (image.width() * image.height());
}

// On, a switch stands pressed in on a darker face with its coloured glyph;
// off, it is flat with the glyph struck through.
TEST_F(MainWindow, SwitchesShowOnAndOffAtAGlance) {
    for (const int number : {5, 6}) {
        QToolButton* button = form_.SpeedButton(number);
        button->setChecked(true);
        const QImage on = button->grab().toImage();
        button->setChecked(false);
        const QImage off = button->grab().toImage();
        EXPECT_EQ(StrikePixels(on), 0) << "SpeedButton" << number;
        EXPECT_GT(StrikePixels(off), 8) << "SpeedButton" << number;
        EXPECT_LT(MeanValue(on), MeanValue(off) - 20) << "SpeedButton" << number;
    }
}

TEST_F(MainWindow, DrawFieldPaintsEveryCellFromItsPicture) {
    for (int c = 1; c <= kColumns; ++c) {
        for (int r = 1; r <= kRows; ++r) {
            board().At(c, r) = static_cast<std::uint8_t>((c + r) % 8);
        }
    }
    form_.DrawField(board());
    for (int c = 1; c <= kColumns; ++c) {
        for (int r = 1; r <= kRows; ++r) {
            ASSERT_EQ(CellOnScreen(form_.WellScreen(), c, r),
                      Picture(QStringLiteral("BITMAP_%1").arg((c + r) % 8 + 1)))
                << "cell " << c << "," << r;
        }
    }
}

// Frames are drawn over each other; the last frame of set 3 is all black.
TEST_F(MainWindow, DestructionSetThreeLeavesItsCellBlack) {
    board().At(4, 15) = 5;
    form_.DrawField(board());
    for (int t = 11; t >= 1; --t) {
        form_.DrawCellImage(ImageList::Destruction, 2 * 11 + t - 1, 4, 15);
    }
    const QImage cell = CellOnScreen(form_.WellScreen(), 4, 15);
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x) {
            ASSERT_EQ(cell.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
        }
    }
    EXPECT_EQ(CellOnScreen(form_.WellScreen(), 3, 15), Picture(QStringLiteral("BITMAP_1")))
        << "neighbours untouched";
}

TEST_F(MainWindow, FirstDestructionFrameKeepsTheBlockWhereItIsWhite) {
    board().At(1, 1) = 2;
    form_.DrawField(board());
    form_.DrawCellImage(ImageList::Destruction, 0 * 11 + 11 - 1, 1, 1);  // "1DESTR0"
    const QImage frame = Picture(QStringLiteral("1DESTR0"));
    const QImage block = Picture(QStringLiteral("BITMAP_3"));
    const QImage cell = CellOnScreen(form_.WellScreen(), 1, 1);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 21; ++x) {
            const QRgb expected =
                frame.pixel(x, y) == qRgb(255, 255, 255) ? block.pixel(x, y) : frame.pixel(x, y);
            ASSERT_EQ(cell.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(MainWindow, RepaintAskedByTheSystemShowsTheBoard) {
    board().At(2, 2) = 1;
    form_.DrawField(board());
    form_.DrawCellImage(ImageList::Cells, 7, 2, 2);  // a pause sprinkle
    form_.Well()->grab();                            // a paint the window system asks for
    EXPECT_EQ(CellOnScreen(form_.WellScreen(), 2, 2), Picture(QStringLiteral("BITMAP_2")));
}

// ---- Next piece and landing shadow ----

QImage Faint(const QImage& under, const QImage& over, double opacity) {
    QImage mixed = under;
    for (int y = 0; y < mixed.height(); ++y) {
        for (int x = 0; x < mixed.width(); ++x) {
            const QRgb a = under.pixel(x, y);
            const QRgb b = over.pixel(x, y);
            const auto mix = [opacity](int low, int high) {
                return static_cast<int>(low + (high - low) * opacity + 0.5);
            };
            mixed.setPixel(
                x, y,
                qRgb(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b))));
        }
    }
    return mixed;
}

bool Near(const QImage& a, const QImage& b, int tolerance) {
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance) {
                return false;
            }
        }
    }
    return true;
}

// Every cell of the well shows its own picture, and only that.
void ExpectWellShowsBoard(const QImage& screen, const Board& board) {
    for (int c = 1; c <= kColumns; ++c) {
        for (int r = 1; r <= kRows; ++r) {
            ASSERT_EQ(CellOnScreen(screen, c, r),
                      Picture(QStringLiteral("BITMAP_%1").arg(board.At(c, r) + 1)))
                << "cell " << c << "," << r;
        }
    }
}

TEST_F(MainWindow, NextPieceAndShadowShowOnlyWhileSwitchedOn) {
    GameController& controller = session_.controller();
    controller.SpeedButton1Click();
    controller.Timer1Timer();  // the first piece, in row 1
    controller.Timer1Timer();  // row 2
    const FallingPiece piece = session_.engine().fallingPiece;
    ASSERT_EQ(piece.blocks[0].row, 2);
    EXPECT_TRUE(form_.NextPiece()->isHidden());
    ExpectWellShowsBoard(form_.WellScreen(), board());

    controller.SetNextPiecePreview(true);
    controller.SetLandingShadow(true);
    EXPECT_EQ(form_.size(), QSize(329, 323)) << "the window keeps its size";
    EXPECT_EQ(form_.NextPiece()->geometry(), QRect(0, 257, 129, 66));
    ASSERT_TRUE(form_.NextPiece()->isVisible());
    const PieceTypes next = session_.engine().NextSpawn().types;
    const QImage cells =
        form_.NextPiece()->Cells()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(cells.copy(k * 21, 0, 21, 21),
                  Picture(QStringLiteral("BITMAP_%1").arg(next[static_cast<std::size_t>(k)] + 1)))
            << "block " << k;
    }
    const QImage empty = Picture(QStringLiteral("BITMAP_1"));
    for (const CellPosition& block : piece.blocks) {
        const QImage own =
            Picture(QStringLiteral("BITMAP_%1").arg(board().At(block.column, 2) + 1));
        EXPECT_TRUE(
            Near(CellOnScreen(form_.WellScreen(), block.column, kRows), Faint(empty, own, 0.3), 2))
            << "the block's picture, faint, where it comes to rest: column " << block.column;
    }

    controller.SetNextPiecePreview(false);
    controller.SetLandingShadow(false);
    EXPECT_TRUE(form_.NextPiece()->isHidden());
    ExpectWellShowsBoard(form_.WellScreen(), board());
}

TEST(NumberToDigits, ShowsSevenDigitsOrZeros) {
    struct Case {
        std::int32_t value;
        std::array<std::uint8_t, 7> digits;
    };
    const Case cases[] = {{0, {0, 0, 0, 0, 0, 0, 0}},       {1234, {0, 0, 0, 1, 2, 3, 4}},
                          {9999999, {9, 9, 9, 9, 9, 9, 9}}, {10000000, {0, 0, 0, 0, 0, 0, 0}},
                          {-42, {0, 0, 0, 0, 0, 4, 2}},     {INT32_MIN, {0, 0, 0, 0, 0, 0, 0}}};
    for (const Case& c : cases) {
        std::array<std::uint8_t, 7> digits{};
        digits.fill(7);
        NumberToDigits(c.value, digits);
        EXPECT_EQ(digits, c.digits) << c.value;
    }
}

TEST_F(MainWindow, CounterShowsZeroAsSevenZeroDigits) {
    const QImage counter =
        form_.ScoreCounter()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage zero = Picture(QStringLiteral("DG0"));
    for (int i = 0; i < 7; ++i) {
        const QImage digit = counter.copy(i * 16, 0, 16, 21);
        for (int y = 0; y < 21; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (zero.pixel(x, y) != qRgb(255, 255, 255)) {
                    ASSERT_EQ(digit.pixel(x, y), zero.pixel(x, y)) << "digit " << i;
                }
            }
        }
    }
}

// While a game is paused the well says so, over the pause screen and in the
// game's language: white on a dark band, the cells around it as they are.
TEST_F(MainWindow, PausedWellSaysSoInTheGamesLanguage) {
    PauseNotice& notice = *form_.PauseNoticeOverWell();
    game().SpeedButton1Click();
    EXPECT_FALSE(notice.isVisible());
    game().SpeedButton2Click();
    ASSERT_TRUE(notice.isVisible());
    EXPECT_EQ(notice.geometry(), form_.Well()->rect());
    EXPECT_EQ(notice.Texts().title, QStringLiteral("Paused"));

    for (int i = 0; i < 40; ++i) game().Timer2Timer();  // the pause screen's random blocks
    const QImage shown = form_.Well()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage screen = form_.WellScreen().convertToFormat(QImage::Format_RGB32);
    const QRect band = notice.Band();
    ASSERT_TRUE(form_.Well()->rect().contains(band));
    ASSERT_GT(band.height(), 20);
    int white = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (!band.contains(x, y)) {
                ASSERT_EQ(shown.pixel(x, y), screen.pixel(x, y)) << x << "," << y;
            } else if (shown.pixel(x, y) == qRgb(255, 255, 255)) {
                ++white;  // only the text is white: the band darkens every picture
            }
        }
    }
    EXPECT_GT(white, 30) << "no readable text on the band";

    UseLanguage(1);
    EXPECT_EQ(notice.Texts().title, QStringLiteral("Пауза"));
    EXPECT_TRUE(notice.Texts().hint.contains(u'P'));
    game().SpeedButton2Click();
    EXPECT_FALSE(notice.isVisible());
}

// A language chosen during a game shows in the level label at once, not at
// the next level; an empty label (a cleared blink phase) stays empty.
TEST_F(MainWindow, LevelLabelFollowsALanguageSwitchAtOnce) {
    QLabel& label = *form_.LevelLabel();
    form_.ShowLevelLabel(3);
    EXPECT_EQ(label.text(), QStringLiteral("Level 3"));
    UseLanguage(1);
    EXPECT_EQ(label.text(), QStringLiteral("Уровень 3"));
    form_.ClearLevelLabel();
    UseLanguage(0);
    EXPECT_TRUE(label.text().isEmpty());
}

// Another window taking the focus from the main window pauses a running
// game; the focus coming back leaves it paused.
TEST_F(MainWindow, AnotherWindowTakingTheFocusPausesTheGame) {
    form_.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return form_.isActiveWindow(); }));
    game().SpeedButton1Click();
    const GameFlags& flags = session_.flags();

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return !form_.isActiveWindow(); }));
    EXPECT_TRUE(flags.paused);
    EXPECT_TRUE(form_.PauseNoticeOverWell()->isVisible());

    form_.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return form_.isActiveWindow(); }));
    EXPECT_TRUE(flags.paused);
    game().FormKeyPress(u'p');
    EXPECT_FALSE(flags.paused);
}

}  // namespace
}  // namespace kwadrill
