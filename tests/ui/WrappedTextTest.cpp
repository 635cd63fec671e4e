#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include "WrappedText.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

// Every character 5 pixels wide: widths can be worked out by hand.
constexpr int kCharWidth = 5;
int FixedWidth(const QString& s) {
    return static_cast<int>(s.size()) * kCharWidth;
}

struct LayoutCase {
    const char* name;
    QString text;
    int boxWidth;
    QStringList lines;
};

class WrappedLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(WrappedLayoutTest, BreaksIntoTheExpectedLines) {
    const LayoutCase& c = GetParam();
    const WrappedLayout layout = LayoutWrappedText(c.text, c.boxWidth, FixedWidth);
    ASSERT_TRUE(layout.ok);
    EXPECT_EQ(layout.lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrappedLayoutTest,
    testing::Values(
        // 36 wide leaves 32 pixels: six characters, the trailing space not counted.
        LayoutCase{"SpacesBreakWhenTheNextWordDoesNotFit",
                   u"aaa bbb ccc"_s,
                   36,
                   {u"aaa "_s, u"bbb "_s, u"ccc "_s}},
        LayoutCase{
            "TrailingSpaceIsNotCountedWhenFitting", u"aaa bb cc"_s, 34, {u"aaa bb "_s, u"cc "_s}},
        LayoutCase{"BarAlwaysEndsTheLine", u"one|two"_s, 100, {u"one "_s, u"two "_s}},
        LayoutCase{"DoubleBarGivesALineOfOneSpace", u"a||b"_s, 100, {u"a "_s, u" "_s, u"b "_s}},
        LayoutCase{"LastLineEndsAtTheEndOfTheText", u"abc def"_s, 100, {u"abc def "_s}},
        LayoutCase{"TrailingBarAddsNoEmptyLine", u"abc def|"_s, 100, {u"abc def "_s}},
        LayoutCase{"TrailingSpaceAddsNoEmptyLine", u"abc "_s, 100, {u"abc "_s}},
        LayoutCase{"SixteenPixelBoxTakesTwoCharacters", u"ab"_s, 16, {u"ab "_s}}),
    [](const testing::TestParamInfo<LayoutCase>& param) { return param.param.name; });

TEST(WrappedLayout, RefusesTooShortTextsAndTooNarrowBoxes) {
    EXPECT_FALSE(LayoutWrappedText(u"a"_s, 100, FixedWidth).ok);
    EXPECT_FALSE(LayoutWrappedText(QString(), 100, FixedWidth).ok);
    EXPECT_FALSE(LayoutWrappedText(u"ab cd"_s, 15, FixedWidth).ok);
}

// A word that can never be placed ends empty lines until the line limit.
TEST(WrappedLayout, WordWiderThanTheBoxFailsTheWholeLayout) {
    const WrappedLayout layout = LayoutWrappedText(u"ok abcdefghij ok"_s, 40, FixedWidth);
    EXPECT_FALSE(layout.ok);
    EXPECT_TRUE(layout.lines.isEmpty());
}

TEST(WrappedLayout, AcceptsExactly1024Lines) {
    EXPECT_EQ(LayoutWrappedText(u"a|"_s.repeated(1024), 100, FixedWidth).lines.size(), 1024);
    EXPECT_FALSE(LayoutWrappedText(u"a|"_s.repeated(1025), 100, FixedWidth).ok);
}

TEST(WrappedPlacement, CentresWithTruncatingDivision) {
    // Lines of 15 and 25 pixels in a 100 x 50 box, 10 pixels per line.
    const WrappedPlacement p =
        PlaceWrappedLines({u"ab "_s, u"abcd "_s}, 100, 50, 10, false, true, FixedWidth);
    EXPECT_EQ(p.total, 20);
    EXPECT_EQ(p.top, 15);
    ASSERT_EQ(p.origins.size(), 2u);
    EXPECT_EQ(p.origins[0], QPoint(42, 15));  // (100 - 15) / 2 = 42.5
    EXPECT_EQ(p.origins[1], QPoint(37, 25));
}

TEST(WrappedPlacement, StartsAtTheTopUnlessFourPixelsAreLeftOver) {
    const QStringList lines{u"ab "_s, u"cd "_s};
    EXPECT_EQ(PlaceWrappedLines(lines, 100, 24, 10, false, true, FixedWidth).top, 2);
    // 23 - 4 is below the 20 pixels needed: drawn from the top, the rest cut off.
    EXPECT_EQ(PlaceWrappedLines(lines, 100, 23, 10, false, true, FixedWidth).top, 0);
    EXPECT_EQ(PlaceWrappedLines(lines, 100, 50, 10, false, false, FixedWidth).top, 0);
    EXPECT_EQ(PlaceWrappedLines(lines, 100, 50, 10, true, true, FixedWidth).top, 0);
}

class DrawWrappedTextTest : public testing::Test {
protected:
    DrawWrappedTextTest() : canvas_(200, 100, QImage::Format_RGB32) {
        canvas_.fill(Qt::black);
        box_.resize(200, 100);
    }

    QWidget box_;
    QImage canvas_;
};

TEST_F(DrawWrappedTextTest, RefusalLeavesTheFontAlone) {
    QPainter painter(&canvas_);
    QFont before(u"Courier"_s);
    before.setPixelSize(9);
    painter.setFont(before);
    EXPECT_EQ(DrawWrappedText(painter, box_, u"x"_s, -18, Qt::green, FontStyle::Bold, u"arial"_s,
                              false, true),
              -1);
    box_.resize(15, 100);
    EXPECT_EQ(DrawWrappedText(painter, box_, u"long enough"_s, -18, Qt::green, FontStyle::Bold,
                              u"arial"_s, false, true),
              -1);
    EXPECT_EQ(painter.font(), before);
    painter.end();
    EXPECT_EQ(canvas_.pixel(100, 50), qRgb(0, 0, 0));
}

TEST_F(DrawWrappedTextTest, SetsTheFontAndDrawsInTheColour) {
    QPainter painter(&canvas_);
    const int lines = DrawWrappedText(painter, box_, u"one|two"_s, -18, QColor(0, 255, 0),
                                      FontStyle::Bold | FontStyle::Italic, u"arial"_s, false, true);
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(painter.font().family(), u"arial"_s);
    EXPECT_EQ(painter.font().pixelSize(), 18);
    EXPECT_TRUE(painter.font().bold());
    EXPECT_TRUE(painter.font().italic());
    EXPECT_FALSE(painter.font().underline());
    painter.end();
    bool lime = false;
    for (int y = 0; y < canvas_.height() && !lime; ++y) {
        for (int x = 0; x < canvas_.width() && !lime; ++x)
            lime = canvas_.pixel(x, y) == qRgb(0, 255, 0);
    }
    EXPECT_TRUE(lime);
}

TEST_F(DrawWrappedTextTest, EmptyNameKeepsTheFamilyAndFitSetsTheBoxHeight) {
    QPainter painter(&canvas_);
    QFont before(u"Courier"_s);
    painter.setFont(before);
    const int lines =
        DrawWrappedText(painter, box_, u"a|b|c"_s, -11, Qt::yellow, {}, QString(), true, true);
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(painter.font().family(), u"Courier"_s);
    const int lineHeight =
        painter.fontMetrics().size(Qt::TextSingleLine, u"QZ productions"_s).height();
    EXPECT_EQ(box_.height(), 3 * lineHeight);
}

}  // namespace
}  // namespace kwadrill
