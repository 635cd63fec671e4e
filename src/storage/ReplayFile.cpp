#include "ReplayFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <bit>
#include <cerrno>
#include <cstring>

#include "FileUtilities.h"

namespace kwadrill {

namespace {

constexpr char kMagic[] = "KWREPLAY";
constexpr qsizetype kMagicSize = 8;

QByteArray Checksum(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

class Writer {
public:
    template <typename T>
    void Put(T value) {
        const T little = qToLittleEndian(value);
        bytes_.append(reinterpret_cast<const char*>(&little), sizeof little);
    }
    void PutDouble(double value) { Put(std::bit_cast<std::uint64_t>(value)); }
    QByteArray& Bytes() { return bytes_; }

private:
    QByteArray bytes_;
};

class Reader {
public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}
    template <typename T>
    T Take() {
        T value{};
        std::memcpy(&value, bytes_.data() + position_, sizeof value);
        position_ += static_cast<qsizetype>(sizeof value);
        return qFromLittleEndian(value);
    }
    double TakeDouble() { return std::bit_cast<double>(Take<std::uint64_t>()); }

private:
    QByteArrayView bytes_;
    qsizetype position_ = 0;
};

bool IsKnownInput(std::uint8_t input) {
    return input >= static_cast<std::uint8_t>(ReplayInput::ShiftLeft) &&
           input <= static_cast<std::uint8_t>(ReplayInput::Resume);
}

}  // namespace

QByteArray EncodeReplay(const Replay& replay) {
    Writer out;
    out.Bytes().append(kMagic, kMagicSize);
    out.Put(kReplayVersion);
    out.Put(replay.rules);
    out.Put(replay.seed);
    out.PutDouble(replay.date);
    out.Put(replay.score);
    out.Put(replay.level);
    out.Put(replay.pieces);
    out.Put(static_cast<std::uint32_t>(replay.steps.size()));
    for (const ReplayStep& step : replay.steps) {
        out.Put(step.tick);
        out.Put(static_cast<std::uint8_t>(step.input));
    }
    out.Bytes().append(Checksum(out.Bytes()));
    return out.Bytes();
}

std::variant<Replay, QString> DecodeReplay(QByteArrayView bytes) {
    if (bytes.size() > kLargestReplayFile) return QStringLiteral("too large to be a replay");
    if (bytes.size() < kMagicSize || QByteArrayView(kMagic, kMagicSize) != bytes.first(kMagicSize))
        return QStringLiteral("not a replay");
    if (bytes.size() < kReplayHeaderSize + kReplayChecksumSize) return QStringLiteral("cut short");
    Reader in(bytes.sliced(kMagicSize));
    const auto version = in.Take<std::uint16_t>();
    if (version != kReplayVersion)
        return QStringLiteral("made by another version of the game (format %1)").arg(version);
    const qsizetype body = bytes.size() - kReplayChecksumSize;
    if (Checksum(bytes.first(body)) != bytes.sliced(body))
        return QStringLiteral("damaged (its checksum does not match)");

    Replay replay;
    replay.rules = in.Take<std::uint16_t>();
    replay.seed = in.Take<std::uint64_t>();
    replay.date = in.TakeDouble();
    replay.score = in.Take<std::int32_t>();
    replay.level = in.Take<std::int32_t>();
    replay.pieces = in.Take<std::uint32_t>();
    const auto count = in.Take<std::uint32_t>();
    // Whole and checked: a wrong length here was written so, not cut.
    if (static_cast<qint64>(count) * kReplayStepSize != body - kReplayHeaderSize)
        return QStringLiteral("its length does not match its %1 inputs").arg(count);
    if (replay.rules != 0)
        return QStringLiteral("played by rules this version does not know (%1)").arg(replay.rules);
    replay.steps.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ReplayStep step;
        step.tick = in.Take<std::uint32_t>();
        const auto input = in.Take<std::uint8_t>();
        if (!IsKnownInput(input))
            return QStringLiteral("input %1 is of an unknown kind (%2)").arg(i + 1).arg(input);
        if (!replay.steps.empty() && step.tick < replay.steps.back().tick)
            return QStringLiteral("input %1 goes back in time").arg(i + 1);
        step.input = static_cast<ReplayInput>(input);
        replay.steps.push_back(step);
    }
    return replay;
}

std::variant<Replay, QString> ReadReplayFile(const QString& path) {
    QFile file;
    struct stat info {};
    if (!OpenRegularFile(path, file, info)) {
        const int error = errno;
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
            return QStringLiteral("not a regular file");
        return QString::fromLocal8Bit(std::strerror(error));
    }
    if (info.st_size > kLargestReplayFile) return QStringLiteral("too large to be a replay");
    const QByteArray bytes = file.read(kLargestReplayFile + 1);
    if (file.error() != QFileDevice::NoError) return file.errorString();
    return DecodeReplay(bytes);
}

}  // namespace kwadrill
