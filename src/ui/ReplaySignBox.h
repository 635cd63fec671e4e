#pragma once

#include <QWidget>

#include "LanguageTexts.h"

namespace kwadrill {

// The sign that the well shows a replay, not a game: a red plate under the
// control panel with "REPLAY", its speed or its end, and the keys.
class ReplaySignBox : public QWidget {
public:
    explicit ReplaySignBox(QWidget* parent);

    void ShowTexts(const ReplaySignTexts& texts);
    const ReplaySignTexts& Texts() const { return texts_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReplaySignTexts texts_;
};

}  // namespace kwadrill
