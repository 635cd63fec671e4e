#include "MusicFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TestFiles.h"

namespace kwadrill {
namespace {

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
        const test::FileSizeLimit full(kLimit);
        extracted = files.Extract();
    }

    EXPECT_FALSE(extracted);
    int whole = 0;
    for (int position = 1; position <= MusicFiles::kCount; ++position) {
        const QString name = MusicFiles::MusicResourceNames()[position - 1];
        const QByteArray piece = test::ReadFileBytes(QStringLiteral(":/midi/") + name);
        if (piece.size() <= kLimit) {
            EXPECT_EQ(test::ReadFileBytes(files.PathFor(position)), piece) << qPrintable(name);
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
