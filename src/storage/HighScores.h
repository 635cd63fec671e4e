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

// Joins a table read from the per-user store with the one in memory (from the
// backup file), so that a result saved to only one of the two places is kept:
// every non-empty entry of either table, an entry found in both counted once,
// best score first, cut to twenty, then the stored table's empty entries as
// filler. Among equal scores the stored table's entries come first, each
// table's in its own order: merging a table with itself changes no byte.
// Entries are moved whole, padding and name leftovers included; of an entry
// found in both tables the stored copy is kept.
void MergeScoreTables(ScoreTable& table, const ScoreTable& stored);

// The same result: equal name (length and the bytes it counts), score and date
// bytes. Padding and name leftovers are not part of a result.
bool SameResult(const ScoreEntry& a, const ScoreEntry& b);

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
// A name of nothing but blanks names nobody: it counts as no name at all.
bool IsBlankName(const QString& name);

}  // namespace kwadrill
