#include "movie/draw/MovieRenderer.h"

#include "movie/Limits.h"
#include "movie/draw/EditField.h"
#include "movie/draw/LayerCache.h"
#include "movie/draw/Layers.h"

#include <QPainter>
#include <array>
#include <cmath>
#include <vector>

namespace movie {

namespace {

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

// The clip in force: a mask path in device pixels, or none. The id tells
// the painter's current clip apart from a new one at the same address.
struct Clip {
    const QPainterPath* path = nullptr;
    int id = 0;
};

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
    FrameRenderer(QPainter& painter, QImage* image, const QRectF& area, FrameState& state, int layers)
        : painter_(painter), image_(image), stage_(area), state_(state), layers_(layers)
    {}

    void drawInstance(const SpriteInstance& instance, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        struct Mask {
            QPainterPath path;
            int until;
            int id;
        };
        std::vector<Mask> masks;
        for (const auto& [depth, object] : instance.objects) {
            if (--state_.budget < 0)
                return;
            while (!masks.empty() && depth > masks.back().until)
                masks.pop_back();
            const Clip active = masks.empty() ? clip : Clip{&masks.back().path, masks.back().id};
            const QTransform ot = object.matrix.toTransform() * t;
            if (object.clipDepth > 0) {
                QPainterPath path;
                maskPath(object, ot, path);
                if (active.path)
                    path = path.intersected(*active.path);
                masks.push_back({path, object.clipDepth, ++state_.lastClipId});
                continue;
            }
            draw(object, ot, cx.after(object.colorTransform), active);
        }
    }

private:
    void draw(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        if ((!object.character && !object.field && !object.sprite) || !object.visible || (cx.am <= 0 && cx.aa <= 0))
            return;
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
            drawInstance(*object.sprite, t, cx, clip);
        else if (object.field)
            drawField(*object.field, t, cx, clip, object.matrix);
        else if (object.character->kind == Character::Kind::Shape)
            drawShape(*object.character->shape, t, cx, clip, object.matrix);
        else if (object.character->kind == Character::Kind::Morph)
            drawShape(*object.character->morph->at(object.ratio), t, cx, clip, object.matrix);
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
                if (clip.path)
                    area = area.intersected(*clip.path);
                drawInstance(*object.sprite, cell, cx, Clip{&area, ++state_.lastClipId});
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
        LayerCache::Key key;
        QPoint cachedAt;
        const QImage* cached = nullptr;
        if (state_.cache) {
            key = {&object, t, LayerCache::signature(object), stage_, state_.antialiased};
            cached = state_.cache->find(key, cachedAt);
        }
        QImage layer;
        if (cached && cachedAt == area.topLeft()) {
            layer = *cached;
        } else {
            layer = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            {
                QPainter painter(&layer);
                painter.setRenderHint(QPainter::Antialiasing, state_.antialiased);
                painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
                FrameRenderer inner(painter, &layer, QRectF(layer.rect()), state_, layers_ + 1);
                inner.drawContent(object, t * QTransform::fromTranslate(-area.x(), -area.y()), ColorTransform{},
                                  Clip{});
            }
            if (filters)
                applyFilters(layer, *filters, state_.stageScale);
            if (state_.cache)
                state_.cache->store(key, layer, area.topLeft());
        }
        // After the cache: an object that only fades is not filtered again.
        if (!cx.isIdentity())
            transformLayer(layer, cx);
        if (clip.path)
            clipLayer(layer, *clip.path, area.topLeft());
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
        inside = t.map(inside);
        if (clip.path)
            inside = inside.intersected(*clip.path);
        drawShape(text, t, cx, Clip{&inside, ++state_.lastClipId}, own);
    }

    // Where the object draws, in device pixels: the filters of the objects
    // within it included, its own left out.
    QRectF deviceBounds(const DisplayObject& object, const QTransform& t, int nesting)
    {
        if ((!object.character && !object.field && !object.sprite) || nesting > limits::kMaxNesting
            || --state_.budget < 0)
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
            QRectF all;
            for (const auto& [depth, child] : object.sprite->objects)
                if (child.visible)
                    all |= deviceBounds(child, child.matrix.toTransform() * t, nesting + 1);
            return all;
        }
        if (object.field)
            return t.mapRect(object.field->bounds);
        const Character& c = *object.character;
        const ShapeDef* shape = c.kind == Character::Kind::Shape ? c.shape.get()
            : c.kind == Character::Kind::Morph                   ? c.morph->at(object.ratio).get()
                                                                 : nullptr;
        return shape ? t.mapRect(shape->bounds) : QRectF();
    }

    // `own` is the shape's own placement within `t`.
    void drawShape(const ShapeDef& shape, const QTransform& t, const ColorTransform& cx, Clip clip, const Matrix& own)
    {
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

    // The region a mask object covers, in device pixels.
    void maskPath(const DisplayObject& object, const QTransform& t, QPainterPath& out, int nesting = 0)
    {
        if ((!object.character && !object.field && !object.sprite) || nesting > limits::kMaxNesting
            || --state_.budget < 0)
            return;
        if (object.field) {
            QPainterPath box;
            box.addRect(object.field->bounds);
            out = out.isEmpty() ? t.map(box) : out.united(t.map(box));
            return;
        }
        if (object.sprite) {
            for (const auto& [depth, child] : object.sprite->objects)
                if (child.clipDepth == 0)
                    maskPath(child, child.matrix.toTransform() * t, out, nesting + 1);
            return;
        }
        const Character& c = *object.character;
        const ShapeDef* shape = c.kind == Character::Kind::Shape ? c.shape.get()
            : c.kind == Character::Kind::Morph                   ? c.morph->at(object.ratio).get()
                                                                 : nullptr;
        if (shape) {
            const QPainterPath mapped = t.map(shape->outline());
            out = out.isEmpty() ? mapped : out.united(mapped);
        }
    }

    void useClip(Clip clip)
    {
        if (clip.id == currentClipId_)
            return;
        painter_.setWorldTransform(QTransform());
        painter_.setClipRect(stage_);
        if (clip.path)
            painter_.setClipPath(*clip.path, Qt::IntersectClip);
        currentClipId_ = clip.id;
    }

    QPainter& painter_;
    QImage* image_;
    QRectF stage_;
    FrameState& state_;
    int layers_;
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
    FrameRenderer renderer(painter, image, t.mapRect(movie.stage()), state, 0);
    renderer.drawInstance(root, t, ColorTransform{}, Clip{});
    painter.restore();
    if (cache)
        cache->endFrame();
}

} // namespace movie
