#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

#include "BackupFile.h"
#include "GameSession.h"
#include "SettingsStore.h"
#include "SilentAudio.h"
#include "StateFiles.h"
#include "TForm3.h"
#include "TestFiles.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

struct ShownBox {
    QString caption, text, button;
};

// Answers every modal window of the game as a player would: each message box
// is read and confirmed, the name entry gets a name, any other window is
// closed. It looks whenever the event loop of a window lets its timer run.
class ModalAnswerer {
public:
    ModalAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
        timer_.start(1);
    }

    std::vector<ShownBox> boxes;

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            boxes.push_back({box->windowTitle(), box->text(), ok ? ok->text() : QString()});
            if (ok) ok->click();
        } else if (auto* entry = dynamic_cast<TForm3*>(modal)) {
            entry->findChild<QLineEdit*>(u"Edit1"_s)->setText(u"Kim"_s);
            entry->accept();
        } else {
            modal->close();
        }
    }

    QTimer timer_;
};

struct LanguageCase {
    const char* name;
    bool russian;
    QString caption;
    QString button;
    // The reasons as the player reads them: a file where a folder belongs,
    // and a folder where the file belongs.
    QString fileInTheWay;
    QString folderInTheWay;
};
void PrintTo(const LanguageCase& c, std::ostream* out) {
    *out << c.name;
}

class ResultNotSaved : public ::testing::TestWithParam<LanguageCase> {};

// A game ends with a new high score on a machine where neither the backup
// file nor the store can be written: a file stands where the store's folder
// belongs, a folder where the backup file belongs (both refuse root too).
// The player is told at once, in their language, which files and why; no
// developer's text appears, and nothing in the way is touched.
TEST_P(ResultNotSaved, IsToldInThePlayersLanguageWithBothFilesAndWhy) {
    const LanguageCase& language = GetParam();
    QTemporaryDir root;
    const QString blocker = root.filePath(u"config"_s);
    test::WriteFileBytes(blocker, "a file where a folder belongs");
    const QString storePath = blocker + u"/QZ's Kwadrill/Kwadrill.ini"_s;
    const QString recordDir = root.filePath(u"data/"_s);
    const QString backupPath = recordDir + QLatin1String(kBackupFileName);
    ASSERT_TRUE(QDir().mkpath(backupPath));
    SettingsStore store(storePath);
    StateFiles files(recordDir, store);

    test::SilentEffects effects;
    test::SilentMusic music;
    GameSession session(effects, music, SessionSetup{.seed = 7});
    session.Arrange();
    GameController& controller = session.controller();
    controller.LoadStoredSettings(StoredSettings({{u"lng"_s, language.russian ? u"1"_s : u"0"_s}}));
    controller.KeepStateWith(&files);
    // A settled board with no line and a block in the top row: the next main
    // tick ends the game.
    controller.SpeedButton1Click();
    for (int row = 1; row <= kRows; ++row)
        session.engine().board.At(1, row) = static_cast<std::uint8_t>(row % 2 + 1);
    session.engine().score = 4321;
    ModalAnswerer player;

    controller.Timer1Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);  // the game-over windows

    ASSERT_FALSE(controller.GameOverSequenceRunning());
    ASSERT_EQ(session.state().record.scoreTable.Rank(1).score, 4321);
    const ShownBox* told = nullptr;
    for (const ShownBox& box : player.boxes) {
        EXPECT_FALSE(box.text.contains(u"Failed to set data"_s)) << qPrintable(box.text);
        if (box.caption == language.caption) told = &box;
    }
    ASSERT_NE(told, nullptr) << "no box captioned " << qPrintable(language.caption);
    EXPECT_TRUE(told->text.contains(backupPath)) << qPrintable(told->text);
    EXPECT_TRUE(told->text.contains(storePath)) << qPrintable(told->text);
    EXPECT_TRUE(told->text.contains(language.folderInTheWay)) << qPrintable(told->text);
    EXPECT_TRUE(told->text.contains(language.fileInTheWay.arg(blocker))) << qPrintable(told->text);
    EXPECT_EQ(told->button, language.button);
    EXPECT_TRUE(controller.ResultUnsaved());
    EXPECT_EQ(test::ReadFileBytes(blocker), "a file where a folder belongs");
    EXPECT_TRUE(QFileInfo(backupPath).isDir());
}

INSTANTIATE_TEST_SUITE_P(
    BothLanguages, ResultNotSaved,
    ::testing::Values(LanguageCase{"English", false, u"High score not saved"_s, u"OK"_s,
                                   u"%1 is a file where a folder should be"_s,
                                   u"something that is not a file (a folder, say) has its name"_s},
                      LanguageCase{"Russian", true, u"Рекорд не сохранён"_s, u"Понятно"_s,
                                   u"%1 - файл там, где должна быть папка"_s,
                                   u"под его именем лежит не файл (например, папка)"_s}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
}  // namespace kwadrill
