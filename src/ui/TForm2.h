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

// The face both empty-table remarks are drawn in.
inline constexpr char16_t kEmptyMessageFace[] = u"Liberation Sans";

// The high-score window: the table on navy, or a remark when it is empty.
// Dates are written as the given locale writes them.
class TForm2 : public QDialog {
public:
    TForm2(const PersistentState& state, const QLocale& locale, QWidget* parent);

    void ApplyLanguage(bool russian);

protected:
    void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown
    void showEvent(QShowEvent* event) override;

private:
    void PaintBox1Paint(QPainter& painter, QWidget& box);
    void PaintEmptyMessage(QPainter& painter, QWidget& box);

    const PersistentState& state_;
    QLocale locale_;
    QWidget* emptyMessageBox_ = nullptr;
};

}  // namespace kwadrill
