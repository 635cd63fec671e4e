#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "Board.h"
#include "PieceForecast.h"
#include "WriteFailure.h"

namespace kwadrill {

// The picture lists a single cell can be drawn from.
enum class ImageList {
    Cells,        // 21 x 21, opaque: index = cell value
    Destruction,  // 21 x 21, white transparent: (set - 1) * 11 + (10 - frame)
};

// Where one block of the piece in play would come to rest, and its type.
struct ShadowBlock {
    int column = 0;
    int row = 0;
    std::uint8_t type = 0;
    bool operator==(const ShadowBlock&) const = default;
};
// The landing shadow of the piece in play; empty when none is shown.
using LandingShadow = std::vector<ShadowBlock>;

// What the window shows while a replay is watched: how fast it plays, or
// that it has come to its end.
struct ReplaySign {
    int speed = 1;
    bool ended = false;
    bool operator==(const ReplaySign&) const = default;
};

// What game control needs from the windows. The main window implements it;
// tests implement it with a recorder.
class GameView {
public:
    virtual ~GameView() = default;

    // Paints all cells of the board into the well at once.
    virtual void DrawField(const Board& board) = 0;
    // Paints one picture at one cell of the well, leaving the board alone.
    virtual void DrawCellImage(ImageList list, int index, int column, int row) = 0;
    // The landing shadow, drawn over the field from the next DrawField on.
    virtual void SetLandingShadow(const LandingShadow& shadow) = 0;
    // The next piece's types, left to right (0 an empty cell), or nothing
    // when the preview is switched off.
    virtual void ShowNextPiece(const std::optional<PieceTypes>& next) = 0;
    // Repaints the score counter at once, showing score.
    virtual void RepaintScore(std::int32_t score) = 0;

    // The level label: whether it shows text, write "Level n" in the current
    // language, clear it.
    virtual bool LevelLabelShowsText() const = 0;
    virtual void ShowLevelLabel(int level) = 0;
    virtual void ClearLevelLabel() = 0;

    // The notice over the well that says the game is paused, in the current
    // language; drawn over whatever the well shows, shown until hidden.
    virtual void ShowPauseNotice(bool shown) = 0;

    // Modal windows; each returns when the window has closed.
    virtual void ShowGameOverBox() = 0;  // a remark in the current language
    // Offers a name; the name the player gave, or empty when the program
    // closed the dialog before one was given.
    virtual QString ShowNameEntry(const QString& offered) = 0;
    // The name a result is kept under when nobody could type one (the game
    // is ending) and no name was ever entered: a neutral one in the language.
    virtual QString NeutralPlayerName() const = 0;
    // With offerReplays the player may pick an entry's replay to watch:
    // then its rank, else nothing.
    virtual std::optional<int> ShowHighScores(bool offerReplays) = 0;
    // A new result could be saved nowhere: says which files refused and why,
    // in the current language.
    virtual void ShowResultNotSaved(const WriteFailure& backup, const WriteFailure& store) = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowRules() = 0;
    // The language the player chose, or nothing when the choice was left alone.
    virtual std::optional<std::int32_t> ShowLanguageDialog() = 0;
    virtual void ApplyLanguage() = 0;

    // The sign that the well plays a replay, or nothing once none is watched.
    virtual void ShowReplaySign(const std::optional<ReplaySign>& sign) = 0;
    // A replay the player asked for cannot be watched: why, in a box.
    virtual void ShowReplayRefused(const QString& reason) = 0;
};

}  // namespace kwadrill
