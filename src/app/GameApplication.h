#pragma once

#include <QString>

#include <memory>
#include <optional>

#include "LazyDevices.h"
#include "MusicFiles.h"
#include "SingleInstanceLock.h"
#include "StateFiles.h"

namespace kwadrill {

class GameSession;
class SettingsStore;
class ShutdownSignals;
class StoreError;

// The whole program on a real machine: the single-instance lock, the record
// and the store, the devices and the shut-down signals around the game session,
// each made once in the start-up order; runs the event loop and goes down in
// the shut-down order.
class GameApplication {
public:
    // zoom: the windows' zoom for this run, over the stored one;
    // replayToPlay: a replay file to watch once the window is up.
    explicit GameApplication(std::optional<qreal> zoom = std::nullopt, QString replayToPlay = {});
    ~GameApplication();
    GameApplication(const GameApplication&) = delete;
    GameApplication& operator=(const GameApplication&) = delete;

    // Runs the game; the exit code.
    int Run();

private:
    bool FormCreate();  // false: another copy runs, nothing was touched
    void OpenDevices();
    void ExtractMusic();
    void LoadRegistrySettings();
    bool FormClose();  // false keeps the main window open
    void ReportStoreError(const StoreError& error) const;
    void OnShutdownSignal();
    void CloseModalWindows();
    void CloseWhenModalWindowsAreGone();
    void ShowCentred();

    QString scratchDirectory_;
    QString recordDirectory_;
    std::optional<SingleInstanceLock> instanceLock_;
    std::unique_ptr<SettingsStore> settings_;
    std::optional<StateFiles> stateFiles_;  // the record and the store, saved together

    // Sound, music and gamepads: silent until loaded after the first paint.
    LazyDevices devices_;
    std::optional<MusicFiles> musicFiles_;

    std::unique_ptr<GameSession> session_;
    std::unique_ptr<ShutdownSignals> signals_;

    bool registrySaveFailed_ = false;
    bool shutdownRequested_ = false;
    bool startedUp_ = false;  // the window is shown and the event loop runs
    std::optional<qreal> zoomForThisRun_;
    QString replayToPlay_;
};

}  // namespace kwadrill
