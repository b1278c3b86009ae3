#include "movie/draw/Bounds.h"

#include "movie/Limits.h"
#include "movie/draw/EditField.h"

namespace movie {

namespace {

void unite(QRectF& all, const QRectF& r)
{
    if (!r.isNull())
        all = all.isNull() ? r : all.united(r);
}

} // namespace

QRectF spriteBounds(const SpriteInstance& sprite, const DisplayObject* placement, int nesting)
{
    if (placement && placement->scrollRect)
        return {0, 0, placement->scrollRect->width() * 20, placement->scrollRect->height() * 20};
    QRectF all;
    if (nesting > limits::kMaxNesting)
        return all;
    if (sprite.drawing && !sprite.drawing->isEmpty())
        unite(all, sprite.drawing->bounds());
    for (const auto& [depth, child] : sprite.objects)
        unite(all, objectBounds(child, nesting + 1));
    return all;
}

QRectF objectBounds(const DisplayObject& object, int nesting)
{
    QRectF local;
    if (object.sprite)
        local = spriteBounds(*object.sprite, &object, nesting);
    else if (object.bitmap && !object.bitmap->disposed())
        local = QRectF(0, 0, object.bitmap->width() * 20.0, object.bitmap->height() * 20.0);
    else if (object.character && object.character->kind == Character::Kind::Shape && object.character->shape)
        local = object.character->shape->bounds;
    else if (object.character && object.character->kind == Character::Kind::Morph && object.character->morph)
        local = object.character->morph->at(0)->bounds; // the player keeps a morph's first bounds
    else if (object.field)
        local = object.field->bounds;
    if (local.isNull())
        return local;
    return object.matrix.toTransform().mapRect(local);
}

} // namespace movie
