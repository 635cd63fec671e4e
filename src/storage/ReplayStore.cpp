#include "ReplayStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <bit>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "HighScores.h"

namespace kwadrill {

namespace {

constexpr auto kGameDataFolder = "QZ's Kwadrill";
constexpr auto kReplayFolder = "replays";
constexpr auto kSuffix = ".kwreplay";

QString Hex(std::uint64_t value) {
    return QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0'));
}

bool EntryStatus(const QString& path, struct stat& info) {
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// What this store writes: replays, and the temporary files beside them.
bool IsReplayName(const QString& name) {
    static const QRegularExpression kPattern(
        QRegularExpression::anchoredPattern(QStringLiteral("[^/]+\\.kwreplay(\\.[A-Za-z]{6})?")));
    return kPattern.match(name).hasMatch();
}

}  // namespace

ReplayStore::ReplayStore(QString folder) : folder_(std::move(folder)) {}

QString ReplayStore::DefaultFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return {};
    return data + QLatin1Char('/') + QLatin1String(kGameDataFolder) + QLatin1Char('/') +
           QLatin1String(kReplayFolder);
}

// The date to the millisecond, as the entry holds it; a date that is no
// date names the file by its bits.
QString ReplayStore::PathFor(const ScoreEntry& entry) const {
    const QDateTime when = FromDayNumber(entry.date);
    const QString date = when.isValid()
                             ? when.date().toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-') +
                                   when.time().toString(QStringLiteral("HHmmss-zzz"))
                             : QLatin1Char('x') + Hex(std::bit_cast<std::uint64_t>(entry.date));
    return folder_ + QLatin1Char('/') + QString::number(entry.score) + QLatin1Char('-') + date +
           QLatin1String(kSuffix);
}

bool ReplayStore::Has(const ScoreEntry& entry) const {
    struct stat info {};
    return !folder_.isEmpty() && entry.score > 0 && EntryStatus(PathFor(entry), info) &&
           S_ISREG(info.st_mode);
}

std::variant<Replay, QString> ReplayStore::Load(const ScoreEntry& entry) const {
    if (!Has(entry)) return QStringLiteral("this result has no replay");
    auto read = ReadReplayFile(PathFor(entry));
    if (const auto* replay = std::get_if<Replay>(&read); replay && replay->score != entry.score) {
        return QStringLiteral("its file holds a game of another score (%1)").arg(replay->score);
    }
    return read;
}

bool ReplayStore::KeepFinishedGame(const Replay& replay, WriteFailure* failure) {
    unfiled_.clear();
    WriteFailure found;
    const QString path =
        folder_ + QStringLiteral("/unfiled-") + Hex(replay.seed) + QLatin1String(kSuffix);
    const QByteArray bytes = EncodeReplay(replay);
    bool kept = false;
    if (folder_.isEmpty()) {
        found = NoFolderFailure(QStringLiteral("unfiled-%1%2").arg(Hex(replay.seed), kSuffix));
    } else if (bytes.size() > kLargestReplayFile) {
        found = SystemFailure(path, path, EFBIG);  // no reader would take it
    } else if (MakeFolders(folder_, path, &found)) {
        kept = ReplaceFileAtomically(path, bytes, found);
    }
    if (kept) {
        unfiled_ = path;
    } else if (failure) {
        *failure = found;
    }
    return kept;
}

bool ReplayStore::FileUnder(const ScoreEntry& entry, WriteFailure* failure) {
    if (unfiled_.isEmpty()) return true;
    const QString path = PathFor(entry);
    // rename replaces a file or a link at the name itself, never a link's target.
    struct stat info {};
    int error = 0;
    if (EntryStatus(path, info) && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        if (failure) *failure = NotAFileFailure(path);
        return false;
    }
    if (::rename(QFile::encodeName(unfiled_).constData(), QFile::encodeName(path).constData()) !=
        0) {
        error = errno;
    }
    if (error != 0) {
        if (failure) *failure = SystemFailure(path, folder_, error);
        return false;
    }
    unfiled_.clear();
    return true;
}

void ReplayStore::KeepOnly(const ScoreTable& table) const {
    if (folder_.isEmpty()) return;
    QSet<QString> kept;
    for (const ScoreEntry& entry : table.entries) {
        if (entry.score > 0) kept.insert(PathFor(entry));
    }
    const QDir dir(folder_);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                            QDir::NoDotAndDotDot | QDir::CaseSensitive);
    for (const QString& name : names) {
        const QString path = folder_ + QLatin1Char('/') + name;
        struct stat info {};
        if (!IsReplayName(name) || kept.contains(path) || !EntryStatus(path, info)) continue;
        if ((S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) && info.st_uid == ::geteuid()) {
            ::unlink(QFile::encodeName(path).constData());
        }
    }
}

}  // namespace kwadrill
