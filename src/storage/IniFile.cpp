#include "IniValueWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>

namespace kwadrill {

// QSettings writes through a buffered QSaveFile that misses errors showing only
// when the buffer is flushed on commit (a full disk): status() stays NoError and
// a short file replaces the good one. So the value is written into a copy,
// the copy is read back afresh, and only then does it replace the file.

namespace {

// Staged files get fresh names: QSettings caches files by path and trusts its
// cache while size and time stamp look unchanged.
std::unique_ptr<QTemporaryFile> CopyAtFreshPath(const QString& source, const QString& pattern) {
    auto copy = std::make_unique<QTemporaryFile>(pattern);
    if (!copy->open()) return nullptr;
    if (QFileInfo::exists(source)) {
        QFile file(source);
        // A file that cannot be read is never overwritten.
        if (!file.open(QIODevice::ReadOnly)) return nullptr;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError || copy->write(bytes) != bytes.size() ||
            !copy->flush())
            return nullptr;
    }
    copy->close();
    return copy;
}

bool ReadsBack(const QString& filePath, const QString& pattern, QStringView name,
               const QVariant& value) {
    const auto copy = CopyAtFreshPath(filePath, pattern);
    return copy && QSettings(copy->fileName(), QSettings::IniFormat).value(name) == value;
}

}  // namespace

bool WriteIniValue(const QString& filePath, QStringView name, const QVariant& value) {
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath())) return false;
    const QString pattern = filePath + QStringLiteral(".XXXXXX");
    const auto staged = CopyAtFreshPath(filePath, pattern);
    if (!staged) return false;
    {
        QSettings settings(staged->fileName(), QSettings::IniFormat);
        settings.setValue(name, value);
        settings.sync();
        if (settings.status() != QSettings::NoError) return false;
    }
    if (!ReadsBack(staged->fileName(), pattern, name, value)) return false;
    return std::rename(QFile::encodeName(staged->fileName()).constData(),
                       QFile::encodeName(filePath).constData()) == 0;
}

}  // namespace kwadrill
