#pragma once

#include <QByteArray>
#include <QString>

#include <sys/resource.h>

namespace kwadrill::test {

// The whole file, or nothing when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
// Replaces the file's content; a file that cannot be opened is left alone.
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// Makes every write past `bytes` into a regular file fail (EFBIG), for root
// too: a disk that fills up half-way through a file. Keep the scope to the
// one call under test, since the test's own files are limited as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

}  // namespace kwadrill::test
