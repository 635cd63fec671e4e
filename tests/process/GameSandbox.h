#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>

#include "TestFiles.h"

// A player's own little world for one test: home, config, data, runtime and
// temporary directories, and a private copy of the game, so that the backup
// file lands beside that copy and never in the build tree. The music cache
// is the one folder shared by all: the tests' own, filled once.
class GameSandbox {
public:
    enum class ExecutableDirAccess {
        Writable,
        // The player may not write beside the game. Root ignores permissions,
        // so under root the game runs as "nobody" and owns the other folders.
        ReadOnly,
    };

    // Which build of the devices module the sandbox's game finds.
    enum class DevicesModule {
        Shipped,
        // Also plays the presses of the file KWADRILL_VIRTUAL_PAD names.
        ScriptedPad,
    };

    struct FileState {
        qint64 size = -1;  // -1 for a directory, FIFO, socket or device
        QDateTime modified;
        QByteArray hash;  // of a file's content, a link's target, or "directory"
        bool IsDirectory() const { return hash == "directory"; }
        friend bool operator==(const FileState&, const FileState&) = default;
    };
    using Snapshot = std::map<QString, FileState>;

    explicit GameSandbox(ExecutableDirAccess access = ExecutableDirAccess::Writable);
    ~GameSandbox();
    GameSandbox(const GameSandbox&) = delete;
    GameSandbox& operator=(const GameSandbox&) = delete;

    // False with a reason when this machine cannot set the sandbox up.
    bool Usable() const { return problem_.isEmpty(); }
    const QString& Problem() const { return problem_; }

    QString Path(const QString& relative) const;
    QString ExecutablePath() const;
    QString ExecutableDir() const;
    QString RuntimeDir() const;
    // Where the game copy looks for its devices module, as when installed.
    QString DevicesModulePath() const;
    // Puts that build of the module there (the shipped one from the start).
    bool InstallDevicesModule(DevicesModule module) const;
    // Kwadrill.hsc beside the executable.
    QString BackupPath() const;
    // Kwadrill.hsc in $XDG_DATA_HOME/QZ's Kwadrill/.
    QString DataBackupPath() const;
    // $XDG_CONFIG_HOME/QZ's Kwadrill/Kwadrill.ini.
    QString StorePath() const;
    QString LockPath() const;
    // The 13 music files in the runtime folder, or in another folder.
    QStringList MusicFilePaths() const;
    QStringList MusicFilePaths(const QString& folder) const;
    // The game's private folder in its temporary directory, used when the
    // runtime folder is unusable: tmp/kwadrill-<uid>.
    QString TemporaryScratchDir() const;

    // The environment of the game on the given Qt platform plugin.
    QProcessEnvironment Environment(const QString& platform) const;
    // The program to start and the arguments before the game's own.
    QString Launcher() const;
    QStringList LauncherArguments() const;

    // Every file and folder below the sandbox with its size, time and hash.
    Snapshot TakeSnapshot() const;

    // Places a file, creating its folder; the file belongs to the player.
    bool WriteFile(const QString& path, const QByteArray& bytes) const;
    // Creates a folder as the player's own (the folders above it as they come).
    bool MakePlayerFolder(const QString& path) const;

    // Puts a small file system of its own (tmpfs) on the runtime folder, as
    // the player's private folder, so that it can be filled or made
    // read-only. Only root may; false with Problem() set otherwise.
    bool MountRuntimeFolder(qint64 bytes);
    bool MakeRuntimeFolderReadOnly();
    // Writes into the runtime folder until it is full.
    bool FillRuntimeFolder() const;

    // The game runs as nobody (a read-only executable folder under root).
    bool RunsAsNobody() const;

private:
    void HandOverToNobody();

    QTemporaryDir root_;
    ExecutableDirAccess executableDir_;
    QString problem_;
    bool runtimeMounted_ = false;
};
