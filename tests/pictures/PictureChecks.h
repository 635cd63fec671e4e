#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

// Helpers for looking at pictures the way the tests need.

// The picture compiled in as ":/<kind>/<name>", at scale 1 or 2 ("@2x").
QString ResourcePath(const QString& kind, const QString& name, int scale);
QImage LoadResource(const QString& kind, const QString& name, int scale);
QByteArray ResourceBytes(const QString& kind, const QString& name, int scale);

// One flag per pixel, row by row.
using Mask = std::vector<bool>;
Mask BlackMask(const QImage& image);
// Pixels pale enough to be an emblem: light and weakly saturated.
Mask PaleMask(const QImage& image);
int CountSet(const Mask& mask);
int CountDifferent(const Mask& a, const Mask& b);

// Mean colour of a picture as (r, g, b).
struct MeanColour {
    double r, g, b;
};
MeanColour MeanOf(const QImage& image);
// Mean colour of the strongly coloured pixels only: the body of a block
// without its black corners, shine and emblem.
MeanColour BodyColourOf(const QImage& image);
double Distance(const MeanColour& a, const MeanColour& b);
