#pragma once

#include <QString>

#include <cstdint>

#include "BackupRecord.h"

namespace kwadrill {

inline constexpr std::uint8_t kBackupSeed = 80;
inline constexpr auto kBackupFileName = "Kwadrill.hsc";

// Where "Kwadrill.hsc" lives: the executable's directory when the player may
// write there, else $XDG_DATA_HOME/QZ's Kwadrill/. Ends in "/".
QString BackupFileDirectory(const QString& executableDir);

// Reads <recordDir>Kwadrill.hsc through a copy in scratchDir, which is checked,
// stripped of its check byte, read and deleted; the file itself is never
// modified. False (record untouched) for a missing, short, long or damaged file.
bool LoadBackupFile(BackupRecord& record, const QString& recordDir, const QString& scratchDir);

// Writes the 664 record bytes and their check byte (seed 80) to
// <recordDir>Kwadrill.hsc, creating the directory when needed. The old file is
// replaced in one step only once the new one is complete, so a failed save
// keeps it as it was. False on failure; nothing is reported.
bool SaveBackupFile(const BackupRecord& record, const QString& recordDir);

// The record a player starts with when no backup file can be loaded: empty
// table, music and sound on, no last name.
void SetBackupDefaults(BackupRecord& record);

}  // namespace kwadrill
