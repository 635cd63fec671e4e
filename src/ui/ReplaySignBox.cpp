#include "ReplaySignBox.h"

#include <QFontMetricsF>
#include <QPainter>

#include "DialogLook.h"
#include "WindowZoom.h"

namespace kwadrill {

namespace {

constexpr QRgb kPlate = qRgb(160, 0, 0);
constexpr QRgb kEdge = qRgb(255, 220, 0);
constexpr QRgb kEndedPlate = qRgb(72, 72, 80);
constexpr QRgb kEndedEdge = qRgb(170, 170, 180);
constexpr int kMargin = 2;
constexpr int kTitlePixels = 15;
constexpr int kStatePixels = 11;
constexpr int kKeysPixels = 9;
constexpr int kSmallestPixels = 6;

QFont SignFont(int pixels, bool bold) {
    QFont font = DialogFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

ReplaySignBox::ReplaySignBox(QWidget* parent) : QWidget(parent) {}

void ReplaySignBox::ShowTexts(const ReplaySignTexts& texts, bool ended) {
    texts_ = texts;
    ended_ = ended;
    update();
}

// Drawn in the described layout's pixels, larger at a zoom.
void ReplaySignBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal zoom = ZoomOf(*this);
    painter.scale(zoom, zoom);
    const QRectF plate =
        QRectF(QPointF(0, 0), LogicalSize(*this)).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.setPen(QPen(QColor(ended_ ? kEndedEdge : kEdge), 2));
    painter.setBrush(QColor(ended_ ? kEndedPlate : kPlate));
    painter.drawRoundedRect(plate, 4, 4);

    painter.setPen(Qt::white);
    const qreal third = plate.height() / 3;
    const struct {
        const QString& text;
        QFont font;
    } lines[] = {{texts_.title, SignFont(kTitlePixels, true)},
                 {texts_.state, SignFont(kStatePixels, true)},
                 {texts_.keys, SignFont(kKeysPixels, false)}};
    for (int k = 0; k < 3; ++k) {
        // A line too long for the plate (the keys, in Russian) is set smaller.
        QFont font = lines[k].font;
        while (font.pixelSize() > kSmallestPixels &&
               QFontMetricsF(font).horizontalAdvance(lines[k].text) > plate.width() - 2 * kMargin) {
            font.setPixelSize(font.pixelSize() - 1);
        }
        painter.setFont(font);
        painter.drawText(QRectF(plate.left(), plate.top() + k * third, plate.width(), third),
                         Qt::AlignCenter, lines[k].text);
    }
}

}  // namespace kwadrill
