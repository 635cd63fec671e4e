#pragma once

#include <QString>

#include <memory>
#include <optional>

#include "SingleInstanceLock.h"

namespace kwadrill {

class GameAudio;
class GameSession;
class Gamepads;
class SettingsStore;
class ShutdownSignals;
class StoreError;

// The whole program on a real machine: the single-instance lock, the record
// and the store, real audio and the shut-down signals around the game session,
// each made once in the start-up order; runs the event loop and goes down in
// the shut-down order.
class GameApplication {
public:
    GameApplication();
    ~GameApplication();
    GameApplication(const GameApplication&) = delete;
    GameApplication& operator=(const GameApplication&) = delete;

    // Runs the game; the exit code.
    int Run();

private:
    bool FormCreate();  // false: another copy runs, nothing was touched
    void CreateAudio();
    void OpenAudio();
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

    std::unique_ptr<GameAudio> audio_;

    std::unique_ptr<GameSession> session_;
    std::unique_ptr<ShutdownSignals> signals_;
    std::unique_ptr<Gamepads> gamepads_;  // goes before the window it sends keys to

    bool registrySaveFailed_ = false;
    bool shutdownRequested_ = false;
    bool startedUp_ = false;  // the window is shown and the event loop runs
};

}  // namespace kwadrill
