#include "TForm6.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "DialogLook.h"
#include "LanguageTexts.h"
#include "WindowZoom.h"

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize{181, 61};
constexpr QRect kListBox1Geometry{0, 0, 181, 33};
constexpr QRect kButton1Geometry{104, 36, 77, 25};
constexpr int kItemHeight = 13;

}  // namespace

TForm6::TForm6(bool russian, QWidget* parent) : QDialog(parent) {
    setObjectName(u"Form6"_s);
    SetUpDialog(*this, kClientSize);

    listBox1_ = new QListWidget(this);
    listBox1_->setObjectName(u"ListBox1"_s);
    listBox1_->setGeometry(kListBox1Geometry);
    listBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
    listBox1_->setUniformItemSizes(true);
    for (const QString& name : LanguageItems()) {
        auto* item = new QListWidgetItem(name, listBox1_);
        item->setSizeHint(QSize(0, kItemHeight));
    }
    listBox1_->setCurrentRow(-1);
    connect(listBox1_, &QListWidget::itemSelectionChanged, this, &TForm6::ListBox1Click);

    auto* button1 = new QPushButton(LanguageDialogButton(), this);
    button1->setObjectName(u"Button1"_s);
    button1->setGeometry(kButton1Geometry);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(listBox1_, button1);
    ApplyLanguage(russian);
}

// A zoomed window's list keeps the described rows, larger.
void TForm6::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::FontChange || !listBox1_) return;
    const QSize row(0, ZoomedSize({0, kItemHeight}, ZoomOf(*this)).height());
    for (int i = 0; i < listBox1_->count(); ++i) listBox1_->item(i)->setSizeHint(row);
}

std::optional<std::int32_t> TForm6::AskLanguage() {
    exec();
    return chosen_;
}

void TForm6::ApplyLanguage(bool russian) {
    setWindowTitle(LanguageDialogCaption(russian));
}

void TForm6::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        accept();  // there is nothing to cancel
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    chosen_.reset();
    CentreOnScreen(*this);
    listBox1_->setFocus();
}

void TForm6::ListBox1Click() {
    const QList<QListWidgetItem*> selected = listBox1_->selectedItems();
    if (selected.isEmpty()) return;
    chosen_ = listBox1_->row(selected.first());
}

}  // namespace kwadrill
