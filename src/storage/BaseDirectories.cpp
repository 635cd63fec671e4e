#include "BaseDirectories.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QtGlobal>

namespace kwadrill {

namespace {

constexpr const char* kSingleFolders[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                          "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};
constexpr const char* kFolderLists[] = {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};

bool IsAbsolute(const QByteArray& path) {
    return path.startsWith('/');
}

QString Shown(const QByteArray& value) {
    return QString::fromLocal8Bit(value);
}

// An empty value means unset already: nothing to say about it.
void CheckSingleFolder(const char* name, QStringList& notices) {
    const QByteArray value = qgetenv(name);
    if (value.isEmpty() || IsAbsolute(value)) return;
    qunsetenv(name);
    notices << QStringLiteral("Kwadrill: %1=\"%2\" is ignored: not an absolute path")
                   .arg(QLatin1String(name), Shown(value));
}

// Empty entries say nothing either; they are dropped along with the relative ones.
void CheckFolderList(const char* name, QStringList& notices) {
    const QByteArray value = qgetenv(name);
    QByteArrayList kept;
    QByteArrayList dropped;
    for (const QByteArray& entry : value.split(':')) {
        if (entry.isEmpty()) continue;
        (IsAbsolute(entry) ? kept : dropped) << entry;
    }
    if (dropped.isEmpty()) return;
    if (kept.isEmpty()) {
        qunsetenv(name);
    } else {
        qputenv(name, kept.join(':'));
    }
    notices << QStringLiteral("Kwadrill: %1 entries \"%2\" are ignored: not absolute paths")
                   .arg(QLatin1String(name), Shown(dropped.join(':')));
}

}  // namespace

QStringList IgnoreRelativeBaseDirectories() {
    QStringList notices;
    for (const char* name : kSingleFolders) CheckSingleFolder(name, notices);
    for (const char* name : kFolderLists) CheckFolderList(name, notices);
    return notices;
}

}  // namespace kwadrill
