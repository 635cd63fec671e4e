#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kwadrill {

// The name-entry dialog. It cannot be closed with an empty name, nor with
// one of blanks only; whatever closes it gives the name typed (at most 16
// characters). The edit says how long a name may be: a grey hint while it is
// empty, and a count of the characters typed against the limit.
class TForm3 : public QDialog {
public:
    TForm3(bool russian, QWidget* parent);

    void ApplyLanguage(bool russian);
    // The counter inside the edit, "typed/16".
    QLabel* LengthCounter() const { return lengthCounter_; }

    // Shows the dialog modally, offering a name selected in the edit; the
    // name the player gave, or empty when the program closed it before.
    QString AskName(const QString& offered);
    // The name shown, selected, when the dialog opens next.
    void Offer(const QString& name) { offered_ = name; }
    // The name given when the dialog last closed; empty if none was.
    const QString& EnteredName() const { return enteredName_; }

    // Closes the dialog even with an empty edit, for a program that is being
    // shut down: whatever the edit holds is the name given.
    void CloseForShutdown();

    // Every way of closing ends here: the button, Enter, Escape, the close box.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    bool FormCloseQuery();
    void ShowLength();

    QString offered_;
    QString enteredName_;
    QLabel* label1_;
    QLineEdit* edit1_;
    QLabel* lengthCounter_;
    QPushButton* button1_;
};

}  // namespace kwadrill
