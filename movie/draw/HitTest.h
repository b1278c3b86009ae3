#pragma once

#include "movie/DisplayList.h"

#include <QPointF>

namespace movie {

// Whether a point (twips, in the sprite's own coordinates) falls on what
// the sprite draws: a filled region or a stroke of what its scripts drew
// or of its shapes within the clipping layers over them. Hidden objects count, and so do the clips
// that scripts made masks, as they do for the player's hitTest.
bool spriteDrawsAt(const SpriteInstance& sprite, QPointF point);

} // namespace movie
