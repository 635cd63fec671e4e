#pragma once

#include <QWidget>

#include "LanguageTexts.h"

namespace kwadrill {

// The sign that the well shows a replay, not a game: a plate under the
// control panel with "REPLAY", its speed or its end, and the keys; red
// while it plays, grey once it has ended.
class ReplaySignBox : public QWidget {
public:
    explicit ReplaySignBox(QWidget* parent);

    void ShowTexts(const ReplaySignTexts& texts, bool ended);
    const ReplaySignTexts& Texts() const { return texts_; }
    bool Ended() const { return ended_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReplaySignTexts texts_;
    bool ended_ = false;
};

}  // namespace kwadrill
