#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstddef>

#include <sys/resource.h>
#include <unistd.h>

namespace kwadrill::test {

inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

template <typename T>
QByteArray BytesOf(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// Root ignores file permissions; those tests also run as an unprivileged user.
inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// Sets an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), hadValue_(qEnvironmentVariableIsSet(name)), oldValue_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (hadValue_)
            qputenv(name_, oldValue_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool hadValue_;
    QByteArray oldValue_;
};

// Makes every write past `bytes` into a regular file fail (EFBIG), for root
// too: a disk that fills up half-way through a save. Keep the scope to the
// one call under test, since the test's own log file is limited as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

}  // namespace kwadrill::test
