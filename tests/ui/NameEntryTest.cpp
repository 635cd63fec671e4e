#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "TForm3.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

int RedPixels(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > c.green() + 80 ? 1 : 0;
        }
    }
    return red;
}

class NameEntryTest : public testing::Test {
protected:
    NameEntryTest() { form_.Offer(u"Alice"_s); }

    QLineEdit& Edit() { return *form_.findChild<QLineEdit*>(u"Edit1"_s); }
    QPushButton& Button() { return *form_.findChild<QPushButton*>(u"Button1"_s); }

    TForm3 form_{false, nullptr};
};

TEST_F(NameEntryTest, ControlsSitWhereTheFormPutsThem) {
    EXPECT_EQ(form_.size(), QSize(289, 105));
    EXPECT_EQ(form_.findChild<QWidget*>(u"Bevel1"_s)->geometry(), QRect(0, 0, 289, 53));
    EXPECT_EQ(form_.findChild<QLabel*>(u"Label1"_s)->geometry(), QRect(4, 4, 281, 45));
    EXPECT_EQ(Edit().geometry(), QRect(0, 56, 289, 21));
    EXPECT_EQ(Button().geometry(), QRect(0, 80, 289, 25));
    EXPECT_TRUE(Button().isDefault());
    form_.ApplyLanguage(true);
    EXPECT_EQ(form_.windowTitle(), u"Поздравляю!!!"_s);
    EXPECT_EQ(Button().text(), u"Запечатлеть результат навеки"_s);
}

TEST_F(NameEntryTest, OffersTheLastNameSelected) {
    form_.show();
    EXPECT_EQ(Edit().text(), u"Alice"_s);
    EXPECT_EQ(Edit().selectedText(), u"Alice"_s);

    QTest::keyClicks(&Edit(), u"Bob"_s);  // replaces the selection
    QTest::mouseClick(&Button(), Qt::LeftButton);
    ASSERT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.EnteredName(), u"Bob"_s);

    form_.Offer(u"Bob"_s);
    form_.show();
    EXPECT_EQ(Edit().selectedText(), u"Bob"_s);
    EXPECT_TRUE(form_.EnteredName().isEmpty()) << "nothing given yet this time";
}

// A name of blanks names nobody: it is refused as an empty one is, and what
// is typed next replaces it.
TEST_F(NameEntryTest, EmptyOrBlankNameIsRefusedByEveryWayOfClosing) {
    for (const QString& refused : {QString(), u"   "_s, u" \t "_s}) {
        SCOPED_TRACE(refused.size());
        form_.show();
        Edit().setText(refused);
        QTest::mouseClick(&Button(), Qt::LeftButton);
        EXPECT_TRUE(form_.isVisible());
        QTest::keyClick(&Edit(), Qt::Key_Return);
        EXPECT_TRUE(form_.isVisible());
        QTest::keyClick(&Edit(), Qt::Key_Escape);
        EXPECT_TRUE(form_.isVisible());
        EXPECT_FALSE(form_.close());  // the title bar's close box
        EXPECT_TRUE(form_.isVisible());
        EXPECT_TRUE(form_.EnteredName().isEmpty());
        EXPECT_EQ(Edit().selectedText(), refused);
    }
    QTest::keyClicks(&Edit(), u"Cy"_s);
    QTest::keyClick(&Edit(), Qt::Key_Return);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.EnteredName(), u"Cy"_s);
}

TEST_F(NameEntryTest, EnterAndTheCloseBoxStoreAName) {
    form_.show();
    Edit().setText(u" Al "_s);  // blanks around a name are part of it
    QTest::keyClick(&Edit(), Qt::Key_Return);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.EnteredName(), u" Al "_s);

    form_.show();
    Edit().setText(u"Dora"_s);
    EXPECT_TRUE(form_.close());
    EXPECT_EQ(form_.EnteredName(), u"Dora"_s);
}

// The edit says how long a name may be before and while it is typed.
TEST_F(NameEntryTest, ShowsTheLimitAsAHintAndACount) {
    form_.show();
    Edit().clear();
    EXPECT_EQ(Edit().placeholderText(), u"Your name, up to 16 characters"_s);
    EXPECT_EQ(form_.LengthCounter()->text(), u"0/16"_s);
    QTest::keyClicks(&Edit(), u"Bob"_s);
    EXPECT_EQ(form_.LengthCounter()->text(), u"3/16"_s);
    EXPECT_EQ(RedPixels(*form_.LengthCounter()), 0);
    QTest::keyClicks(&Edit(), u"ABCDEFGHIJKLMNOPQRS"_s);
    EXPECT_EQ(form_.LengthCounter()->text(), u"16/16"_s);
    EXPECT_GT(RedPixels(*form_.LengthCounter()), 10) << "a full field shows its count in red";
    // The counter sits inside the edit's right end, where no text runs.
    const QRect counter = form_.LengthCounter()->geometry();
    EXPECT_TRUE(Edit().rect().contains(counter));
    EXPECT_LE(Edit().width() - Edit().textMargins().right(), counter.left());
    form_.ApplyLanguage(true);
    EXPECT_EQ(Edit().placeholderText(), u"Ваше имя, не более 16 символов"_s);
}

TEST_F(NameEntryTest, TypingAndPastingStopAtSixteenCharacters) {
    form_.show();
    Edit().clear();
    QTest::keyClicks(&Edit(), u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s);
    EXPECT_EQ(Edit().text(), u"ABCDEFGHIJKLMNOP"_s);

    Edit().clear();
    QGuiApplication::clipboard()->setText(u"abcdefghijklmnopqrstuvwxyz"_s);
    Edit().paste();
    EXPECT_EQ(Edit().text(), u"abcdefghijklmnop"_s);
    QTest::mouseClick(&Button(), Qt::LeftButton);
    EXPECT_EQ(form_.EnteredName(), u"abcdefghijklmnop"_s);
}

TEST_F(NameEntryTest, ShutdownClosesEvenWithAnEmptyEditGivingWhatItHolds) {
    form_.show();
    Edit().clear();
    form_.CloseForShutdown();
    EXPECT_FALSE(form_.isVisible());
    EXPECT_TRUE(form_.EnteredName().isEmpty());

    form_.show();
    Edit().setText(u"Eve"_s);
    form_.CloseForShutdown();
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.EnteredName(), u"Eve"_s);
}

}  // namespace
}  // namespace kwadrill
