#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace kwadrill {

// File utilities answer -1 for failure and otherwise a length.
inline constexpr std::int32_t kFileFailure = -1;

// seed XOR every byte of data.
std::uint8_t XorCheckByte(QByteArrayView data, std::uint8_t seed);

// The file length when its last byte is the check byte of the bytes before it.
std::int32_t VerifyXorChecksum(const QString& path, std::uint8_t seed);
// Shortens the file by one byte; the new length.
std::int32_t TruncateLastByte(const QString& path);
// VerifyXorChecksum, then TruncateLastByte.
std::int32_t VerifyAndStripChecksum(const QString& path, std::uint8_t seed);

}  // namespace kwadrill
