#pragma once

#include <QDialog>
#include <QList>
#include <QLocale>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "PersistentState.h"
#include "ScoreTable.h"

class QPainter;

namespace kwadrill {

// A score's date as the user reads dates: the short date, then the long time
// unless the time of day is exactly midnight.
QString ScoreDateText(double date, const QLocale& locale);

// The table as one text for DrawWrappedText: one "|"-ended line per entry
// with a score above 0, numbered by table position, the entry at
// highlightRank between ">> " and " <<".
QString HighScoreText(const ScoreTable& table, int highlightRank, const QLocale& locale);
// The same text entry by entry: each shown entry's rank and its "|"-ended text.
std::vector<std::pair<int, QString>> HighScoreEntryTexts(const ScoreTable& table, int highlightRank,
                                                         const QLocale& locale);

// How dates are written in the game's language: as the user's own locale
// writes them when it speaks that language, else as the language's main
// country does.
QLocale DateLocale(bool russian, const QLocale& userLocale);

// The face both empty-table remarks are drawn in.
inline constexpr char16_t kEmptyMessageFace[] = u"Liberation Sans";

// The high-score window: the table on navy, or a remark when it is empty.
// Dates follow the game's language (see DateLocale).
//
// Where replays are offered, an entry that has one is marked with a small
// triangle, one of them is framed as chosen (the newest entry if it has a
// replay), and a line at the bottom says how to watch it: Up and Down
// choose, Return or a double-click watches it. Without a replay to offer
// the window is as it always was.
class TForm2 : public QDialog {
public:
    // userLocale: the user's own, used for dates when it speaks the game's language.
    TForm2(const PersistentState& state, const QLocale& userLocale, QWidget* parent);

    void ApplyLanguage(bool russian);

    // Which results have a replay; without it none has.
    void SetReplayLookup(std::function<bool(const ScoreEntry&)> hasReplay);
    // Whether the next showing lets the player pick a replay to watch.
    void OfferReplays(bool offer) { offerReplays_ = offer; }
    // The rank whose replay the player picked in the last showing, if any.
    std::optional<int> ChosenReplay() const { return chosen_; }
    // The ranks marked as having a replay, and the one framed, in this showing.
    const QList<int>& WatchableRanks() const { return watchable_; }
    int SelectedRank() const { return selected_; }
    // Where the entry of rank is drawn, in the window's layout pixels; empty
    // before the window has painted it.
    QRect EntryArea(int rank) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void PaintBox1Paint(QPainter& painter, QWidget& box);
    void PaintEmptyMessage(QPainter& painter, QWidget& box);
    void PaintReplayMarks(QPainter& painter, const QWidget& box, const QLocale& dates);
    int WatchableRankAt(QPoint position) const;
    void Select(int rank);
    void Watch(int rank);

    const PersistentState& state_;
    QLocale userLocale_;
    QWidget* paintBox_ = nullptr;
    QWidget* emptyMessageBox_ = nullptr;

    std::function<bool(const ScoreEntry&)> hasReplay_;
    bool offerReplays_ = false;
    QList<int> watchable_;
    int selected_ = 0;
    std::optional<int> chosen_;
    std::vector<std::pair<int, QRect>> entryAreas_;  // as last painted
};

}  // namespace kwadrill
