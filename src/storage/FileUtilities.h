#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

#include <cstdint>
#include <limits>

namespace kwadrill {

// File attribute bits as the record's file utilities take them. Only the
// read-only bit has a counterpart here (the write permission); archive,
// hidden and system are accepted and have no effect.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeArchive = 0x20;

// No limit on the length of a file to copy.
inline constexpr qint64 kAnyLength = std::numeric_limits<qint64>::max();

// Copies source over destination (which is deleted first) and then makes the
// copy read-only (kAttributeReadOnly) or writable by its owner (otherwise).
// The bytes copied, or -1: source missing or not a regular file, the two paths
// naming the same file, destination not deletable, or any open, read or write
// failing (a partial copy is removed). A link is never followed, neither at
// the source nor at the destination, and a FIFO or device is never opened.
// A source longer than largestSource fails before anything is copied; one
// that grows while it is copied fails after at most largestSource + 1 bytes.
std::int32_t CopyFileWithAttributes(const QString& source, const QString& destination,
                                    std::uint32_t attributes, qint64 largestSource = kAnyLength);

// Opens a regular file for reading. The name is checked before it is opened,
// so a device is never opened, and a link or FIFO swapped in meanwhile is
// neither followed nor waited on. info: the opened file's status.
bool OpenRegularFile(const QString& path, QFile& file, struct stat& info);

// The length of a file, or -1.
std::int32_t GetFileSizeOrFail(const QString& path);

}  // namespace kwadrill
