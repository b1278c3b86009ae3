#pragma once

#include <QRect>
#include <QWidget>

// Placing and showing the elements of the canvas window. Every change of an
// element's bounds or visibility goes through here, so that a picture
// element takes its picture's size and the canvas window can follow its
// elements (its auto-size).
namespace Element {

// How far an element may stand from the background picture, each way, and
// how large a resizable element may be: whatever a skin file or a drag asks
// for is brought into this range, so that the layout fits a screen of today
// and the arithmetic on bounds stays far from overflow.
constexpr int kPlaceLimit = 4096;
constexpr int kSizeLimit = 4096;

inline int left(const QWidget* element) { return element->x(); }
inline int top(const QWidget* element) { return element->y(); }
inline int width(const QWidget* element) { return element->width(); }
inline int height(const QWidget* element) { return element->height(); }
// The element's own visibility, whether or not its window is shown yet.
inline bool isVisible(const QWidget* element) { return !element->isHidden(); }

// The background picture's place in the element's canvas, from which the
// limits above are measured (the origin for an element of no canvas).
QPoint origin(const QWidget* element);

// Sets the bounds, brought within the limits.
void setBounds(QWidget* element, int left, int top, int width, int height);
void setLeft(QWidget* element, int left);
void setTop(QWidget* element, int top);
void setWidth(QWidget* element, int width);
void setHeight(QWidget* element, int height);
void setVisible(QWidget* element, bool visible);

// The bounds brought within the limits, as setBounds would set them.
QRect withinLimits(const QWidget* element, int left, int top, int width, int height);

// Sets the bounds as they are, without telling the canvas (its own
// auto-size uses this). Returns whether anything changed.
bool applyBounds(QWidget* element, int left, int top, int width, int height);

} // namespace Element
