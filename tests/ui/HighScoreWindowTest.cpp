#include <QDateTime>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "HighScores.h"
#include "PersistentState.h"
#include "TForm2.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);

QDateTime At(int hour, int minute, int second) {
    return QDateTime(QDate(2024, 3, 5), QTime(hour, minute, second));
}

void Enter(ScoreTable& table, int rank, const QString& name, int score, const QDateTime& when) {
    RecordHighScore(table.Rank(rank), name, score, when);
}

bool ImageHasColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) return true;
        }
    }
    return false;
}

TEST(ScoreDateText, ShortDateThenLongTimeWithoutZone) {
    EXPECT_EQ(ScoreDateText(ToDayNumber(At(14, 7, 9)), kUnitedStates), u"3/5/24 2:07:09 PM"_s);
    EXPECT_EQ(ScoreDateText(ToDayNumber(At(14, 7, 9)), kGermany), u"05.03.24 14:07:09"_s);
}

TEST(ScoreDateText, MidnightShowsTheDateOnly) {
    EXPECT_EQ(ScoreDateText(ToDayNumber(At(0, 0, 0)), kGermany), u"05.03.24"_s);
    EXPECT_EQ(ScoreDateText(ToDayNumber(At(0, 0, 1)), kGermany), u"05.03.24 00:00:01"_s);
}

// The game's language picks how dates are written; the user's own locale
// is kept where it speaks that language.
TEST(DateLocale, FollowsTheGamesLanguageKeepingTheUsersWhereItFits) {
    const QLocale britain(QLocale::English, QLocale::UnitedKingdom);
    const QLocale russia(QLocale::Russian, QLocale::Russia);
    const QLocale c(QLocale::C);
    struct Case {
        QLocale user;
        bool russian;
        QString date;  // 2024-03-05 at midnight
    };
    const Case cases[] = {
        {kGermany, false, u"3/5/24"_s},    {kGermany, true, u"05.03.2024"_s},
        {britain, false, u"05/03/2024"_s}, {britain, true, u"05.03.2024"_s},
        {russia, false, u"3/5/24"_s},      {c, false, u"3/5/24"_s},
        {c, true, u"05.03.2024"_s},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(qPrintable(k.user.name() + (k.russian ? u" Russian"_s : u" English"_s)));
        EXPECT_EQ(ScoreDateText(ToDayNumber(At(0, 0, 0)), DateLocale(k.russian, k.user)), k.date);
    }
}

class HighScoreTextTest : public testing::Test {
protected:
    HighScoreTextTest() {
        ClearHighScores(table_);
        Enter(table_, 1, u"Ann"_s, 900, At(0, 0, 0));
        Enter(table_, 2, u"Bob"_s, 500, At(0, 0, 0));
        Enter(table_, 3, u"Cy"_s, 40, At(0, 0, 0));
    }

    ScoreTable table_{};
};

TEST_F(HighScoreTextTest, OneNumberedLinePerEntry) {
    EXPECT_EQ(HighScoreText(table_, -1, kGermany),
              u"1. Ann - 900 - 05.03.24|2. Bob - 500 - 05.03.24|3. Cy - 40 - 05.03.24|"_s);
}

TEST_F(HighScoreTextTest, MarksTheEntryAtTheHighlightRank) {
    EXPECT_EQ(HighScoreText(table_, 2, kGermany),
              u"1. Ann - 900 - 05.03.24|>> 2. Bob - 500 - 05.03.24 <<|3. Cy - 40 - 05.03.24|"_s);
}

// The numbering is the table position, so a skipped entry leaves a gap.
TEST_F(HighScoreTextTest, SkipsScoresOfZeroOrLessKeepingTheRanks) {
    table_.Rank(2).score = -5;
    EXPECT_EQ(HighScoreText(table_, 3, kGermany),
              u"1. Ann - 900 - 05.03.24|>> 3. Cy - 40 - 05.03.24 <<|"_s);
    ClearHighScores(table_);
    EXPECT_TRUE(HighScoreText(table_, 1, kGermany).isEmpty());
}

class HighScoreWindowTest : public testing::Test {
protected:
    HighScoreWindowTest() { ClearHighScores(state_.record.scoreTable); }

    QImage Painted() {
        form_.show();
        return form_.findChild<QWidget*>(u"PaintBox1"_s)->grab().toImage();
    }

    PersistentState state_;
    TForm2 form_{state_, kGermany, nullptr};
};

