#pragma once

#include <QPoint>
#include <QRect>
#include <QtGlobal>

// Where the editor's top-level windows may stand on the desktop.
namespace WindowPlacement {

// Window places are kept within the 16-bit coordinates that every window
// system addresses.
constexpr int kLeast = -32768;
constexpr int kMost = 32767;
int bounded(qint64 coordinate);

// Where a window with this frame comes up: a frame that lies on no screen
// at all (a stored place of a monitor that is gone) goes to the nearest
// place on the nearest screen where it is seen whole, or where its top-left
// corner is, when it is larger than that screen. Any other frame, and every
// frame while there is no screen, stays where it is.
QPoint seenPlace(const QRect& frame);

} // namespace WindowPlacement
