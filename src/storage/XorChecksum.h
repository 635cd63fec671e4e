#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>

namespace kwadrill {

// File utilities answer -1 for failure and otherwise a length.
inline constexpr std::int32_t kFileFailure = -1;

// Progress of a pass over a file: (total bytes, bytes processed so far);
// returning false stops the pass.
using ProgressCallback = std::function<bool(double total, double done)>;
bool AlwaysContinue(double total, double done);

// seed XOR every byte of data.
std::uint8_t XorCheckByte(QByteArrayView data, std::uint8_t seed);

// Appends the check byte of the whole file; the old length + 1. A pass the
// callback stops appends nothing and answers -1.
std::int32_t AppendXorChecksum(const QString& path, std::uint8_t seed,
                               const ProgressCallback& progress);
// The file length when its last byte is the check byte of the bytes before it.
std::int32_t VerifyXorChecksum(const QString& path, std::uint8_t seed);
// Shortens the file by one byte; the new length.
std::int32_t TruncateLastByte(const QString& path);
// VerifyXorChecksum, then TruncateLastByte.
std::int32_t VerifyAndStripChecksum(const QString& path, std::uint8_t seed);

}  // namespace kwadrill
