#pragma once

#include <QString>

namespace kwadrill {

// Appends "/" to a non-empty path that does not already end in one.
QString EnsureTrailingBackslash(const QString& path);

// The private directory for the music files and the backup check: the per-user
// runtime directory ($XDG_RUNTIME_DIR) when it is usable, else a per-user
// folder in the temporary directory. Ends in "/"; empty when no private
// directory can be had at all.
QString GetScratchDirectory();

// The same rule on explicit candidates. runtimeDir is used when it is a
// directory owned by this user with mode 0700 that this user can write to
// (empty: none); otherwise
// tempDir/kwadrill-<uid> is created with mode 0700, or a fresh unique folder
// beside it when that name is taken by something that is not ours.
QString GetScratchDirectory(const QString& runtimeDir, const QString& tempDir);

}  // namespace kwadrill
