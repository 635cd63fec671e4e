#pragma once

#include <QString>

#include <cstdint>

namespace kwadrill {

// File attribute bits as the record's file utilities take them. Only the
// read-only bit has a counterpart here (the write permission); archive,
// hidden and system are accepted and have no effect.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeArchive = 0x20;

// Copies source over destination (which is deleted first) and then makes the
// copy read-only (kAttributeReadOnly) or writable by its owner (otherwise).
// The bytes copied, or -1: source missing, the two path strings identical,
// destination not deletable, or any open, read or write failing (a partial
// copy is removed).
std::int32_t CopyFileWithAttributes(const QString& source, const QString& destination,
                                    std::uint32_t attributes);

// The length of a file, or -1.
std::int32_t GetFileSizeOrFail(const QString& path);

}  // namespace kwadrill
