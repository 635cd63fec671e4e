// Any text wrapped into any box width, with a simple width of characters.
// Input: one byte for the box width, one for the placement, then UTF-8 text.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "WrappedText.h"

namespace {

using namespace kwadrill;
using fuzz::Require;

// Longer texts only make a run slower; the layout is linear in the text.
constexpr std::size_t kMaxTextBytes = 4096;
constexpr std::size_t kHeaderBytes = 2;
constexpr int kWidthStep = 2;  // box widths 0..510: below, at and far above the smallest
constexpr int kLineHeight = 13;
constexpr int kWidestCharacter = 7;  // characters are 1..7 pixels wide

int MeasureText(const QString& text) {
    int width = 0;
    for (const QChar c : text) width += 1 + c.unicode() % kWidestCharacter;
    return width;
}

// All lines together: every separator became one space, and the last word
// got its trailing space.
QString JoinedLayoutOf(const QString& text) {
    QString joined = text;
    joined.replace(u'|', u' ');
    if (!joined.endsWith(u' ')) joined += u' ';
    return joined;
}

void CheckLayout(const QString& text, int boxWidth, const WrappedLayout& layout) {
    Require(WrapArgumentsAccepted(text, boxWidth), "only accepted arguments are laid out");
    Require(!layout.lines.isEmpty() && layout.lines.size() <= kMaxWrappedLines,
            "a layout has between 1 and the most lines");
    for (const QString& line : layout.lines) {
        Require(line.endsWith(u' '), "each line ends with its stored space");
        Require(MeasureText(line.chopped(1)) <= boxWidth - kWrapMargin,
                "each line fits the box without its trailing space");
    }
    Require(layout.lines.join(QString()) == JoinedLayoutOf(text), "no character is lost or added");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes || size > kHeaderBytes + kMaxTextBytes) return -1;
    const int boxWidth = data[0] * kWidthStep;
    const int boxHeight = data[1];
    const bool fit = (data[1] & 1) != 0;
    const bool centre = (data[1] & 2) != 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + kHeaderBytes),
                                           static_cast<qsizetype>(size - kHeaderBytes));

    const WrappedLayout layout = LayoutWrappedText(text, boxWidth, MeasureText);
    if (!layout.ok) {
        Require(layout.lines.isEmpty(), "a refused layout has no lines");
        return 0;
    }
    CheckLayout(text, boxWidth, layout);
    const WrappedPlacement placement =
        PlaceWrappedLines(layout.lines, boxWidth, boxHeight, kLineHeight, fit, centre, MeasureText);
    Require(placement.origins.size() == static_cast<std::size_t>(layout.lines.size()),
            "every line gets a place");
    Require(placement.total == kLineHeight * layout.lines.size(),
            "the block is as high as its lines");
    return 0;
}
