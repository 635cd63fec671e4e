#include "Gamepads.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "VirtualPad.h"

namespace kwadrill {

namespace {

// Qt tells the rate but not the delay; these are the usual defaults.
constexpr std::chrono::milliseconds kRepeatDelay{500};
constexpr int kRepeatsPerSecond = 30;
constexpr int kEventsPerPeek = 16;

void SendKey(QWidget& target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
}

// What a key types unshifted, for a key that types a plain character.
QString TypedBy(int key) {
    if (key < Qt::Key_Space || key > Qt::Key_AsciiTilde) return {};
    return QString(QChar(key)).toLower();
}

}  // namespace

Gamepads::Gamepads(QWidget& mainWindow, QAbstractButton& startButton)
    : mainWindow_(mainWindow),
      startButton_(startButton),
      state_(KeyboardRepeat(), [this](const PadBinding& binding) {
          // Given out after the pump has returned: a key may open a modal
          // window, whose own event loop must go on pumping.
          QMetaObject::invokeMethod(
              this, [this, binding] { Deliver(binding); }, Qt::QueuedConnection);
      }) {
    pump_.setTimerType(Qt::CoarseTimer);
    connect(&pump_, &QTimer::timeout, this, [this] { Pump(); });
    repeat_.setSingleShot(true);
    repeat_.setTimerType(Qt::PreciseTimer);
    connect(&repeat_, &QTimer::timeout, this, [this] { Pump(); });
    // What is held when the main window loses the focus is let go, as a
    // keyboard's keys are: it must be pressed again to act once more.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (focus != mainWindow_.windowHandle()) {
            state_.ReleaseAll();
            repeat_.stop();
        }
    });
}

Gamepads::~Gamepads() {
    if (!open_) return;
    script_.reset();
    CloseAll();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

PadState::RepeatTiming Gamepads::KeyboardRepeat() {
    int rate = QGuiApplication::styleHints()->keyboardAutoRepeatRate();
    if (rate <= 0) rate = kRepeatsPerSecond;
    return {kRepeatDelay,
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::seconds(1)) / rate};
}

void Gamepads::SetRepeat(std::optional<std::chrono::milliseconds> delay,
                         std::optional<int> perSecond) {
    PadState::RepeatTiming timing = KeyboardRepeat();
    if (delay) timing.delay = *delay;
    if (perSecond && *perSecond > 0) {
        timing.interval =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::seconds(1)) /
            *perSecond;
    }
    state_.SetTiming(timing);
}

void Gamepads::Open(const QString& padScript) {
    if (open_) return;
    // The game turns SIGINT and SIGTERM into a clean close itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL reads SDL_GAMECONTROLLERCONFIG from the environment here: mappings
    // for pads its database does not know.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "kwadrill: no gamepads: %s\n", SDL_GetError());
        return;
    }
    open_ = true;
    if (!padScript.isEmpty()) script_ = std::make_unique<PadScript>(padScript);
    Pump();  // the pads already plugged in
}

void Gamepads::Pump() {
    if (!open_) return;
    // A press is seen only once the pad is open here: the script waits.
    if (script_ && (!script_->Pad().Plugged() || pads_.contains(script_->Pad().Id()))) {
        script_->PlayNextLine();
    }
    SDL_PumpEvents();
    std::array<SDL_Event, kEventsPerPeek> events{};
    int count = 0;
    // Joystick and controller events only: the rest of SDL's queue belongs
    // to whoever else uses SDL.
    while ((count = SDL_PeepEvents(events.data(), kEventsPerPeek, SDL_GETEVENT, SDL_JOYAXISMOTION,
                                   SDL_FINGERDOWN - 1)) > 0) {
        for (int i = 0; i < count; ++i) Handle(events[static_cast<std::size_t>(i)]);
    }
    state_.Advance(PadState::Clock::now());
    Reschedule();
}

void Gamepads::Handle(const SDL_Event& event) {
    const auto now = PadState::Clock::now();
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            AddPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            RemovePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (pads_.contains(event.cbutton.which)) {
                state_.Button(event.cbutton.which, event.cbutton.button,
                              event.cbutton.state == SDL_PRESSED, now);
            }
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (pads_.contains(event.caxis.which)) {
                state_.Axis(event.caxis.which, event.caxis.axis, event.caxis.value, now);
            }
            break;
        default:
            break;  // the joystick events behind the controller events
    }
}

void Gamepads::AddPad(int deviceIndex) {
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (pad == nullptr) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
    if (!pads_.emplace(id, pad).second) {
        SDL_GameControllerClose(pad);  // announced twice: keep one handle
    }
}

void Gamepads::RemovePad(SDL_JoystickID id) {
    const auto pad = pads_.find(id);
    if (pad == pads_.end()) return;
    SDL_GameControllerClose(pad->second);
    pads_.erase(pad);
    state_.PadRemoved(id);
}

void Gamepads::CloseAll() {
    for (const auto& [id, pad] : pads_) SDL_GameControllerClose(pad);
    pads_.clear();
    state_.ReleaseAll();
}

void Gamepads::Reschedule() {
    const int interval = pads_.empty() ? kIdlePumpMs : kPadPumpMs;
    if (!pump_.isActive() || pump_.interval() != interval) pump_.start(interval);
    if (const auto due = state_.NextRepeat()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(*due - PadState::Clock::now());
        repeat_.start(std::max<int>(0, static_cast<int>(wait.count())));
    } else {
        repeat_.stop();
    }
}

void Gamepads::Deliver(const PadBinding& binding) {
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) return;
    if (QWidget* modal = QApplication::activeModalWidget()) {
        DeliverToDialog(*modal, binding.dialog);
    } else {
        DeliverToGame(binding.game);
    }
}

void Gamepads::DeliverToGame(GameKey key) {
    switch (key) {
        case GameKey::Left:
            SendKey(mainWindow_, keys_.left, TypedBy(keys_.left));
            break;
        case GameKey::Right:
            SendKey(mainWindow_, keys_.right, TypedBy(keys_.right));
            break;
        case GameKey::Cycle:
            SendKey(mainWindow_, keys_.cycle, TypedBy(keys_.cycle));
            break;
        case GameKey::Drop:
            SendKey(mainWindow_, keys_.drop, TypedBy(keys_.drop));
            break;
        case GameKey::Pause:
            SendKey(mainWindow_, keys_.pause, TypedBy(keys_.pause));
            break;
        case GameKey::Start:
            startButton_.click();  // starts only when no game runs, as a click does
            break;
        case GameKey::None:
            break;
    }
}

// To the widget that has the window's focus, as a keyboard would: a line
// edit or a memo passes Return and Escape on to its dialog or handles them.
void Gamepads::DeliverToDialog(QWidget& modal, DialogKey key) {
    QWidget* focus = modal.focusWidget();
    QWidget& target = focus != nullptr ? *focus : modal;
    switch (key) {
        case DialogKey::Confirm:
            SendKey(target, Qt::Key_Return, QStringLiteral("\r"));
            break;
        case DialogKey::Dismiss:
            SendKey(target, Qt::Key_Escape, QStringLiteral("\x1b"));
            break;
        case DialogKey::None:
            break;
    }
}

}  // namespace kwadrill
