#include "MusicDevice.h"

#include "AudioOutput.h"
#include "CachedPiecePlayer.h"
#include "MidiFileInfo.h"
#include "MidiSynth.h"
#include "MusicCache.h"

#include <QFile>

#include <SDL_mixer.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <span>

namespace kwadrill {
namespace {

// Far above any piece of the game; keeps a wrong path from filling memory.
constexpr qint64 kMaxMidiFileBytes = 16 * 1024 * 1024;
constexpr int kBytesPerFrame = 2 * sizeof(std::int16_t);

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

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

}  // namespace

// A piece playing from the cache, and the player's clock recorded with it.
struct MusicDevice::Rendered {
    std::unique_ptr<CachedPiecePlayer> player;
    TickMap ticks;
};

// The piece is chosen only while the hook is off, and Mix_HookMusic takes the
// audio lock: what this reads of the device stays put while it runs.
void MusicDevice::Mix(void* device, std::uint8_t* stream, int length) {
    auto& self = *static_cast<MusicDevice*>(device);
    auto* samples = reinterpret_cast<std::int16_t*>(stream);
    if (self.rendered_) {
        self.rendered_->player->Mix(samples, length / kBytesPerFrame);
    } else {
        self.synth_->Render(samples, length / kBytesPerFrame);
    }
    AudioOutput::IntoMix(samples, length / static_cast<int>(sizeof(std::int16_t)), self.volume_);
}

void MusicDevice::SetVolume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
}

MusicDevice::MusicDevice(const AudioOutput& output, std::vector<std::string> soundFontCandidates,
                         MusicCache* cache)
    : output_(output), soundFontCandidates_(std::move(soundFontCandidates)), cache_(cache) {}

MusicDevice::~MusicDevice() {
    Close();
}

// The errors come in the order they always did: the output, the SoundFont,
// the synthesizer, then the piece; a rendered piece needs no synthesizer.
int MusicDevice::Open(const QString& path) {
    Close();
    if (!output_.IsOpen()) return kOutputUnavailable;
    // A SoundFont loaded earlier plays on even if its file has gone since.
    const std::string soundFont = FindSoundFont(soundFontCandidates_);
    if (soundFont.empty() && !(synth_ && synth_->HasSoundFont())) return kNoSoundFont;
    MidiFileInfo info;
    const int pieceError = ReadPiece(path, info);
    if (pieceError == kNoError && !soundFont.empty() && OpenRendered(soundFont)) {
        piece_.clear();
        length_ = info.lengthTicks;
        open_ = true;
        return kNoError;
    }
    if (const int error = PrepareSynth(soundFont); error != kNoError || pieceError != kNoError) {
        piece_.clear();
        return error != kNoError ? error : pieceError;
    }
    synth_->PinPrograms(info.programs);
    length_ = info.lengthTicks;
    open_ = true;
    return kNoError;
}

int MusicDevice::Play() {
    if (!open_ || hooked_) return kNoError;
    if (rendered_) {
        Mix_HookMusic(Mix, this);
        hooked_ = true;
        return kNoError;
    }
    if (!synth_->Start(Bytes(piece_))) return kSynthFailed;
    Mix_HookMusic(Mix, this);
    hooked_ = true;
    return kNoError;
}

void MusicDevice::Close() {
    if (hooked_) {
        // Returns only once the audio thread has left the mixer.
        Mix_HookMusic(nullptr, nullptr);
        hooked_ = false;
    }
    rendered_.reset();
    if (synth_) synth_->Stop();
    piece_.clear();
    length_ = 0;
    open_ = false;
}

bool MusicDevice::OutputAttempted() const {
    return output_.OpenAttempted();
}

bool MusicDevice::IsPlaying() const {
    if (!hooked_) return false;
    if (rendered_) return !rendered_->player->Ended() && Position() < length_;
    return synth_->PlayerRunning() && synth_->CurrentTick() < length_;
}

std::int64_t MusicDevice::Position() const {
    if (!hooked_) return 0;
    const std::int64_t tick =
        rendered_ ? rendered_->ticks.TickAt(rendered_->player->Played()) : synth_->CurrentTick();
    return std::min(tick, length_);
}

int MusicDevice::PrepareSynth(const std::string& soundFont) {
    if (synth_ && synth_->HasSoundFont()) return kNoError;
    if (!synth_) synth_ = std::make_unique<MidiSynth>(output_.Frequency());
    if (!synth_->IsReady()) {
        synth_.reset();
        return kSynthFailed;
    }
    return synth_->LoadSoundFont(soundFont) ? kNoError : kSoundFontUnreadable;
}

int MusicDevice::ReadPiece(const QString& path, MidiFileInfo& info) {
    QFile file(path);
    if (!file.exists()) return kFileNotFound;
    if (!file.open(QIODevice::ReadOnly)) return kFileUnreadable;
    if (file.size() > kMaxMidiFileBytes) return kNotMidiFile;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return kFileUnreadable;
    info = MidiFileInfo::Read(Bytes(bytes));
    if (info.status != MidiFileInfo::Status::Ok) return ErrorFor(info.status);
    piece_ = std::move(bytes);
    return kNoError;
}

bool MusicDevice::OpenRendered(const std::string& soundFont) {
    if (cache_ == nullptr) return false;
    const int rate = output_.Frequency();
    const std::string key = MusicCache::KeyFor(Bytes(piece_), soundFont, rate);
    if (key.empty()) return false;
    MusicCacheFolder::Lookup lookup = cache_->Find(key, rate);
    if (lookup.piece) {
        const std::int64_t frames = lookup.piece->Frames();
        if (LoadRendered(lookup.piece->TakeDescriptor(), frames, lookup.piece->Ticks())) {
            cache_->StartRendering(soundFont, rate);
            // No live piece will need the SoundFont again.
            if (cache_->Complete() && synth_) {
                synth_.reset();
                ::malloc_trim(0);
            }
            return true;
        }
        cache_->Discard(key);
    }
    cache_->Want(key);
    cache_->StartRendering(soundFont, rate);
    return false;
}

bool MusicDevice::LoadRendered(int fd, std::int64_t frames, TickMap ticks) {
    auto player = CachedPiecePlayer::Open(fd, frames, output_.Frequency());
    if (!player) return false;
    rendered_ = std::make_unique<Rendered>(Rendered{std::move(player), std::move(ticks)});
    return true;
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
