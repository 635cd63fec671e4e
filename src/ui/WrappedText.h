#pragma once

#include <QColor>
#include <QFlags>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;
class QWidget;

namespace kwadrill {

enum class FontStyle { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
Q_DECLARE_FLAGS(FontStyles, FontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontStyles)

// Texts shorter than this, and boxes narrower than this, are never drawn.
inline constexpr int kMinWrappedTextLength = 2;
inline constexpr int kMinWrapBoxWidth = 16;
// A layout needing more lines than this is refused (a word wider than the box
// would otherwise produce empty lines forever).
inline constexpr int kMaxWrappedLines = 1024;
// Room kept free inside the box: lines fit in width - 4; centring needs height - 4.
inline constexpr int kWrapMargin = 4;
// The text whose height gives the line height.
inline constexpr char16_t kLineHeightSample[] = u"QZ productions";

using TextWidth = std::function<int(const QString&)>;

struct WrappedLayout {
    bool ok = false;    // false: nothing may be drawn
    QStringList lines;  // each line ends with the space stored after its last word
};

// Whether DrawWrappedText will look at the text at all.
bool WrapArgumentsAccepted(const QString& text, int boxWidth);

// Breaks the text into lines at spaces and at "|" (which always ends a line),
// each line holding as many words as fit in boxWidth - 4 by `width`.
WrappedLayout LayoutWrappedText(const QString& text, int boxWidth, const TextWidth& width);

struct WrappedPlacement {
    int total = 0;                // line height x number of lines
    int top = 0;                  // y of the first line
    std::vector<QPoint> origins;  // top-left corner of each line
};

// Where each line goes: centred horizontally (its width including the
// trailing space), the block centred vertically when asked, not fitted, and
// when it fits in boxHeight - 4; otherwise from the top.
WrappedPlacement PlaceWrappedLines(const QStringList& lines, int boxWidth, int boxHeight,
                                   int lineHeight, bool fit, bool centre, const TextWidth& width);

// Draws the text wrapped and centred into `box` through `painter` (the box's
// drawing canvas, whose font it sets). An empty fontName keeps the painter's
// font family; height < 0 asks for a character height of -height pixels. With
// `fit` the box's height becomes the text's height. Returns the number of
// lines drawn, or -1 when nothing was drawn.
int DrawWrappedText(QPainter& painter, QWidget& box, const QString& text, int height,
                    const QColor& colour, FontStyles style, const QString& fontName, bool fit,
                    bool centre);

}  // namespace kwadrill
