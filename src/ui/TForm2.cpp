#include "TForm2.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <utility>

#include "DialogLook.h"
#include "HighScores.h"
#include "LanguageTexts.h"
#include "WindowZoom.h"
#include "WrappedText.h"

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize{426, 330};
constexpr QRgb kNavy = qRgb(0, 0, 128);
constexpr QRgb kLime = qRgb(0, 255, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr int kTableTextHeight = -11;
constexpr int kEmptyMessageHeight = -18;
// The empty-table remark wraps inside this much room on either side, so its
// longest lines keep clear of the window's edges.
constexpr int kEmptyMessageMargin = 24;

// A widget that leaves its painting to its owner, drawing on its own colour.
class PaintBox : public QWidget {
public:
    using PaintHandler = std::function<void(QPainter&, QWidget&)>;

    PaintBox(QWidget* parent, PaintHandler onPaint)
        : QWidget(parent), onPaint_(std::move(onPaint)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // Drawn in the described layout's pixels, larger at a zoom.
        painter.scale(ZoomOf(*this), ZoomOf(*this));
        // Every paint starts from the box's own font and colour.
        painter.setFont(LogicalFont(*this));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBackground(palette().window());
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.fillRect(QRect(QPoint(), LogicalSize(*this)), palette().window());
        onPaint_(painter, *this);
    }

private:
    PaintHandler onPaint_;
};

bool HasScores(const ScoreTable& table) {
    return std::any_of(table.entries.begin(), table.entries.end(),
                       [](const ScoreEntry& entry) { return entry.score > 0; });
}

// The user's long time format names the time zone; the stored time is a bare
// local time, so the zone is left out.
QString LongTimeFormatWithoutZone(const QLocale& locale) {
    QString format;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c == u't') continue;
        format += c;
    }
    return format.simplified();
}

}  // namespace

QString ScoreDateText(double date, const QLocale& locale) {
    const QDateTime when = FromDayNumber(date);
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0) {
        text += u' ' + locale.toString(time, LongTimeFormatWithoutZone(locale));
    }
    return text;
}

QLocale DateLocale(bool russian, const QLocale& userLocale) {
    const QLocale::Language language = russian ? QLocale::Russian : QLocale::English;
    return userLocale.language() == language ? userLocale : QLocale(language);
}

QString HighScoreText(const ScoreTable& table, int highlightRank, const QLocale& locale) {
    QString text;
    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        const ScoreEntry& entry = table.Rank(rank);
        if (entry.score <= 0) continue;
        const bool marked = rank == highlightRank;
        if (marked) text += u">> "_s;
        text += QString::number(rank) + u". "_s + EntryName(entry) + u" - "_s +
                QString::number(entry.score) + u" - "_s + ScoreDateText(entry.date, locale);
        if (marked) text += u" <<"_s;
        text += u'|';
    }
    return text;
}

TForm2::TForm2(const PersistentState& state, const QLocale& userLocale, QWidget* parent)
    : QDialog(parent), state_(state), userLocale_(userLocale) {
    setObjectName(u"Form2"_s);
    SetUpDialog(*this, kClientSize);
    QPalette navy = palette();
    navy.setColor(QPalette::Window, QColor(kNavy));
    setPalette(navy);

    auto* paintBox = new PaintBox(
        this, [this](QPainter& painter, QWidget& box) { PaintBox1Paint(painter, box); });
    paintBox->setObjectName(u"PaintBox1"_s);
    paintBox->setGeometry(QRect(QPoint(0, 0), kClientSize));
    emptyMessageBox_ = new PaintBox(
        paintBox, [this](QPainter& painter, QWidget& box) { PaintEmptyMessage(painter, box); });
    emptyMessageBox_->setObjectName(u"EmptyMessageBox"_s);
    emptyMessageBox_->setGeometry(
        QRect(QPoint(0, 0), kClientSize).adjusted(kEmptyMessageMargin, 0, -kEmptyMessageMargin, 0));
    // Both remarks ask for Arial by its old names; the Cyrillic one has no
    // face of that name here, so both go to the one metric twin installed.
    for (const bool russian : {false, true}) {
        QFont::insertSubstitution(EmptyHighScoreMessage(russian).fontName,
                                  QString::fromUtf16(kEmptyMessageFace));
    }
    ApplyLanguage(state_.Russian());
}

void TForm2::ApplyLanguage(bool russian) {
    setWindowTitle(HighScoreWindowCaption(russian));
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm2::showEvent(QShowEvent* event) {
    emptyMessageBox_->setVisible(!HasScores(state_.record.scoreTable));
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

void TForm2::PaintBox1Paint(QPainter& painter, QWidget& box) {
    const ScoreTable& table = state_.record.scoreTable;
    if (!HasScores(table)) return;  // the remark is drawn by its own, narrower box
    const QLocale dates = DateLocale(state_.Russian(), userLocale_);
    DrawWrappedText(painter, box, HighScoreText(table, state_.highlightRank, dates),
                    kTableTextHeight, QColor(kYellow), FontStyle::Bold, QString(), false, true);
}

void TForm2::PaintEmptyMessage(QPainter& painter, QWidget& box) {
    const EmptyTableMessage message = EmptyHighScoreMessage(state_.Russian());
    DrawWrappedText(painter, box, message.text, kEmptyMessageHeight, QColor(kLime),
                    FontStyle::Bold | FontStyle::Italic, message.fontName, false, true);
}

}  // namespace kwadrill
