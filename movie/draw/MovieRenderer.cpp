#include "movie/draw/MovieRenderer.h"

#include "movie/Interruption.h"
#include "movie/Limits.h"
#include "movie/draw/EditField.h"
#include "movie/draw/LayerCache.h"
#include "movie/draw/Layers.h"
#include "movie/draw/PathOps.h"

#include <QPainter>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace movie {

namespace {

// Path elements from which a shape is drawn from a kept picture: hundreds of
// curves, a few thousand pixels of its edges or more.
constexpr qsizetype kPictureElements = 2000;

// A stroke's path with its points on whole pixels: on pixel centres for
// odd widths, so that the stroke covers whole pixels.
QPainterPath hinted(QPainterPath path, double width)
{
    const double offset = static_cast<int>(std::lround(width)) % 2 ? 0.5 : 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        path.setElementPositionAt(i, std::floor(e.x) + offset, std::floor(e.y) + offset);
    }
    return path;
}

// Whether an object has anything to draw: a character, a sprite made by a
// script, a text field or an attached picture.
bool drawsSomething(const DisplayObject& object)
{
    return object.character || object.sprite || object.field || object.bitmap;
}

// The regions of the masks a drawing lies within, in device pixels: it
// shows where they all meet. The painter meets them itself, which costs far
// less than working out their meet as a path.
using Regions = std::vector<QPainterPath>;

// The clip in force: the regions, or none. The id tells the painter's
// current clip apart from a new one at the same address.
struct Clip {
    const Regions* regions = nullptr;
    int id = 0;
};

// The regions of `clip` and one more (a path is shared, not copied).
Regions within(Clip clip, const QPainterPath& region)
{
    Regions all = clip.regions ? *clip.regions : Regions{};
    all.push_back(region);
    return all;
}

// What the drawing of one frame shares among the pictures it draws into.
struct FrameState {
    int budget = limits::kMaxDrawnObjects;
    int lastClipId = 0;
    double stageScale = 1; // device pixels to a stage pixel
    bool antialiased = true;
    LayerCache* cache = nullptr;
    const Movie* movie = nullptr;
};

// Draws display lists into one picture: the frame's, or a layer that an
// object is drawn into on its own before it is laid on what is below.
class FrameRenderer {
public:
    // `image` is the picture `painter` draws into (null when it is none),
    // `area` its part that is shown; `layers` counts the layers this one
    // lies in.
    // `root` maps the root's twips to this picture's pixels.
    FrameRenderer(QPainter& painter, QImage* image, const QRectF& area, FrameState& state, int layers,
                  const QTransform& root)
        : painter_(painter), image_(image), stage_(area), state_(state), layers_(layers), root_(root)
    {}

    void drawInstance(const SpriteInstance& instance, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        // A loaded movie's objects are of its own dictionary.
        struct MovieRestore {
            FrameState& state;
            const Movie* outer;
            ~MovieRestore() { state.movie = outer; }
        } restore{state_, state_.movie};
        if (instance.movie)
            state_.movie = instance.movie.get();
        struct Mask {
            Regions regions;
            int until;
            int id;
        };
        std::vector<Mask> masks;
        for (const auto& [depth, object] : instance.objects) {
            if (--state_.budget < 0)
                return;
            if (state_.budget % 64 == 0 && interruptionRequested()) {
                state_.budget = 0; // a frame nobody will see
                return;
            }
            while (!masks.empty() && depth > masks.back().until)
                masks.pop_back();
            const Clip active = masks.empty() ? clip : Clip{&masks.back().regions, masks.back().id};
            const QTransform ot = object.matrix.toTransform() * t;
            if (object.clipDepth > 0) {
                QPainterPath path;
                maskPath(object, ot, path);
                masks.push_back({within(active, path), object.clipDepth, ++state_.lastClipId});
                continue;
            }
            draw(object, ot, cx.after(object.colorTransform), active);
        }
    }

private:
    void draw(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        if (!drawsSomething(object) || !object.visible || (cx.am <= 0 && cx.aa <= 0))
            return;
        // A clip a script made a mask is not drawn; one it masks is cut to it.
        Regions masked;
        if (object.sprite) {
            if (const auto masks = object.sprite->masking.lock(); masks && !masks->removed)
                return;
            const auto mask = object.sprite->mask.lock();
            const DisplayObject* placed = mask && !mask->removed ? placementOf(*mask) : nullptr;
            if (placed) {
                QPainterPath region;
                maskPath(*placed, transformToRoot(*mask) * root_, region);
                masked = within(clip, region);
                clip = Clip{&masked, ++state_.lastClipId};
            }
        }
        const quint8 mode = object.blendMode > 1 && object.blendMode <= 14 ? object.blendMode : 1;
        const bool filtered = object.filters && !object.filters->empty();
        if (mode == 1 && !filtered && !object.cacheAsBitmap) {
            drawContent(object, t, cx, clip);
            return;
        }
        // Alpha and Erase work on the group they are drawn into; with
        // none below them they change nothing.
        if ((mode == quint8(BlendMode::Alpha) || mode == quint8(BlendMode::Erase)) && layers_ == 0)
            return;
        drawLayer(object, t, cx, clip, mode);
    }

