#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "LanguageTexts.h"
#include "TForm5.h"
#include "TForm6.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

QStringList MemoLines(const QTextEdit& memo) {
    QStringList lines;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        lines << block.text();
    }
    return lines;
}

class RulesWindowTest : public testing::Test {
protected:
    QTextEdit& Memo() { return *form_.findChild<QTextEdit*>(u"Memo1"_s); }

    TForm5 form_{nullptr};
};

TEST_F(RulesWindowTest, IsAReadOnlyMemoFillingTheWindow) {
    EXPECT_EQ(form_.size(), QSize(257, 141));
    EXPECT_EQ(Memo().geometry(), QRect(0, 0, 257, 141));
    EXPECT_TRUE(Memo().isReadOnly());
    EXPECT_EQ(Memo().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Memo().horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(RulesWindowTest, SwitchingLanguagesKeepsFifteenLines) {
    for (const bool russian : {true, false, true, true, false}) {
        form_.ApplyLanguage(russian);
        EXPECT_EQ(MemoLines(Memo()), RulesLines(russian));
        EXPECT_EQ(form_.windowTitle(), RulesCaption(russian));
    }
    EXPECT_EQ(Memo().document()->blockCount(), 15);
}

TEST_F(RulesWindowTest, EscapeClosesAlsoFromTheMemo) {
    form_.show();
    QTest::keyClick(&Memo(), Qt::Key_Escape);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.result(), QDialog::Accepted);

    form_.show();
    QTest::keyClick(&form_, Qt::Key_Escape);
    EXPECT_FALSE(form_.isVisible());
}

class LanguageDialogTest : public testing::Test {
protected:
    QListWidget& List() { return *form_.findChild<QListWidget*>(u"ListBox1"_s); }
    QPushButton& Ok() { return *form_.findChild<QPushButton*>(u"Button1"_s); }

    void ClickItem(int row) {
        const QRect item = List().visualItemRect(List().item(row));
        QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, item.center());
    }

    TForm6 form_{false, nullptr};
};

TEST_F(LanguageDialogTest, LayoutAndAFixedDialogTitleBar) {
    EXPECT_EQ(form_.size(), QSize(181, 61));
    EXPECT_EQ(List().geometry(), QRect(0, 0, 181, 33));
    EXPECT_EQ(Ok().geometry(), QRect(104, 36, 77, 25));
    EXPECT_EQ(Ok().text(), u"Ok"_s);
    EXPECT_TRUE(Ok().isDefault());
    ASSERT_EQ(List().count(), 2);
    EXPECT_EQ(List().item(0)->text(), u"English"_s);
    EXPECT_EQ(List().item(1)->text(), u"Russian"_s);
    EXPECT_EQ(List().visualItemRect(List().item(0)).height(), 13);
    EXPECT_TRUE(List().selectedItems().isEmpty());
    // A close box only: asking for none lets window managers add them all.
    const Qt::WindowFlags flags = form_.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(LanguageDialogTest, OkWithoutAClickChoosesNothing) {
    form_.show();
    QTest::mouseClick(&Ok(), Qt::LeftButton);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_FALSE(form_.ChosenLanguage().has_value());
}

TEST_F(LanguageDialogTest, EverySelectionChangeSetsTheLanguage) {
    form_.show();
    ClickItem(1);
    EXPECT_EQ(form_.ChosenLanguage(), 1);
    QTest::keyClick(&List(), Qt::Key_Up);
    EXPECT_EQ(form_.ChosenLanguage(), 0);
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(form_.ChosenLanguage(), 1);
    QTest::keyClick(&List(), Qt::Key_Return);
    EXPECT_FALSE(form_.isVisible());
}

// There is nothing to cancel: Escape closes the dialog as Return does,
// keeping the language chosen.
TEST_F(LanguageDialogTest, EscapeClosesAsReturnDoesAndTheListKeepsItsSelection) {
    form_.show();
    ClickItem(1);
    QTest::keyClick(&List(), Qt::Key_Escape);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.result(), QDialog::Accepted);
    EXPECT_EQ(form_.ChosenLanguage(), 1);

    form_.show();
    EXPECT_EQ(List().currentRow(), 1);
    EXPECT_FALSE(form_.ChosenLanguage().has_value())
        << "opening shows the old selection and chooses nothing";
    form_.ApplyLanguage(true);
    EXPECT_EQ(form_.windowTitle(), u"Выберите язык"_s);
}

}  // namespace
}  // namespace kwadrill
