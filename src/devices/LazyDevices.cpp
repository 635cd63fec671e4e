#include "LazyDevices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dlfcn.h>

#include <cstdio>

#include "ModuleFile.h"

namespace kwadrill {

LazyDevices::~LazyDevices() = default;

LazyDevices::Loader LazyDevices::FromModule(QString path, DeviceSetup setup) {
    return [path = std::move(path),
            setup = std::move(setup)](QString& problem) -> std::unique_ptr<GameDevices> {
        if (QString why = ModuleFileProblem(path); !why.isEmpty()) {
            problem = path + QStringLiteral(": ") + why;
            return nullptr;
        }
        // The module and the libraries it brings stay to the end of the
        // process: audio and gamepad libraries keep threads and exit handlers.
        void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            problem = QString::fromLocal8Bit(dlerror());
            return nullptr;
        }
        auto make =
            reinterpret_cast<MakeGameDevicesFunction>(dlsym(module, kMakeGameDevicesSymbol));
        if (make == nullptr) {
            problem = QString::fromLocal8Bit(dlerror());
            return nullptr;
        }
        return std::unique_ptr<GameDevices>(make(setup));
    };
}

// Only where the program was installed with it; a build tree is laid out
// the same way. Never a path compiled in: another user may be able to make it.
QString LazyDevices::DevicesModulePath() {
    // The program's folder has no links left in it: ".." may be folded.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/" KWADRILL_DEVICES_MODULE_FROM_BINDIR));
}

void LazyDevices::Open(const Loader& load) {
    if (opened_) return;
    opened_ = true;
    QString problem;
    devices_ = load(problem);
    if (!devices_) {
        std::fprintf(stderr, "kwadrill: no sound, music or gamepads: %s\n",
                     qUtf8Printable(problem));
        return;
    }
    if (soundEnabled_) devices_->effects().SetSoundEnabled(*soundEnabled_);
    if (musicEnabled_) devices_->music().SetMusicEnabled(*musicEnabled_);
    if (effectsVolume_) devices_->effects().SetEffectsVolume(*effectsVolume_);
    if (musicVolume_) devices_->music().SetMusicVolume(*musicVolume_);
    if (padKeys_) devices_->SetPadKeys(*padKeys_);
    devices_->Open();
}

void LazyDevices::CloseGamepads() {
    if (devices_) devices_->CloseGamepads();
}

void LazyDevices::SetSoundEnabled(bool enabled) {
    soundEnabled_ = enabled;
    if (devices_) devices_->effects().SetSoundEnabled(enabled);
}

void LazyDevices::SetEffectsVolume(int percent) {
    effectsVolume_ = percent;
    if (devices_) devices_->effects().SetEffectsVolume(percent);
}

void LazyDevices::SetPadKeys(const PadKeys& keys) {
    padKeys_ = keys;
    if (devices_) devices_->SetPadKeys(keys);
}

void LazyDevices::PlayDissolveSound() {
    if (devices_) devices_->effects().PlayDissolveSound();
}

bool LazyDevices::PlayDropSound() {
    return devices_ && devices_->effects().PlayDropSound();
}

void LazyDevices::SetMusicEnabled(bool enabled) {
    musicEnabled_ = enabled;
    if (devices_) devices_->music().SetMusicEnabled(enabled);
}

void LazyDevices::SetMusicVolume(int percent) {
    musicVolume_ = percent;
    if (devices_) devices_->music().SetMusicVolume(percent);
}

// Before the devices, nothing is due: the upkeep asks again at its next tick.
QString LazyDevices::NextMusicFile(bool gameRunning, const QString& name) {
    return devices_ ? devices_->music().NextMusicFile(gameRunning, name) : QString();
}

void LazyDevices::PlayMusicFile(const QString& path) {
    if (devices_) devices_->music().PlayMusicFile(path);
}

void LazyDevices::StopMusic() {
    if (devices_) devices_->music().StopMusic();
}

void LazyDevices::ResetTrackCounter() {
    if (devices_) devices_->music().ResetTrackCounter();
}

bool LazyDevices::IsPlaying() {
    return devices_ && devices_->music().IsPlaying();
}

std::int64_t LazyDevices::Position() {
    return devices_ ? devices_->music().Position() : 0;
}

std::int64_t LazyDevices::Length() {
    return devices_ ? devices_->music().Length() : 0;
}

}  // namespace kwadrill
