#include "movie/MovieRenderer.h"

#include "movie/Limits.h"

#include <QPainter>
#include <cmath>
#include <vector>

namespace movie {

namespace {

// The blend modes Qt's painter can draw; the others draw as normal.
QPainter::CompositionMode compositionOf(quint8 blendMode)
{
    switch (blendMode) {
    case 3:
        return QPainter::CompositionMode_Multiply;
    case 4:
        return QPainter::CompositionMode_Screen;
    case 5:
        return QPainter::CompositionMode_Lighten;
    case 6:
        return QPainter::CompositionMode_Darken;
    case 7:
        return QPainter::CompositionMode_Difference;
    case 8:
        return QPainter::CompositionMode_Plus;
    case 13:
        return QPainter::CompositionMode_Overlay;
    case 14:
        return QPainter::CompositionMode_HardLight;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// The clip in force: a mask path in device pixels, or none. The id tells
// the painter's current clip apart from a new one at the same address.
struct Clip {
    const QPainterPath* path = nullptr;
    int id = 0;
};

class FrameRenderer {
public:
    FrameRenderer(QPainter& painter, const QRectF& stageOnDevice) : painter_(painter), stage_(stageOnDevice) {}

    void drawInstance(const SpriteInstance& instance, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        struct Mask {
            QPainterPath path;
            int until;
            int id;
        };
        std::vector<Mask> masks;
        for (const auto& [depth, object] : instance.objects) {
            if (--budget_ < 0)
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
                masks.push_back({path, object.clipDepth, ++lastClipId_});
                continue;
            }
            draw(object, ot, cx.after(object.colorTransform), active);
        }
    }

private:
    void draw(const DisplayObject& object, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        if (!object.character || !object.visible || (cx.am <= 0 && cx.aa <= 0))
            return;
        // A blend mode applies to the object's own drawing; the modes
        // within a sprite that has one are the sprite's.
        const QPainter::CompositionMode mode = compositionOf(object.blendMode);
        const QPainter::CompositionMode outer = painter_.compositionMode();
        if (object.blendMode > 1)
            painter_.setCompositionMode(mode);
        if (object.sprite)
            drawInstance(*object.sprite, t, cx, clip);
        else if (object.character->kind == Character::Kind::Shape)
            drawShape(*object.character->shape, t, cx, clip);
        else if (object.character->kind == Character::Kind::Morph)
            drawShape(*object.character->morph->at(object.ratio), t, cx, clip);
        if (object.blendMode > 1)
            painter_.setCompositionMode(outer);
    }

    void drawShape(const ShapeDef& shape, const QTransform& t, const ColorTransform& cx, Clip clip)
    {
        useClip(clip);
        painter_.setWorldTransform(t);
        const double scale = std::sqrt(std::abs(t.determinant()));
        for (const ShapeLayer& layer : shape.layers) {
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
                painter_.setPen(stroke.style.pen(cx, scale));
                painter_.drawPath(stroke.path);
            }
        }
    }

    // The region a mask object covers, in device pixels.
    void maskPath(const DisplayObject& object, const QTransform& t, QPainterPath& out, int nesting = 0)
    {
        if (!object.character || nesting > limits::kMaxNesting || --budget_ < 0)
            return;
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
    QRectF stage_;
    int budget_ = limits::kMaxDrawnObjects;
    int lastClipId_ = 0;
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

void renderFrame(QPainter& painter, const Movie& movie, const SpriteInstance& root, const QRect& viewport)
{
    if (viewport.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(viewport, movie.background());
    const QTransform t = showAllTransform(movie.stage(), viewport);
    FrameRenderer renderer(painter, t.mapRect(movie.stage()));
    renderer.drawInstance(root, t, ColorTransform{}, Clip{});
    painter.restore();
}

} // namespace movie