    void drawContent(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        if (object.background.isValid()) {
            // An opaque background fills the object's bounds behind it.
            useClip(clip);
            painter_.setWorldTransform(t);
            painter_.fillRect(deviceBounds(object, QTransform(), 0), cx.apply(object.background));
        }
        if (object.sprite && drawScalingGrid(object, t, cx, clip))
            return;
        if (object.sprite)
            drawSprite(object, t, cx, clip);
        else if (object.bitmap)
            drawBitmap(object, t, cx, clip);
        else if (object.field)
            drawField(*object.field, t, cx, clip, object.matrix);
        else if (object.character->kind == Character::Kind::Shape)
            drawShape(*object.character->shape, t, cx, clip, object.matrix, object.character->shape);
        else if (object.character->kind == Character::Kind::Morph) {
            const std::shared_ptr<const ShapeDef> shape = object.character->morph->at(object.ratio);
            drawShape(*shape, t, cx, clip, object.matrix, shape);
        }
    }

    // A sprite: what its scripts drew, then its children; a scroll
    // rectangle shows its window of them, moved to the sprite's origin.
    void drawSprite(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        QTransform inner = t;
        Regions windowed;
        if (object.scrollRect) {
            const QRectF r = *object.scrollRect;
            QPainterPath window;
            window.addPolygon(t.map(QPolygonF(QRectF(0, 0, r.width() * 20, r.height() * 20))));
            window.closeSubpath();
            windowed = within(clip, window);
            clip = Clip{&windowed, ++state_.lastClipId};
            inner = QTransform::fromTranslate(-r.x() * 20, -r.y() * 20) * t;
        }
        drawSpriteContent(*object.sprite, inner, cx, clip, object.matrix);
    }

public:
    // `own` is the sprite's own placement within `t`.
    void drawSpriteContent(const SpriteInstance& sprite, const QTransform& t, const ColorTransform& cx, Clip clip,
                           const Matrix& own)
    {
        const Drawing* drawing = sprite.drawing.get();
        if (drawing && !drawing->isEmpty())
            drawShape(drawing->shape(), t, cx, clip, own);
        drawInstance(sprite, t, cx, clip);
    }

private:
    // A picture attached by a script: a pixel to 20 twips from the origin.
    void drawBitmap(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        const BitmapPixels& pixels = *object.bitmap;
        if (pixels.disposed())
            return;
        useClip(clip);
        painter_.setWorldTransform(QTransform::fromScale(20, 20) * t);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, object.smoothing);
        if (cx.isIdentity()) {
            painter_.drawImage(QPointF(0, 0), pixels.image());
        } else {
            QImage tinted = pixels.image();
            transformLayer(tinted, cx);
            painter_.drawImage(QPointF(0, 0), tinted);
        }
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    }

    // A sprite with a 9-slice grid: each of the nine cells of its bounds is
    // drawn on its own, the corners at the scale the sprite stands in, the
    // edges stretched one way, the middle both. Only for scales without
    // rotation, skew or mirroring; false when not drawn so.
    bool drawScalingGrid(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        const QRectF grid = state_.movie->scalingGrid(object.characterId);
        if (grid.isEmpty())
            return false;
        const QRectF bounds = contentBounds(object, QTransform(), 0);
        const double ownX = std::abs(object.matrix.a), ownY = std::abs(object.matrix.d);
        if ((ownX == 1 && ownY == 1) || !bounds.contains(grid) || t.m12() != 0 || t.m21() != 0 || t.m11() <= 0
            || t.m22() <= 0 || ownX < 1e-6 || ownY < 1e-6)
            return false;
        const double outerX = t.m11() / ownX, outerY = t.m22() / ownY;
        const QRectF device = t.mapRect(bounds);
        auto cuts = [](double from, double cut1, double cut2, double to, double devFrom, double devTo, double scale) {
            double first = devFrom + (cut1 - from) * scale, second = devTo - (to - cut2) * scale;
            if (first > second) // corners larger than the whole: they share it
                first = second =
                    devFrom + (devTo - devFrom) * (cut1 - from) / std::max(1e-9, (cut1 - from) + (to - cut2));
            return std::array<double, 4>{devFrom, first, second, devTo};
        };
        const std::array<double, 4> xs{bounds.left(), grid.left(), grid.right(), bounds.right()};
        const std::array<double, 4> ys{bounds.top(), grid.top(), grid.bottom(), bounds.bottom()};
        const auto dx = cuts(xs[0], xs[1], xs[2], xs[3], device.left(), device.right(), outerX);
        const auto dy = cuts(ys[0], ys[1], ys[2], ys[3], device.top(), device.bottom(), outerY);
        for (size_t i = 0; i < 3; ++i) {
            for (size_t j = 0; j < 3; ++j) {
                const QRectF from(QPointF(xs[i], ys[j]), QPointF(xs[i + 1], ys[j + 1]));
                const QRectF to(QPointF(dx[i], dy[j]), QPointF(dx[i + 1], dy[j + 1]));
                if (from.width() <= 0 || from.height() <= 0 || to.width() <= 0 || to.height() <= 0)
                    continue;
                const QTransform cell = QTransform::fromTranslate(-from.x(), -from.y())
                    * QTransform::fromScale(to.width() / from.width(), to.height() / from.height())
                    * QTransform::fromTranslate(to.x(), to.y());
                QPainterPath area;
                area.addRect(to);
                const Regions cellClip = within(clip, area);
                drawInstance(*object.sprite, cell, cx, Clip{&cellClip, ++state_.lastClipId});
            }
        }
        return true;
    }

    // Draws the object into a picture of its own, filters that, and lays
    // it on this one in its blend mode. The colour transform applies to
    // the whole picture, filters included.
    void drawLayer(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip, quint8 mode)
    {
        const FilterList* filters = object.filters ? object.filters.get() : nullptr;
        const QMargins reach = filters ? filterMargins(*filters, state_.stageScale) : QMargins();
        const QRectF bounds = deviceBounds(object, t, 0);
        QRect area = bounds.toAlignedRect().marginsAdded(reach + QMargins(1, 1, 1, 1));
        area &= stage_.toAlignedRect().marginsAdded(reach);
        if (area.isEmpty())
            return;
        if (layers_ >= limits::kMaxLayerNesting || area.width() > limits::kMaxLayerSide
            || area.height() > limits::kMaxLayerSide) {
            drawContent(object, t, cx, clip); // too deep or too large for a picture of its own
            return;
        }
        // Kept while the object only moves by whole pixels: drawn at its
        // place to a 64th of a pixel.
        const LayerCache::Placement placement = state_.cache ? LayerCache::placementOf(t) : LayerCache::Placement{};
        LayerCache::Key key;
        const QImage* cached = nullptr;
        if (placement.valid) {
            key = {
                &object,           placement.rest,    LayerCache::signature(object), area.translated(-placement.offset),
                state_.stageScale, state_.antialiased};
            cached = state_.cache->find(key);
        }
        QImage layer;
        if (cached && !cached->isNull()) {
            layer = *cached;
        } else {
            layer = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            {
                QPainter painter(&layer);
                painter.setRenderHint(QPainter::Antialiasing, state_.antialiased);
                painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
                FrameRenderer inner(painter, &layer, QRectF(layer.rect()), state_, layers_ + 1,
                                    root_ * QTransform::fromTranslate(-area.x(), -area.y()));
                inner.drawContent(object,
                                  (placement.valid ? placement.transform() : t)
                                      * QTransform::fromTranslate(-area.x(), -area.y()),
                                  ColorTransform{}, Clip{});
            }
            if (filters)
                applyFilters(layer, *filters, state_.stageScale);
            if (placement.valid)
                state_.cache->store(key, layer);
        }
        // After the cache: an object that only fades is not filtered again.
        if (!cx.isIdentity())
            transformLayer(layer, cx);
        if (clip.regions)
            for (const QPainterPath& region : *clip.regions)
                clipLayer(layer, region, area.topLeft());
        painter_.setWorldTransform(QTransform());
        painter_.setClipRect(stage_);
        currentClipId_ = -1;
        compositeLayer(painter_, image_, layer, area.topLeft(), mode);
    }

    // A field's ground and border, then its text, which shows only within
    // its bounds. A field that stands all but square to the pixels has its
    // box on whole pixels, its border one pixel wide on its edges as the
    // player draws it: around a ground, the corner at the bottom right is
    // left out.
    void drawField(const EditField& field, const QTransform& t, const ColorTransform& cx, Clip clip, const Matrix& own)
    {
        if (field.background || field.border) {
            useClip(clip);
            painter_.setWorldTransform(QTransform());
            auto colour = [&](quint32 rgb) { return cx.apply(QColor::fromRgb(QRgb(rgb | 0xFF000000U))); };
            const QPolygonF box = t.map(QPolygonF(field.bounds));
            const QRectF square = box.boundingRect();
            if (std::abs(square.width() - std::abs(t.m11()) * field.bounds.width()) < 0.5
                && std::abs(square.height() - std::abs(t.m22()) * field.bounds.height()) < 0.5) {
                auto pixel = [](double v) { return std::ceil(v - 0.5 - 1e-6); }; // halves go down
                const double l = pixel(square.left()), r = pixel(square.right());
                const double top = pixel(square.top()), bottom = pixel(square.bottom());
                if (field.background)
                    painter_.fillRect(QRectF(l, top, r - l, bottom - top), colour(field.backgroundColor));
                if (field.border) {
                    const QColor c = colour(field.borderColor);
                    const double corner = field.background ? 0 : 1;
                    painter_.fillRect(QRectF(l, top, r - l + 1, 1), c);
                    painter_.fillRect(QRectF(l, top, 1, bottom - top + 1), c);
                    painter_.fillRect(QRectF(l, bottom, r - l + corner, 1), c);
                    painter_.fillRect(QRectF(r, top, 1, bottom - top + corner), c);
                }
            } else {
                painter_.setBrush(field.background ? QBrush(colour(field.backgroundColor)) : QBrush());
                painter_.setPen(field.border ? QPen(colour(field.borderColor), 1) : QPen(Qt::NoPen));
                painter_.drawPolygon(box);
            }
        }
        const ShapeDef& text = field.textPicture();
        if (text.layers.empty())
            return;
        QPainterPath inside;
        inside.addRect(field.bounds);
        const Regions insideField = within(clip, t.map(inside));
        drawShape(text, t, cx, Clip{&insideField, ++state_.lastClipId}, own);
    }

    // Where the object draws, in device pixels: the filters of the objects
    // within it included, its own left out.
    QRectF deviceBounds(const DisplayObject& object, const QTransform& t, int nesting)
    {
        if (!drawsSomething(object) || nesting > limits::kMaxNesting || --state_.budget < 0)
            return {};
        if (nesting > 0 && object.filters && !object.filters->empty()) {
            const QRectF inner = contentBounds(object, t, nesting);
            return inner.isEmpty() ? inner : inner.marginsAdded(filterMargins(*object.filters, state_.stageScale));
        }
        return contentBounds(object, t, nesting);
    }

    QRectF contentBounds(const DisplayObject& object, const QTransform& t, int nesting)
    {
        if (object.sprite) {
            if (object.scrollRect)
                return t.mapRect(QRectF(0, 0, object.scrollRect->width() * 20, object.scrollRect->height() * 20));
            QRectF all;
            if (object.sprite->drawing && !object.sprite->drawing->isEmpty())
                all = t.mapRect(object.sprite->drawing->bounds());
            for (const auto& [depth, child] : object.sprite->objects)
                if (child.visible)
                    all |= deviceBounds(child, child.matrix.toTransform() * t, nesting + 1);
            return all;
        }
        if (object.bitmap)
            return t.mapRect(QRectF(0, 0, object.bitmap->width() * 20.0, object.bitmap->height() * 20.0));
        if (object.field)
            return t.mapRect(object.field->bounds);
        const Character& c = *object.character;
        const ShapeDef* shape = c.kind == Character::Kind::Shape ? c.shape.get()
            : c.kind == Character::Kind::Morph                   ? c.morph->at(object.ratio).get()
                                                                 : nullptr;
        return shape ? t.mapRect(shape->bounds) : QRectF();
    }

    // `own` is the shape's own placement within `t`. A shape of many edges
    // is drawn from a kept picture when `owner`, which holds it, is given.
    void drawShape(const ShapeDef& shape, const QTransform& t, const ColorTransform& cx, Clip clip, const Matrix& own,
                   const std::shared_ptr<const ShapeDef>& owner = {})
    {
        if (owner && state_.cache && drawShapePicture(owner, t, cx, clip, own))
            return;
        useClip(clip);
        const double scale = std::sqrt(std::abs(t.determinant()));
        for (const ShapeLayer& layer : shape.layers) {
            painter_.setWorldTransform(t);
            if (!layer.fills.empty())
                painter_.setPen(Qt::NoPen);
            for (const auto& fill : layer.fills) {
                painter_.setBrush(fill.style.brush(cx));
                if (!fill.style.smooth) {
                    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
                    painter_.drawPath(fill.path);
                    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
                } else {
                    painter_.drawPath(fill.path);
                }
            }
            if (!layer.strokes.empty())
                painter_.setBrush(Qt::NoBrush);
            for (const auto& stroke : layer.strokes) {
                const LineStyle& style = stroke.style;
                if (!style.noHScale && !style.noVScale) {
                    painter_.setWorldTransform(t);
                    const bool hairline = style.width * scale < 1.0; // one device pixel at any scale
                    painter_.setPen(style.pen(cx, hairline ? 1.0 : style.width, QTransform(), hairline));
                    if (style.pixelHinting && t.isInvertible())
                        painter_.drawPath(t.inverted().map(hinted(t.map(stroke.path), style.width * scale)));
                    else
                        painter_.drawPath(stroke.path);
                    continue;
                }
                // Scale modes: the width keeps out the scales of the shape's
                // own placement that the style names; what it stands in
                // scales it as ever.
                const QTransform place = own.toTransform();
                if (!place.isInvertible())
                    continue;
                const QTransform outer = place.inverted() * t;
                const double width = style.width * style.ownScale(place);
                const double onDevice = width * std::sqrt(std::abs(outer.determinant()));
                const bool thin = onDevice < 1.0;
                QPainterPath path = place.map(stroke.path);
                if (style.pixelHinting && outer.isInvertible())
                    path = outer.inverted().map(hinted(outer.map(path), std::max(1.0, onDevice)));
                painter_.setWorldTransform(outer);
                painter_.setPen(style.pen(cx, thin ? 1.0 : width, place, thin));
                painter_.drawPath(path);
            }
        }
    }

    // Draws a shape of many edges from its picture: made the second frame
    // it is drawn at the same scale and rotation (not for one that keeps
    // changing), kept while it stands there or moves by whole pixels. False
    // when the shape is to be drawn as it is.
    bool drawShapePicture(const std::shared_ptr<const ShapeDef>& shape, const QTransform& t, const ColorTransform& cx,
                          Clip clip, const Matrix& own)
    {
        qsizetype elements = 0;
        QRectF bounds;
        for (const ShapeLayer& layer : shape->layers) {
            for (const auto& fill : layer.fills) {
                elements += fill.path.elementCount();
                bounds |= fill.path.controlPointRect();
            }
            for (const auto& stroke : layer.strokes) {
                // Strokes of a scale mode keep a width of their own on the device.
                if (stroke.style.noHScale || stroke.style.noVScale)
                    return false;
                elements += stroke.path.elementCount();
                const double reach = stroke.style.width * std::max(1.5, stroke.style.miterLimit);
                bounds |= stroke.path.controlPointRect().adjusted(-reach, -reach, reach, reach);
            }
        }
        if (elements < kPictureElements)
            return false;
        const LayerCache::Placement placement = LayerCache::placementOf(t);
        if (!placement.valid)
            return false;
        // Hairlines and smoothed edges reach a pixel beyond the outlines.
        const QTransform placed = placement.transform();
        const QRect area = placed.mapRect(bounds).toAlignedRect().adjusted(-2, -2, 2, 2) & stage_.toAlignedRect();
        if (area.isEmpty())
            return true;
        if (area.width() > limits::kMaxLayerSide || area.height() > limits::kMaxLayerSide
            || !state_.cache->hasRoom(qint64(area.width()) * area.height()))
            return false;
        const LayerCache::Key key{
            shape.get(), placement.rest,    LayerCache::signature(cx), area.translated(-placement.offset),
            0,           state_.antialiased};
        const QImage* kept = state_.cache->find(key);
        if (!kept) {
            state_.cache->store(key, QImage(), shape); // seen once: drawn as it is
            return false;
        }
        QImage picture = *kept;
        if (picture.isNull()) {
            picture = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            {
                QPainter painter(&picture);
                painter.setRenderHint(QPainter::Antialiasing, state_.antialiased);
                painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
                FrameRenderer inner(painter, &picture, QRectF(picture.rect()), state_, layers_,
                                    root_ * QTransform::fromTranslate(-area.x(), -area.y()));
                inner.drawShape(*shape, placed * QTransform::fromTranslate(-area.x(), -area.y()), cx, Clip{}, own);
            }
            state_.cache->store(key, picture, shape);
        }
        useClip(clip);
        painter_.setWorldTransform(QTransform());
        painter_.drawImage(area.topLeft(), picture);
        return true;
    }

    // The region a mask object covers, in device pixels.
    void maskPath(const DisplayObject& object, const QTransform& t, QPainterPath& out, int nesting = 0)
    {
        if (!drawsSomething(object) || nesting > limits::kMaxNesting || --state_.budget < 0)
            return;
        if (object.field) {
            QPainterPath box;
            box.addRect(object.field->bounds);
            out = out.isEmpty() ? t.map(box) : out.united(t.map(box));
            return;
        }
        if (object.sprite) {
            // A scroll rectangle masks with its window of the content.
            QTransform inner = t;
            QPainterPath content;
            QPainterPath& into = object.scrollRect ? content : out;
            if (object.scrollRect)
                inner = QTransform::fromTranslate(-object.scrollRect->x() * 20, -object.scrollRect->y() * 20) * t;
            if (const Drawing* drawing = object.sprite->drawing.get(); drawing && !drawing->isEmpty()) {
                const QPainterPath mapped = inner.map(drawing->shape().outline());
                into = into.isEmpty() ? mapped : into.united(mapped);
            }
            for (const auto& [depth, child] : object.sprite->objects)
                if (child.clipDepth == 0)
                    maskPath(child, child.matrix.toTransform() * inner, into, nesting + 1);
            if (object.scrollRect) {
                QPainterPath window;
                window.addPolygon(
                    t.map(QPolygonF(QRectF(0, 0, object.scrollRect->width() * 20, object.scrollRect->height() * 20))));
                content = content.intersected(window);
                out = out.isEmpty() ? content : out.united(content);
            }
            return;
        }
        if (object.bitmap) {
            QPainterPath area;
            area.addRect(QRectF(0, 0, object.bitmap->width() * 20.0, object.bitmap->height() * 20.0));
            const QPainterPath mapped = t.map(area);
            out = out.isEmpty() ? mapped : out.united(mapped);
            return;
        }
        const Character& c = *object.character;
        const ShapeDef* shape = c.kind == Character::Kind::Shape ? c.shape.get()
            : c.kind == Character::Kind::Morph                   ? c.morph->at(object.ratio).get()
                                                                 : nullptr;
        if (shape) {
            const QPainterPath mapped = t.map(shape->outline());
            out = unitedPaths(out, mapped);
        }
    }

    void useClip(Clip clip)
    {
        if (clip.id == currentClipId_)
            return;
        painter_.setWorldTransform(QTransform());
        painter_.setClipRect(stage_);
        if (clip.regions)
            for (const QPainterPath& region : *clip.regions)
                painter_.setClipPath(region, Qt::IntersectClip);
        currentClipId_ = clip.id;
    }

    QPainter& painter_;
    QImage* image_;
    QRectF stage_;
    FrameState& state_;
    int layers_;
    QTransform root_;
    int currentClipId_ = -1;
};

} // namespace

