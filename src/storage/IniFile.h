#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

namespace kwadrill {

// Sets one value of an INI file all or nothing: the file (and its directory)
// is replaced in one step only once the new contents are known to be on disk;
// on failure it stays as it was. False on failure.
bool WriteIniValue(const QString& filePath, QStringView name, const QVariant& value);

}  // namespace kwadrill
