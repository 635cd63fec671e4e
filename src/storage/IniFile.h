#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVariantMap>

#include "WriteFailure.h"

namespace kwadrill {

// A small INI file that belongs to the player. It is read only when it is a
// regular file: a link is never followed, and a FIFO or device is never opened
// (opening one could hang). It is never written in place but replaced.

// Every value of the file by key; none when the file is missing, is not a
// regular file, cannot be read or cannot be parsed (each of the last three
// with one line on the log).
QVariantMap ReadIniValues(const QString& filePath);

// Sets one value all or nothing: the new contents are staged in a fresh file
// beside it, read back, and only then renamed over the path, so that a link
// there is replaced, never written through. A file that cannot be parsed is
// started afresh and kept as DamagedCopyPath(filePath). False on failure,
// including a file that cannot be read and anything at the path that is
// neither a regular file nor a link; the path then holds what it held, and
// failure (when given) says where and why.
bool WriteIniValue(const QString& filePath, QStringView name, const QVariant& value,
                   WriteFailure* failure = nullptr);
// The same for several values in one replacement; a value that is not valid
// (QVariant()) removes its key.
bool WriteIniValues(const QString& filePath, const QVariantMap& values,
                    WriteFailure* failure = nullptr);

// True when the file is a regular file that parses and holds every value
// and none of the keys of the values that are not valid, or is missing and
// all values are such; nothing is logged.
bool IniFileHolds(const QString& filePath, const QVariantMap& values);

// Where WriteIniValue keeps an unparseable file it replaced (an older one
// there is replaced).
QString DamagedCopyPath(const QString& filePath);

// Removes what a save cut short can leave beside filePath: its staged copies
// (filePath + "." + six letters, QTemporaryFile's names, and QSaveFile's copy
// of one of them) and QSettings' lock on one (staged name + ".lock"). Only
// regular files of this user, never a link; the staged copies also only when
// no one else may read them, as they are made, so that a player's own
// "Kwadrill.ini.backup" (say) survives.
void RemoveStaleStagedFiles(const QString& filePath);

}  // namespace kwadrill
