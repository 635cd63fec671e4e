#include "TForm3.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogLook.h"
#include "HighScores.h"
#include "LanguageTexts.h"
#include "ScoreTable.h"

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize{289, 105};
constexpr QRect kBevel1Geometry{0, 0, 289, 53};
constexpr QRect kLabel1Geometry{4, 4, 281, 45};
constexpr QRect kEdit1Geometry{0, 56, 289, 21};
constexpr QRect kButton1Geometry{0, 80, 289, 25};
// Room kept free at the edit's right end for the counter.
constexpr int kCounterRoom = 40;
constexpr int kCounterMargin = 4;
constexpr QRgb kCounterFullColour = qRgb(192, 0, 0);

}  // namespace

TForm3::TForm3(bool russian, QWidget* parent) : QDialog(parent) {
    setObjectName(u"Form3"_s);
    SetUpDialog(*this, kClientSize);

    auto* bevel1 = new QFrame(this);
    bevel1->setObjectName(u"Bevel1"_s);
    bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel1->setGeometry(kBevel1Geometry);

    label1_ = new QLabel(this);
    label1_->setObjectName(u"Label1"_s);
    label1_->setGeometry(kLabel1Geometry);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setWordWrap(true);
    label1_->setTextFormat(Qt::PlainText);

    edit1_ = new QLineEdit(this);
    edit1_->setObjectName(u"Edit1"_s);
    edit1_->setGeometry(kEdit1Geometry);
    edit1_->setMaxLength(kMaxNameLength);
    edit1_->setTextMargins(0, 0, kCounterRoom, 0);

    lengthCounter_ = new QLabel(edit1_);
    lengthCounter_->setObjectName(u"LengthCounter"_s);
    lengthCounter_->setGeometry(kEdit1Geometry.width() - kCounterRoom, 0,
                                kCounterRoom - kCounterMargin, kEdit1Geometry.height());
    lengthCounter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lengthCounter_->setAttribute(Qt::WA_TransparentForMouseEvents);
    lengthCounter_->setForegroundRole(QPalette::WindowText);  // not the edit's text colour
    connect(edit1_, &QLineEdit::textChanged, this, &TForm3::ShowLength);
    ShowLength();

    button1_ = new QPushButton(this);
    button1_->setObjectName(u"Button1"_s);
    button1_->setGeometry(kButton1Geometry);
    button1_->setDefault(true);
    connect(button1_, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(edit1_, button1_);
    ApplyLanguage(russian);
}

void TForm3::ApplyLanguage(bool russian) {
    setWindowTitle(NameEntryCaption(russian));
    label1_->setText(NameEntryPrompt(russian));
    button1_->setText(NameEntryButton(russian));
    edit1_->setPlaceholderText(NameEntryHint(russian, kMaxNameLength));
}

// Grey while there is room; red once the field is full, so that a key that
// types nothing more is explained.
void TForm3::ShowLength() {
    const qsizetype length = edit1_->text().size();
    lengthCounter_->setText(u"%1/%2"_s.arg(length).arg(kMaxNameLength));
    QPalette colours = edit1_->palette();
    colours.setColor(QPalette::WindowText, length >= kMaxNameLength
                                               ? QColor(kCounterFullColour)
                                               : colours.color(QPalette::PlaceholderText));
    lengthCounter_->setPalette(colours);
}

QString TForm3::AskName(const QString& offered) {
    Offer(offered);
    exec();
    return enteredName_;
}

void TForm3::CloseForShutdown() {
    enteredName_ = edit1_->text().left(kMaxNameLength);
    QDialog::done(Rejected);  // past the close query
}

void TForm3::done(int result) {
    if (FormCloseQuery()) QDialog::done(result);
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    FormShow();
}

void TForm3::FormShow() {
    enteredName_.clear();
    edit1_->setText(offered_);
    edit1_->selectAll();
    edit1_->setFocus();
}

bool TForm3::FormCloseQuery() {
    const QString name = edit1_->text();
    if (IsBlankName(name)) {
        // Whatever is typed next replaces the blanks.
        edit1_->selectAll();
        edit1_->setFocus();
        return false;
    }
    enteredName_ = name.left(kMaxNameLength);
    return true;
}

}  // namespace kwadrill
