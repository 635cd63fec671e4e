#include "WrappedText.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <cstdlib>

#include "WindowZoom.h"

namespace kwadrill {

namespace {

constexpr QChar kSpace = u' ';
constexpr QChar kLineBreak = u'|';

qsizetype NextSeparator(const QString& text, qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == kSpace || text[i] == kLineBreak) return i;
    }
    return text.size();
}

// Fills one line from `position` on and leaves `position` after what it took.
QString NextLine(const QString& text, qsizetype& position, int maxWidth, const TextWidth& width) {
    QString line;
    while (true) {
        const qsizetype wordEnd = NextSeparator(text, position);
        const QString word = text.mid(position, wordEnd - position);
        if (width(line + word) > maxWidth) return line;  // the word waits for the next line
        line += word + kSpace;
        if (wordEnd >= text.size()) {
            position = text.size();
            return line;
        }
        position = wordEnd + 1;
        if (text[wordEnd] == kLineBreak || position >= text.size()) return line;
    }
}

void SetFont(QPainter& painter, int height, FontStyles style, const QString& fontName) {
    QFont font = painter.font();
    if (!fontName.isEmpty()) font.setFamily(fontName);
    font.setPixelSize(std::abs(height));
    font.setBold(style.testFlag(FontStyle::Bold));
    font.setItalic(style.testFlag(FontStyle::Italic));
    font.setUnderline(style.testFlag(FontStyle::Underline));
    font.setStrikeOut(style.testFlag(FontStyle::StrikeOut));
    painter.setFont(font);
}

}  // namespace

bool WrapArgumentsAccepted(const QString& text, int boxWidth) {
    return text.size() >= kMinWrappedTextLength && boxWidth >= kMinWrapBoxWidth;
}

WrappedLayout LayoutWrappedText(const QString& text, int boxWidth, const TextWidth& width) {
    WrappedLayout layout;
    if (!WrapArgumentsAccepted(text, boxWidth)) return layout;
    qsizetype position = 0;
    while (true) {
        QString line = NextLine(text, position, boxWidth - kWrapMargin, width);
        if (layout.lines.size() >= kMaxWrappedLines) {
            layout.lines.clear();
            return layout;
        }
        layout.lines.append(line);
        if (position >= text.size()) break;
    }
    layout.ok = true;
    return layout;
}

WrappedPlacement PlaceWrappedLines(const QStringList& lines, int boxWidth, int boxHeight,
                                   int lineHeight, bool fit, bool centre, const TextWidth& width) {
    WrappedPlacement placement;
    placement.total = lineHeight * static_cast<int>(lines.size());
    if (fit) boxHeight = placement.total;
    if (centre && !fit && boxHeight - kWrapMargin >= placement.total) {
        placement.top = (boxHeight - placement.total) / 2;
    }
    int y = placement.top;
    for (const QString& line : lines) {
        placement.origins.emplace_back((boxWidth - width(line)) / 2, y);
        y += lineHeight;
    }
    return placement;
}

int DrawWrappedText(QPainter& painter, QWidget& box, const QString& text, int height,
                    const QColor& colour, FontStyles style, const QString& fontName, bool fit,
                    bool centre) {
    // The box's size in the described layout: a zoomed window scales the painter.
    const QSize boxSize = LogicalSize(box);
    if (!WrapArgumentsAccepted(text, boxSize.width())) return -1;
    SetFont(painter, height, style, fontName);
    painter.setPen(colour);
    const QFontMetrics metrics = painter.fontMetrics();
    const TextWidth width = [&metrics](const QString& s) { return metrics.horizontalAdvance(s); };
    const int lineHeight =
        metrics.size(Qt::TextSingleLine, QString::fromUtf16(kLineHeightSample)).height();

    const WrappedLayout layout = LayoutWrappedText(text, boxSize.width(), width);
    if (!layout.ok) return -1;
    const WrappedPlacement placement = PlaceWrappedLines(
        layout.lines, boxSize.width(), boxSize.height(), lineHeight, fit, centre, width);
    if (fit)
        box.resize(box.width(),
                   ZoomedSize({boxSize.width(), placement.total}, ZoomOf(box)).height());
    for (qsizetype k = 0; k < layout.lines.size(); ++k) {
        const QPoint origin = placement.origins[static_cast<std::size_t>(k)];
        painter.drawText(origin.x(), origin.y() + metrics.ascent(), layout.lines[k]);
    }
    return static_cast<int>(layout.lines.size());
}

}  // namespace kwadrill
