#pragma once

#include "movie/format/Geometry.h"

#include <QImage>
#include <QPainterPath>

class QPainter;

namespace movie {

// Pictures an object is drawn into on its own before it is laid on what is
// below it: for filters, blend modes and cached pictures. Layers are
// premultiplied ARGB.

// The blend modes as the file numbers them.
enum class BlendMode : quint8 {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    Hardlight = 14,
};

// Applies a colour transform to every pixel that has some alpha.
void transformLayer(QImage& layer, const ColorTransform& cx);

// Clears what lies outside `clip` (given in the coordinates in which the
// layer's top-left corner is `at`).
void clipLayer(QImage& layer, const QPainterPath& clip, QPoint at);

// Lays `layer` with its top-left corner at `at` on the picture `painter`
// draws into (`target` when that is a picture, else null) in `mode`. Alpha
// and Erase change the alpha of the target within the layer's rectangle.
void compositeLayer(QPainter& painter, QImage* target, const QImage& layer, QPoint at, quint8 mode);

} // namespace movie
