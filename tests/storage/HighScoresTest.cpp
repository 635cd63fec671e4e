#include <QDateTime>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "HighScores.h"
#include "StorageTestSupport.h"

namespace kwadrill {
namespace {

using test::BytesOf;

// Every entry carries its own name leftovers, padding and date, so that a
// moved entry is recognisable byte for byte.
ScoreTable MakeTable(const std::vector<std::int32_t>& scores) {
    ScoreTable table{};
    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        ScoreEntry& entry = table.Rank(rank);
        entry.nameLength = static_cast<std::uint8_t>(rank % 17);
        entry.name.fill(static_cast<char>('A' + rank));
        entry.padding = {static_cast<std::uint8_t>(rank), 0xEE, 0xFF};
        const auto index = static_cast<std::size_t>(rank - 1);
        entry.score = index < scores.size() ? scores[index] : 0;
        entry.date = 40000.0 + rank;
    }
    return table;
}

std::vector<std::int32_t> Descending(std::int32_t first, std::int32_t step, int count) {
    std::vector<std::int32_t> scores;
    for (int i = 0; i < count; ++i) scores.push_back(first - step * i);
    return scores;
}

struct InsertCase {
    const char* what;
    std::vector<std::int32_t> scores;
    std::int32_t newScore;
    int expectedRank;
};

class InsertHighScoreTest : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertHighScoreTest, OpensTheRankBelowEqualScoresAndShiftsWholeEntries) {
    const InsertCase& c = GetParam();
    const ScoreTable before = MakeTable(c.scores);
    ScoreTable table = before;

    const int rank = InsertHighScore(table, c.newScore);

    ASSERT_EQ(rank, c.expectedRank) << c.what;
    if (rank == 0) {
        EXPECT_EQ(BytesOf(table), BytesOf(before));
        return;
    }
    // Above the rank nothing moves; the rank keeps its old entry until the
    // caller fills it; below, each entry is the one from the rank above.
    for (int r = 1; r <= rank; ++r)
        EXPECT_EQ(BytesOf(table.Rank(r)), BytesOf(before.Rank(r))) << c.what << " rank " << r;
    for (int r = rank + 1; r <= kScoreTableSize; ++r)
        EXPECT_EQ(BytesOf(table.Rank(r)), BytesOf(before.Rank(r - 1))) << c.what << " rank " << r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertHighScoreTest,
    ::testing::Values(InsertCase{"cleared table, score 1", {}, 1, 1},
                      InsertCase{"new best", Descending(100, 10, 10), 101, 1},
                      InsertCase{"ranks below an equal 80", Descending(100, 10, 10), 80, 4},
                      InsertCase{"ranks below all equal scores", {50, 50, 50, 20}, 50, 4},
                      InsertCase{"beats only the 20th", Descending(100, 5, 20), 6, 20},
                      InsertCase{"below all twenty", Descending(100, 5, 20), 3, 0},
                      InsertCase{"equal to the 20th", Descending(100, 5, 20), 5, 0},
                      InsertCase{"zero on a cleared table", {}, 0, 0}));

// A result as one of the two tables holds it. Copies of one result in the two
// tables differ in name leftovers and padding, which are not part of it, so the
// merged table shows whose copy it kept.
struct Result {
    std::string name;
    std::int32_t score;
    double date;
};

enum Origin : std::uint8_t { kStored = 0x5A, kBackup = 0xB4 };

ScoreEntry CopyOf(const Result& result, Origin origin) {
    ScoreEntry entry{};
    entry.name.fill(static_cast<char>(origin));
    entry.nameLength = static_cast<std::uint8_t>(result.name.size());
    std::memcpy(entry.name.data(), result.name.data(), result.name.size());
    entry.padding = {origin, origin, origin};
    entry.score = result.score;
    entry.date = result.date;
    return entry;
}

// The results in the order given, then empty entries, each recognisable by its rank.
ScoreTable TableOf(const std::vector<Result>& results, Origin origin) {
    ScoreTable table{};
    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        const auto index = static_cast<std::size_t>(rank - 1);
        ScoreEntry& entry = table.Rank(rank);
        if (index < results.size()) {
            entry = CopyOf(results[index], origin);
        } else {
            entry.name.fill(static_cast<char>(origin));
            entry.padding = {origin, static_cast<std::uint8_t>(rank), 0};
        }
    }
    return table;
}

struct Kept {
    Result result;
    Origin copy;
};

struct MergeCase {
    std::string what;
    std::vector<Result> stored;
    std::vector<Result> backup;
    std::vector<Kept> merged;
};

// Results numbered from first downwards: names prefix1, prefix2, ...
std::vector<Result> Series(const std::string& prefix, std::int32_t first, int count) {
    std::vector<Result> results;
    for (int i = 0; i < count; ++i)
        results.push_back({prefix + std::to_string(i + 1), first - 20 * i, 45000.0 + i});
    return results;
}

