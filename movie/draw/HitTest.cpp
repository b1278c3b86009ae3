#include "movie/draw/HitTest.h"

#include "movie/Limits.h"
#include "movie/draw/ShapeDef.h"

#include <vector>

namespace movie {

namespace {

bool drawsAt(const SpriteInstance& sprite, QPointF point, int nesting);

// Whether an object placed in some coordinates draws at `point` of them.
bool objectDrawsAt(const DisplayObject& object, QPointF point, int nesting)
{
    if ((!object.character && !object.sprite) || nesting > limits::kMaxNesting)
        return false;
    const QTransform t = object.matrix.toTransform();
    if (!t.isInvertible())
        return false;
    const QPointF local = t.inverted().map(point);
    if (object.sprite)
        return drawsAt(*object.sprite, local, nesting + 1);
    const Character& c = *object.character;
    const ShapeDef* shape = c.kind == Character::Kind::Shape ? c.shape.get()
        : c.kind == Character::Kind::Morph && c.morph        ? c.morph->at(object.ratio).get()
                                                             : nullptr;
    if (!shape || !shape->bounds.contains(local))
        return false;
    // A text field is hit anywhere in its box, not only on its letters.
    return c.scriptKind == Character::ScriptKind::TextField || shape->outline().contains(local);
}

bool drawsAt(const SpriteInstance& sprite, QPointF point, int nesting)
{
    // What its scripts drew lies under its children, outside their clipping layers.
    if (const Drawing* drawing = sprite.drawing.get(); drawing && !drawing->isEmpty()) {
        const ShapeDef& shape = drawing->shape();
        if (shape.bounds.contains(point) && shape.outline().contains(point))
            return true;
    }
    // The clipping layers in force: each the depth it reaches to and
    // whether the point falls on it.
    std::vector<std::pair<int, bool>> layers;
    for (const auto& [depth, object] : sprite.objects) {
        while (!layers.empty() && depth > layers.back().first)
            layers.pop_back();
        const bool inside = objectDrawsAt(object, point, nesting);
        if (object.clipDepth > 0) {
            layers.emplace_back(object.clipDepth, inside);
            continue;
        }
        bool clipped = false;
        for (const auto& layer : layers)
            clipped = clipped || !layer.second;
        if (inside && !clipped)
            return true;
    }
    return false;
}

} // namespace

bool spriteDrawsAt(const SpriteInstance& sprite, QPointF point) { return drawsAt(sprite, point, 0); }

} // namespace movie
