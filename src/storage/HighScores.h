#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

#include "BackupRecord.h"
#include "ScoreTable.h"

namespace kwadrill {

// Empties every entry: name length, score and date 0; name bytes and padding kept.
void ClearHighScores(ScoreTable& table);

// The rank 1..20 that score earns (below equal scores), with the entries from
// that rank on moved down one place; 0 when it earns none (table unchanged).
int InsertHighScore(ScoreTable& table, std::int32_t score);

// Takes a table read from the per-user store over the one in memory. The stored
// table wins whole, except that an in-memory champion with a strictly higher
// score stays on top of it (the stored last entry drops out).
void MergeScoreTables(ScoreTable& table, ScoreTable stored);

// Fills an entry opened by InsertHighScore: name (at most 16 characters, as
// Windows-1251), score and date.
void RecordHighScore(ScoreEntry& entry, const QString& name, std::int32_t score,
                     const QDateTime& when);

// Local date and time <-> days since 1899-12-30 with the time as the fraction.
double ToDayNumber(const QDateTime& localTime);
QDateTime FromDayNumber(double days);

QString EntryName(const ScoreEntry& entry);
QString LastPlayerName(const BackupRecord& record);
// Stores at most 16 characters; characters Windows-1251 cannot hold become "?".
void SetLastPlayerName(BackupRecord& record, const QString& name);

}  // namespace kwadrill
