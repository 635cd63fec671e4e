#pragma once

#include <QString>

#include <memory>
#include <optional>

#include "GameFlags.h"
#include "PersistentState.h"
#include "Random.h"
#include "SingleInstanceLock.h"

namespace kwadrill {

class AudioOutput;
class GameController;
class Gamepads;
class GameMusic;
class MusicDevice;
class SettingsStore;
class ShutdownSignals;
class StoreError;
class TForm1;
class WaveBank;
class WaveEffects;

// The whole program: creates every object once, in the start-up order, runs
// the event loop and goes down in the shut-down order.
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
    void CreateWindows();
    void ExtractMusic();
    void LoadRegistrySettings();
    bool FormClose();  // false keeps the main window open
    void ReportStoreError(const StoreError& error) const;
    void OnShutdownSignal();
    void CloseModalWindows();
    void CloseWhenModalWindowsAreGone();
    void ShowCentred();

    Random random_;
    PersistentState state_;
    GameFlags flags_;
    QString scratchDirectory_;
    QString recordDirectory_;
    std::optional<SingleInstanceLock> instanceLock_;
    std::unique_ptr<SettingsStore> settings_;

    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<WaveBank> waves_;
    std::unique_ptr<WaveEffects> effects_;
    std::unique_ptr<MusicDevice> musicDevice_;
    std::unique_ptr<GameMusic> music_;

    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<GameController> controller_;
    std::unique_ptr<ShutdownSignals> signals_;
    std::unique_ptr<Gamepads> gamepads_;  // goes before the window it sends keys to

    bool registrySaveFailed_ = false;
    bool shutdownRequested_ = false;
    bool audioOpened_ = false;
    bool startedUp_ = false;  // the window is shown and the event loop runs
};

}  // namespace kwadrill
