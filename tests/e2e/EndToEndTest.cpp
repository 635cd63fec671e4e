#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#include "GameWindowDriver.h"

namespace {

using Cells = GameWindowDriver::Cells;

struct Piece {
    int column = 0;   // 1-based column of the left block
    int row = 0;
};

// A piece of three blocks side by side, the only blocks in the well.
std::optional<Piece> FindLonePiece(const Cells& cells) {
    std::optional<Piece> piece;
    int blocks = 0;
    for (int c = 0; c < GameWindowDriver::kColumns; ++c) {
        for (int r = 0; r < GameWindowDriver::kRows; ++r) {
            if (cells[c][r] > 0) {
                ++blocks;
                if (!piece) {
                    piece = Piece{c + 1, r + 1};
                }
            }
        }
    }
    if (blocks != 3 || !piece || piece->column > 7) {
        return std::nullopt;
    }
    for (int k = 1; k < 3; ++k) {
        if (cells[piece->column - 1 + k][piece->row - 1] <= 0) {
            return std::nullopt;
        }
    }
    return piece;
}

int CountBlocks(const Cells& cells) {
    int blocks = 0;
    for (const auto& column : cells) {
        for (int value : column) {
            blocks += value > 0 ? 1 : 0;
        }
    }
    return blocks;
}

template <typename T>
std::optional<T> PollFor(int timeoutMs, const std::function<std::optional<T>()>& probe) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (auto found = probe()) {
            return found;
        }
        QThread::msleep(50);
    }
    return std::nullopt;
}

class EndToEnd : public ::testing::Test {
protected:
    QTemporaryDir home_;
};

// Start is clicked, a piece appears at the top, the left arrow moves it one
// column, "p" pauses and the well fills with random blocks.
TEST_F(EndToEnd, StartSteerAndPauseInARealWindow) {
    GameWindowDriver game(home_);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.FindMainWindow(10000)) << "the main window never appeared";

    const Cells empty = game.ReadWell();
    EXPECT_EQ(CountBlocks(empty), 0) << "the well starts empty";

    game.ClickButton(0);   // Start
    const auto spawned = PollFor<Piece>(3000, [&] { return FindLonePiece(game.ReadWell()); });
    ASSERT_TRUE(spawned) << "no piece of three blocks appeared after Start";
    EXPECT_LE(spawned->row, 3) << "the piece appears in the top rows";

    const bool atLeftWall = spawned->column == 1;
    game.Key(atLeftWall ? QStringLiteral("Right") : QStringLiteral("Left"));
    const int expectedColumn = spawned->column + (atLeftWall ? 1 : -1);
    const auto moved = PollFor<Piece>(2000, [&]() -> std::optional<Piece> {
        auto piece = FindLonePiece(game.ReadWell());
        return piece && piece->column == expectedColumn ? piece : std::nullopt;
    });
    EXPECT_TRUE(moved) << "the arrow key did not move the piece one column";

    game.Key(QStringLiteral("p"));
    const auto sprinkled = PollFor<int>(3000, [&]() -> std::optional<int> {
        const int blocks = CountBlocks(game.ReadWell());
        return blocks >= 12 ? std::optional<int>(blocks) : std::nullopt;
    });
    EXPECT_TRUE(sprinkled) << "pausing did not sprinkle random blocks over the well";
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);   // for the resources and image decoding only
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
