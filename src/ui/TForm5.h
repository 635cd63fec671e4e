#pragma once

#include <QDialog>

class QTextEdit;

namespace kwadrill {

// The rules window: a read-only memo of the rules and credits.
class TForm5 : public QDialog {
public:
    explicit TForm5(QWidget* parent);

    // Caption and memo in the language; the memo is refilled, never extended.
    void ApplyLanguage(bool russian);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown
    void showEvent(QShowEvent* event) override;

private:
    bool FormKeyDown(int key);

    QTextEdit* memo1_;
};

}  // namespace kwadrill