QTransform showAllTransform(const QRectF& stage, const QRect& viewport)
{
    const double scale = std::min(viewport.width() / stage.width(), viewport.height() / stage.height());
    const double dx = viewport.x() + (viewport.width() - stage.width() * scale) / 2;
    const double dy = viewport.y() + (viewport.height() - stage.height() * scale) / 2;
    return QTransform::fromTranslate(-stage.x(), -stage.y()) * QTransform::fromScale(scale, scale)
        * QTransform::fromTranslate(dx, dy);
}

void renderClip(QPainter& painter, const Movie& movie, const SpriteInstance& clip, const QTransform& t,
                const ColorTransform& cx, bool antialiased)
{
    auto* image = dynamic_cast<QImage*>(painter.device());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    FrameState state;
    state.stageScale = std::sqrt(std::abs(t.determinant())) * 20;
    state.antialiased = antialiased;
    state.movie = &movie;
    const QRectF area = image ? QRectF(image->rect()) : QRectF(painter.viewport());
    FrameRenderer renderer(painter, image, area, state, 0, t);
    renderer.drawSpriteContent(clip, t, cx, Clip{}, Matrix{});
    painter.restore();
}

void renderFrame(QPainter& painter, const Movie& movie, const SpriteInstance& root, const QRect& viewport,
                 bool antialiased, LayerCache* cache)
{
    if (viewport.isEmpty())
        return;
    auto* image = dynamic_cast<QImage*>(painter.device());
    if (!image) {
        // Some blend modes read the picture below: draw into one first.
        QImage frame(viewport.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter framePainter(&frame);
        renderFrame(framePainter, movie, root, frame.rect(), antialiased, cache);
        framePainter.end();
        painter.drawImage(viewport.topLeft(), frame);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(viewport, movie.background());
    const QTransform t = showAllTransform(movie.stage(), viewport);
    FrameState state;
    state.stageScale = t.m11() * 20;
    state.antialiased = antialiased;
    state.cache = cache;
    state.movie = &movie;
    FrameRenderer renderer(painter, image, t.mapRect(movie.stage()), state, 0, t);
    renderer.drawInstance(root, t, ColorTransform{}, Clip{});
    painter.restore();
    if (cache)
        cache->endFrame();
}

} // namespace movie
