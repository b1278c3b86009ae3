#pragma once

#include "movie/DisplayList.h"

#include <QRect>
#include <QTransform>

class QPainter;

namespace movie {

class LayerCache;

// Twips of the stage to device pixels of `viewport`: the whole stage fitted
// keeping its aspect ratio, centred.
QTransform showAllTransform(const QRectF& stage, const QRect& viewport);

// Draws a frame: the background over the whole viewport, then the display
// list of `root` clipped to the stage; edges smoothed unless `antialiased`
// is false (the player's low quality).
// Pictures of filtered and blended objects are kept in `cache`, when
// given, for the next frames.
void renderFrame(QPainter& painter, const Movie& movie, const SpriteInstance& root, const QRect& viewport,
                 bool antialiased = true, LayerCache* cache = nullptr);

// Draws a clip's content alone (what it drew and its children, not its own
// placement) through `t`, twips to the painter's pixels, onto what the
// painter's picture holds.
void renderClip(QPainter& painter, const Movie& movie, const SpriteInstance& clip, const QTransform& t,
                const ColorTransform& cx, bool antialiased = true);

} // namespace movie
