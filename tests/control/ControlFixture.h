#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>

#include <gtest/gtest.h>

#include <initializer_list>

#include "ControlFakes.h"
#include "GameController.h"
#include "GameFlags.h"
#include "PersistentState.h"
#include "Random.h"

namespace kwadrill::testing {

// A controller on a real engine with a seeded generator, recorders for the
// windows and audio, and no event loop: tests call the handlers themselves.
class ControlTest : public ::testing::Test {
protected:
    ControlTest() { log.Clear(); }  // the controller told the audio the stored switches

    CallLog log;
    FakeGameView view{log};
    FakeSoundEffects sound{log};
    FakeMusicControl music{log};
    GameFlags flags;
    PersistentState state;
    Random random{20240611};
    // The clock stands still: a new table entry is dated with this moment.
    QDateTime now{QDate(2024, 3, 5), QTime(14, 7, 9)};
    GameController controller{
        flags, view, sound, music, state, random, [this] { return now; }, CountingSeeds(20240611)};

    Engine& engine() { return controller.engine(); }
    Board& board() { return controller.engine().board; }

    void StartGame() {
        controller.SpeedButton1Click();
        log.Clear();
    }

    // Writes types top to bottom into one column, from row firstRow on.
    void PutColumn(int column, int firstRow, std::initializer_list<int> types) {
        int row = firstRow;
        for (int type : types) {
            board().At(column, row++) = static_cast<std::uint8_t>(type);
        }
    }

    // A piece of three blocks side by side, left block at (column, row).
    void PlacePiece(int column, int row, std::initializer_list<int> types) {
        int k = 0;
        for (int type : types) {
            board().At(column + k, row) = static_cast<std::uint8_t>(type);
            engine().fallingPiece.blocks[static_cast<std::size_t>(k)] = {
                static_cast<std::uint8_t>(column + k), static_cast<std::uint8_t>(row)};
            ++k;
        }
    }

    // Three type-1 blocks on the floor at the left: 63 points at level 1.
    void PutFloorLine() {
        for (int column = 1; column <= 3; ++column) {
            board().At(column, kRows) = 1;
        }
    }

    void RunFastTicks(int count) {
        for (int i = 0; i < count; ++i) {
            controller.Timer2Timer();
        }
    }

    // Runs the windows of a game-over sequence that the main tick queued,
    // without delivering any timer event.
    static void RunQueuedWindows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
};

}  // namespace kwadrill::testing