TEST_F(HighScoreWindowTest, HasItsClientSizeAndCaptionPerLanguage) {
    EXPECT_EQ(form_.size(), QSize(426, 330));
    EXPECT_EQ(form_.findChild<QWidget*>(u"PaintBox1"_s)->geometry(), QRect(0, 0, 426, 330));
    form_.ApplyLanguage(true);
    EXPECT_EQ(form_.windowTitle(), u"Наши победители"_s);
    form_.ApplyLanguage(false);
    EXPECT_EQ(form_.windowTitle(), u"Our greatest winners"_s);
    EXPECT_TRUE(form_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(HighScoreWindowTest, EmptyTableShowsTheRemarkInLime) {
    for (const int language : {0, 1}) {
        state_.language = language;
        const QImage image = Painted();
        EXPECT_TRUE(ImageHasColour(image, qRgb(0, 255, 0))) << language;
        EXPECT_FALSE(ImageHasColour(image, qRgb(255, 255, 0))) << language;
        EXPECT_EQ(image.pixel(2, 2), qRgb(0, 0, 128));
    }
}

TEST_F(HighScoreWindowTest, TableIsDrawnInYellow) {
    Enter(state_.record.scoreTable, 1, u"Ann"_s, 900, At(12, 0, 0));
    const QImage image = Painted();
    EXPECT_TRUE(ImageHasColour(image, qRgb(255, 255, 0)));
    EXPECT_FALSE(ImageHasColour(image, qRgb(0, 255, 0)));
}

// The window writes dates in the game's language, whatever the user's
// locale is: an English game shows the same table under a German locale as
// under an American one, and a Russian game another.
TEST_F(HighScoreWindowTest, DatesFollowTheGamesLanguageNotTheUsersLocale) {
    Enter(state_.record.scoreTable, 1, u"Ann"_s, 900, At(14, 7, 9));
    TForm2 american(state_, kUnitedStates, nullptr);
    const auto painted = [](TForm2& form) {
        form.show();
        return form.findChild<QWidget*>(u"PaintBox1"_s)->grab().toImage();
    };
    const QImage english = Painted();
    EXPECT_EQ(english, painted(american));
    state_.language = 1;
    const QImage russian = Painted();
    EXPECT_NE(russian, english);
    EXPECT_EQ(russian, painted(american));
}

TEST_F(HighScoreWindowTest, EscapeClosesWithOk) {
    form_.show();
    QTest::keyClick(&form_, Qt::Key_Escape);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.result(), QDialog::Accepted);
}

class ReplayOfferTest : public HighScoreWindowTest {
protected:
    ReplayOfferTest() {
        Enter(state_.record.scoreTable, 1, u"Ann"_s, 900, At(12, 0, 0));
        Enter(state_.record.scoreTable, 2, u"Bob"_s, 500, At(12, 0, 0));
        Enter(state_.record.scoreTable, 3, u"Cy"_s, 40, At(12, 0, 0));
        // Bob's game left no replay.
        form_.SetReplayLookup([](const ScoreEntry& entry) { return entry.score != 500; });
    }

    void DoubleClick(int rank) {
        QWidget* box = form_.findChild<QWidget*>(u"PaintBox1"_s);
        QTest::mouseDClick(box, Qt::LeftButton, {}, form_.EntryArea(rank).center());
    }
};

// Entries with a replay are marked and one is framed: the newest when it
// has a replay, else the first. Up and Down move the frame among them;
// Return, or a double-click on one, picks it and closes the window.
TEST_F(ReplayOfferTest, AReplayIsPickedWithTheKeysOrADoubleClick) {
    state_.highlightRank = 2;
    form_.OfferReplays(true);
    const QImage image = Painted();
    EXPECT_EQ(form_.WatchableRanks(), (QList<int>{1, 3}));
    EXPECT_EQ(form_.SelectedRank(), 1);
    EXPECT_TRUE(ImageHasColour(image, qRgb(0, 255, 0))) << "the marks";
    EXPECT_TRUE(ImageHasColour(image, qRgb(255, 255, 255))) << "the frame";
    for (const auto& [key, rank] : {std::pair{Qt::Key_Down, 3},
                                    {Qt::Key_Down, 3},
                                    {Qt::Key_Up, 1},
                                    {Qt::Key_Up, 1},
                                    {Qt::Key_Down, 3}}) {
        QTest::keyClick(&form_, key);
        EXPECT_EQ(form_.SelectedRank(), rank);
    }
    QTest::keyClick(&form_, Qt::Key_Return);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.ChosenReplay(), 3);

    state_.highlightRank = 3;
    Painted();
    EXPECT_EQ(form_.ChosenReplay(), std::nullopt) << "each showing starts unpicked";
    EXPECT_EQ(form_.SelectedRank(), 3) << "the newest entry has a replay";
    ASSERT_FALSE(form_.EntryArea(2).isEmpty());
    DoubleClick(2);
    EXPECT_TRUE(form_.isVisible()) << "an entry without a replay is no choice";
    DoubleClick(1);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.ChosenReplay(), 1);
}

// While a game is played no replay is offered: the window is the one it
// always was, and Return picks nothing.
TEST_F(ReplayOfferTest, WithoutAnOfferTheWindowIsAsItWas) {
    TForm2 plain(state_, kGermany, nullptr);
    plain.show();
    const QImage unchanged = plain.findChild<QWidget*>(u"PaintBox1"_s)->grab().toImage();
    form_.OfferReplays(false);
    EXPECT_EQ(Painted(), unchanged);
    EXPECT_TRUE(form_.WatchableRanks().isEmpty());
    QTest::keyClick(&form_, Qt::Key_Return);
    EXPECT_TRUE(form_.isVisible());
    EXPECT_EQ(form_.ChosenReplay(), std::nullopt);
}

}  // namespace
}  // namespace kwadrill
