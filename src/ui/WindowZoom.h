#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>

#include "PlayerSettings.h"

class QWidget;

namespace kwadrill {

// The steps the windows can be drawn at, as in a browser: the zooms a
// player's settings may hold.
inline constexpr const auto& kZoomSteps = kZoomFactors;
// The share of the screen's height the main window takes at most when the
// game picks its zoom itself.
inline constexpr qreal kFirstStartHeightShare = 0.6;

// The step after or before zoom; the same at either end.
qreal NextZoomStep(qreal zoom);
qreal PreviousZoomStep(qreal zoom);
// The step nearest to zoom (for a value from the command line or a store).
std::optional<qreal> ZoomStepFor(qreal zoom);
// The largest step at which a window of logicalHeight is at most the given
// share of the room's height; 1 when none is.
qreal LargestZoomWithin(int logicalHeight, int roomHeight, qreal share = kFirstStartHeightShare);
// The largest step at which the whole window fits in the room.
qreal LargestZoomFitting(QSize logicalSize, QSize room);

// A rectangle of the described layout at the zoom: its edges are scaled and
// rounded, so that neighbours stay neighbours without gaps.
QRect ZoomedRect(const QRect& logical, qreal zoom);
QSize ZoomedSize(const QSize& logical, qreal zoom);

// Draws a window and all its children at the zoom: the geometry, fonts,
// frame widths and icon sizes they were built with are kept the first time
// and scaled from then on, the window's fixed size included. With an origin,
// the window's children are placed that far from its corner (full screen).
// Painted children draw their logical picture through ZoomOf.
void ApplyZoom(QWidget& window, qreal zoom, QPoint origin = {});
// The zoom the widget's window is drawn at (1 until ApplyZoom).
qreal ZoomOf(const QWidget& widget);
// The widget's size and font in the described layout.
QSize LogicalSize(const QWidget& widget);
QFont LogicalFont(const QWidget& widget);
// The dialog font at the zoom, for windows made on the spot.
QFont ZoomedFont(QFont logical, qreal zoom);

}  // namespace kwadrill
