// The devices module: the game's audio and gamepads behind GameDevices, with
// SDL2, SDL2_mixer, FluidSynth and the Vorbis libraries linked in here only.

#include "AudioOutput.h"
#include "GameAudio.h"
#include "GameDevices.h"
#include "Gamepads.h"
#include "MusicCacheFolder.h"

#include <memory>
#include <type_traits>

namespace kwadrill {
namespace {

class RealDevices final : public GameDevices {
public:
    explicit RealDevices(const DeviceSetup& setup)
        : audio_(AudioOutput::Opening::Later, setup.scratchDirectory, setup.random, setup.showError,
                 MusicCacheFolder::DefaultFolder()),
          gamepads_(std::make_unique<Gamepads>(*setup.mainWindow, *setup.startButton)) {}

    SoundEffects& effects() override { return audio_.effects(); }
    MusicControl& music() override { return audio_.music(); }

    void Open() override {
        audio_.Open();
#ifdef KWADRILL_PAD_SCRIPT_VARIABLE
        if (gamepads_) gamepads_->Open(qEnvironmentVariable(KWADRILL_PAD_SCRIPT_VARIABLE));
#else
        if (gamepads_) gamepads_->Open();
#endif
    }

    void CloseGamepads() override {
        gamepads_.reset();
    }

    void SetPadKeys(const PadKeys& keys) override {
        if (!gamepads_) return;
        gamepads_->SetGameKeys({keys.left, keys.right, keys.cycle, keys.drop, keys.pause});
        gamepads_->SetRepeat(keys.repeatDelayMs
                                 ? std::optional(std::chrono::milliseconds(*keys.repeatDelayMs))
                                 : std::nullopt,
                             keys.repeatRate);
    }

private:
    GameAudio audio_;
    std::unique_ptr<Gamepads> gamepads_;
};

}  // namespace
}  // namespace kwadrill

// The entry point the program looks up by kMakeGameDevicesSymbol.
extern "C" __attribute__((visibility("default"))) kwadrill::GameDevices* kwadrill_make_game_devices(
    const kwadrill::DeviceSetup& setup) {
    return new kwadrill::RealDevices(setup);
}
static_assert(
    std::is_same_v<decltype(&kwadrill_make_game_devices), kwadrill::MakeGameDevicesFunction>);
