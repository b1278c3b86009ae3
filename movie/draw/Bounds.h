#pragma once

#include "movie/DisplayList.h"

#include <QRectF>

namespace movie {

// Bounds in twips as scripts measure them (_width, getBounds): each
// object's own area mapped into its parent's coordinates, level by level.

// What a sprite draws in its own coordinates: its drawing and its
// children. With its `placement`, a scroll rectangle of that placement
// stands for what it cuts. Null when it draws nothing.
QRectF spriteBounds(const SpriteInstance& sprite, const DisplayObject* placement = nullptr, int nesting = 0);

// An object's area in its parent's coordinates: shape, picture or sprite.
QRectF objectBounds(const DisplayObject& object, int nesting = 0);

} // namespace movie
