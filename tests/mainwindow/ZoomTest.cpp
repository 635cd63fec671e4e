#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSet>
#include <QToolButton>

#include <gtest/gtest.h>

#include "GameSession.h"
#include "SilentAudio.h"
#include "TForm2.h"
#include "WindowZoom.h"

namespace kwadrill {
namespace {

using test::SilentEffects;
using test::SilentMusic;

// Lets the window system answer until the condition holds; the bound only
// catches a hang.
bool WaitForWindow(const std::function<bool()>& condition) {
    const QDeadlineTimer hang(30000);
    while (!condition()) {
        if (hang.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class Zoomed : public ::testing::Test {
protected:
    Zoomed() {
        session_.Arrange();
        form_.show();
    }

    SilentEffects effects_;
    SilentMusic music_;
    GameSession session_{effects_, music_, SessionSetup{.seed = 7}};
    TForm1& form_ = session_.window();
};

struct ZoomedLayout {
    qreal zoom;
    QSize window;
    QRect well;
    QRect levelLabel;
    QRect highScoresButton;
};

// The described layout, each edge scaled and rounded (worked out by hand).
class ZoomLayout : public Zoomed, public ::testing::WithParamInterface<ZoomedLayout> {};

TEST_P(ZoomLayout, ScalesTheWindowAndEveryChild) {
    const ZoomedLayout& expected = GetParam();
    form_.SetZoom(expected.zoom);
    EXPECT_EQ(form_.Zoom(), expected.zoom);
    EXPECT_EQ(form_.size(), expected.window);
    EXPECT_EQ(form_.Well()->geometry(), expected.well);
    EXPECT_EQ(form_.LevelLabel()->geometry(), expected.levelLabel);
    EXPECT_EQ(form_.SpeedButton(3)->geometry(), expected.highScoresButton);
    EXPECT_EQ(form_.SpeedButton(3)->iconSize(), QSize(17, 17) * expected.zoom);
    EXPECT_EQ(form_.WellScreen().size(), expected.well.size() * form_.devicePixelRatioF());
    // The dialogs follow.
    EXPECT_EQ(form_.HighScoreWindow()->size(), (QSizeF(426, 330) * expected.zoom).toSize());
    // And back: nothing drifts on the way.
    form_.SetZoom(1.0);
    EXPECT_EQ(form_.size(), QSize(329, 323));
    EXPECT_EQ(form_.Well()->geometry(), QRect(136, 4, 189, 315));
    EXPECT_EQ(form_.SpeedButton(3)->iconSize(), QSize(17, 17));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ZoomLayout,
    ::testing::Values(
        ZoomedLayout{1.0, {329, 323}, {136, 4, 189, 315}, {4, 208, 121, 17}, {4, 64, 121, 22}},
        ZoomedLayout{1.5, {494, 485}, {204, 6, 284, 473}, {6, 312, 182, 26}, {6, 96, 182, 33}},
        ZoomedLayout{2.0, {658, 646}, {272, 8, 378, 630}, {8, 416, 242, 34}, {8, 128, 242, 44}},
        ZoomedLayout{2.5, {823, 808}, {340, 10, 473, 788}, {10, 520, 303, 43}, {10, 160, 303, 55}},
        ZoomedLayout{3.0, {987, 969}, {408, 12, 567, 945}, {12, 624, 363, 51}, {12, 192, 363, 66}},
        ZoomedLayout{
            4.0, {1316, 1292}, {544, 16, 756, 1260}, {16, 832, 484, 68}, {16, 256, 484, 88}}));

TEST_F(Zoomed, TextIsSetLargerNotBlownUp) {
    const int logicalPixels = form_.LevelLabel()->font().pixelSize();
    form_.SetZoom(2.5);
    EXPECT_EQ(form_.LevelLabel()->font().pixelSize(), qRound(logicalPixels * 2.5));
    EXPECT_TRUE(form_.LevelLabel()->font().bold());
}

TEST_F(Zoomed, ValuesBetweenTheStepsAreIgnored) {
    form_.SetZoom(2.0);
    for (const qreal odd : {0.5, 1.25, 5.0, -1.0}) form_.SetZoom(odd);
    EXPECT_EQ(form_.Zoom(), 2.0);
    EXPECT_EQ(form_.size(), QSize(658, 646));
}

QImage Bitmap(const QString& name) {
    return QImage(QStringLiteral(":/bitmaps/") + name).convertToFormat(QImage::Format_RGB32);
}

QSet<QRgb> Colours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return colours;
}

// The well's first cell as the screen holds it, in the screen's own pixels.
QImage FirstCell(const TForm1& form, int pixels) {
    return form.WellScreen().copy(0, 0, pixels, pixels).convertToFormat(QImage::Format_RGB32);
}

TEST_F(Zoomed, TheWellDrawsTheSharpPicturesFromOneAndAHalf) {
    if (form_.devicePixelRatioF() != 1.0) GTEST_SKIP() << "the desktop scales too";
    Board board{};
    board.At(1, 1) = 1;
    const QImage plain = Bitmap(QStringLiteral("BITMAP_2"));
    const QImage sharp = Bitmap(QStringLiteral("BITMAP_2@2x"));
    ASSERT_EQ(sharp.size(), plain.size() * 2);

    form_.SetZoom(2.0);
    form_.DrawField(board);
    EXPECT_EQ(FirstCell(form_, 42), sharp);
    form_.SetZoom(4.0);
    form_.DrawField(board);
    EXPECT_EQ(FirstCell(form_, 84), sharp.scaled(84, 84));
    // Between the steps: the sharp picture narrowed pixel by pixel, never
    // smoothed and never the plain one widened.
    form_.SetZoom(1.5);
    form_.DrawField(board);
    const QSet<QRgb> cell = Colours(FirstCell(form_, 31));
    EXPECT_TRUE(Colours(sharp).contains(cell)) << "a colour the picture does not have";
    EXPECT_FALSE(Colours(plain).contains(cell)) << "the plain picture, widened";
}

// Full screen on the offscreen platform's screen: the largest step that fits,
// centred, the well as tall for its width as ever.
TEST_F(Zoomed, FullScreenKeepsTheWellInShape) {
    form_.SetZoom(1.0);
    form_.SetFullScreen(true);
    const QSize screen = form_.screen()->geometry().size();
    ASSERT_TRUE(WaitForWindow([&] { return form_.size() == screen; }))
        << "the window never filled the screen";
    const QRect well(form_.Well()->mapTo(&form_, QPoint()), form_.Well()->size());
    EXPECT_LE(std::abs(well.width() * 315 - well.height() * 189), 315)
        << well.width() << "x" << well.height();
    EXPECT_GT(well.height(), 315) << "a screen larger than the window zooms it";
    const qreal zoom = LargestZoomFitting({329, 323}, screen);
    EXPECT_EQ(well.size(), QSize(189, 315) * zoom);
    // Centred: as much room left of the game as right of it.
    const int left = form_.ControlPanel()->mapTo(&form_, QPoint()).x();
    EXPECT_LE(std::abs(left - (form_.width() - well.right() - 1 - qRound(4 * zoom))), 1);
    EXPECT_EQ(form_.Zoom(), 1.0) << "the player's own zoom is kept for later";

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form_, &escape);  // leaves full screen, as F11 would
    ASSERT_TRUE(WaitForWindow([&] { return form_.size() == QSize(329, 323); }));
    EXPECT_EQ(form_.Well()->geometry(), QRect(136, 4, 189, 315));
}

TEST(ZoomSteps, StepLikeABrowserAndStopAtTheEnds) {
    EXPECT_EQ(NextZoomStep(1.0), 1.5);
    EXPECT_EQ(NextZoomStep(3.0), 4.0);
    EXPECT_EQ(NextZoomStep(4.0), 4.0);
    EXPECT_EQ(PreviousZoomStep(1.5), 1.0);
    EXPECT_EQ(PreviousZoomStep(4.0), 3.0);
    EXPECT_EQ(PreviousZoomStep(1.0), 1.0);
}

// The first start's choice: the main window (323 logical pixels high) at
// most 60 % of the screen's available height.
TEST(ZoomSteps, FirstStartTakesTheLargestThatLeavesRoom) {
    struct Row {
        int availableHeight;
        qreal zoom;
    };
    for (const Row row : {Row{1080, 2.0},  // 1920 x 1080, no panel
                          Row{1050, 1.5},  // the same with a panel
                          Row{1440, 2.5}, Row{2160, 4.0}, Row{768, 1.0},
                          Row{540, 1.0}}) {  // 1080 lines at a desktop scale of 2
        EXPECT_EQ(LargestZoomWithin(323, row.availableHeight), row.zoom) << row.availableHeight;
    }
}

}  // namespace
}  // namespace kwadrill
