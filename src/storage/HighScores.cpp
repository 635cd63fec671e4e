#include "HighScores.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kwadrill {

namespace {

constexpr const char* kNameEncoding = "windows-1251";
constexpr char kUnencodableCharacter = '?';
constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;

QDate DayZero() {
    return QDate(1899, 12, 30);
}

// Encodes one character at a time so that an unencodable character turns into
// "?" without being confused with a real 0x1A.
QByteArray EncodeName(const QString& name) {
    QByteArray bytes;
    int characters = 0;
    for (qsizetype i = 0; i < name.size() && characters < kMaxNameLength; ++characters) {
        const qsizetype width = (name.at(i).isHighSurrogate() && i + 1 < name.size()) ? 2 : 1;
        QStringEncoder encoder(kNameEncoding);
        const QByteArray encoded = encoder.encode(QStringView(name).mid(i, width));
        const bool single = encoded.size() == 1 && !encoder.hasError();
        bytes.append(single ? encoded.at(0) : kUnencodableCharacter);
        i += width;
    }
    return bytes;
}

// Writes the name's bytes and returns their count; bytes past it stay as they were.
std::uint8_t StoreName(const QString& name, std::array<char, kMaxNameLength>& storage) {
    const QByteArray bytes = EncodeName(name);
    std::memcpy(storage.data(), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return static_cast<std::uint8_t>(bytes.size());
}

QString LoadName(std::uint8_t length, const std::array<char, kMaxNameLength>& storage) {
    const int count = std::min<int>(length, kMaxNameLength);
    QStringDecoder decoder(kNameEncoding);
    return decoder.decode(QByteArrayView(storage.data(), count));
}

}  // namespace

void ClearHighScores(ScoreTable& table) {
    for (ScoreEntry& entry : table.entries) {
        entry.nameLength = 0;
        entry.score = 0;
        entry.date = 0.0;
    }
}

int InsertHighScore(ScoreTable& table, std::int32_t score) {
    int rank = 1;
    while (rank <= kScoreTableSize && table.Rank(rank).score >= score) ++rank;
    if (rank > kScoreTableSize) return 0;
    if (rank < kScoreTableSize) {
        // Whole entries move down from the bottom up; the old last one is lost.
        std::copy_backward(table.entries.begin() + (rank - 1), table.entries.end() - 1,
                           table.entries.end());
    }
    return rank;
}

bool SameResult(const ScoreEntry& a, const ScoreEntry& b) {
    const auto counted = std::min<std::size_t>(a.nameLength, kMaxNameLength);
    return a.nameLength == b.nameLength && a.score == b.score &&
           std::memcmp(a.name.data(), b.name.data(), counted) == 0 &&
           std::memcmp(&a.date, &b.date, sizeof a.date) == 0;
}

void MergeScoreTables(ScoreTable& table, const ScoreTable& stored) {
    std::vector<ScoreEntry> results;
    std::vector<ScoreEntry> filler;
    for (const ScoreEntry& entry : stored.entries)
        (entry.score > 0 ? results : filler).push_back(entry);
    // Each stored result stands for at most one equal in-memory result, so a
    // result entered twice in one table stays twice.
    std::vector<bool> matched(results.size(), false);
    const std::size_t storedResults = results.size();
    for (const ScoreEntry& entry : table.entries) {
        if (entry.score <= 0) continue;
        std::size_t i = 0;
        while (i < storedResults && (matched[i] || !SameResult(results[i], entry))) ++i;
        if (i < storedResults)
            matched[i] = true;
        else
            results.push_back(entry);
    }
    std::stable_sort(results.begin(), results.end(),
                     [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
    // The stored table has at least as many empty entries as the joined one needs.
    results.insert(results.end(), filler.begin(), filler.end());
    std::copy_n(results.begin(), kScoreTableSize, table.entries.begin());
}

void RecordHighScore(ScoreEntry& entry, const QString& name, std::int32_t score,
                     const QDateTime& when) {
    entry.nameLength = StoreName(name, entry.name);
    entry.score = score;
    entry.date = ToDayNumber(when);
}

double ToDayNumber(const QDateTime& localTime) {
    const QDateTime local = localTime.toLocalTime();
    const double days = static_cast<double>(DayZero().daysTo(local.date()));
    const double fraction = static_cast<double>(local.time().msecsSinceStartOfDay()) /
                            static_cast<double>(kMsecsPerDay);
    // Before day zero the whole days count back while the time of day still counts forward.
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime FromDayNumber(double days) {
    // Far beyond any real date: a damaged entry, shown as no date at all.
    constexpr double kLimit = 10'000'000.0;
    if (!std::isfinite(days) || std::fabs(days) > kLimit) return {};
    double whole = std::trunc(days);
    qint64 msecs = std::llround(std::fabs(days - whole) * static_cast<double>(kMsecsPerDay));
    if (msecs >= kMsecsPerDay) {
        msecs -= kMsecsPerDay;
        whole += 1.0;
    }
    const QDate date = DayZero().addDays(static_cast<qint64>(whole));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)));
}

QString EntryName(const ScoreEntry& entry) {
    return LoadName(entry.nameLength, entry.name);
}

QString LastPlayerName(const BackupRecord& record) {
    return LoadName(record.lastPlayerNameLength, record.lastPlayerName);
}

void SetLastPlayerName(BackupRecord& record, const QString& name) {
    record.lastPlayerNameLength = StoreName(name, record.lastPlayerName);
}

bool IsBlankName(const QString& name) {
    return name.trimmed().isEmpty();
}

}  // namespace kwadrill
