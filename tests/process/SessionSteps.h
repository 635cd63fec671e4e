#pragma once

#include <QVariant>

#include <gtest/gtest.h>

#include <csignal>

#include "GameProcess.h"
#include "GameSandbox.h"
#include "RecordBytes.h"

// Starts the game and waits until it is up.
::testing::AssertionResult StartUntilReady(GameProcess& game);

// Starts the game, waits until it is up, ends it with the signal and waits
// until it has gone by itself.
::testing::AssertionResult PlayAndClose(const GameSandbox& sandbox, int signalNumber = SIGTERM);

// The backup file's record once its size and check byte are right.
::testing::AssertionResult ReadValidBackup(const QString& path, RecordBytes& record);

// The two values of the player's store as Qt reads them back.
struct StoreValues {
    QVariant language;
    QVariant table;
};
StoreValues ReadStore(const QString& path);
