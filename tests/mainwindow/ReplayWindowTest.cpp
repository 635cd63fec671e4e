#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "GameSession.h"
#include "HighScores.h"
#include "ReplaySignBox.h"
#include "ReplayStore.h"
#include "SilentAudio.h"
#include "TForm3.h"
#include "TestFiles.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

bool ImageHasColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) return true;
        }
    }
    return false;
}

class ReplayWindowTest : public ::testing::Test {
protected:
    ReplayWindowTest() { session_.Arrange(); }

    test::SilentEffects effects_;
    test::SilentMusic music_;
    GameSession session_{effects_, music_, SessionSetup{.seed = 7}};
};

// The plate under the panel says what plays, in the player's language, red
// while it plays and grey once it has ended; the well itself is left alone.
TEST_F(ReplayWindowTest, TheSignSaysWhatPlaysInEitherLanguage) {
    TForm1& window = session_.window();
    ReplaySignBox& sign = *window.ReplaySignPlate();
    const QImage well = window.WellScreen();
    window.show();
    EXPECT_FALSE(sign.isVisible());

    struct Shown {
        std::int32_t language;
        ReplaySign replay;
        QString title, state;
        QRgb plate;
    };
    for (const Shown& shown :
         {Shown{0, {.speed = 2, .ended = false}, u"REPLAY"_s, u"speed 2x"_s, qRgb(160, 0, 0)},
          Shown{1, {.speed = 4, .ended = false}, u"ПОВТОР"_s, u"скорость 4x"_s, qRgb(160, 0, 0)},
          Shown{1, {.speed = 1, .ended = true}, u"ПОВТОР"_s, u"окончен"_s, qRgb(72, 72, 80)},
          Shown{0, {.speed = 1, .ended = true}, u"REPLAY"_s, u"ended"_s, qRgb(72, 72, 80)}}) {
        session_.controller().LoadStoredSettings(
            StoredSettings({{u"lng"_s, QString::number(shown.language)}}));
        window.ShowReplaySign(shown.replay);
        EXPECT_TRUE(sign.isVisible());
        EXPECT_EQ(sign.Texts().title, shown.title);
        EXPECT_EQ(sign.Texts().state, shown.state);
        EXPECT_TRUE(ImageHasColour(sign.grab().toImage(), shown.plate)) << qPrintable(shown.state);
    }
    session_.controller().LoadStoredSettings(StoredSettings({{u"lng"_s, u"1"_s}}));
    window.ShowReplaySign(ReplaySign{.speed = 2, .ended = false});
    session_.controller().LoadStoredSettings(StoredSettings({{u"lng"_s, u"0"_s}}));
    EXPECT_EQ(sign.Texts().title, u"REPLAY"_s) << "a change of language shows at once";

    window.ShowReplaySign(std::nullopt);
    EXPECT_FALSE(sign.isVisible());
    EXPECT_EQ(window.WellScreen(), well);
}

// Answers the game's windows as a player would: boxes confirmed, a name
// typed, the high-score window closed.
class Player {
public:
    Player() {
        QObject::connect(&timer_, &QTimer::timeout, [] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            if (auto* entry = dynamic_cast<TForm3*>(modal)) {
                entry->findChild<QLineEdit*>(u"Edit1"_s)->setText(u"Kim"_s);
                entry->accept();
            } else {
                modal->close();
            }
        });
        timer_.start(1);
    }

private:
    QTimer timer_;
};

// Ends the session's game with a settled board, no line and a block in the
// top row, and runs the windows that follow.
void EndGame(GameSession& session, std::int32_t score) {
    GameController& controller = session.controller();
    controller.SpeedButton1Click();
    for (int row = 1; row <= kRows; ++row)
        session.engine().board.At(1, row) = static_cast<std::uint8_t>(row % 2 + 1);
    session.engine().score = score;
    Player player;
    controller.Timer1Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// The game's replay lands in the folder under its entry's score and date;
// a folder that cannot be made costs one line on stderr, and the result is
// in the table all the same.
TEST(SessionReplays, AResultsReplayIsFiledAndAFolderThatRefusesCostsOneLine) {
    QTemporaryDir root;
    test::SilentEffects effects;
    test::SilentMusic music;
    {
        const QString folder = root.filePath(u"data/replays"_s);
        GameSession session(
            effects, music,
            SessionSetup{.seed = 7, .gameSeeds = CountingSeeds(99), .replayFolder = folder});
        session.Arrange();
        EndGame(session, 2500);
        const ScoreEntry& entry = session.state().record.scoreTable.Rank(1);
        ASSERT_EQ(entry.score, 2500);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files),
                  QStringList{QFileInfo(ReplayStore(folder).PathFor(entry)).fileName()});
        const auto kept = ReplayStore(folder).Load(entry);
        ASSERT_TRUE(std::holds_alternative<Replay>(kept));
        EXPECT_EQ(std::get<Replay>(kept).seed, 99u);
        EXPECT_EQ(std::get<Replay>(kept).score, 2500);
    }
    {
        const QString blocker = root.filePath(u"file"_s);
        test::WriteFileBytes(blocker, "a file where a folder belongs");
        GameSession session(effects, music,
                            SessionSetup{.seed = 7, .replayFolder = blocker + u"/replays"_s});
        session.Arrange();
        testing::internal::CaptureStderr();
        EndGame(session, 1800);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(session.state().record.scoreTable.Rank(1).score, 1800);
        // Qt's offscreen platform may add notes of its own; the game says one thing.
        const QString lines = QString::fromStdString(said);
        EXPECT_EQ(lines.count(u"Kwadrill: "_s), 1) << said;
        EXPECT_EQ(lines.count(u"Kwadrill: the replay could not be kept: "_s), 1) << said;
        EXPECT_NE(said.find(blocker.toStdString()), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace kwadrill
