#include "MusicFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace kwadrill {
namespace {

// Makes every write past `bytes` into a regular file fail (EFBIG), for root
// too: a disk that fills up in the middle of a file. Keep the scope to the
// call under test, since the test's own files are limited as well.
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

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The small pieces fit below the limit; the large ones are cut off by it, the
// small ones whole, so a buffered write would not notice until its flush. A
// piece that does not fit leaves no file, not even an older one to play.
TEST(MusicFilesTest, PieceThatCannotBeWrittenWholeLeavesNoFileNotEvenAnOlderOne) {
    ASSERT_TRUE(QFile::exists(QStringLiteral(":/midi/MENU"))) << "the MIDI resources are built in";
    constexpr qint64 kLimit = 8000;
    QTemporaryDir dir;
    const MusicFiles files(dir.path() + QLatin1Char('/'));
    for (int position = 1; position <= MusicFiles::kCount; ++position) {
        QFile older(files.PathFor(position));
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("an older run's piece");
    }

    bool extracted = true;
    {
        const FileSizeLimit full(kLimit);
        extracted = files.Extract();
    }

    EXPECT_FALSE(extracted);
    int whole = 0;
    for (int position = 1; position <= MusicFiles::kCount; ++position) {
        const QString name = MusicFiles::MusicResourceNames()[position - 1];
        const QByteArray piece = ReadAll(QStringLiteral(":/midi/") + name);
        if (piece.size() <= kLimit) {
            EXPECT_EQ(ReadAll(files.PathFor(position)), piece) << qPrintable(name);
            ++whole;
        } else {
            EXPECT_FALSE(QFileInfo::exists(files.PathFor(position))) << qPrintable(name);
        }
    }
    EXPECT_GT(whole, 0) << "no piece fits below the limit: choose a larger one";
    EXPECT_LT(whole, MusicFiles::kCount) << "every piece fits below the limit";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), whole)
        << "a temporary file was left";
}

}  // namespace
}  // namespace kwadrill