std::vector<MergeCase> MergeCases() {
    const Result ann{"Ann", 500, 45000.25};
    const Result bob{"Bob", 400, 45001.5};
    const Result cid{"Cid", 300, 45002.75};
    const Result dan{"Dan", 300, 45003.0};
    const Result eve{"Eve", 200, 45004.5};
    const Result annLater{"Ann", 500, 45010.25};
    const Result annRenamed{"Anna", 500, 45000.25};
    const Result negative{"Neg", -5, 45005.0};

    MergeCase overflow{
        "more than twenty in the union", Series("S", 1000, 15), Series("B", 990, 15), {}};
    for (int i = 0; i < 10; ++i) {
        overflow.merged.push_back({overflow.stored[static_cast<std::size_t>(i)], kStored});
        overflow.merged.push_back({overflow.backup[static_cast<std::size_t>(i)], kBackup});
    }

    return {
        {"both empty", {}, {}, {}},
        {"only the store has results", {ann, cid}, {}, {{ann, kStored}, {cid, kStored}}},
        {"only the backup has results", {}, {ann, cid}, {{ann, kBackup}, {cid, kBackup}}},
        {"identical",
         {ann, bob, cid},
         {ann, bob, cid},
         {{ann, kStored}, {bob, kStored}, {cid, kStored}}},
        {"disjoint",
         {ann, cid},
         {bob, eve},
         {{ann, kStored}, {bob, kBackup}, {cid, kStored}, {eve, kBackup}}},
        {"overlapping",
         {ann, cid, eve},
         {bob, cid, eve},
         {{ann, kStored}, {bob, kBackup}, {cid, kStored}, {eve, kStored}}},
        // The store kept the table of a run before the last one (its save failed).
        {"a new result only in the backup",
         {ann, cid, eve},
         {ann, cid, dan, eve},
         {{ann, kStored}, {cid, kStored}, {dan, kBackup}, {eve, kStored}}},
        {"a new champion only in the backup",
         {bob, cid},
         {ann, bob, cid},
         {{ann, kBackup}, {bob, kStored}, {cid, kStored}}},
        {"equal scores: the stored one first", {dan}, {cid}, {{dan, kStored}, {cid, kBackup}}},
        {"equal scores keep each table's order",
         {cid, dan},
         {dan, cid},
         {{cid, kStored}, {dan, kStored}}},
        {"same name and score on another date",
         {ann},
         {annLater},
         {{ann, kStored}, {annLater, kBackup}}},
        {"same score and date under another name",
         {ann},
         {annRenamed},
         {{ann, kStored}, {annRenamed, kBackup}}},
        {"one result twice in a table", {ann}, {ann, ann}, {{ann, kStored}, {ann, kBackup}}},
        {"empty entries among results are dropped",
         {ann, negative, cid},
         {negative, bob},
         {{ann, kStored}, {bob, kBackup}, {cid, kStored}}},
        overflow,
    };
}

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.what;
}

class MergeScoreTablesTest : public ::testing::TestWithParam<MergeCase> {};

// After the results come the stored table's empty entries, in their order.
TEST_P(MergeScoreTablesTest, KeepsEveryResultOfBothTablesOnce) {
    const MergeCase& c = GetParam();
    const ScoreTable stored = TableOf(c.stored, kStored);
    ScoreTable table = TableOf(c.backup, kBackup);

    MergeScoreTables(table, stored);

    std::vector<ScoreEntry> expected;
    for (const Kept& kept : c.merged) expected.push_back(CopyOf(kept.result, kept.copy));
    for (const ScoreEntry& entry : stored.entries)
        if (entry.score <= 0) expected.push_back(entry);
    for (int rank = 1; rank <= kScoreTableSize; ++rank)
        EXPECT_EQ(BytesOf(table.Rank(rank)), BytesOf(expected[static_cast<std::size_t>(rank - 1)]))
            << c.what << ", rank " << rank;
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeScoreTablesTest, ::testing::ValuesIn(MergeCases()));

TEST(MergeScoreTablesTest, MergingATableWithItselfChangesNoByte) {
    ScoreTable table = MakeTable({90, 90, 80, 80, 80, 10});
    const ScoreTable before = table;

    MergeScoreTables(table, before);

    EXPECT_EQ(BytesOf(table), BytesOf(before));
}

TEST(ClearHighScoresTest, EmptiesEveryEntryButKeepsNameBytesAndPadding) {
    ScoreTable table = MakeTable(Descending(100, 5, 20));
    const ScoreTable before = table;

    ClearHighScores(table);

    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        const ScoreEntry& entry = table.Rank(rank);
        EXPECT_EQ(entry.nameLength, 0);
        EXPECT_EQ(entry.score, 0);
        EXPECT_EQ(entry.date, 0.0);
        EXPECT_EQ(entry.name, before.Rank(rank).name);
        EXPECT_EQ(entry.padding, before.Rank(rank).padding);
    }
}

