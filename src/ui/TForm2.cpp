#include "TForm2.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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
// Replays: the triangle before an entry that has one, the frame around the
// chosen entry, and the line at the bottom that says how to watch it.
constexpr QRgb kReplayMark = qRgb(0, 255, 0);
constexpr QRgb kChosenFrame = qRgb(255, 255, 255);
constexpr QRgb kHintColour = qRgb(150, 170, 255);
constexpr int kMarkSize = 7;
constexpr int kMarkGap = 4;
constexpr int kHintPixels = 10;
constexpr int kHintBottom = 3;

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

std::vector<std::pair<int, QString>> HighScoreEntryTexts(const ScoreTable& table, int highlightRank,
                                                         const QLocale& locale) {
    std::vector<std::pair<int, QString>> texts;
    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        const ScoreEntry& entry = table.Rank(rank);
        if (entry.score <= 0) continue;
        const bool marked = rank == highlightRank;
        QString text;
        if (marked) text += u">> "_s;
        text += QString::number(rank) + u". "_s + EntryName(entry) + u" - "_s +
                QString::number(entry.score) + u" - "_s + ScoreDateText(entry.date, locale);
        if (marked) text += u" <<"_s;
        text += u'|';
        texts.emplace_back(rank, text);
    }
    return texts;
}

