#include "GameSandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
const QString kGameFolder = QStringLiteral("QZ's Kwadrill");
const QString kBackupName = QStringLiteral("Kwadrill.hsc");
const QString kPlayerDirs[] = {QStringLiteral("home"), QStringLiteral("config"),
                               QStringLiteral("data"), QStringLiteral("runtime"),
                               QStringLiteral("tmp")};
constexpr int kMusicFiles = 13;
const QByteArray kDirectory = QByteArrayLiteral("directory");

bool IsRoot() {
    return ::geteuid() == 0;
}

// "nobody" must be able to walk into a sandbox under root: /tmp is open to all.
QString TemplateFor(GameSandbox::ExecutableDirAccess executableDir) {
    const QString base = executableDir == GameSandbox::ExecutableDirAccess::ReadOnly && IsRoot()
                             ? QStringLiteral("/tmp")
                             : QDir::tempPath();
    return base + QStringLiteral("/kwadrill-process-XXXXXX");
}

bool SetMode(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

bool GiveToNobody(const QString& path) {
    return ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

}  // namespace

GameSandbox::GameSandbox(ExecutableDirAccess executableDir)
    : root_(TemplateFor(executableDir)), executableDir_(executableDir) {
    if (!root_.isValid()) {
        problem_ = QStringLiteral("no temporary directory: ") + root_.errorString();
        return;
    }
    for (const QString& dir : kPlayerDirs) QDir().mkpath(Path(dir));
    QDir().mkpath(ExecutableDir());
    SetMode(RuntimeDir(), 0700);  // Qt and the game trust only a private runtime dir
    QFile::copy(QStringLiteral(KWADRILL_EXECUTABLE), ExecutablePath());
    SetMode(ExecutablePath(), 0755);
    if (!QFileInfo(ExecutablePath()).isExecutable() ||
        !InstallDevicesModule(DevicesModule::Shipped)) {
        problem_ = QStringLiteral("the game could not be copied into the sandbox");
        return;
    }
    if (executableDir_ == ExecutableDirAccess::ReadOnly) {
        if (IsRoot()) {
            HandOverToNobody();
        } else {
            SetMode(ExecutableDir(), 0555);
        }
    }
}

GameSandbox::~GameSandbox() {
    if (runtimeMounted_) ::umount2(QFile::encodeName(RuntimeDir()).constData(), MNT_DETACH);
    // Let the temporary directory remove the game copy again.
    if (executableDir_ == ExecutableDirAccess::ReadOnly && !IsRoot())
        SetMode(ExecutableDir(), 0755);
}

void GameSandbox::HandOverToNobody() {
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        problem_ = QStringLiteral(
            "root ignores permissions and setpriv (util-linux) is missing to run the game as "
            "nobody");
        return;
    }
    bool ok = SetMode(root_.path(), 0755);
    for (const QString& dir : kPlayerDirs) ok = GiveToNobody(Path(dir)) && ok;
    if (!ok) problem_ = QStringLiteral("could not hand the sandbox folders to nobody");
}

bool GameSandbox::RunsAsNobody() const {
    return executableDir_ == ExecutableDirAccess::ReadOnly && IsRoot();
}

QString GameSandbox::Path(const QString& relative) const {
    return root_.filePath(relative);
}
QString GameSandbox::ExecutableDir() const {
    return Path(QStringLiteral("bin"));
}
QString GameSandbox::ExecutablePath() const {
    return Path(QStringLiteral("bin/kwadrill"));
}
QString GameSandbox::DevicesModulePath() const {
    return QDir::cleanPath(ExecutableDir() +
                           QStringLiteral("/" KWADRILL_DEVICES_MODULE_FROM_BINDIR));
}

bool GameSandbox::InstallDevicesModule(DevicesModule module) const {
    const QString target = DevicesModulePath();
    QFile::remove(target);
    return QDir().mkpath(QFileInfo(target).path()) &&
           QFile::copy(module == DevicesModule::Shipped
                           ? QStringLiteral(KWADRILL_DEVICES_MODULE)
                           : QStringLiteral(KWADRILL_SCRIPTED_PAD_DEVICES_MODULE),
                       target);
}

QString GameSandbox::RuntimeDir() const {
    return Path(QStringLiteral("runtime"));
}
QString GameSandbox::BackupPath() const {
    return ExecutableDir() + u'/' + kBackupName;
}

QString GameSandbox::DataBackupPath() const {
    return Path(QStringLiteral("data/")) + kGameFolder + u'/' + kBackupName;
}