TEST(RecordHighScoreTest, StoresCyrillicNameAsWindows1251AtItsOffsets) {
    ScoreEntry entry{};
    entry.name.fill('x');
    entry.padding = {1, 2, 3};
    const QDateTime when(QDate(2000, 1, 1), QTime(18, 0));

    RecordHighScore(entry, QStringLiteral("Иван"), 0x01020304, when);

    const QByteArray bytes = BytesOf(entry);
    ASSERT_EQ(bytes.size(), 32);
    EXPECT_EQ(bytes.at(0), 4);
    // Windows-1251 И в а н, then the old bytes, never cleared.
    EXPECT_EQ(bytes.mid(1, 16), QByteArray("\xC8\xE2\xE0\xED"
                                           "xxxxxxxxxxxx"));
    EXPECT_EQ(bytes.mid(17, 3), QByteArray("\x01\x02\x03"));
    EXPECT_EQ(bytes.mid(20, 4), QByteArray("\x04\x03\x02\x01"));
    double date = 0;
    std::memcpy(&date, bytes.constData() + 24, sizeof date);
    EXPECT_EQ(date, 36526.75);
    EXPECT_EQ(EntryName(entry), QStringLiteral("Иван"));
}

struct NameCase {
    const char* what;
    QString name;
    QByteArray bytes;
};

class NameEncodingTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameEncodingTest, StoresAtMostSixteenWindows1251Bytes) {
    const NameCase& c = GetParam();
    BackupRecord record{};

    SetLastPlayerName(record, c.name);

    EXPECT_EQ(record.lastPlayerNameLength, c.bytes.size()) << c.what;
    EXPECT_EQ(QByteArray(record.lastPlayerName.data(), c.bytes.size()), c.bytes) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameEncodingTest,
    ::testing::Values(NameCase{"plain", QStringLiteral("Ann"), QByteArray("Ann")},
                      NameCase{"empty", QString(), QByteArray()},
                      // ë, the ideograph and the emoji (one character of two UTF-16 units)
                      // have no Windows-1251 byte; the euro sign has 0x88.
                      NameCase{"unencodable", QStringLiteral("Zoë 中😀€"), QByteArray("Zo? ??\x88")},
                      NameCase{"cut to sixteen", QStringLiteral("ABCDEFGHIJKLMNOPQRST"),
                               QByteArray("ABCDEFGHIJKLMNOP")},
                      NameCase{"emoji counts as one character",
                               QStringLiteral("😀BCDEFGHIJKLMNOPQR"),
                               QByteArray("?BCDEFGHIJKLMNOP")},
                      NameCase{"real 0x1A stays",
                               QStringLiteral("a\x1A"
                                              "b"),
                               QByteArray("a\x1A"
                                          "b")}));

TEST(NameDecodingTest, ReadsOnlyTheCountedBytesAndClampsADamagedLength) {
    BackupRecord record{};
    std::memcpy(record.lastPlayerName.data(),
                "\xCF\xE5\xF2\xFF"
                "ABCDEFGHIJKLMNOP",
                16);
    record.lastPlayerNameLength = 3;
    EXPECT_EQ(LastPlayerName(record), QStringLiteral("Пет"));

    record.lastPlayerNameLength = 200;
    EXPECT_EQ(LastPlayerName(record).size(), kMaxNameLength);
}

struct DateCase {
    QDateTime local;
    double days;
};

class DayNumberTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(DayNumberTest, ConvertsBothWays) {
    const DateCase& c = GetParam();
    EXPECT_DOUBLE_EQ(ToDayNumber(c.local), c.days);
    EXPECT_EQ(FromDayNumber(c.days), c.local);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DayNumberTest,
    ::testing::Values(DateCase{QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
                      DateCase{QDateTime(QDate(1900, 1, 1), QTime(18, 0)), 2.75},
                      DateCase{QDateTime(QDate(2000, 1, 1), QTime(12, 0)), 36526.5},
                      // Before day zero the fraction still counts forward in the day.
                      DateCase{QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25}));

TEST(DayNumberTest, KeepsMillisecondsThroughARoundTrip) {
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 59, 999));
    EXPECT_EQ(FromDayNumber(ToDayNumber(when)), when);
}

TEST(DayNumberTest, DamagedDatesGiveNoDate) {
    EXPECT_FALSE(FromDayNumber(std::nan("")).isValid());
    EXPECT_FALSE(FromDayNumber(HUGE_VAL).isValid());
    EXPECT_FALSE(FromDayNumber(1e300).isValid());
}

}  // namespace
}  // namespace kwadrill
