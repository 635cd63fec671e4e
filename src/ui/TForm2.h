#pragma once

#include <QDialog>
#include <QLocale>
#include <QString>

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

// How dates are written in the game's language: as the user's own locale
// writes them when it speaks that language, else as the language's main
// country does.
QLocale DateLocale(bool russian, const QLocale& userLocale);

// The face both empty-table remarks are drawn in.
inline constexpr char16_t kEmptyMessageFace[] = u"Liberation Sans";

// The high-score window: the table on navy, or a remark when it is empty.
// Dates follow the game's language (see DateLocale).
class TForm2 : public QDialog {
public:
    // userLocale: the user's own, used for dates when it speaks the game's language.
    TForm2(const PersistentState& state, const QLocale& userLocale, QWidget* parent);

    void ApplyLanguage(bool russian);

protected:
    void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown
    void showEvent(QShowEvent* event) override;

private:
    void PaintBox1Paint(QPainter& painter, QWidget& box);
    void PaintEmptyMessage(QPainter& painter, QWidget& box);

    const PersistentState& state_;
    QLocale userLocale_;
    QWidget* emptyMessageBox_ = nullptr;
};

}  // namespace kwadrill
