#include "TForm5.h"

#include <QKeyEvent>
#include <QTextEdit>
#include <QTextOption>

#include "DialogLook.h"
#include "LanguageTexts.h"

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize{257, 141};
constexpr QRect kMemo1Geometry{0, 0, 257, 141};

}  // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName(u"Form5"_s);
    SetUpDialog(*this, kClientSize);

    memo1_ = new QTextEdit(this);
    memo1_->setObjectName(u"Memo1"_s);
    memo1_->setGeometry(kMemo1Geometry);
    memo1_->setReadOnly(true);
    memo1_->setAcceptRichText(false);
    memo1_->setLineWrapMode(QTextEdit::WidgetWidth);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextOption centred(Qt::AlignHCenter);
    centred.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo1_->document()->setDefaultTextOption(centred);
    // The memo has the focus while the window is open; Escape must still close it.
    memo1_->installEventFilter(this);
    ApplyLanguage(false);
}

void TForm5::ApplyLanguage(bool russian) {
    setWindowTitle(RulesCaption(russian));
    memo1_->clear();
    memo1_->setPlainText(RulesLines(russian).join(u'\n'));
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo1_ && event->type() == QEvent::KeyPress) {
        return FormKeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return QDialog::eventFilter(watched, event);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(event->key())) QDialog::keyPressEvent(event);
}

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    memo1_->setFocus();
}

bool TForm5::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    accept();
    return true;
}

}  // namespace kwadrill
