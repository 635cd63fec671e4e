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

// XORs the next `length` bytes of the file into check; false when reading failed.
bool XorPass(QFile& file, qint64 length, std::uint8_t& check) {
    std::array<char, kChunkSize> buffer;
    qint64 done = 0;
    while (done < length) {
        const qint64 got = file.read(buffer.data(), std::min(kChunkSize, length - done));
        if (got <= 0) return false;
        check = XorCheckByte(QByteArrayView(buffer.data(), got), check);
        done += got;
    }
    return true;
}

}  // namespace

std::uint8_t XorCheckByte(QByteArrayView data, std::uint8_t seed) {
    std::uint8_t check = seed;
    for (const char byte : data) check ^= static_cast<std::uint8_t>(byte);
    return check;
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
    if (!XorPass(file, length - 1, check) || file.read(&last, 1) != 1) return kFileFailure;
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
