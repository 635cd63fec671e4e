#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryFile>
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

enum class PathEntry { Missing, RegularFile, Link, Other, Unknown };

// What is at the path itself, a link not followed.
PathEntry EntryAt(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? PathEntry::Missing : PathEntry::Unknown;
    if (S_ISLNK(status.st_mode)) return PathEntry::Link;
    return S_ISREG(status.st_mode) ? PathEntry::RegularFile : PathEntry::Other;
}

// The bytes of a regular file. Opened without following a link and without
// waiting for a writer, so that whatever replaced the file since it was looked
// at is refused rather than read.
std::optional<QByteArray> ReadRegularFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    QFile file;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

// Staged files get fresh names: QSettings caches files by path and trusts its
// cache while size and time stamp look unchanged.
std::unique_ptr<QTemporaryFile> FileAtFreshPath(const QString& pattern, const QByteArray& bytes) {
    auto file = std::make_unique<QTemporaryFile>(pattern);
    if (!file->open() || file->write(bytes) != bytes.size() || !file->flush()) return nullptr;
    file->close();
    return file;
}

// Parses the whole file: QSettings parses sections only when asked for them,
// and reports a malformed one only then.
QSettings::Status ParseStatus(QSettings& settings) {
    settings.allKeys();
    return settings.status();
}

// A value that is not valid removes its key.
bool SetValues(const QString& path, const QVariantMap& values) {
    QSettings settings(path, QSettings::IniFormat);
    for (auto value = values.begin(); value != values.end(); ++value) {
        if (value->isValid()) {
            settings.setValue(value.key(), *value);
        } else {
            settings.remove(value.key());
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

// Reads the regular file at path afresh, through a copy of its bytes.
bool FileHolds(const QString& path, const QString& pattern, const QVariantMap& values) {
    const std::optional<QByteArray> bytes = ReadRegularFile(path);
    const auto copy = bytes ? FileAtFreshPath(pattern, *bytes) : nullptr;
    if (!copy) return false;
    QSettings settings(copy->fileName(), QSettings::IniFormat);
    return ParseStatus(settings) == QSettings::NoError && Holds(settings, values);
}

bool Rename(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void WarnDefaults(const QString& filePath, const char* reason) {
    qWarning("Settings file %s %s: the defaults are used", qUtf8Printable(filePath), reason);
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

bool WriteIniValue(const QString& filePath, QStringView name, const QVariant& value) {
    return WriteIniValues(filePath, {{name.toString(), value}});
}

bool IniFileHolds(const QString& filePath, const QVariantMap& values) {
    switch (EntryAt(filePath)) {
        case PathEntry::Missing:
            return std::none_of(values.begin(), values.end(),
                                [](const QVariant& value) { return value.isValid(); });
        case PathEntry::RegularFile:
            return FileHolds(filePath, filePath + QStringLiteral(".XXXXXX"), values);
        case PathEntry::Link:
        case PathEntry::Other:
        case PathEntry::Unknown:
            break;
    }
    return false;
}

bool WriteIniValues(const QString& filePath, const QVariantMap& values) {
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath())) return false;
    const PathEntry entry = EntryAt(filePath);
    // A link is ours to replace, never to follow; anything else but a file is left alone.
    if (entry != PathEntry::Missing && entry != PathEntry::Link && entry != PathEntry::RegularFile)
        return false;

    const QString pattern = filePath + QStringLiteral(".XXXXXX");
    std::unique_ptr<QTemporaryFile> staged;
    bool damaged = false;
    if (entry == PathEntry::RegularFile) {
        // A file that cannot be read is never overwritten.
        const std::optional<QByteArray> bytes = ReadRegularFile(filePath);
        if (!bytes || !(staged = FileAtFreshPath(pattern, *bytes))) return false;
        QSettings settings(staged->fileName(), QSettings::IniFormat);
        damaged = ParseStatus(settings) == QSettings::FormatError;
    }
    if (!staged || damaged) staged = FileAtFreshPath(pattern, {});
    if (!staged || !SetValues(staged->fileName(), values) ||
        !FileHolds(staged->fileName(), pattern, values))
        return false;

    // The unparseable file moves aside before the new one takes its place;
    // should that fail, it moves back.
    const QString damagedPath = DamagedCopyPath(filePath);
    if (damaged && !Rename(filePath, damagedPath)) return false;
    if (Rename(staged->fileName(), filePath)) return true;
    if (damaged) Rename(damagedPath, filePath);
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
