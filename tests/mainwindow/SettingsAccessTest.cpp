#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

#include "GameSession.h"
#include "KeyCaptureButton.h"
#include "SettingsDialog.h"
#include "SilentAudio.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

// The main window as the game has it, with the ticks given by the test.
class SettingsAccess : public ::testing::Test {
protected:
    SettingsAccess() {
        session_.Arrange();
        session_.controller().timer1().SetEnabled(false);
        session_.controller().timer2().SetEnabled(false);
        form_.show();
        form_.activateWindow();
    }

    void SetUp() override { ASSERT_TRUE(QTest::qWaitForWindowActive(&form_)); }

    // Runs whileOpen in the settings dialog's own event loop once something
    // has opened it; true when it was open.
    bool WhenSettingsOpen(const std::function<void()>& open,
                          const std::function<void(SettingsDialog&)>& whileOpen) {
        bool wasOpen = false;
        QTimer::singleShot(0, &form_, [&] {
            SettingsDialog* dialog = form_.SettingsWindow();
            wasOpen = QApplication::activeModalWidget() == dialog;
            if (wasOpen) whileOpen(*dialog);
        });
        open();
        return wasOpen;
    }

    void StartWithPiece() {
        session_.controller().SpeedButton1Click();
        session_.controller().Timer1Timer();
        ASSERT_TRUE(session_.engine().PieceCanMove());
    }

    test::SilentEffects effects_;
    test::SilentMusic music_;
    GameSession session_{effects_, music_, SessionSetup{.seed = 7}};
    TForm1& form_ = session_.window();
};

TEST_F(SettingsAccess, CtrlCommaOpensTheSettingsAndOkHandsTheNewKeysToTheGame) {
    const bool opened =
        WhenSettingsOpen([&] { QTest::keyClick(&form_, Qt::Key_Comma, Qt::ControlModifier); },
                         [](SettingsDialog& dialog) {
                             KeyCaptureButton* drop = dialog.KeyButton(SettingsDialog::kDrop);
                             QTest::mouseClick(drop, Qt::LeftButton);
                             QTest::keyClick(drop, Qt::Key_Space);
                             dialog.accept();
                         });
    ASSERT_TRUE(opened);
    EXPECT_EQ(session_.playerSettings().Current().keys.drop, Qt::Key_Space);

    StartWithPiece();
    QTest::keyClick(&form_, Qt::Key_Down);
    EXPECT_FALSE(session_.flags().collapsing);
    QTest::keyClick(&form_, Qt::Key_Space);
    EXPECT_TRUE(session_.flags().collapsing);
}

// A right click anywhere on the control panel, its buttons included, offers
// the settings; the panel itself stays as it was.
TEST_F(SettingsAccess, ThePanelsContextMenuHasOneEntryForTheSettings) {
    QToolButton* button = form_.SpeedButton(3);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &rightClick);
    QMenu* menu = form_.ControlPanelMenu();
    EXPECT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), u"Settings…"_s);

    const bool opened = WhenSettingsOpen([&] { menu->actions().front()->trigger(); },
                                         [](SettingsDialog& dialog) { dialog.reject(); });
    EXPECT_TRUE(opened);
    EXPECT_EQ(session_.playerSettings().Current(), PlayerSettings{});

    session_.controller().LoadStoredSettings(StoredSettings({{u"lng"_s, u"1"_s}}));
    EXPECT_EQ(menu->actions().front()->text(), u"Настройки…"_s);
    EXPECT_EQ(form_.SettingsWindow()->windowTitle(), u"Настройки"_s);
}

// With a pace of the player's own, a held shift key repeats by the game's
// timer; a key a pad sends is not the keyboard's and repeats by itself.
TEST_F(SettingsAccess, TheWindowRepeatsAHeldShiftKeyAtThePlayersPace) {
    PlayerSettings settings;
    settings.repeatDelayMs = 300;
    settings.repeatRate = 20;
    ASSERT_TRUE(session_.playerSettings().Apply(settings));
    StartWithPiece();
    const int column = session_.engine().fallingPiece.blocks[0].column;
    const int key = column > 1 ? Qt::Key_Left : Qt::Key_Right;
    const int step = column > 1 ? -1 : 1;

    QTest::keyPress(&form_, static_cast<Qt::Key>(key));
    EXPECT_EQ(session_.engine().fallingPiece.blocks[0].column, column + step);
    EXPECT_TRUE(form_.KeyRepeat().Repeating());
    EXPECT_EQ(form_.KeyRepeat().NextTickMs(), 300);
    QTest::keyRelease(&form_, static_cast<Qt::Key>(key));
    EXPECT_FALSE(form_.KeyRepeat().Repeating());

    QKeyEvent sent(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&form_, &sent);
    EXPECT_EQ(session_.engine().fallingPiece.blocks[0].column, column + 2 * step);
    EXPECT_FALSE(form_.KeyRepeat().Repeating());
}

}  // namespace
}  // namespace kwadrill
