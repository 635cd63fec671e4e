#include "TowerPlayer.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {

constexpr int kColumns = GameWindowDriver::kColumns;
constexpr int kRows = GameWindowDriver::kRows;
constexpr int kBlocks = 3;
constexpr int kTurns = 3;
constexpr int kRowsToSearch = 3;  // a piece is steered only near the top
constexpr int kLineLength = 3;
// A stack stops one row below the top until the two columns on either side
// of it stand this high: a new piece that comes to rest on a full stack at
// once leaves its other blocks to fall by themselves, one row per main tick,
// and from there they have only a few rows to fall.
constexpr int kHeldHeight = kRows - 2;
constexpr int kNeighbourHeight = kRows - 4;
constexpr int kNeighbourReach = 2;

using Cells = TowerPlayer::Cells;

bool Inside(int column, int row) {
    return column >= 0 && column < kColumns && row >= 0 && row < kRows;
}

int RunThrough(const Cells& cells, int column, int row, int dc, int dr) {
    const int type = cells[column][row];
    int length = 1;
    for (int sign : {1, -1}) {
        for (int c = column + sign * dc, r = row + sign * dr; Inside(c, r) && cells[c][r] == type;
             c += sign * dc, r += sign * dr) {
            ++length;
        }
    }
    return length;
}

bool CompletesLine(const Cells& cells, int column, int row) {
    for (auto [dc, dr] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}, std::pair{1, -1}}) {
        if (RunThrough(cells, column, row, dc, dr) >= kLineLength) return true;
    }
    return false;
}

// The piece slides along its row to the target without coming to rest on
// the way: a piece that rests can no longer be steered or dropped.
bool Reachable(const Cells& board, const TowerPlayer::Piece& piece, int left) {
    const int step = left < piece.column ? -1 : 1;
    for (int position = piece.column; position != left + step; position += step) {
        for (int k = 0; k < kBlocks; ++k) {
            if (board[position + k][piece.row] != 0) return false;
            const bool resting = piece.row + 1 == kRows || board[position + k][piece.row + 1] != 0;
            if (resting && position != left) return false;
        }
    }
    return true;
}

// The first occupied row of a column (an unread cell counts as occupied).
int TopOf(const Cells& board, int column) {
    for (int row = 0; row < kRows; ++row) {
        if (board[column][row] != 0) return row;
    }
    return kRows;
}

// Down drops a piece that falls freely; one that rests at once stays, and
// its unsupported blocks then fall by themselves at the pace of the main tick.
bool DropsAtOnce(const Cells& board, int row, int left) {
    int resting = 0;
    for (int k = 0; k < kBlocks; ++k) {
        resting += row + 1 == kRows || board[left + k][row + 1] != 0 ? 1 : 0;
    }
    return resting == 0 || resting == kBlocks;
}

int HighestLanding(const Cells& board, int left) {
    for (int column = std::max(0, left - kNeighbourReach);
         column < std::min(kColumns, left + kBlocks + kNeighbourReach); ++column) {
        const bool beside = column < left || column >= left + kBlocks;
        if (beside && kRows - TopOf(board, column) < kNeighbourHeight) return kHeldHeight;
    }
    return kRows;
}

}  // namespace

std::optional<TowerPlayer::Piece> TowerPlayer::FindFallingPiece(const Cells& cells) {
    for (int row = 0; row < kRowsToSearch; ++row) {
        for (int column = 0; column + kBlocks <= kColumns; ++column) {
            Piece piece{column, row, {}};
            bool free = true;
            for (int k = 0; k < kBlocks && free; ++k) {
                piece.types[k] = cells[column + k][row];
                free = piece.types[k] > 0 && row + 1 < kRows && cells[column + k][row + 1] == 0;
            }
            if (free) return piece;
        }
    }
    return std::nullopt;
}

namespace {

struct Landing {
    bool line = false;  // completes a line of three or more
    bool flat = false;  // all three blocks come to rest on one level
    int height = 0;     // of the highest block after landing
};

// Where the three blocks come to rest when dropped at the given column:
// each falls straight down its own column.
Landing Land(const Cells& board, const std::array<int, kBlocks>& types, int left) {
    Cells landed = board;
    std::array<int, kBlocks> rows{};
    for (int k = 0; k < kBlocks; ++k) {
        rows[k] = TopOf(board, left + k) - 1;
        if (rows[k] >= 0) landed[left + k][rows[k]] = types[k];
    }
    Landing landing;
    for (int k = 0; k < kBlocks; ++k) {
        landing.line = landing.line || (rows[k] >= 0 && CompletesLine(landed, left + k, rows[k]));
    }
    landing.flat = rows[0] == rows[1] && rows[1] == rows[2];
    landing.height = kRows - *std::min_element(rows.begin(), rows.end());
    return landing;
}

}  // namespace

// Every piece is dropped at once and lands flat (all three blocks on one
// level), as far to the left as it can: a stack at the wall is rarely under a
// new piece before it is full. A line that is not wanted goes as low as it
// can, away from the stack.
TowerPlayer::Move TowerPlayer::Plan(const Cells& cells, const Piece& piece, bool wantLine) {
    Cells board = cells;
    for (int k = 0; k < kBlocks; ++k) board[piece.column + k][piece.row] = 0;

    using Rank = std::tuple<bool, bool, bool, bool, int, int, int>;
    Rank bestRank{false, false, false, false, -kColumns, -1, 0};
    Move best;
    for (int turns = 0; turns < kTurns; ++turns) {
        Piece turned = piece;
        // One press of Up moves every type one place to the right, the last to the front.
        for (int k = 0; k < kBlocks; ++k) {
            turned.types[k] = piece.types[(k - turns + kTurns) % kTurns];
        }
        for (int left = 0; left + kBlocks <= kColumns; ++left) {
            if (!Reachable(board, piece, left)) continue;
            const Landing landing = Land(board, turned.types, left);
            const bool fast = DropsAtOnce(board, piece.row, left);
            const bool allowed = landing.height <= HighestLanding(board, left);
            const int effort = -(std::abs(left - piece.column) + turns);
            const Rank rank =
                landing.line == wantLine
                    ? Rank{true, fast, allowed, landing.flat, -left, landing.height, effort}
                    : Rank{false, fast, true, true, 0, -landing.height, effort};
            if (rank > bestRank) {
                bestRank = rank;
                turned.column = left;
                best = Move{turns, left - piece.column, landing.line, turned};
            }
        }
    }
    return best;
}

QStringList TowerPlayer::Keys(const Move& move) {
    QStringList keys;
    for (int k = 0; k < move.turns; ++k) keys << QStringLiteral("Up");
    for (int k = 0; k < std::abs(move.shift); ++k) {
        keys << (move.shift < 0 ? QStringLiteral("Left") : QStringLiteral("Right"));
    }
    keys << QStringLiteral("Down");
    return keys;
}
