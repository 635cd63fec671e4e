#include "MainWindowPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <array>

#include "AboutFonts.h"
#include "BlockArt.h"
#include "DestructionArt.h"
#include "DigitArt.h"
#include "GlyphArt.h"
#include "PictureCatalogue.h"
#include "TextOutline.h"

namespace kwadrill::art {

namespace {

constexpr double kCaptionPixels = 11.0;

const QColor kFace(212, 208, 200);
const QColor kShadow(128, 128, 128);
const QColor kDarkShadow(64, 64, 64);
const QColor kLight(255, 255, 255);
const QColor kLevelRed(255, 0, 0);

// Window layout, in client coordinates.
constexpr double kButtonLeft = 4, kButtonTop = 16, kButtonPitch = 24;
constexpr double kButtonWidth = 121, kButtonHeight = 22;
const QRectF kPanel(0, 0, 129, 253);
const QRectF kLevelLabel(4, 208, 121, 17);
const QPointF kCounter(8, 228);
const QRectF kBevel(132, 0, 197, 323);
const QPointF kWell(136, 4);

constexpr int kColumns = 9;
constexpr int kRows = 15;
// A game in progress, top row first: a piece falling at the top and a run of
// three on row 13 half-way through its destruction.
constexpr std::array<const char*, kRows> kBoard{
    ".........", ".........", "...241...", ".........", ".........",
    ".........", ".........", ".........", ".........", "......3..",
    ".1....32.", ".21..143.", "3412.2224", "143213412", "231424132",
};
constexpr int kDyingRow = 13;
constexpr int kDyingFirstColumn = 6;
constexpr int kDyingLength = 3;
constexpr int kDyingSet = 1;
constexpr int kDyingFrame = 6;

constexpr int kShownScore = 4725;
constexpr int kShownLevel = 3;
constexpr int kScoreDigits = 7;

struct Button {
    QString glyph;  // empty: no glyph
    QString caption;
    bool down;
};

// White is the transparent colour of glyphs, digits and destruction frames.
QImage WithoutWhite(const QImage& picture) {
    QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if ((line[x] & 0xffffff) == 0xffffff) line[x] = 0;
        }
    }
    return argb;
}

void BevelRect(QPainter& p, const QRectF& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), topLeft);
    p.fillRect(QRectF(r.left(), r.top(), 1, r.height()), topLeft);
    p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), bottomRight);
    p.fillRect(QRectF(r.right() - 1, r.top(), 1, r.height()), bottomRight);
}

// Paints the window parts in window units on a painter already scaled.
class WindowPainter {
public:
    WindowPainter(QPainter& painter, int scale)
        : p_(painter),
          scale_(scale),
          regular_(kCaptionFont, kCaptionPixels),
          bold_(kCaptionBoldFont, kCaptionPixels) {}

    void DrawTitleBar();
    void DrawPanel();
    void DrawWell();

private:
    void DrawButtons();
    void DrawText(const QString& text, QPointF baseline, const QColor& colour, bool bold = false) {
        p_.fillPath((bold ? bold_ : regular_).Text(text, baseline), colour);
    }
    double TextWidth(const QString& text, bool bold = false) const {
        return (bold ? bold_ : regular_).Advance(text);
    }

    QPainter& p_;
    int scale_;
    TextOutline regular_;
    TextOutline bold_;
};

void WindowPainter::DrawTitleBar() {
    const QRectF bar(kWindowFrame, kWindowFrame, kWindowClientWidth, kWindowTitleHeight);
    QLinearGradient active(bar.topLeft(), bar.topRight());
    active.setColorAt(0.0, QColor(10, 36, 106));
    active.setColorAt(1.0, QColor(166, 202, 240));
    p_.fillRect(bar, active);
    p_.drawImage(QRectF(bar.left() + 2, bar.top() + 1, 16, 16), RenderCell(4, scale_));
    DrawText("QZ's Kwadrill game", QPointF(bar.left() + 22, bar.top() + 13), kLight, true);
    for (int i = 0; i < 2; ++i) {
        const QRectF box(bar.right() - 18 - i * 18, bar.top() + 2, 16, 14);
        p_.fillRect(box, kFace);
        BevelRect(p_, box, kLight, kDarkShadow);
        const QPointF c = box.center();
        QPainterPath mark;
        mark.setFillRule(Qt::WindingFill);
        if (i == 0) {  // close box
            QPainterPathStroker stroker;
            stroker.setWidth(1.6);
            for (int d = -1; d <= 1; d += 2) {
                QPainterPath stroke;
                stroke.moveTo(c + QPointF(-3.5, -3.5 * d));
                stroke.lineTo(c + QPointF(3.5, 3.5 * d));
                mark.addPath(stroker.createStroke(stroke));
            }
        } else {  // minimise box
            mark.addRect(QRectF(c.x() - 3.5, c.y() + 2, 6, 2));
        }
        p_.fillPath(mark, Qt::black);
    }
}

