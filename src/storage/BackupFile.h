#pragma once

#include <QString>

#include <cstdint>

#include "BackupRecord.h"
#include "WriteFailure.h"

namespace kwadrill {

inline constexpr std::uint8_t kBackupSeed = 80;
inline constexpr auto kBackupFileName = "Kwadrill.hsc";
// The record and its check byte: a file of any other length is no backup.
inline constexpr qint64 kBackupFileSize = sizeof(BackupRecord) + 1;

// Where "Kwadrill.hsc" lives, ending in "/" (empty when nowhere). A game run
// from a folder of the player's own keeps it beside itself while that folder
// is writable. An installed game (executableDir below installPrefix or below a
// system folder such as /usr or /opt) keeps it in dataDir/QZ's Kwadrill/,
// whoever runs it: root may write anywhere, but a record in /usr/bin belongs
// to no player. So does a game whose own folder is not writable.
QString BackupFileDirectory(const QString& executableDir, const QString& installPrefix,
                            const QString& dataDir);
// The same with the prefix the game was built for and the per-user data
// folder ($XDG_DATA_HOME).
QString BackupFileDirectory(const QString& executableDir);

// Whether executableDir is an installed game's folder (see above).
bool IsInstalledLocation(const QString& executableDir, const QString& installPrefix);

// Reads <recordDir>Kwadrill.hsc through a copy in scratchDir, which is checked,
// stripped of its check byte, read and deleted; the file itself is never
// modified. Only a regular file of exactly 665 bytes is copied at all: a link
// is never followed, a FIFO or device never opened, and no more than 665 bytes
// are ever copied or read. False (record untouched) for a missing, short, long
// or damaged file.
bool LoadBackupFile(BackupRecord& record, const QString& recordDir, const QString& scratchDir);

// Writes the 664 record bytes and their check byte (seed 80) to
// <recordDir>Kwadrill.hsc, creating the directory when needed. The bytes go
// to a fresh temporary file beside it, which then replaces the name in one
// step: a failed save keeps the old file as it was, and a link at the path is
// replaced, never written through. A directory, FIFO, socket or device there
// is left alone and the save fails. False on failure, and then failure (when
// given) says where and why; nothing is reported.
bool SaveBackupFile(const BackupRecord& record, const QString& recordDir,
                    WriteFailure* failure = nullptr);

// Removes the temporary files a save cut short left in recordDir
// ("Kwadrill.hsc." and six letters): only regular files of this user, never a
// link. Call it while no other copy of the game can be saving, that is once
// the single-instance lock is held.
void RemoveStaleBackupTemporaries(const QString& recordDir);

// The record a player starts with when no backup file can be loaded: empty
// table, music and sound on, no last name.
void SetBackupDefaults(BackupRecord& record);

}  // namespace kwadrill
