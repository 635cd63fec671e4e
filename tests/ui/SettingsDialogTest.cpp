#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "KeyCaptureButton.h"
#include "LanguageTexts.h"
#include "SettingsDialog.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;
using Action = SettingsDialog::Action;

constexpr KeyRepeatTiming kSystemRepeat{.delayMs = 600, .perSecond = 25};

class SettingsDialogTest : public testing::Test {
protected:
    KeyCaptureButton& Key(Action action) { return *dialog_.KeyButton(action); }
    template <typename T>
    T& Child(const QString& text) {
        for (T* child : dialog_.findChildren<T*>()) {
            if (child->text() == text) return *child;
        }
        ADD_FAILURE() << "no control " << text.toStdString();
        return *dialog_.findChild<T*>();
    }
    void Click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    // On its box: a check box stretched across its column reacts only there
    // and on its text.
    void Click(QCheckBox& box) {
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
    }
    // A letter beyond Latin-1 comes with its text, as from a Russian layout;
    // 0 is a key Qt cannot name.
    static void Press(QWidget& target, int key) {
        const auto code = static_cast<Qt::Key>(key);
        if (key != 0 && (key < 0x0400 || key > 0x04ff)) {
            QTest::keyClick(&target, code);
            return;
        }
        const QString text(QChar(key).toLower());
        QTest::sendKeyEvent(QTest::Press, &target, code, text, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, &target, code, text, Qt::NoModifier);
    }

    // Runs whileOpen in the dialog's own event loop, then closes it as
    // whileOpen left it (accept or not); what Ask gave back.
    std::optional<PlayerSettings> Ask(const PlayerSettings& current,
                                      const std::function<void()>& whileOpen) {
        QTimer::singleShot(0, &dialog_, [&] {
            whileOpen();
            if (dialog_.isVisible()) dialog_.accept();
        });
        return dialog_.Ask(current, kSystemRepeat, [this](const PlayerSettings& settings) {
            previews_.push_back(settings);
        });
    }

    SettingsDialog dialog_{false, nullptr};
    std::vector<PlayerSettings> previews_;
};

TEST_F(SettingsDialogTest, AKeyButtonTakesTheNextKeyAndEscapeKeepsTheOldOne) {
    const auto chosen = Ask(PlayerSettings{}, [&] {
        Click(Key(Action::kLeft));
        EXPECT_TRUE(Key(Action::kLeft).Capturing());
        EXPECT_EQ(Key(Action::kLeft).text(), u"Press a key…"_s);
        EXPECT_TRUE(dialog_.Message().contains(u"“Move left”"_s));
        Press(Key(Action::kLeft), Qt::Key_A);
        EXPECT_FALSE(Key(Action::kLeft).Capturing());
        EXPECT_EQ(Key(Action::kLeft).text(), u"A"_s);
        EXPECT_TRUE(dialog_.Message().isEmpty());

        // Escape ends the capture, not the dialog.
        Click(Key(Action::kRight));
        Press(Key(Action::kRight), Qt::Key_Escape);
        EXPECT_FALSE(Key(Action::kRight).Capturing());
        EXPECT_EQ(Key(Action::kRight).Key(), Qt::Key_Right);
        EXPECT_TRUE(dialog_.isVisible());

        // Tab and the modifiers cannot steer: refused, and the capture goes
        // on. Space is taken, and its release starts no new capture.
        Click(Key(Action::kCycle));
        for (const int refused : {int(Qt::Key_Tab), int(Qt::Key_Shift), 0}) {
            Press(Key(Action::kCycle), refused);
            EXPECT_TRUE(Key(Action::kCycle).Capturing()) << refused;
            EXPECT_TRUE(dialog_.Message().contains(u"cannot be a game key"_s)) << refused;
        }
        EXPECT_EQ(dialog_.Message(), u"This key cannot be a game key. Choose another one."_s);
        Press(Key(Action::kCycle), Qt::Key_Space);
        EXPECT_EQ(Key(Action::kCycle).Key(), Qt::Key_Space);
        EXPECT_FALSE(Key(Action::kCycle).Capturing());

        // On the Russian layout, Ц is kept as W, the key at its place.
        Click(Key(Action::kDrop));
        Press(Key(Action::kDrop), 0x0426);
        EXPECT_EQ(Key(Action::kDrop).Key(), Qt::Key_W);
    });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->keys,
              (KeyBindings{Qt::Key_A, Qt::Key_Right, Qt::Key_Space, Qt::Key_W, Qt::Key_P}));
}

TEST_F(SettingsDialogTest, AKeyAnotherActionHasIsRefusedWithTheReason) {
    const auto chosen = Ask(PlayerSettings{}, [&] {
        const QSize size = dialog_.size();
        Click(Key(Action::kPause));
        Press(Key(Action::kPause), Qt::Key_Down);
        EXPECT_EQ(dialog_.Message(),
                  u"“Down” is already the key for “Drop the piece”. Choose another one."_s);
        EXPECT_TRUE(Key(Action::kPause).Capturing());
        EXPECT_EQ(Key(Action::kPause).Key(), Qt::Key_P);
        // Ф is A on the Latin layout: free.
        Press(Key(Action::kPause), 0x0424);
        EXPECT_EQ(Key(Action::kPause).Key(), Qt::Key_A);
        EXPECT_EQ(dialog_.size(), size) << "the message does not move the dialog's edges";

        Click(Key(Action::kLeft));
        Press(Key(Action::kLeft), 0x0424);
        EXPECT_TRUE(dialog_.Message().contains(u"“Pause”"_s));
        Press(Key(Action::kLeft), Qt::Key_Escape);
    });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(chosen->keys.Valid());
    EXPECT_EQ(chosen->keys.left, Qt::Key_Left);
    EXPECT_EQ(chosen->keys.pause, Qt::Key_A);
}

