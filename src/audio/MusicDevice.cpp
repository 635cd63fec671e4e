#include "MusicDevice.h"

#include "AudioOutput.h"
#include "MidiFileInfo.h"
#include "MidiSynth.h"

#include <QFile>

#include <SDL_mixer.h>

#include <algorithm>
#include <span>

namespace kwadrill {
namespace {

// Far above any piece of the game; keeps a wrong path from filling memory.
constexpr qint64 kMaxMidiFileBytes = 16 * 1024 * 1024;
constexpr int kBytesPerFrame = 2 * sizeof(std::int16_t);

void SDLCALL RenderMusic(void* synth, Uint8* stream, int length) {
    static_cast<MidiSynth*>(synth)->Render(reinterpret_cast<std::int16_t*>(stream),
                                           length / kBytesPerFrame);
}

int ErrorFor(MidiFileInfo::Status status) {
    switch (status) {
        case MidiFileInfo::Status::Ok:
            return MusicDevice::kNoError;
        case MidiFileInfo::Status::NotMidiFile:
            return MusicDevice::kNotMidiFile;
        case MidiFileInfo::Status::DamagedTrack:
            return MusicDevice::kDamagedTrack;
        case MidiFileInfo::Status::UnsupportedFormat:
            return MusicDevice::kUnsupportedFormat;
    }
    return MusicDevice::kNotMidiFile;
}

}  // namespace

MusicDevice::MusicDevice(const AudioOutput& output, std::vector<std::string> soundFontCandidates)
    : output_(output), soundFontCandidates_(std::move(soundFontCandidates)) {}

MusicDevice::~MusicDevice() {
    Close();
}

int MusicDevice::Open(const QString& path) {
    Close();
    if (const int error = PrepareSynth(); error != kNoError) return error;
    if (const int error = ReadPiece(path); error != kNoError) return error;
    open_ = true;
    return kNoError;
}

int MusicDevice::Play() {
    if (!open_ || hooked_) return kNoError;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(piece_.constData());
    if (!synth_->Start(std::span(bytes, static_cast<std::size_t>(piece_.size()))))
        return kSynthFailed;
    Mix_HookMusic(RenderMusic, synth_.get());
    hooked_ = true;
    return kNoError;
}

void MusicDevice::Close() {
    if (hooked_) {
        // Returns only once the audio thread has left the hook.
        Mix_HookMusic(nullptr, nullptr);
        hooked_ = false;
    }
    if (synth_) synth_->Stop();
    piece_.clear();
    length_ = 0;
    open_ = false;
}

bool MusicDevice::OutputAttempted() const {
    return output_.OpenAttempted();
}

bool MusicDevice::IsPlaying() const {
    return hooked_ && synth_->PlayerRunning() && synth_->CurrentTick() < length_;
}

std::int64_t MusicDevice::Position() const {
    if (!hooked_) return 0;
    return std::min(synth_->CurrentTick(), length_);
}

int MusicDevice::PrepareSynth() {
    if (!output_.IsOpen()) return kOutputUnavailable;
    if (synth_ && synth_->HasSoundFont()) return kNoError;
    const std::string soundFont = FindSoundFont(soundFontCandidates_);
    if (soundFont.empty()) return kNoSoundFont;
    if (!synth_) synth_ = std::make_unique<MidiSynth>(output_.Frequency());
    if (!synth_->IsReady()) {
        synth_.reset();
        return kSynthFailed;
    }
    return synth_->LoadSoundFont(soundFont) ? kNoError : kSoundFontUnreadable;
}

int MusicDevice::ReadPiece(const QString& path) {
    QFile file(path);
    if (!file.exists()) return kFileNotFound;
    if (!file.open(QIODevice::ReadOnly)) return kFileUnreadable;
    if (file.size() > kMaxMidiFileBytes) return kNotMidiFile;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return kFileUnreadable;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const MidiFileInfo info =
        MidiFileInfo::Read(std::span(data, static_cast<std::size_t>(bytes.size())));
    if (info.status != MidiFileInfo::Status::Ok) return ErrorFor(info.status);
    synth_->PinPrograms(info.programs);
    piece_ = std::move(bytes);
    length_ = info.lengthTicks;
    return kNoError;
}

QString MusicDevice::ErrorText(int code) {
    switch (code) {
        case kNoError:
            return QStringLiteral("The command completed without error.");
        case kNoSoundFont:
            return QStringLiteral(
                "No General MIDI SoundFont was found. Install one (for example the package "
                "fluid-soundfont-gm) or name its file in KWADRILL_SOUNDFONT.");
        case kSoundFontUnreadable:
            return QStringLiteral("The SoundFont could not be loaded; the file may be damaged.");
        case kOutputUnavailable:
            return QStringLiteral("The audio output could not be opened.");
        case kSynthFailed:
            return QStringLiteral("The synthesizer could not be started.");
        case kFileNotFound:
            return QStringLiteral("The music file cannot be found.");
        case kFileUnreadable:
            return QStringLiteral("The music file cannot be read.");
        case kNotMidiFile:
            return QStringLiteral("The music file is not a standard MIDI file.");
        case kDamagedTrack:
            return QStringLiteral(
                "The music file is damaged: a track is cut short or holds an invalid event.");
        case kUnsupportedFormat:
            return QStringLiteral(
                "The music file uses a MIDI format or time division that cannot be played.");
    }
    return QStringLiteral("Unknown error code");
}

}  // namespace kwadrill
