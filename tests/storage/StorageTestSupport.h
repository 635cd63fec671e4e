#pragma once

#include <QByteArray>

#include <unistd.h>

#include "ScopedEnvironment.h"
#include "TestFiles.h"

namespace kwadrill::test {

template <typename T>
QByteArray BytesOf(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// Root ignores file permissions; those tests also run as an unprivileged user.
inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

}  // namespace kwadrill::test