QString HighScoreText(const ScoreTable& table, int highlightRank, const QLocale& locale) {
    QString text;
    for (const auto& [rank, entryText] : HighScoreEntryTexts(table, highlightRank, locale)) {
        text += entryText;
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
    paintBox_ = paintBox;
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

void TForm2::SetReplayLookup(std::function<bool(const ScoreEntry&)> hasReplay) {
    hasReplay_ = std::move(hasReplay);
}

QRect TForm2::EntryArea(int rank) const {
    for (const auto& [entryRank, area] : entryAreas_) {
        if (entryRank == rank) return area;
    }
    return {};
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Watch(selected_);
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (const qsizetype at = watchable_.indexOf(selected_); at >= 0) {
                const qsizetype step = event->key() == Qt::Key_Up ? -1 : 1;
                Select(watchable_.value(at + step, selected_));
            }
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void TForm2::showEvent(QShowEvent* event) {
    const ScoreTable& table = state_.record.scoreTable;
    emptyMessageBox_->setVisible(!HasScores(table));
    chosen_.reset();
    watchable_.clear();
    entryAreas_.clear();
    for (int rank = 1; rank <= kScoreTableSize && offerReplays_ && hasReplay_; ++rank) {
        if (table.Rank(rank).score > 0 && hasReplay_(table.Rank(rank))) watchable_ << rank;
    }
    selected_ =
        watchable_.contains(state_.highlightRank) ? state_.highlightRank : watchable_.value(0, 0);
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

void TForm2::mousePressEvent(QMouseEvent* event) {
    Select(WatchableRankAt(event->position().toPoint()));
    QDialog::mousePressEvent(event);
}

void TForm2::mouseDoubleClickEvent(QMouseEvent* event) {
    Watch(WatchableRankAt(event->position().toPoint()));
}

int TForm2::WatchableRankAt(QPoint position) const {
    const qreal zoom = ZoomOf(*this);
    const QPoint logical(qRound(position.x() / zoom), qRound(position.y() / zoom));
    for (const auto& [rank, area] : entryAreas_) {
        if (area.contains(logical) && watchable_.contains(rank)) return rank;
    }
    return 0;
}

void TForm2::Select(int rank) {
    if (rank != 0 && rank != selected_) {
        selected_ = rank;
        paintBox_->update();
    }
}

void TForm2::Watch(int rank) {
    if (watchable_.contains(rank)) {
        chosen_ = rank;
        accept();
    }
}

void TForm2::PaintBox1Paint(QPainter& painter, QWidget& box) {
    const ScoreTable& table = state_.record.scoreTable;
    if (!HasScores(table)) return;  // the remark is drawn by its own, narrower box
    const QLocale dates = DateLocale(state_.Russian(), userLocale_);
    const int drawn =
        DrawWrappedText(painter, box, HighScoreText(table, state_.highlightRank, dates),
                        kTableTextHeight, QColor(kYellow), FontStyle::Bold, QString(), false, true);
    if (drawn > 0 && !watchable_.isEmpty()) PaintReplayMarks(painter, box, dates);
}
// Laid out entry by entry as DrawWrappedText laid out the whole text: each
// entry ends in "|", which always ends a line, so an entry's lines are the
// lines of its own text, in the font the table was just drawn in.
void TForm2::PaintReplayMarks(QPainter& painter, const QWidget& box, const QLocale& dates) {
    const QFontMetrics metrics = painter.fontMetrics();
    const TextWidth width = [&metrics](const QString& s) { return metrics.horizontalAdvance(s); };
    const int lineHeight =
        metrics.size(Qt::TextSingleLine, QString::fromUtf16(kLineHeightSample)).height();
    const QSize boxSize = LogicalSize(box);
    QStringList lines;
    std::vector<std::pair<int, qsizetype>> firstLines;
    for (const auto& [rank, text] :
         HighScoreEntryTexts(state_.record.scoreTable, state_.highlightRank, dates)) {
        firstLines.emplace_back(rank, lines.size());
        lines += LayoutWrappedText(text, boxSize.width(), width).lines;
    }
    const WrappedPlacement placement =
        PlaceWrappedLines(lines, boxSize.width(), boxSize.height(), lineHeight, false, true, width);
    entryAreas_.clear();
    for (std::size_t k = 0; k < firstLines.size(); ++k) {
        const qsizetype first = firstLines[k].second;
        const qsizetype end = k + 1 < firstLines.size() ? firstLines[k + 1].second : lines.size();
        QRect area;
        for (qsizetype line = first; line < end; ++line) {
            const QPoint origin = placement.origins[static_cast<std::size_t>(line)];
            area |= QRect(origin, QSize(width(lines[line]), lineHeight));
        }
        entryAreas_.emplace_back(firstLines[k].first, area);
    }

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const auto mark = [&painter](qreal right, qreal middle) {
        const qreal left = right - kMarkSize;
        QPainterPath triangle;
        triangle.moveTo(left, middle - kMarkSize / 2.0);
        triangle.lineTo(right, middle);
        triangle.lineTo(left, middle + kMarkSize / 2.0);
        triangle.closeSubpath();
        painter.fillPath(triangle, QColor(kReplayMark));
    };
    for (const auto& [rank, area] : entryAreas_) {
        if (!watchable_.contains(rank) || area.isEmpty()) continue;
        mark(area.left() - kMarkGap, area.top() + lineHeight / 2.0);
        if (rank == selected_) {
            painter.setPen(QColor(kChosenFrame));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(area).adjusted(-2 * kMarkGap - kMarkSize, -0.5, kMarkGap, 0.5));
        }
    }
    QFont hintFont = painter.font();
    hintFont.setPixelSize(kHintPixels);
    hintFont.setBold(false);
    painter.setFont(hintFont);
    painter.setPen(QColor(kHintColour));
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics hintMetrics(hintFont);
    const QString hint = WatchReplayHint(state_.Russian());
    const int hintWidth = hintMetrics.horizontalAdvance(hint);
    const int hintLeft = (boxSize.width() - hintWidth + kMarkSize + kMarkGap) / 2;
    const int hintTop = boxSize.height() - kHintBottom - hintMetrics.height();
    painter.drawText(hintLeft, hintTop + hintMetrics.ascent(), hint);
    mark(hintLeft - kMarkGap, hintTop + hintMetrics.height() / 2.0);
    painter.restore();
}

void TForm2::PaintEmptyMessage(QPainter& painter, QWidget& box) {
    const EmptyTableMessage message = EmptyHighScoreMessage(state_.Russian());
    DrawWrappedText(painter, box, message.text, kEmptyMessageHeight, QColor(kLime),
                    FontStyle::Bold | FontStyle::Italic, message.fontName, false, true);
}

}  // namespace kwadrill
