#pragma once

#include <QWidget>

// Placing and showing the elements of the canvas window. Every change of an
// element's bounds or visibility goes through here, so that a picture
// element takes its picture's size and the canvas window can follow its
// elements (its auto-size).
namespace Element {

inline int left(const QWidget* element) { return element->x(); }
inline int top(const QWidget* element) { return element->y(); }
inline int width(const QWidget* element) { return element->width(); }
inline int height(const QWidget* element) { return element->height(); }
// The element's own visibility, whether or not its window is shown yet.
inline bool isVisible(const QWidget* element) { return !element->isHidden(); }

void setBounds(QWidget* element, int left, int top, int width, int height);
void setLeft(QWidget* element, int left);
void setTop(QWidget* element, int top);
void setWidth(QWidget* element, int width);
void setHeight(QWidget* element, int height);
void setVisible(QWidget* element, bool visible);

// Sets the bounds without telling the canvas (its own auto-size uses this).
// Returns whether anything changed.
bool applyBounds(QWidget* element, int left, int top, int width, int height);

} // namespace Element
