#pragma once

#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <vector>

namespace kwadrill::art {

// Outlines of text in a font read straight from its file, so the pictures do
// not depend on which fonts fontconfig would pick.
class TextOutline {
public:
    TextOutline(const QString& fontFile, double pixelSize);

    bool IsValid() const { return font_.isValid(); }
    // One path per character, laid out from the baseline origin.
    std::vector<QPainterPath> Letters(const QString& text, QPointF origin) const;
    // The whole text as one path.
    QPainterPath Text(const QString& text, QPointF origin) const;
    double Advance(const QString& text) const;

private:
    QRawFont font_;
};

}  // namespace kwadrill::art
