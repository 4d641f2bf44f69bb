#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

namespace ui {

// The top-left corner that centres a frame of frameSize on area's centre point.
QPoint CentredFramePosition(const QRect& area, const QSize& frameSize);

// Moves a top-level window, once the window system has framed it, so that its frame's top-left
// corner is where `where` puts a frame of that size. Before the first exposure the frame is not
// known: a position worked out then is off by the title bar. Runs once; the window's own
// estimate stays until then.
void PlaceWhenFramed(QWidget& window, std::function<QPoint(const QSize& frameSize)> where);

}  // namespace ui
