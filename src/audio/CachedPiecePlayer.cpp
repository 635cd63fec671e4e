#include "CachedPiecePlayer.h"

#include <vorbis/vorbisfile.h>

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace kwadrill {
namespace {

constexpr int kPieceChannels = 2;
constexpr int kBigEndianSamples = std::endian::native == std::endian::big ? 1 : 0;

}  // namespace

struct CachedPiecePlayer::Decoder {
    OggVorbis_File file{};
    std::size_t batchSamples = 0;

    ~Decoder() { ov_clear(&file); }  // closes the file
};

std::unique_ptr<CachedPiecePlayer> CachedPiecePlayer::Open(int fd, std::int64_t frames,
                                                           int sampleRate) {
    FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        ::close(fd);
        return nullptr;
    }
    auto decoder = std::make_unique<Decoder>();
    if (ov_open_callbacks(stream, &decoder->file, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(stream);
        // ov_clear on a file that never opened is safe: it was zeroed.
        return nullptr;
    }
    const vorbis_info* info = ov_info(&decoder->file, -1);
    if (info == nullptr || info->channels != kPieceChannels || info->rate != sampleRate ||
        ov_pcm_total(&decoder->file, -1) != frames)
        return nullptr;
    decoder->batchSamples = static_cast<std::size_t>(sampleRate) * kPieceChannels;
    return std::unique_ptr<CachedPiecePlayer>(new CachedPiecePlayer(std::move(decoder)));
}

CachedPiecePlayer::CachedPiecePlayer(std::unique_ptr<Decoder> decoder)
    : decoder_(std::move(decoder)) {
    // A batch, and room for the last read to overrun it.
    buffer_.resize(decoder_->batchSamples + 8192);
}

CachedPiecePlayer::~CachedPiecePlayer() = default;

void CachedPiecePlayer::Refill() {
    std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(next_),
              buffer_.begin() + static_cast<std::ptrdiff_t>(waiting_), buffer_.begin());
    waiting_ -= next_;
    next_ = 0;
    while (!decodedAll_ && waiting_ < decoder_->batchSamples) {
        int section = 0;
        const long bytes =
            ov_read(&decoder_->file, reinterpret_cast<char*>(buffer_.data() + waiting_),
                    static_cast<int>((buffer_.size() - waiting_) * sizeof(std::int16_t)),
                    kBigEndianSamples, sizeof(std::int16_t), 1, &section);
        if (bytes == OV_HOLE) continue;  // a gap in the data: play on after it
        if (bytes <= 0) {
            decodedAll_ = true;  // the end, or a stream that cannot go on
            break;
        }
        waiting_ += static_cast<std::size_t>(bytes) / sizeof(std::int16_t);
    }
}

void CachedPiecePlayer::Mix(std::int16_t* out, int frames) {
    std::size_t wanted = static_cast<std::size_t>(frames) * kPieceChannels;
    if (waiting_ - next_ < wanted && !decodedAll_) Refill();
    const std::size_t given = std::min(wanted, waiting_ - next_);
    std::memcpy(out, buffer_.data() + next_, given * sizeof(std::int16_t));
    std::fill(out + given, out + wanted, std::int16_t{0});
    next_ += given;
    played_ += static_cast<std::int64_t>(given / kPieceChannels);
    if (decodedAll_ && next_ == waiting_) ended_ = true;
}

}  // namespace kwadrill
