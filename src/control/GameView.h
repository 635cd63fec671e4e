#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "Board.h"

namespace kwadrill {

// The picture lists a single cell can be drawn from.
enum class ImageList {
    Cells,        // 21 x 21, opaque: index = cell value
    Destruction,  // 21 x 21, white transparent: (set - 1) * 11 + (10 - frame)
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
    virtual void ShowHighScores() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowRules() = 0;
    // The language the player chose, or nothing when the choice was left alone.
    virtual std::optional<std::int32_t> ShowLanguageDialog() = 0;
    virtual void ApplyLanguage() = 0;
};

}  // namespace kwadrill
