#pragma once

#include <QDialog>

#include "PersistentState.h"

class QListWidget;
class QPushButton;

namespace kwadrill {

// The language dialog: a two-item list whose selection sets the language at
// once, and an OK button. No close box, no Cancel; Escape does nothing. The
// list keeps its selection between uses.
class TForm6 : public QDialog {
public:
    TForm6(PersistentState& state, QWidget* parent);

    void ApplyLanguage(bool russian);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ListBox1Click();

    PersistentState& state_;
    QListWidget* listBox1_;
};

}  // namespace kwadrill
