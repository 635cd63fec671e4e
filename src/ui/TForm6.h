#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QListWidget;
class QPushButton;

namespace kwadrill {

// The language dialog: a two-item list whose selection sets the language at
// once, and an OK button. There is nothing to cancel: Escape closes it as
// Return does, keeping the choice made. The list keeps its selection
// between uses.
class TForm6 : public QDialog {
public:
    TForm6(bool russian, QWidget* parent);

    void ApplyLanguage(bool russian);

    // Shows the dialog modally; the language last selected while it was
    // open, or nothing when the selection was not touched.
    std::optional<std::int32_t> AskLanguage();
    std::optional<std::int32_t> ChosenLanguage() const { return chosen_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ListBox1Click();

    std::optional<std::int32_t> chosen_;
    QListWidget* listBox1_ = nullptr;
};

}  // namespace kwadrill
