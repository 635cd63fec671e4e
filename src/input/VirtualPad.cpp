#include "VirtualPad.h"

#include <QFile>
#include <QStringList>

#include <SDL_gamecontroller.h>

namespace kwadrill {

VirtualPad::VirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    // One button and axis per game-controller control, in SDL's order: SDL
    // then maps them one to one.
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Kwadrill virtual pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return;
    joystick_ = SDL_JoystickOpen(index);
    if (joystick_ == nullptr) SDL_JoystickDetachVirtual(index);
}

VirtualPad::~VirtualPad() {
    Unplug();
}

SDL_JoystickID VirtualPad::Id() const {
    return joystick_ != nullptr ? SDL_JoystickInstanceID(joystick_) : -1;
}

bool VirtualPad::SetButton(int button, bool down) {
    return joystick_ != nullptr &&
           SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED) == 0;
}

bool VirtualPad::SetAxis(int axis, int value) {
    return joystick_ != nullptr &&
           SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(value)) == 0;
}

bool VirtualPad::ButtonShown(int button) const {
    return joystick_ != nullptr && SDL_JoystickGetButton(joystick_, button) == SDL_PRESSED;
}

int VirtualPad::AxisShown(int axis) const {
    return joystick_ != nullptr ? SDL_JoystickGetAxis(joystick_, axis) : 0;
}

// The device index of a virtual pad changes as others come and go: it is
// looked up by the pad's id.
void VirtualPad::Unplug() {
    if (joystick_ == nullptr) return;
    const SDL_JoystickID id = Id();
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickIsVirtual(index) && SDL_JoystickGetDeviceInstanceID(index) == id) {
            SDL_JoystickDetachVirtual(index);
            return;
        }
    }
}

PadScript::PadScript(QString path) : path_(std::move(path)) {
    watcher_.addPath(path_);
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, [this] { ReadNewLines(); });
    ReadNewLines();
}

void PadScript::ReadNewLines() {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset_)) return;
    const QByteArray added = file.readAll();
    // Up to the last complete line; the rest is still being written.
    const qsizetype complete = added.lastIndexOf('\n') + 1;
    offset_ += complete;
    for (const QByteArray& line : added.left(complete).split('\n')) {
        if (!line.isEmpty()) lines_.append(QString::fromUtf8(line).trimmed());
    }
}

void PadScript::PlayNextLine() {
    if (!lines_.isEmpty()) Play(lines_.takeFirst());
}

void PadScript::Play(const QString& line) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 1 && words[0] == QLatin1String("unplug")) {
        pad_.Unplug();
    } else if (words.size() == 3 && words[0] == QLatin1String("button")) {
        const SDL_GameControllerButton button =
            SDL_GameControllerGetButtonFromString(words[1].toUtf8().constData());
        if (button != SDL_CONTROLLER_BUTTON_INVALID) pad_.SetButton(button, words[2].toInt() != 0);
    } else if (words.size() == 3 && words[0] == QLatin1String("axis")) {
        const SDL_GameControllerAxis axis =
            SDL_GameControllerGetAxisFromString(words[1].toUtf8().constData());
        if (axis != SDL_CONTROLLER_AXIS_INVALID) pad_.SetAxis(axis, words[2].toInt());
    }
}

}  // namespace kwadrill