QString GameSandbox::StorePath() const {
    return Path(QStringLiteral("config/")) + kGameFolder + QStringLiteral("/Kwadrill.ini");
}

QString GameSandbox::LockPath() const {
    return RuntimeDir() + QStringLiteral("/QZKwadrill.lock");
}

QStringList GameSandbox::MusicFilePaths() const {
    QStringList paths;
    for (int n = 1; n <= kMusicFiles; ++n) {
        paths << RuntimeDir() + QStringLiteral("/qzkm%1.mid").arg(n);
    }
    return paths;
}

QStringList GameSandbox::MusicFilePaths(const QString& folder) const {
    QStringList paths;
    for (int n = 1; n <= kMusicFiles; ++n) {
        paths << folder + QStringLiteral("/qzkm%1.mid").arg(n);
    }
    return paths;
}

QString GameSandbox::TemporaryScratchDir() const {
    const uid_t player = RunsAsNobody() ? kNobody : ::geteuid();
    return Path(QStringLiteral("tmp/kwadrill-%1").arg(player));
}

QProcessEnvironment GameSandbox::Environment(const QString& platform) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeDir());
    // Every game of the tests shares one music cache, filled before they run
    // (music_cache_prefill): each plays from it as a player's game does after
    // its first run, and none spends its short life rendering music.
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QStringLiteral(KWADRILL_TEST_CACHE_HOME));
    env.insert(QStringLiteral("TMPDIR"), Path(QStringLiteral("tmp")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!env.contains(QStringLiteral("SDL_AUDIODRIVER"))) {
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    }
    return env;
}

QString GameSandbox::Launcher() const {
    return RunsAsNobody() ? QStandardPaths::findExecutable(QStringLiteral("setpriv"))
                          : ExecutablePath();
}

QStringList GameSandbox::LauncherArguments() const {
    if (!RunsAsNobody()) return {};
    const QString id = QString::number(kNobody);
    return {QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
            QStringLiteral("--clear-groups"), ExecutablePath()};
}

GameSandbox::Snapshot GameSandbox::TakeSnapshot() const {
    Snapshot snapshot;
    QDirIterator it(root_.path(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        FileState state;
        if (info.isSymLink()) {
            state.hash = QFile::encodeName(info.symLinkTarget());
        } else if (info.isDir()) {
            state.modified = info.lastModified();
            state.hash = kDirectory;
        } else {
            state.modified = info.lastModified();
            // Only a regular file is read: opening a FIFO would wait for a writer.
            if (info.isFile()) {
                state.size = info.size();
                state.hash = QCryptographicHash::hash(kwadrill::test::ReadFileBytes(path),
                                                      QCryptographicHash::Sha1);
            }
        }
        snapshot[QDir(root_.path()).relativeFilePath(path)] = state;
    }
    return snapshot;
}

bool GameSandbox::WriteFile(const QString& path, const QByteArray& bytes) const {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        return false;
    }
    file.close();
    if (RunsAsNobody()) return GiveToNobody(folder) && GiveToNobody(path);
    return true;
}

bool GameSandbox::MakePlayerFolder(const QString& path) const {
    if (!QDir().mkpath(path)) return false;
    return !RunsAsNobody() || GiveToNobody(path);
}

bool GameSandbox::MountRuntimeFolder(qint64 bytes) {
    if (!IsRoot()) {
        problem_ = QStringLiteral("only root can mount a small file system on the runtime folder");
        return false;
    }
    const uid_t player = RunsAsNobody() ? kNobody : ::geteuid();
    const QByteArray options =
        QStringLiteral("size=%1,mode=0700,uid=%2,gid=%2").arg(bytes).arg(player).toLatin1();
    if (::mount("tmpfs", QFile::encodeName(RuntimeDir()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
        problem_ = QStringLiteral("cannot mount a tmpfs here: ") + qt_error_string(errno);
        return false;
    }
    runtimeMounted_ = true;
    return true;
}

bool GameSandbox::MakeRuntimeFolderReadOnly() {
    return runtimeMounted_ && ::mount("tmpfs", QFile::encodeName(RuntimeDir()).constData(), "tmpfs",
                                      MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool GameSandbox::FillRuntimeFolder() const {
    QFile filler(RuntimeDir() + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const QByteArray block(4096, 'f');
    while (filler.write(block) > 0) {
    }
    return filler.error() != QFileDevice::NoError;  // stopped by the full disk
}
