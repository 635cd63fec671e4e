#include "PauseNotice.h"

#include <QEvent>
#include <QPainter>

#include "WindowZoom.h"

namespace kwadrill {

namespace {

// Dark enough that white text reads over the brightest block, light enough
// that the pause screen still shows through.
constexpr QColor kNoticeBand{0, 0, 0, 200};
constexpr QColor kNoticeEdge{255, 255, 255, 160};
constexpr QColor kNoticeTitle{255, 255, 255};
constexpr QColor kNoticeHint{255, 230, 120};
constexpr int kNoticeTitlePixels = 22;
constexpr int kNoticeHintPixels = 12;
constexpr int kNoticePadding = 8;
constexpr int kNoticeLineGap = 4;
constexpr int kNoticeTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

}  // namespace

PauseNotice::PauseNotice(QWidget& well) : QWidget(&well) {
    setObjectName(QStringLiteral("PauseNotice"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(well.rect());
    well.installEventFilter(this);
    hide();
}

void PauseNotice::SetTexts(const PauseNoticeTexts& texts) {
    texts_ = texts;
    update();
}

bool PauseNotice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return false;
}

QFont PauseNotice::TitleFont() const {
    QFont font = LogicalFont(*this);
    font.setPixelSize(kNoticeTitlePixels);
    font.setBold(true);
    return font;
}

QFont PauseNotice::HintFont() const {
    QFont font = LogicalFont(*this);
    font.setPixelSize(kNoticeHintPixels);
    font.setBold(true);
    return font;
}

// The hint wraps inside the band's width, so a long translation takes two
// lines instead of running off the well.
QRect PauseNotice::HintRect(const QRect& band) const {
    const QRect inner = band.adjusted(kNoticePadding, 0, -kNoticePadding, 0);
    const int titleHeight = QFontMetrics(TitleFont()).height();
    const QRect hint =
        QFontMetrics(HintFont())
            .boundingRect(QRect(inner.left(), 0, inner.width(), LogicalSize(*this).height()),
                          kNoticeTextFlags, texts_.hint);
    return {inner.left(), band.top() + kNoticePadding + titleHeight + kNoticeLineGap, inner.width(),
            hint.height()};
}

QRect PauseNotice::Band() const {
    const int titleHeight = QFontMetrics(TitleFont()).height();
    // In the described layout's pixels: a zoomed window scales the painter.
    const QSize size = LogicalSize(*this);
    const QRect hint = HintRect(QRect(0, 0, size.width(), 0));
    const int bandHeight = 2 * kNoticePadding + titleHeight + kNoticeLineGap + hint.height();
    return {0, (size.height() - bandHeight) / 2, size.width(), bandHeight};
}

void PauseNotice::paintEvent(QPaintEvent*) {
    const QRect band = Band();
    QPainter painter(this);
    painter.scale(ZoomOf(*this), ZoomOf(*this));
    painter.fillRect(band, kNoticeBand);
    painter.setPen(kNoticeEdge);
    painter.drawLine(band.topLeft(), band.topRight());
    painter.drawLine(band.bottomLeft(), band.bottomRight());

    painter.setFont(TitleFont());
    painter.setPen(kNoticeTitle);
    painter.drawText(QRect(band.left(), band.top() + kNoticePadding, band.width(),
                           QFontMetrics(TitleFont()).height()),
                     kNoticeTextFlags, texts_.title);
    painter.setFont(HintFont());
    painter.setPen(kNoticeHint);
    painter.drawText(HintRect(band), kNoticeTextFlags, texts_.hint);
}

}  // namespace kwadrill
