#include "XorChecksum.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <limits>

namespace kwadrill {

namespace {

constexpr qint64 kLargestResult = std::numeric_limits<std::int32_t>::max();
constexpr qint64 kChunkSize = 64 * 1024;

// Runs the pass over the first `length` bytes; false when reading failed or
// the callback stopped it.
bool XorPass(QFile& file, qint64 length, const ProgressCallback& progress, std::uint8_t& check) {
    std::array<char, kChunkSize> buffer;
    qint64 done = 0;
    while (done < length) {
        const qint64 got = file.read(buffer.data(), std::min(kChunkSize, length - done));
        if (got <= 0) return false;
        for (qint64 i = 0; i < got; ++i) {
            check ^= static_cast<std::uint8_t>(buffer[static_cast<std::size_t>(i)]);
            ++done;
            if (progress && !progress(static_cast<double>(length), static_cast<double>(done)))
                return false;
        }
    }
    return true;
}

}  // namespace

bool AlwaysContinue(double /*total*/, double /*done*/) {
    return true;
}

std::uint8_t XorCheckByte(QByteArrayView data, std::uint8_t seed) {
    std::uint8_t check = seed;
    for (const char byte : data) check ^= static_cast<std::uint8_t>(byte);
    return check;
}

std::int32_t AppendXorChecksum(const QString& path, std::uint8_t seed,
                               const ProgressCallback& progress) {
    if (!QFileInfo(path).isFile()) return kFileFailure;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return kFileFailure;
    const qint64 length = file.size();
    if (length >= kLargestResult) return kFileFailure;
    std::uint8_t check = seed;
    if (!XorPass(file, length, progress, check)) return kFileFailure;
    const char byte = static_cast<char>(check);
    if (!file.seek(length) || file.write(&byte, 1) != 1) return kFileFailure;
    file.close();
    if (file.error() != QFileDevice::NoError) return kFileFailure;
    return static_cast<std::int32_t>(length + 1);
}

std::int32_t VerifyXorChecksum(const QString& path, std::uint8_t seed) {
    if (!QFileInfo(path).isFile()) return kFileFailure;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return kFileFailure;
    const qint64 length = file.size();
    if (length == 0 || length > kLargestResult) return kFileFailure;
    // A pass in chunks: however long the file, it is never held in memory whole.
    std::uint8_t check = seed;
    char last = 0;
    if (!XorPass(file, length - 1, {}, check) || file.read(&last, 1) != 1) return kFileFailure;
    if (check != static_cast<std::uint8_t>(last)) return kFileFailure;
    return static_cast<std::int32_t>(length);
}

std::int32_t TruncateLastByte(const QString& path) {
    if (!QFileInfo(path).isFile()) return kFileFailure;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return kFileFailure;
    const qint64 length = file.size();
    if (length == 0 || length > kLargestResult || !file.resize(length - 1)) return kFileFailure;
    const qint64 newLength = file.size();
    file.close();
    return static_cast<std::int32_t>(newLength);
}

std::int32_t VerifyAndStripChecksum(const QString& path, std::uint8_t seed) {
    if (VerifyXorChecksum(path, seed) == kFileFailure) return kFileFailure;
    return TruncateLastByte(path);
}

}  // namespace kwadrill
