#include "SessionSteps.h"

#include <QSettings>

::testing::AssertionResult StartUntilReady(GameProcess& game) {
    if (!game.Start()) return ::testing::AssertionFailure() << "the game did not start";
    if (!game.WaitUntilReady(kStartUpTimeoutMs)) {
        return ::testing::AssertionFailure()
               << "the game never became ready (" << qPrintable(game.ExitDescription()) << ")";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PlayAndClose(const GameSandbox& sandbox, int signalNumber) {
    GameProcess game(sandbox);
    if (const auto started = StartUntilReady(game); !started) return started;
    game.Signal(signalNumber);
    if (!game.WaitForExit(kShutdownTimeoutMs)) {
        return ::testing::AssertionFailure() << "the game did not end after the signal";
    }
    if (!game.ExitedCleanly()) {
        return ::testing::AssertionFailure()
               << "the game ended badly: " << qPrintable(game.ExitDescription());
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadValidBackup(const QString& path, RecordBytes& record) {
    const QByteArray file = kwadrill::test::ReadFileBytes(path);
    if (file.size() != RecordBytes::kFileSize) {
        return ::testing::AssertionFailure() << qPrintable(path) << " holds " << file.size()
                                             << " bytes, not " << RecordBytes::kFileSize;
    }
    if (!HasValidCheckByte(file)) {
        return ::testing::AssertionFailure() << qPrintable(path) << " has a wrong check byte";
    }
    record = RecordBytes::FromBytes(file);
    return ::testing::AssertionSuccess();
}

StoreValues ReadStore(const QString& path) {
    const QSettings store(path, QSettings::IniFormat);
    return {store.value(QStringLiteral("lng")), store.value(QStringLiteral("hsc"))};
}
