#include "movie/MovieRenderer.h"

#include "movie/Limits.h"

#include <QPainter>
#include <cmath>
#include <vector>

namespace movie {

namespace {

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
        if (!object.character || (cx.am <= 0 && cx.aa <= 0))
            return;
        if (object.sprite) {
            drawInstance(*object.sprite, t, cx, clip);
            return;
        }
        if (object.character->kind != Character::Kind::Shape)
            return;
        useClip(clip);
        painter_.setWorldTransform(t);
        const double scale = std::sqrt(std::abs(t.determinant()));
        for (const ShapeLayer& layer : object.character->shape->layers) {
            if (!layer.fills.empty())
                painter_.setPen(Qt::NoPen);
            for (const auto& fill : layer.fills) {
                painter_.setBrush(fill.style.brush(cx));
                painter_.drawPath(fill.path);
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
        if (object.character->kind == Character::Kind::Shape) {
            const QPainterPath mapped = t.map(object.character->shape->outline());
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
    return QTransform::fromTranslate(-stage.x(), -stage.y()) * QTransform::fromScale(scale, scale) *
           QTransform::fromTranslate(dx, dy);
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