void WindowPainter::DrawButtons() {
    const std::array<Button, 8> buttons{{
        {"START", "Start", false},
        {"PAUSE", "Pause", false},
        {"SCORES", "High scores", false},
        {"MUSIC", "Music", true},
        {"SOUND", "Sound", true},
        {"RULES", "Game rules", false},
        {"ABOUT", "About", false},
        {"", "Language", false},
    }};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const Button& b = buttons[i];
        const QRectF r(kButtonLeft, kButtonTop + kButtonPitch * double(i), kButtonWidth,
                       kButtonHeight);
        if (b.down) {
            p_.fillRect(r, QColor(232, 230, 226));
            BevelRect(p_, r, kShadow, kLight);
        }
        const double glyphWidth = b.glyph.isEmpty() ? 0 : kGlyphSize + 4;
        const double shift = b.down ? 1 : 0;
        const double left = r.left() + (r.width() - glyphWidth - TextWidth(b.caption)) / 2 + shift;
        if (!b.glyph.isEmpty()) {
            p_.drawImage(QRectF(left, r.top() + 2 + shift, kGlyphSize, kGlyphSize),
                         WithoutWhite(RenderGlyph(b.glyph, scale_)));
        }
        DrawText(b.caption, QPointF(left + glyphWidth, r.top() + 15 + shift), Qt::black);
    }
}

void WindowPainter::DrawPanel() {
    const QRectF frame(kPanel.left(), kPanel.top() + 6, kPanel.width(), kPanel.height() - 6);
    BevelRect(p_, frame.translated(1, 1), kLight, kLight);
    BevelRect(p_, frame, kShadow, kShadow);
    const QString caption = " Game control ";
    p_.fillRect(QRectF(8, 0, TextWidth(caption), 13), kFace);
    DrawText(caption, QPointF(8, 10), Qt::black);
    DrawButtons();

    p_.fillRect(kLevelLabel, kLevelRed);
    const QString level = QString("Level %1").arg(kShownLevel);
    DrawText(
        level,
        QPointF(kLevelLabel.center().x() - TextWidth(level, true) / 2, kLevelLabel.top() + 12.5),
        kLight, true);

    const QString digits = QString("%1").arg(kShownScore, kScoreDigits, 10, QChar('0'));
    for (int i = 0; i < kScoreDigits; ++i) {
        const QRectF place(kCounter.x() + i * kDigitWidth, kCounter.y(), kDigitWidth, kDigitHeight);
        p_.drawImage(place, WithoutWhite(RenderDigit(digits[i].digitValue(), scale_)));
    }
}

void WindowPainter::DrawWell() {
    BevelRect(p_, kBevel, kShadow, kLight);
    const QImage dying = WithoutWhite(DestructionFrame(kDyingSet, kDyingFrame, scale_));
    for (int row = 1; row <= kRows; ++row) {
        for (int column = 1; column <= kColumns; ++column) {
            const char cell = kBoard[std::size_t(row - 1)][std::size_t(column - 1)];
            const int value = cell == '.' ? 0 : cell - '0';
            const QRectF place(kWell.x() + (column - 1) * kCellSize,
                               kWell.y() + (row - 1) * kCellSize, kCellSize, kCellSize);
            p_.drawImage(place, RenderCell(value, scale_));
            const bool isDying = row == kDyingRow && column >= kDyingFirstColumn &&
                                 column < kDyingFirstColumn + kDyingLength;
            if (isDying) p_.drawImage(place, dying);
        }
    }
}

}  // namespace

QImage DrawMainWindowPicture(int scale) {
    QImage image(QSize(kWindowWidth, kWindowHeight) * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(kFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    BevelRect(p, QRectF(0, 0, kWindowWidth, kWindowHeight), kFace, kDarkShadow);
    BevelRect(p, QRectF(1, 1, kWindowWidth - 2, kWindowHeight - 2), kLight, kShadow);
    WindowPainter window(p, scale);
    window.DrawTitleBar();
    p.translate(kWindowFrame, kWindowFrame + kWindowTitleHeight);
    window.DrawPanel();
    window.DrawWell();
    return image;
}

}  // namespace kwadrill::art
