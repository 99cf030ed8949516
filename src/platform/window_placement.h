// Where windows go on the screens: a remembered frame brought back within
// reach, and new windows set down one title bar below and right of the last.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace cogbook {

// The scale the session draws at (device pixels per unit of window
// coordinates), as QT_SCALE_FACTOR and the screen set it: the primary
// screen's, 1 without a screen.
double sessionScale();

// FRAME, in the coordinates of a session at SAVEDSCALE, in those of a session
// at SCALE (the same device pixels), then moved and shrunk to lie within one
// of AREAS (the screens' available geometries): the one it overlaps most, or
// AREAS[PRIMARY] when it overlaps none. With no areas the frame is only
// converted.
QRect frameForScreens(const QRect& frame, double savedScale, double scale, const QList<QRect>& areas,
                      int primary = 0);
// The same over the screens of this session.
QRect frameForScreens(const QRect& frame, double savedScale);

// Where a window of SIZE (its frame included) goes after one whose frame is
// PREVIOUS: OFFSET right and down of it, back to AREA's left (or top) edge
// where it would reach past AREA's right (or bottom).
QPoint cascadedTopLeft(const QRect& previous, const QSize& size, int offset, const QRect& area);

// Sets WINDOW (not yet shown) down one title bar below and right of the
// window last placed here that is still shown, wrapping inside that window's
// screen; with none it stays where it is. WINDOW is then the last placed.
void cascadeWindow(QWidget* window);

} // namespace cogbook