TEST_F(SettingsDialogTest, StandardKeysBringBackTheDescribedKeys) {
    PlayerSettings leftHand;
    leftHand.keys = {Qt::Key_A, Qt::Key_D, Qt::Key_W, Qt::Key_S, Qt::Key_Space};
    const auto chosen = Ask(leftHand, [&] {
        EXPECT_EQ(Key(Action::kDrop).Key(), Qt::Key_S);
        Click(*dialog_.StandardKeysButton());
    });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->keys, KeyBindings{});
}

// The sliders are heard at once; what else the dialog shows waits for OK,
// and Cancel sets the volumes back.
TEST_F(SettingsDialogTest, VolumesActAtOnceAndCancelSetsThemBack) {
    PlayerSettings current;
    current.effectsVolume = 80;
    const auto chosen = Ask(current, [&] {
        Click(Child<QCheckBox>(u"Full screen"_s));
        dialog_.MusicSlider()->setValue(40);
        QTest::keyClick(dialog_.EffectsSlider(), Qt::Key_PageDown);
        QTest::keyClick(&dialog_, Qt::Key_Escape);
    });
    EXPECT_FALSE(chosen.has_value());
    ASSERT_EQ(previews_.size(), 3U);
    PlayerSettings first = current;
    first.musicVolume = 40;
    EXPECT_EQ(previews_[0], first);
    EXPECT_EQ(previews_[1].musicVolume, 40);
    EXPECT_EQ(previews_[1].effectsVolume, 70);
    EXPECT_FALSE(previews_[1].fullScreen);
    EXPECT_EQ(previews_[2], current);
}

TEST_F(SettingsDialogTest, OkGivesBackEverythingTheDialogShows) {
    const auto chosen = Ask(PlayerSettings{}, [&] {
        EXPECT_TRUE(Child<QCheckBox>(u"Pause when the window loses focus"_s).isChecked());
        // Off, the repeat shows the system's values and cannot be changed.
        const auto spins = dialog_.findChildren<QSpinBox*>();
        ASSERT_EQ(spins.size(), 2);
        EXPECT_EQ(spins[0]->value(), 600);
        EXPECT_EQ(spins[1]->value(), 25);
        EXPECT_FALSE(spins[0]->isEnabled());
        Click(Child<QCheckBox>(u"Repeat at my own pace"_s));
        spins[0]->setValue(250);
        spins[1]->setValue(40);
        Click(Child<QCheckBox>(u"Show the next piece"_s));
        Click(Child<QCheckBox>(u"Show where the piece will land"_s));
        Click(Child<QCheckBox>(u"Pause when the window loses focus"_s));
        Click(Child<QCheckBox>(u"Full screen"_s));
        QComboBox& zoom = *dialog_.findChild<QComboBox*>();
        EXPECT_EQ(zoom.currentText(), u"Automatic"_s);
        zoom.setCurrentIndex(zoom.findText(u"150 %"_s));
        dialog_.MusicSlider()->setValue(0);
        Click(Child<QPushButton>(u"OK"_s));
    });
    PlayerSettings expected;
    expected.musicVolume = 0;
    expected.repeatDelayMs = 250;
    expected.repeatRate = 40;
    expected.nextPiecePreview = true;
    expected.landingShadow = true;
    expected.pauseOnFocusLoss = false;
    expected.fullScreen = true;
    expected.zoom = 1.5;
    EXPECT_EQ(chosen, expected);

    // Its own repeat switched off again, the system's holds: neither value.
    const auto back = Ask(expected, [&] {
        QCheckBox& own = Child<QCheckBox>(u"Repeat at my own pace"_s);
        EXPECT_TRUE(own.isChecked());
        Click(own);
        EXPECT_EQ(dialog_.findChildren<QSpinBox*>()[0]->value(), 600);
    });
    ASSERT_TRUE(back.has_value());
    EXPECT_FALSE(back->repeatDelayMs.has_value());
    EXPECT_FALSE(back->repeatRate.has_value());
}

TEST_F(SettingsDialogTest, SpeaksBothLanguagesAtAFixedSize) {
    for (const bool russian : {true, false}) {
        dialog_.ApplyLanguage(russian);
        const SettingsTexts texts = SettingsDialogTexts(russian);
        dialog_.show();
        EXPECT_EQ(dialog_.windowTitle(), texts.caption);
        EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
        EXPECT_EQ(Child<QPushButton>(texts.ok).isDefault(), true);
        Child<QPushButton>(texts.cancel);
        Child<QPushButton>(texts.standardKeys);
        Child<QCheckBox>(texts.fullScreen);
        EXPECT_EQ(dialog_.findChild<QComboBox*>()->itemText(0), texts.zoomAutomatic);
        dialog_.hide();
    }
    EXPECT_EQ(SettingsDialogTexts(true).menuEntry, u"Настройки…"_s);
}

}  // namespace
}  // namespace kwadrill
