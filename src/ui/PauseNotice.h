#pragma once

#include <QString>
#include <QWidget>

#include "LanguageTexts.h"

namespace kwadrill {

// A band across the middle of the well that says the game is paused and how
// to go on. It lies over the well's own pictures, so the random blocks of the
// pause screen go on showing around and through it; it always covers its
// parent whole and lets the mouse through. Showing or hiding it makes the
// window system repaint the well, which draws the board: a resumed game
// shows its real cells at once.
class PauseNotice : public QWidget {
public:
    explicit PauseNotice(QWidget& well);

    void SetTexts(const PauseNoticeTexts& texts);
    const PauseNoticeTexts& Texts() const { return texts_; }
    // Where the band is drawn, in the notice's (the well's) coordinates.
    QRect Band() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QFont TitleFont() const;
    QFont HintFont() const;
    QRect HintRect(const QRect& band) const;

    PauseNoticeTexts texts_;
};

}  // namespace kwadrill
