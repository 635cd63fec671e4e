#include "GameApplication.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "AudioOutput.h"
#include "BackupFile.h"
#include "GameController.h"
#include "GameMusic.h"
#include "Gamepads.h"
#include "LanguageTexts.h"
#include "MusicDevice.h"
#include "ReportingApplication.h"
#include "ScratchDirectory.h"
#include "SettingsStore.h"
#include "ShutdownSignals.h"
#include "StoreError.h"
#include "TForm1.h"
#include "WaveBank.h"
#include "WaveEffects.h"

namespace kwadrill {

namespace {
const QString kInstanceName = QStringLiteral("QZKwadrill");
constexpr int kModalRetryMs = 10;
// The audio device opens after the first paint, or at the latest this long
// after the window was shown: well before the first main tick needs music.
constexpr int kAudioOpenDeadlineMs = 500;

// Runs its action once, right after the watched widget's first paint.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* widget, std::function<void()> action)
        : QObject(widget), action_(std::move(action)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && action_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(action_, {}));
        }
        return false;
    }

private:
    std::function<void()> action_;
};
}  // namespace

GameApplication::GameApplication() = default;

// Members go down in reverse order: the controller before the windows and
// the music, the music before the audio output.
GameApplication::~GameApplication() = default;

int GameApplication::Run() {
    // First of all: a session may end while a start-up box waits for a player.
    signals_ = std::make_unique<ShutdownSignals>([this] { OnShutdownSignal(); });
    if (!FormCreate()) {
        return 0;
    }
    form1_->SetFormClose([this] { return FormClose(); });
    // The language dialog is the last window made: the main window is arranged now.
    form1_->ArrangeMainWindow([this] { LoadRegistrySettings(); });
    if (shutdownRequested_) {
        // The end came during start-up: everything is loaded, so it is saved
        // as a close would save it, without showing the window first.
        FormClose();
        return 0;
    }
    startedUp_ = true;
    ShowCentred();
    // The window comes up first; waiting for the devices comes after.
    new AfterFirstPaint(form1_->Well(), [this] {
        OpenAudio();
        gamepads_->Open();
    });
    QTimer::singleShot(kAudioOpenDeadlineMs, form1_.get(), [this] { OpenAudio(); });
    return QApplication::exec();
}

bool GameApplication::FormCreate() {
    scratchDirectory_ = GetScratchDirectory();
    instanceLock_.emplace(AnotherInstanceRunning(kInstanceName, scratchDirectory_));
    if (instanceLock_->AnotherCopyRunning()) {
        return false;
    }
    recordDirectory_ = BackupFileDirectory(QApplication::applicationDirPath());
    settings_ = std::make_unique<SettingsStore>();
    // What a killed save left behind; only while no other copy can be saving.
    if (instanceLock_->Held()) {
        RemoveStaleBackupTemporaries(recordDirectory_);
        settings_->RemoveStaleTemporaries();
    }
    if (!LoadBackupFile(state_.record, recordDirectory_, scratchDirectory_)) {
        SetBackupDefaults(state_.record);
    }
    random_.Seed(
        static_cast<std::uint32_t>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay()));
    CreateAudio();
    CreateWindows();
    ExtractMusic();
    controller_->engine().ClearField();
    return true;
}

void GameApplication::CreateAudio() {
    output_ = std::make_unique<AudioOutput>(AudioOutput::Opening::Later);
    waves_ = std::make_unique<WaveBank>(*output_, std::map<QString, QByteArray>{});
    effects_ = std::make_unique<WaveEffects>(*waves_, [this](int n) { return random_(n); });
    musicDevice_ = std::make_unique<MusicDevice>(*output_);
    music_ =
        std::make_unique<GameMusic>(*musicDevice_, scratchDirectory_, [this](const QString& text) {
            QMessageBox box(QMessageBox::Critical, MusicDeviceErrorCaption(), text, QMessageBox::Ok,
                            form1_.get());
            box.exec();
        });
}

void GameApplication::OpenAudio() {
    if (audioOpened_) {
        return;
    }
    audioOpened_ = true;
    output_->Open();
    waves_->Decode(WaveBank::ReadWaveResources());
}

void GameApplication::CreateWindows() {
    form1_ = std::make_unique<TForm1>(state_, random_);
    controller_ =
        std::make_unique<GameController>(flags_, *form1_, *effects_, *music_, state_, random_);
    form1_->Attach(*controller_);
    gamepads_ = std::make_unique<Gamepads>(*form1_, *form1_->SpeedButton(1));
}

void GameApplication::ExtractMusic() {
    if (music_->ExtractMusicFiles()) {
        return;
    }
    if (shutdownRequested_) {
        qWarning("%s", qUtf8Printable(SoundInitErrorText()));
        return;
    }
    QMessageBox box(QMessageBox::Warning, SoundInitErrorCaption(), SoundInitErrorText(),
                    QMessageBox::Ok, form1_.get());
    box.exec();
}

void GameApplication::LoadRegistrySettings() {
    try {
        settings_->LoadRegistrySettings(state_, [this](std::int32_t) { form1_->ApplyLanguage(); });
    } catch (const StoreError& error) {
        ReportStoreError(error);
    }
}

// Nobody is left to answer a box once the session has ended: the report goes
// to stderr instead.
void GameApplication::ReportStoreError(const StoreError& error) const {
    if (shutdownRequested_) {
        qWarning("%s", qUtf8Printable(StandardErrorText(error.Message())));
    } else {
        ReportingApplication::ShowErrorReport(error.Message());
    }
}

bool GameApplication::FormClose() {
    music_->StopMusic();
    music_->DeleteMusicFiles();
    SaveBackupFile(state_.record, recordDirectory_);
    // After a failed save the next attempt quits without trying again, so the
    // game can always be left; the backup file above holds everything anyway.
    if (!registrySaveFailed_) {
        try {
            settings_->SaveRegistrySettings(state_);
        } catch (const StoreError& error) {
            registrySaveFailed_ = true;
            ReportStoreError(error);
            if (!shutdownRequested_) {
                return false;
            }
        }
    }
    controller_->BeginShutdown();
    return true;
}

// The end of a desktop session: close as the close box would, after the
// windows of a game-over sequence have recorded what they hold. During
// start-up only the open box is closed; Run() closes once all is loaded.
void GameApplication::OnShutdownSignal() {
    const bool first = !shutdownRequested_;
    shutdownRequested_ = true;
    if (controller_) {
        controller_->BeginShutdown();
    }
    CloseModalWindows();
    if (first && startedUp_) {
        QTimer::singleShot(0, form1_.get(), [this] { CloseWhenModalWindowsAreGone(); });
    }
}

void GameApplication::CloseModalWindows() {
    if (form1_) {
        form1_->CloseModalWindows();
    } else if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
    }
}

// The game-over sequence may still be on its way to recording the result
// (its windows open in an event of their own): the close waits for it.
void GameApplication::CloseWhenModalWindowsAreGone() {
    if (QApplication::activeModalWidget() != nullptr || controller_->GameOverSequenceRunning()) {
        CloseModalWindows();
        QTimer::singleShot(kModalRetryMs, form1_.get(), [this] { CloseWhenModalWindowsAreGone(); });
        return;
    }
    if (!form1_->close()) {
        form1_->close();  // the store could not be written: leave without it
    }
}

void GameApplication::ShowCentred() {
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    form1_->move(screen.center() - form1_->rect().center());
    form1_->show();
    form1_->activateWindow();
}

}  // namespace kwadrill
