#include "PictureChecks.h"

#include <QColor>
#include <cmath>

#include "TestFiles.h"

QString ResourcePath(const QString& kind, const QString& name, int scale) {
    return QString(":/%1/%2%3")
        .arg(kind, name, scale == 1 ? QString() : QString("@%1x").arg(scale));
}

QImage LoadResource(const QString& kind, const QString& name, int scale) {
    return QImage(ResourcePath(kind, name, scale));
}

QByteArray ResourceBytes(const QString& kind, const QString& name, int scale) {
    return kwadrill::test::ReadFileBytes(ResourcePath(kind, name, scale));
}

namespace {

template <typename Test>
Mask MaskOf(const QImage& image, Test test) {
    Mask mask;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) mask.push_back(test(QColor(image.pixel(x, y))));
    }
    return mask;
}

}  // namespace

Mask BlackMask(const QImage& image) {
    return MaskOf(image, [](const QColor& c) { return c.rgb() == qRgb(0, 0, 0); });
}

Mask PaleMask(const QImage& image) {
    return MaskOf(image,
                  [](const QColor& c) { return c.hsvSaturation() < 110 && c.value() > 190; });
}

int CountSet(const Mask& mask) {
    int count = 0;
    for (bool b : mask) count += b ? 1 : 0;
    return count;
}

int CountDifferent(const Mask& a, const Mask& b) {
    if (a.size() != b.size()) return int(std::max(a.size(), b.size()));
    int count = 0;
    for (std::size_t i = 0; i < a.size(); ++i) count += a[i] != b[i] ? 1 : 0;
    return count;
}

namespace {

template <typename Keep>
MeanColour MeanWhere(const QImage& image, Keep keep) {
    MeanColour sum{0, 0, 0};
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            if (!keep(c)) continue;
            sum.r += c.red();
            sum.g += c.green();
            sum.b += c.blue();
            ++n;
        }
    }
    if (n > 0) sum = {sum.r / n, sum.g / n, sum.b / n};
    return sum;
}

}  // namespace

MeanColour MeanOf(const QImage& image) {
    return MeanWhere(image, [](const QColor&) { return true; });
}

MeanColour BodyColourOf(const QImage& image) {
    return MeanWhere(image,
                     [](const QColor& c) { return c.hsvSaturation() > 150 && c.value() > 120; });
}

double Distance(const MeanColour& a, const MeanColour& b) {
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                     (a.b - b.b) * (a.b - b.b));
}
