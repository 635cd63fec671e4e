#pragma once

#include <QByteArray>

#include <ostream>

#include <unistd.h>

#include "ScopedEnvironment.h"
#include "TestFiles.h"
#include "WriteFailure.h"

namespace kwadrill {

inline void PrintTo(const WriteFailure& failure, std::ostream* out) {
    *out << qPrintable(Describe(failure)) << " (cause " << static_cast<int>(failure.cause) << ")";
}

}  // namespace kwadrill

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
