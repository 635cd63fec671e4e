#pragma once

#include <QString>

namespace kwadrill {

// Why one of the game's files could not be written, found where it happened
// (never an errno left over from some later call).
struct WriteFailure {
    enum class Cause {
        NoFolder,     // there is no folder for the file at all (no home folder)
        NotAFile,     // something else (a folder, a FIFO) stands at the file's name
        System,       // the system refused: `error` holds its errno
        Unexplained,  // a step that gives no reason failed (Qt's INI writer, the read-back)
    };
    Cause cause = Cause::System;
    QString file;  // the file the game meant to write
    QString at;    // what refused: the file itself, or the folder it goes in
    int error = 0;

    friend bool operator==(const WriteFailure&, const WriteFailure&) = default;
};

// errno of the call that just failed on `at`, for `file`.
WriteFailure SystemFailure(const QString& file, const QString& at, int error);
WriteFailure NotAFileFailure(const QString& file);
WriteFailure UnexplainedFailure(const QString& file);
WriteFailure NoFolderFailure(const QString& file);

// One line for stderr: the file, then what refused and the system's words.
QString Describe(const WriteFailure& failure);

// Creates folder and every missing folder above it (with the permissions
// the umask leaves), as QDir::mkpath does, but on failure says which folder
// refused and why.
bool MakeFolders(const QString& folder, const QString& file, WriteFailure* failure);

// Creates a new file beside path, named path, a dot and six random letters,
// exclusively (a link planted at the name is never followed) with the given
// mode less the umask. Its descriptor and name, or -1 and the failure.
int CreateFileBeside(const QString& path, unsigned mode, QString& created, WriteFailure& failure);

// Writes every byte, unbuffered, so that a disk filling up fails here, and
// with Sync::ToDisk waits until they are on the disk; closes fd either way.
// 0, or the errno of the step that failed.
enum class Sync { ToDisk, No };
int WriteAndClose(int fd, const QByteArray& bytes, Sync sync);

// Puts bytes at path in one step, on the disk: written whole to a new file
// beside it (CreateFileBeside), then renamed over it. Replaces a regular file
// (its permissions kept) or a link (never its target); anything else there
// stays, and so does the old file when any step fails.
bool ReplaceFileAtomically(const QString& path, const QByteArray& bytes, WriteFailure& failure);

}  // namespace kwadrill
