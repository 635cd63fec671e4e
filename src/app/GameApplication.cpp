#include "GameApplication.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

#include "BackupFile.h"
#include "DialogLook.h"
#include "GameSeeds.h"
#include "GameSession.h"
#include "LanguageTexts.h"
#include "ReplayFile.h"
#include "ReplayStore.h"
#include "ReportingApplication.h"
#include "ScratchDirectory.h"
#include "SettingsStore.h"
#include "ShutdownSignals.h"
#include "StoreError.h"
#include "WindowZoom.h"

namespace kwadrill {

namespace {
const QString kInstanceName = QStringLiteral("QZKwadrill");
constexpr int kModalRetryMs = 10;
// The devices load and open after the first paint, or at the latest this
// long after the window was shown: well before the first main tick needs music.
constexpr int kDevicesOpenDeadlineMs = 500;

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

// Eight sizes of the icon are decoded and handed to the window system: work
// that waits until the main window has painted, unless a box comes first.
void UseGameIcon() {
    if (QGuiApplication::windowIcon().isNull()) QGuiApplication::setWindowIcon(GameIcon());
}
}  // namespace

GameApplication::GameApplication(std::optional<qreal> zoom, QString replayToPlay)
    : zoomForThisRun_(zoom), replayToPlay_(std::move(replayToPlay)) {}

// Members go down in reverse order: the session (controller, then windows)
// before the devices; the gamepads let go of the window first.
GameApplication::~GameApplication() {
    devices_.CloseGamepads();
}

int GameApplication::Run() {
    // First of all: a session may end while a start-up box waits for a player.
    signals_ = std::make_unique<ShutdownSignals>([this] { OnShutdownSignal(); });
    if (!FormCreate()) {
        return 0;
    }
    session_->window().SetFormClose([this] { return FormClose(); });
    session_->Arrange([this] { LoadRegistrySettings(); });
    // Over the player's own zoom for this run only: never stored.
    if (zoomForThisRun_) session_->window().SetZoom(*zoomForThisRun_);
    if (shutdownRequested_) {
        // The end came during start-up: everything is loaded, so it is saved
        // as a close would save it, without showing the window first.
        FormClose();
        return 0;
    }
    startedUp_ = true;
    ShowCentred();
    // The window comes up first; its icon, and loading and waiting for the
    // devices, after.
    new AfterFirstPaint(session_->window().Well(), [this] {
        UseGameIcon();
        OpenDevices();
        // With its music and effects, as a game would have them.
        if (!replayToPlay_.isEmpty() && !shutdownRequested_) {
            session_->controller().WatchReplay(ReadReplayFile(replayToPlay_));
        }
    });
    QTimer::singleShot(kDevicesOpenDeadlineMs, &session_->window(), [this] { OpenDevices(); });
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
    stateFiles_.emplace(recordDirectory_, *settings_);
    musicFiles_.emplace(scratchDirectory_);
    // What a killed save or extraction left behind; only while no other copy
    // can be writing.
    if (instanceLock_->Held()) {
        RemoveStaleBackupTemporaries(recordDirectory_);
        settings_->RemoveStaleTemporaries();
        musicFiles_->RemoveStaleTemporaries();
    }
    SessionSetup setup;
    if (!LoadBackupFile(setup.record, recordDirectory_, scratchDirectory_)) {
        SetBackupDefaults(setup.record);
    }
    setup.gameSeeds = EntropySeeds();
    setup.seed = setup.gameSeeds();
    setup.replayFolder = ReplayStore::DefaultFolder();
    session_ = std::make_unique<GameSession>(devices_, devices_, std::move(setup));
    session_->controller().KeepStateWith(&*stateFiles_);
    // The pads press the keys the player has bound.
    session_->playerSettings().Subscribe([this](const PlayerSettings& settings) {
        const KeyBindings& keys = settings.keys;
        devices_.SetPadKeys({keys.left, keys.right, keys.cycle, keys.drop, keys.pause,
                             settings.repeatDelayMs, settings.repeatRate});
    });
    ExtractMusic();
    session_->engine().ClearField();
    return true;
}

void GameApplication::OpenDevices() {
    // A game that is closing has no use for sound or gamepads.
    if (shutdownRequested_) return;
    TForm1& window = session_->window();
    devices_.Open(LazyDevices::FromModule(
        LazyDevices::DevicesModulePath(),
        {.scratchDirectory = scratchDirectory_,
         .random = [this](int n) { return session_->random()(n); },
         .showError =
             [this](const QString& text) {
                 QMessageBox box(QMessageBox::Critical, MusicDeviceErrorCaption(), text,
                                 QMessageBox::Ok, &session_->window());
                 box.exec();
             },
         .mainWindow = &window,
         .startButton = window.SpeedButton(1)}));
}

void GameApplication::ExtractMusic() {
    if (musicFiles_->Extract()) {
        return;
    }
    if (shutdownRequested_) {
        qWarning("%s", qUtf8Printable(SoundInitErrorText()));
        return;
    }
    UseGameIcon();
    QMessageBox box(QMessageBox::Warning, SoundInitErrorCaption(), SoundInitErrorText(),
                    QMessageBox::Ok, &session_->window());
    box.exec();
}

void GameApplication::LoadRegistrySettings() {
    const StoredSettings stored = settings_->LoadRegistrySettings();
    // Read apart from "lng" and "hsc": a damaged value of its own is its
    // default, and an error of theirs leaves them as they are.
    session_->playerSettings().Apply(stored.Player());
    try {
        session_->controller().LoadStoredSettings(stored);
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
        UseGameIcon();
        ReportingApplication::ShowErrorReport(error.Message());
    }
}

bool GameApplication::FormClose() {
    devices_.StopMusic();
    musicFiles_->Delete();
    GameController& controller = session_->controller();
    SaveResult saved = controller.SaveState();
    // The player's settings live in the store too, beside the table.
    if (!saved.store) {
        try {
            settings_->SavePlayerSettings(session_->playerSettings().Current());
        } catch (const StoreError& error) {
            saved.store = error;
        }
    }
    if (saved.NothingKept() && controller.ResultUnsaved()) {
        std::fprintf(stderr, "Kwadrill: the new high score could be saved nowhere and is lost\n");
    }
    // A store that refuses is reported once, so that the next close goes
    // through and the game can always be left; not at all once the box of a
    // result that could be saved nowhere has told of it.
    if (saved.store && !registrySaveFailed_ && !controller.StoreRefusalTold()) {
        registrySaveFailed_ = true;
        ReportStoreError(*saved.store);
        if (!shutdownRequested_) {
            return false;
        }
    }
    controller.BeginShutdown();
    return true;
}

// The end of a desktop session: close as the close box would, after the
// windows of a game-over sequence have recorded what they hold. During
// start-up only the open box is closed; Run() closes once all is loaded.
void GameApplication::OnShutdownSignal() {
    const bool first = !shutdownRequested_;
    shutdownRequested_ = true;
    if (session_) {
        session_->controller().BeginShutdown();
    }
    CloseModalWindows();
    if (first && startedUp_) {
        QTimer::singleShot(0, &session_->window(), [this] { CloseWhenModalWindowsAreGone(); });
    }
}

void GameApplication::CloseModalWindows() {
    if (session_) {
        session_->window().CloseModalWindows();
    } else if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
    }
}

// The game-over sequence may still be on its way to recording the result
// (its windows open in an event of their own): the close waits for it.
void GameApplication::CloseWhenModalWindowsAreGone() {
    TForm1& window = session_->window();
    if (QApplication::activeModalWidget() != nullptr ||
        session_->controller().GameOverSequenceRunning()) {
        CloseModalWindows();
        QTimer::singleShot(kModalRetryMs, &window, [this] { CloseWhenModalWindowsAreGone(); });
        return;
    }
    if (!window.close()) {
        window.close();  // the store could not be written: leave without it
    }
}

void GameApplication::ShowCentred() {
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    TForm1& window = session_->window();
    window.move(screen.center() - window.rect().center());
    window.ShowAsChosen();
    window.activateWindow();
}

}  // namespace kwadrill
