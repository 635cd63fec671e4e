#include "WindowZoom.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFrame>
#include <QLayout>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace kwadrill {

namespace {

// What a widget was built with, kept on it the first time it is zoomed.
constexpr char kZoom[] = "kwadrillZoom";
constexpr char kLogicalGeometry[] = "kwadrillLogicalGeometry";
constexpr char kLogicalSize[] = "kwadrillLogicalSize";
constexpr char kLogicalFont[] = "kwadrillLogicalFont";
constexpr char kLogicalLineWidth[] = "kwadrillLogicalLineWidth";
constexpr char kLogicalIconSize[] = "kwadrillLogicalIconSize";
constexpr char kLogicalMargins[] = "kwadrillLogicalMargins";
constexpr char kLogicalSpacing[] = "kwadrillLogicalSpacing";

int Scaled(int logical, qreal zoom) {
    return static_cast<int>(std::lround(logical * zoom));
}

// The stored value, stored first from `now` when there is none.
template <typename T>
T Kept(QObject& object, const char* name, const T& now) {
    const QVariant kept = object.property(name);
    if (kept.isValid()) return kept.value<T>();
    object.setProperty(name, QVariant::fromValue(now));
    return now;
}

void ZoomFont(QWidget& widget, qreal zoom) {
    if (!widget.property(kLogicalFont).isValid() && !widget.testAttribute(Qt::WA_SetFont)) {
        return;  // inherits its parent's, which is zoomed
    }
    widget.setFont(ZoomedFont(Kept(widget, kLogicalFont, widget.font()), zoom));
}

void ZoomLayout(QLayout& layout, qreal zoom) {
    const QMargins margins = Kept(layout, kLogicalMargins, layout.contentsMargins());
    layout.setContentsMargins(Scaled(margins.left(), zoom), Scaled(margins.top(), zoom),
                              Scaled(margins.right(), zoom), Scaled(margins.bottom(), zoom));
    const int spacing = Kept(layout, kLogicalSpacing, layout.spacing());
    if (spacing >= 0) layout.setSpacing(Scaled(spacing, zoom));
}

// Whether the widget places children of its own (scroll bars, viewports,
// buttons inside a field): those follow it, not the described layout.
bool LaysOutItsOwnChildren(const QWidget& widget) {
    return qobject_cast<const QAbstractScrollArea*>(&widget) ||
           qobject_cast<const QLineEdit*>(&widget) ||
           qobject_cast<const QAbstractSpinBox*>(&widget) ||
           qobject_cast<const QComboBox*>(&widget);
}

void ZoomChild(QWidget& child, qreal zoom, QPoint origin) {
    ZoomFont(child, zoom);
    // A child in a layout is placed by it; the others where they were built.
    const QWidget* parent = child.parentWidget();
    const bool laidOut = parent && parent->layout() && parent->layout()->indexOf(&child) >= 0;
    if (!laidOut) {
        child.setGeometry(
            ZoomedRect(Kept(child, kLogicalGeometry, child.geometry()), zoom).translated(origin));
    }
    if (auto* frame = qobject_cast<QFrame*>(&child)) {
        const int width = Kept(*frame, kLogicalLineWidth, frame->lineWidth());
        frame->setLineWidth(width == 0 ? 0 : std::max(1, Scaled(width, zoom)));
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&child)) {
        button->setIconSize(ZoomedSize(Kept(*button, kLogicalIconSize, button->iconSize()), zoom));
    }
    if (child.layout()) ZoomLayout(*child.layout(), zoom);
    if (LaysOutItsOwnChildren(child)) return;
    for (QObject* object : child.children()) {
        auto* grandchild = qobject_cast<QWidget*>(object);
        if (grandchild && !grandchild->isWindow()) ZoomChild(*grandchild, zoom, {});
    }
}

}  // namespace

qreal NextZoomStep(qreal zoom) {
    const auto next = std::upper_bound(kZoomSteps.begin(), kZoomSteps.end(), zoom + 1e-9);
    return next == kZoomSteps.end() ? kZoomSteps.back() : *next;
}

qreal PreviousZoomStep(qreal zoom) {
    qreal previous = kZoomSteps.front();
    for (const qreal step : kZoomSteps) {
        if (step < zoom - 1e-9) previous = step;
    }
    return previous;
}

std::optional<qreal> ZoomStepFor(qreal zoom) {
    for (const qreal step : kZoomSteps) {
        if (std::abs(step - zoom) < 1e-6) return step;
    }
    return std::nullopt;
}

qreal LargestZoomWithin(int logicalHeight, int roomHeight, qreal share) {
    qreal chosen = kZoomSteps.front();
    for (const qreal step : kZoomSteps) {
        if (logicalHeight * step <= roomHeight * share + 1e-9) chosen = step;
    }
    return chosen;
}

qreal LargestZoomFitting(QSize logicalSize, QSize room) {
    qreal chosen = kZoomSteps.front();
    for (const qreal step : kZoomSteps) {
        const QSize zoomed = ZoomedSize(logicalSize, step);
        if (zoomed.width() <= room.width() && zoomed.height() <= room.height()) chosen = step;
    }
    return chosen;
}

QRect ZoomedRect(const QRect& logical, qreal zoom) {
    const int left = Scaled(logical.x(), zoom);
    const int top = Scaled(logical.y(), zoom);
    return {left, top, Scaled(logical.x() + logical.width(), zoom) - left,
            Scaled(logical.y() + logical.height(), zoom) - top};
}

QSize ZoomedSize(const QSize& logical, qreal zoom) {
    return {Scaled(logical.width(), zoom), Scaled(logical.height(), zoom)};
}

void ApplyZoom(QWidget& window, qreal zoom, QPoint origin) {
    window.setProperty(kZoom, zoom);
    ZoomFont(window, zoom);
    if (window.layout()) ZoomLayout(*window.layout(), zoom);
    for (QObject* object : window.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isWindow()) ZoomChild(*child, zoom, origin);
    }
    // A window that sizes itself by its layout keeps doing so.
    if (window.minimumSize() == window.maximumSize() && !window.layout()) {
        window.setFixedSize(ZoomedSize(Kept(window, kLogicalSize, window.size()), zoom));
    }
}

qreal ZoomOf(const QWidget& widget) {
    const QVariant zoom = widget.window()->property(kZoom);
    return zoom.isValid() ? zoom.toReal() : 1.0;
}

QSize LogicalSize(const QWidget& widget) {
    const QVariant kept = widget.property(widget.isWindow() ? kLogicalSize : kLogicalGeometry);
    if (!kept.isValid()) return widget.size();
    return widget.isWindow() ? kept.toSize() : kept.toRect().size();
}

QFont LogicalFont(const QWidget& widget) {
    const QVariant kept = widget.property(kLogicalFont);
    if (kept.isValid()) return kept.value<QFont>();
    // Inherited: the nearest kept font above it.
    for (const QWidget* above = widget.parentWidget(); above; above = above->parentWidget()) {
        const QVariant font = above->property(kLogicalFont);
        if (font.isValid()) return font.value<QFont>();
        if (above->isWindow()) break;
    }
    return widget.font();
}

QFont ZoomedFont(QFont logical, qreal zoom) {
    if (logical.pixelSize() > 0) {
        logical.setPixelSize(std::max(1, Scaled(logical.pixelSize(), zoom)));
    } else if (logical.pointSizeF() > 0) {
        logical.setPointSizeF(logical.pointSizeF() * zoom);
    }
    return logical;
}

}  // namespace kwadrill
