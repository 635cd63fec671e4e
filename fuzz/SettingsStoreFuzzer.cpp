// Any bytes as the per-user INI file, read as at start-up: the player's
// settings, the language, then the score table merged over the one in memory.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "HighScores.h"
#include "PersistentState.h"
#include "ScoreTableChecks.h"
#include "SettingsStore.h"
#include "StoreError.h"

namespace {

using namespace kwadrill;
using fuzz::Require;

constexpr std::int32_t kUnsetLanguage = -7;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// Qt warns of every unknown type a stored "@Variant(...)" names; thousands of
// lines a second would bury libFuzzer's own output.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    // QSettings caches the files it has parsed by name (and modification time,
    // to the millisecond): a fresh name for every input keeps the runs apart.
    static unsigned long long serial = 0;
    const QString path = folder.filePath(QStringLiteral("store-%1.ini").arg(serial++));
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile file(path);
        Require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
                "the fuzzer can write its input file");
    }

    PersistentState state;
    state.language = kUnsetLanguage;
    for (ScoreEntry& entry : state.record.scoreTable.entries) entry.score = 1;
    const StoredSettings stored = SettingsStore(path).LoadRegistrySettings();
    const PlayerSettings player = stored.Player();
    Require(player.Valid(), "the player's settings read from any store are valid");
    Require(stored.Player() == player, "the player's settings read the same each time");
    try {
        state.language = stored.Language();
        Require(stored.Language() == state.language, "the language reads the same each time");
        if (const std::optional<ScoreTable> table = stored.Table())
            MergeScoreTables(state.record.scoreTable, *table);
    } catch (const StoreError& error) {
        Require(!error.Message().isEmpty(), "a store error says what is wrong");
    }
    fuzz::ShowScoreTable(state.record.scoreTable);
    Require(ReadAll(path) == bytes, "reading never writes the store");
    QFile::remove(path);
    return 0;
}
