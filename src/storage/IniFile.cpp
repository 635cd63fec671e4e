#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kwadrill {

// QSettings writes through a buffered QSaveFile that misses errors showing only
// when the buffer is flushed on commit (a full disk): status() stays NoError and
// a short file replaces the good one. So the value is written into a copy,
// the copy is read back afresh, and only then does it replace the file.

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
// A value's name, "=", "@ByteArray()" and the line's end, with room to spare.
constexpr qint64 kIniLineAllowance = 64;

enum class PathEntry { Missing, RegularFile, Link, Other, Unknown };

// What is at the path itself, a link not followed; for Unknown, why.
PathEntry EntryAt(const QString& path, int* error = nullptr) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        if (error) *error = errno;
        return errno == ENOENT ? PathEntry::Missing : PathEntry::Unknown;
    }
    if (S_ISLNK(status.st_mode)) return PathEntry::Link;
    return S_ISREG(status.st_mode) ? PathEntry::RegularFile : PathEntry::Other;
}

// The bytes of a regular file. Opened without following a link and without
// waiting for a writer, so that whatever replaced the file since it was looked
// at is refused rather than read.
// The failure, when given, says why not (NotAFile for anything but a file).
std::optional<QByteArray> ReadRegularFile(const QString& path, WriteFailure* failure = nullptr) {
    const auto refuse = [&](int error) -> std::optional<QByteArray> {
        if (failure) *failure = SystemFailure(path, path, error);
        return std::nullopt;
    };
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return refuse(errno);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return refuse(error);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        if (failure) *failure = NotAFileFailure(path);
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t now = ::read(fd, buffer, sizeof buffer);
        if (now > 0) {
            bytes.append(buffer, now);
        } else if (now == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return refuse(error);
        }
    }
    ::close(fd);
    return bytes;
}

// A staged file: a fresh name beside the store, so that QSettings, which
// caches files by path and trusts its cache while size and time stamp look
// unchanged, reads it anew; readable by its owner alone, as staged files are
// recognised by that (RemoveStaleStagedFiles). Removed again unless it has
// been renamed into place.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile() { Discard(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Beside the file filePath, holding bytes.
    bool Create(const QString& filePath, const QByteArray& bytes, WriteFailure& failure) {
        const int fd = CreateFileBeside(filePath, 0600, path_, failure);
        if (fd < 0) {
            path_.clear();
            return false;
        }
        // Qt's writer replaces it anyway, and the copy read back is thrown away.
        if (const int error = WriteAndClose(fd, bytes, Sync::No); error != 0) {
            failure = SystemFailure(filePath, QFileInfo(filePath).absolutePath(), error);
            return false;
        }
        return true;
    }
    const QString& Path() const { return path_; }
    void Discard() {
        if (!path_.isEmpty()) ::unlink(QFile::encodeName(path_).constData());
        path_.clear();
    }
    // It now is the file itself.
    void Placed() { path_.clear(); }

private:
    QString path_;
};

// Parses the whole file: QSettings parses sections only when asked for them,
// and reports a malformed one only then.
QSettings::Status ParseStatus(QSettings& settings) {
    settings.allKeys();
    return settings.status();
}

