#include "MusicFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

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

// Whatever a hostile or unlucky machine left at a piece's place is replaced
// by the piece: a link is never written through, a FIFO never opened.
TEST(MusicFilesTest, WhatStandsAtAPiecesPlaceIsReplacedNeverWrittenThrough) {
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("someone-elses-file"));
    test::WriteFileBytes(outside, "not a piece of music");
    const QString folder = dir.filePath(QStringLiteral("scratch"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const MusicFiles files(folder + QLatin1Char('/'));
    const QString menu = files.PathFor(1);
    const struct {
        const char* what;
        std::function<bool()> plant;
    } cases[] = {
        {"a link to another file", [&] { return QFile::link(outside, menu); }},
        {"a dangling link",
         [&] { return QFile::link(dir.filePath(QStringLiteral("gone")), menu); }},
        {"a FIFO", [&] { return ::mkfifo(QFile::encodeName(menu).constData(), 0600) == 0; }},
    };
    for (const auto& planted : cases) {
        SCOPED_TRACE(planted.what);
        QFile::remove(menu);
        ASSERT_TRUE(planted.plant());

        EXPECT_TRUE(files.Extract());

        EXPECT_EQ(test::ReadFileBytes(outside), "not a piece of music");
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
        const QFileInfo place(menu);
        EXPECT_TRUE(place.isFile() && !place.isSymLink());
        EXPECT_EQ(test::ReadFileBytes(menu), test::ReadFileBytes(QStringLiteral(":/midi/MENU")));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
                  MusicFiles::kCount)
            << "a temporary file was left";
    }
}

// An extraction killed half-way leaves its temporary beside the piece: the
// piece's name, a dot and mkostemp's six characters, a regular file of this
// user. Everything else of a like name stays, and no link is followed.
TEST(MusicFilesTest, StaleTemporariesAreRemovedAndNothingElse) {
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("someone-elses-file"));
    test::WriteFileBytes(outside, "not a piece of music");
    const QString folder = dir.filePath(QStringLiteral("scratch")) + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"qzkm1.mid.AbC123", "qzkm13.mid.zzzzzz", "qzkm10.mid.000000"})
        test::WriteFileBytes(folder + QLatin1String(name), "cut short");
    QStringList kept{QStringLiteral("qzkm1.mid"),        QStringLiteral("qzkm14.mid.AbC123"),
                     QStringLiteral("qzkm0.mid.AbC123"), QStringLiteral("qzkm01.mid.AbC123"),
                     QStringLiteral("qzkm1.mid.AbC12"),  QStringLiteral("qzkm1.mid.AbC1234"),
                     QStringLiteral("qzkm1.mid.Ab-123"), QStringLiteral("Qzkm1.mid.AbC123"),
                     QStringLiteral("qzkm1.midXAbC123"), QStringLiteral("qzkm1.mid.AbC123.x")};
    for (const QString& name : kept) test::WriteFileBytes(folder + name, "keep");
    const QString link = QStringLiteral("qzkm2.mid.Linked");
    ASSERT_TRUE(QFile::link(outside, folder + link));
    const QString subfolder = QStringLiteral("qzkm3.mid.Folder");
    ASSERT_TRUE(QDir().mkpath(folder + subfolder));
    const QString fifo = QStringLiteral("qzkm4.mid.Fifo00");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + fifo).constData(), 0600), 0);
    kept << link << subfolder << fifo;
    const QString others = QStringLiteral("qzkm5.mid.Others");
    test::WriteFileBytes(folder + others, "another user's");
    if (::chown(QFile::encodeName(folder + others).constData(), ::geteuid() + 1, -1) == 0)
        kept << others;  // only root can give a file away
    else
        QFile::remove(folder + others);

    MusicFiles(folder).RemoveStaleTemporaries();

    kept.sort();
    EXPECT_EQ(
        QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
        kept);
    EXPECT_EQ(test::ReadFileBytes(outside), "not a piece of music");
    MusicFiles(QString()).RemoveStaleTemporaries();  // no folder: nothing to do
}

}  // namespace
}  // namespace kwadrill
