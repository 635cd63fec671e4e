#pragma once

#include <QDialog>

#include "PersistentState.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kwadrill {

// The name-entry dialog. It cannot be closed with an empty name; whatever
// closes it stores the name (at most 16 characters) as the last player name.
class TForm3 : public QDialog {
public:
    TForm3(PersistentState& state, QWidget* parent);

    void ApplyLanguage(bool russian);

    // Closes the dialog even with an empty edit, for a program that is being
    // shut down: a typed name is stored, an empty edit keeps the last name.
    void CloseForShutdown();

    // Every way of closing ends here: the button, Enter, Escape, the close box.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    bool FormCloseQuery();

    PersistentState& state_;
    QLabel* label1_;
    QLineEdit* edit1_;
    QPushButton* button1_;
};

}  // namespace kwadrill
