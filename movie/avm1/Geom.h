#pragma once

#include "movie/avm1/Runtime.h"
#include "movie/format/Geometry.h"

#include <QRectF>
#include <optional>

namespace movie::avm1 {

// The flash.geom objects as the other built-ins make and read them.

// A ColorTransform's eight numbers, kept natively as the player keeps them.
struct ColorTransformState : NativeState {
    ColorTransform value;
};

// The class flash.geom.NAME as it stands now (null when a script took it away).
Object* geomClass(Runtime& rt, const char* name);

// New objects of the classes flash.geom holds now (undefined when a script
// took the class away). Point and Rectangle take their values as given.
Value newPoint(Runtime& rt, const Value& x, const Value& y);
Value newRectangle(Runtime& rt, const Value& x, const Value& y, const Value& width, const Value& height);
Value newRectangle(Runtime& rt, const QRectF& r);
// A Matrix of a placement: translation in pixels.
Value newMatrix(Runtime& rt, const Matrix& twips);
Value newColorTransform(Runtime& rt, const ColorTransform& value);

// A number property of an object, as a script reads it.
double numberProperty(Runtime& rt, Object* o, const char* name);
// The x, y, width and height of any object (NaN where missing).
QRectF rectangleOf(Runtime& rt, const Value& v);
// A Matrix-like object (a, b, c, d, tx, ty) as a placement in twips.
Matrix matrixOf(Runtime& rt, Object* o);
// The transform of a ColorTransform object; none for other values.
std::optional<ColorTransform> colorTransformOf(const Value& v);
// A transform scripts gave, fit to draw with: NaN as 0, each number within
// the range the player's 8.8 fixed point (multipliers) and offsets allow.
ColorTransform drawable(ColorTransform cx);
// A script's matrix, unless a number of it is not finite.
std::optional<Matrix> drawable(const Matrix& m);

} // namespace movie::avm1