// A value that is not valid removes its key.
bool SetValues(const QString& path, const QVariantMap& values) {
    QSettings settings(path, QSettings::IniFormat);
    for (auto entry = values.keyValueBegin(); entry != values.keyValueEnd(); ++entry) {
        if (entry->second.isValid()) {
            settings.setValue(entry->first, entry->second);
        } else {
            settings.remove(entry->first);
        }
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool Holds(const QSettings& settings, const QVariantMap& values) {
    return std::all_of(values.keyValueBegin(), values.keyValueEnd(), [&](const auto& entry) {
        return entry.second.isValid() ? settings.value(entry.first) == entry.second
                                      : !settings.contains(entry.first);
    });
}

// Reads the regular file at path afresh, through a staged copy of its bytes.
bool ReadsBack(const QString& path, const QString& filePath, const QVariantMap& values,
               WriteFailure& failure) {
    const std::optional<QByteArray> bytes = ReadRegularFile(path, &failure);
    StagedFile copy;
    if (!bytes || !copy.Create(filePath, *bytes, failure)) return false;
    QSettings settings(copy.Path(), QSettings::IniFormat);
    if (ParseStatus(settings) == QSettings::NoError && Holds(settings, values)) return true;
    failure = UnexplainedFailure(filePath);
    return false;
}

// 0 or the errno of the rename.
int Rename(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return 0;
    return errno;
}

void WarnDefaults(const QString& filePath, const char* reason) {
    qWarning("Settings file %s %s: the defaults are used", qUtf8Printable(filePath), reason);
}

// Qt's INI writer says at most that it failed. The likely cause, a full disk
// or a size limit, shows when as many bytes as it wanted to write are
// written beside the file; if they can be, the cause stays unexplained.
WriteFailure ExplainFailedWrite(const QString& filePath, const QString& staged,
                                const QVariantMap& values) {
    // A value's text, escaped, is at most four bytes a byte.
    qint64 wanted = QFileInfo(staged).size();
    for (const QVariant& value : values)
        wanted += 4 * value.toByteArray().size() + kIniLineAllowance;
    StagedFile probe;
    WriteFailure failure;
    if (!probe.Create(filePath, QByteArray(wanted, ' '), failure)) return failure;
    return UnexplainedFailure(filePath);
}

// A staged copy of what the file holds now (empty for a missing, linked or
// unparseable file, damaged telling the last). A file that cannot be read
// is never overwritten: the write fails.
bool StageCurrent(const QString& filePath, PathEntry entry, StagedFile& staged, bool& damaged,
                  WriteFailure& failure) {
    damaged = false;
    if (entry == PathEntry::RegularFile) {
        const std::optional<QByteArray> bytes = ReadRegularFile(filePath, &failure);
        if (!bytes || !staged.Create(filePath, *bytes, failure)) return false;
        QSettings settings(staged.Path(), QSettings::IniFormat);
        damaged = ParseStatus(settings) == QSettings::FormatError;
        if (!damaged) return true;
        staged.Discard();
    }
    return staged.Create(filePath, {}, failure);
}

// The unparseable file moves aside before the new one takes its place;
// should that fail, it moves back.
bool PutInPlace(StagedFile& staged, const QString& filePath, bool damaged, WriteFailure& failure) {
    const QString folder = QFileInfo(filePath).absolutePath();
    const QString damagedPath = DamagedCopyPath(filePath);
    if (damaged) {
        if (const int moved = Rename(filePath, damagedPath); moved != 0) {
            failure = SystemFailure(filePath, folder, moved);
            return false;
        }
    }
    if (const int placed = Rename(staged.Path(), filePath); placed != 0) {
        if (damaged) Rename(damagedPath, filePath);
        failure = SystemFailure(filePath, folder, placed);
        return false;
    }
    staged.Placed();
    return true;
}

bool WriteValues(const QString& filePath, const QVariantMap& values, WriteFailure& failure) {
    if (!MakeFolders(QFileInfo(filePath).absolutePath(), filePath, &failure)) return false;
    int error = 0;
    const PathEntry entry = EntryAt(filePath, &error);
    // A link is ours to replace, never to follow; anything else but a file is left alone.
    if (entry == PathEntry::Unknown) {
        failure = SystemFailure(filePath, filePath, error);
        return false;
    }
    if (entry == PathEntry::Other) {
        failure = NotAFileFailure(filePath);
        return false;
    }
    StagedFile staged;
    bool damaged = false;
    if (!StageCurrent(filePath, entry, staged, damaged, failure)) return false;
    // Qt's writer may also fail unseen, leaving a short file: the read-back finds that.
    if (!SetValues(staged.Path(), values))
        failure = UnexplainedFailure(filePath);
    else if (ReadsBack(staged.Path(), filePath, values, failure))
        return PutInPlace(staged, filePath, damaged, failure);
    if (failure.cause == WriteFailure::Cause::Unexplained)
        failure = ExplainFailedWrite(filePath, staged.Path(), values);
    return false;
}

}  // namespace

QVariantMap ReadIniValues(const QString& filePath) {
    switch (EntryAt(filePath)) {
        case PathEntry::Missing:
            return {};
        case PathEntry::Link:
            WarnDefaults(filePath, "is a symbolic link, which is not followed");
            return {};
        case PathEntry::Other:
            WarnDefaults(filePath, "is not a regular file");
            return {};
        case PathEntry::Unknown:
        case PathEntry::RegularFile:
            break;
    }
    QSettings settings(filePath, QSettings::IniFormat);
    switch (ParseStatus(settings)) {
        case QSettings::NoError:
            break;
        case QSettings::AccessError:
            WarnDefaults(filePath, "cannot be read");
            return {};
        case QSettings::FormatError:
            qWarning(
                "Settings file %s cannot be parsed: the defaults are used, and the next "
                "save keeps it as %s",
                qUtf8Printable(filePath), qUtf8Printable(DamagedCopyPath(filePath)));
            return {};
    }
    QVariantMap values;
    for (const QString& key : settings.allKeys()) values.insert(key, settings.value(key));
    return values;
}

bool WriteIniValue(const QString& filePath, QStringView name, const QVariant& value,
                   WriteFailure* failure) {
    return WriteIniValues(filePath, {{name.toString(), value}}, failure);
}

bool WriteIniValues(const QString& filePath, const QVariantMap& values, WriteFailure* failure) {
    WriteFailure found;
    const bool written = WriteValues(filePath, values, found);
    if (!written && failure) *failure = found;
    return written;
}

bool IniFileHolds(const QString& filePath, const QVariantMap& values) {
    switch (EntryAt(filePath)) {
        case PathEntry::Missing:
            return std::none_of(values.begin(), values.end(),
                                [](const QVariant& value) { return value.isValid(); });
        case PathEntry::RegularFile: {
            WriteFailure ignored;
            return ReadsBack(filePath, filePath, values, ignored);
        }
        case PathEntry::Link:
        case PathEntry::Other:
        case PathEntry::Unknown:
            break;
    }
    return false;
}

QString DamagedCopyPath(const QString& filePath) {
    return filePath + QStringLiteral(".damaged");
}

void RemoveStaleStagedFiles(const QString& filePath) {
    const QFileInfo store(filePath);
    const QString stem = QRegularExpression::escape(store.fileName());
    const QRegularExpression stagedName(
        QRegularExpression::anchoredPattern(stem + QStringLiteral(R"((\.[A-Za-z]{6}){1,2})")));
    const QRegularExpression lockName(
        QRegularExpression::anchoredPattern(stem + QStringLiteral(R"(\.[A-Za-z]{6}\.lock)")));
    const QDir folder = store.absoluteDir();
    const QStringList names =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const bool isStaged = stagedName.match(name).hasMatch();
        if (!isStaged && !lockName.match(name).hasMatch()) continue;
        const QString path = folder.filePath(name);
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0 ||
            !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
            continue;
        if (isStaged && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) continue;
        QFile::remove(path);
    }
}

}  // namespace kwadrill
