#include "SvgCanvas.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace kwadrill::art {

namespace {

QString Number(double value) {
    QString text = QString::number(value, 'f', 3);
    while (text.contains('.') && (text.endsWith('0') || text.endsWith('.'))) text.chop(1);
    return text == "-0" ? "0" : text;
}

QString Hex(const QColor& colour) {
    return colour.name(QColor::HexRgb);
}

QString PathData(const QPainterPath& path) {
    QStringList parts;
    QPointF subpathStart;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
            case QPainterPath::MoveToElement:
                subpathStart = e;
                parts << "M" + Number(e.x) + "," + Number(e.y);
                break;
            case QPainterPath::LineToElement:
                // A line back to the start is how Qt closes a subpath.
                parts << (QPointF(e) == subpathStart ? QString("Z")
                                                     : "L" + Number(e.x) + "," + Number(e.y));
                break;
            case QPainterPath::CurveToElement: {
                const QPainterPath::Element c2 = path.elementAt(i + 1);
                const QPainterPath::Element end = path.elementAt(i + 2);
                parts << QString("C%1,%2 %3,%4 %5,%6")
                             .arg(Number(e.x), Number(e.y), Number(c2.x), Number(c2.y),
                                  Number(end.x), Number(end.y));
                i += 2;
                break;
            }
            case QPainterPath::CurveToDataElement:
                break;
        }
    }
    return parts.join(' ');
}

QString Matrix(const QTransform& t) {
    return QString("matrix(%1 %2 %3 %4 %5 %6)")
        .arg(Number(t.m11()), Number(t.m12()), Number(t.m21()), Number(t.m22()), Number(t.dx()),
             Number(t.dy()));
}

}  // namespace

SvgCanvas::SvgCanvas(int width, int height, const QString& title)
    : width_(width), height_(height), title_(title) {}

QString SvgCanvas::GradientStops(const QGradient& gradient) const {
    QString stops;
    for (const QGradientStop& stop : gradient.stops()) {
        stops += QString("    <stop offset=\"%1\" stop-color=\"%2\"")
                     .arg(Number(stop.first), Hex(stop.second));
        if (stop.second.alpha() != 255) {
            stops += QString(" stop-opacity=\"%1\"").arg(Number(stop.second.alphaF()));
        }
        stops += "/>\n";
    }
    return stops;
}

QString SvgCanvas::PaintOf(const QBrush& brush) {
    if (brush.style() == Qt::LinearGradientPattern) {
        const auto* g = static_cast<const QLinearGradient*>(brush.gradient());
        const QString id = QString("g%1").arg(++gradients_);
        elements_ << QString(
                         "  <linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" "
                         "x1=\"%2\" y1=\"%3\" x2=\"%4\" y2=\"%5\">\n%6  </linearGradient>")
                         .arg(id, Number(g->start().x()), Number(g->start().y()),
                              Number(g->finalStop().x()), Number(g->finalStop().y()),
                              GradientStops(*g));
        return QString("fill=\"url(#%1)\"").arg(id);
    }
    if (brush.style() == Qt::RadialGradientPattern) {
        const auto* g = static_cast<const QRadialGradient*>(brush.gradient());
        const QString id = QString("g%1").arg(++gradients_);
        elements_ << QString(
                         "  <radialGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" "
                         "cx=\"%2\" cy=\"%3\" r=\"%4\" fx=\"%5\" fy=\"%6\">\n%7  </radialGradient>")
                         .arg(id, Number(g->center().x()), Number(g->center().y()),
                              Number(g->radius()), Number(g->focalPoint().x()),
                              Number(g->focalPoint().y()), GradientStops(*g));
        return QString("fill=\"url(#%1)\"").arg(id);
    }
    QString paint = QString("fill=\"%1\"").arg(Hex(brush.color()));
    if (brush.color().alpha() != 255) {
        paint += QString(" fill-opacity=\"%1\"").arg(Number(brush.color().alphaF()));
    }
    return paint;
}

void SvgCanvas::Fill(const QPainterPath& path, const QBrush& brush) {
    const QString paint = PaintOf(brush);
    const QString rule = path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
    QString element =
        QString("  <path d=\"%1\" %2 fill-rule=\"%3\"").arg(PathData(path), paint, rule);
    if (!Transform().isIdentity()) element += QString(" transform=\"%1\"").arg(Matrix(Transform()));
    elements_ << element + "/>";
}

QString SvgCanvas::Document() const {
    return QString(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
               "viewBox=\"0 0 %1 %2\">\n"
               "  <title>%3</title>\n%4\n</svg>\n")
        .arg(width_)
        .arg(height_)
        .arg(title_.toHtmlEscaped(), elements_.join('\n'));
}

}  // namespace kwadrill::art
