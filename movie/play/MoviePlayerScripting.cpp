// What the player does for its scripts: traces, the clip tree, clips made,
// moved and removed by scripts.

#include "movie/Limits.h"
#include "movie/draw/EditField.h"
#include "movie/draw/Filters.h"
#include "movie/draw/MovieRenderer.h"
#include "movie/play/MoviePlayer.h"

#include <QPainter>

namespace movie {

void MoviePlayer::trace(const QString& message)
{
    if (traceHandler_)
        traceHandler_(message);
}

void MoviePlayer::quit()
{
    quit_ = true;
    root_->playing = false;
}

void MoviePlayer::stopSounds()
{
    SoundCue cue;
    cue.stopsAllSounds = true;
    soundCues_.push_back(std::move(cue));
}

SpriteInstance* MoviePlayer::level(int number)
{
    const auto it = stage_.objects.find(number);
    return it == stage_.objects.end() ? nullptr : it->second.sprite.get();
}

DisplayObject* MoviePlayer::placement(SpriteInstance& clip)
{
    auto parent = clip.parent.lock();
    auto& objects = parent ? parent->objects : stage_.objects;
    const auto it = objects.find(clip.depth);
    if (it == objects.end() || it->second.sprite.get() != &clip)
        return nullptr;
    return &it->second;
}

int MoviePlayer::framesLoaded(SpriteInstance& clip) { return clip.timeline->frameCount(); }

int MoviePlayer::bytesTotal(SpriteInstance& clip)
{
    const bool wholeMovie = clip.movie && clip.timeline == &clip.movie->timeline();
    return static_cast<int>(wholeMovie ? clip.movie->fileSize() : clip.timeline->byteSize);
}

QString MoviePlayer::symbolName(SpriteInstance& clip)
{
    const DisplayObject* placed = placement(clip);
    auto parent = clip.parent.lock();
    // A loaded movie is no symbol of the movie it was loaded into.
    if (!placed || !parent || parent->movie != clip.movie)
        return {};
    for (const auto& [name, id] : parent->movie->exports())
        if (id == placed->characterId)
            return name;
    return {};
}

SpriteInstance* MoviePlayer::scriptClip(SpriteInstance& parent, quint16 characterId, const Timeline& timeline,
                                        const QString& name, int depth)
{
    std::shared_ptr<SpriteInstance> sprite = newInstance(timeline, parent.nesting + 1);
    if (!sprite)
        return nullptr;
    removeChild(parent, depth);
    DisplayObject& object = parent.objects[depth];
    object.characterId = characterId;
    object.character = characterId ? parent.movie->character(characterId) : &container_;
    object.name = name;
    object.sprite = sprite;
    sprite->parent = parent.weak_from_this();
    sprite->movie = parent.movie;
    sprite->depth = depth;
    sprite->placedByScript = true;
    enlist(*sprite);
    ++version_;
    return sprite.get();
}

SpriteInstance* MoviePlayer::attachClip(SpriteInstance& parent, const QString& symbol, const QString& name, int depth)
{
    for (const auto& [exported, id] : parent.movie->exports()) {
        if (exported.compare(symbol, Qt::CaseInsensitive) != 0) // whatever the version
            continue;
        const Character* c = parent.movie->character(id);
        if (!c || c->kind != Character::Kind::Sprite)
            return nullptr;
        return scriptClip(parent, id, *c->sprite, name, depth);
    }
    return nullptr;
}

SpriteInstance* MoviePlayer::createEmptyClip(SpriteInstance& parent, const QString& name, int depth)
{
    return scriptClip(parent, 0, emptyTimeline_, name, depth);
}

SpriteInstance* MoviePlayer::duplicateClip(SpriteInstance& clip, const QString& name, int depth)
{
    auto parent = clip.parent.lock();
    const DisplayObject* original = placement(clip);
    if (!parent || !original)
        return nullptr;
    const DisplayObject copy = *original;
    const std::shared_ptr<const ClipActions> actions = clip.clipActions;
    // A clip that shows a loaded movie is copied as what it was placed as.
    const Timeline* timeline = clip.timeline;
    if (clip.movie != parent->movie)
        timeline = copy.character && copy.character->sprite ? copy.character->sprite.get() : &emptyTimeline_;
    SpriteInstance* twin = scriptClip(*parent, copy.characterId, *timeline, name, depth);
    if (!twin)
        return nullptr;
    DisplayObject* placed = placement(*twin);
    placed->matrix = copy.matrix;
    placed->colorTransform = copy.colorTransform;
    placed->ratio = copy.ratio;
    placed->blendMode = copy.blendMode;
    placed->visible = copy.visible;
    twin->clipActions = actions;
    // What the original's scripts drew comes along, to be drawn on apart.
    if (clip.drawing)
        twin->drawing = std::make_shared<Drawing>(*clip.drawing);
    twin->staticTextGiven = clip.staticTextGiven;
    clip.staticTextGiven = true;
    return twin;
}

void MoviePlayer::runFirstFrame(SpriteInstance& clip) { runFrame(clip); }

void MoviePlayer::removeClip(SpriteInstance& clip)
{
    if (auto parent = clip.parent.lock(); parent && placement(clip))
        removeChild(*parent, clip.depth);
}

void MoviePlayer::swapDepths(SpriteInstance& clip, int depth)
{
    auto parent = clip.parent.lock();
    if (!parent || !placement(clip))
        return;
    auto& objects = parent->objects;
    DisplayObject moving = std::move(objects[clip.depth]);
    objects.erase(clip.depth);
    const auto other = objects.find(depth);
    if (other != objects.end()) {
        DisplayObject displaced = std::move(other->second);
        objects.erase(other);
        if (displaced.sprite)
            displaced.sprite->depth = clip.depth;
        if (displaced.field)
            displaced.field->depth = clip.depth;
        objects.emplace(clip.depth, std::move(displaced));
    }
    clip.depth = depth;
    objects.emplace(depth, std::move(moving));
    ++version_;
}

QImage MoviePlayer::exportedPicture(const QString& name)
{
    for (const auto& [exported, id] : movie_->exports()) {
        if (exported.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // A picture is read into a shape with one fill of it.
        const Character* c = movie_->character(id);
        if (!c || c->kind != Character::Kind::Shape || !c->shape || c->shape->layers.size() != 1
            || c->shape->layers[0].fills.size() != 1)
            return {};
        const FillStyle& fill = c->shape->layers[0].fills[0].style;
        return fill.kind == FillStyle::Kind::Bitmap && fill.bitmapId == id ? fill.bitmap : QImage();
    }
    return {};
}

void MoviePlayer::attachBitmap(SpriteInstance& parent, std::shared_ptr<const BitmapPixels> pixels, int depth,
                               bool smoothing)
{
    removeChild(parent, depth);
    DisplayObject& object = parent.objects[depth];
    object.bitmap = std::move(pixels);
    object.smoothing = smoothing;
    ++version_;
}

void MoviePlayer::drawClip(SpriteInstance& clip, QImage& target, const QTransform& t, const ColorTransform& cx,
                           bool smoothing)
{
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
    renderClip(painter, *movie_, clip, t, cx, antialiased_);
}

QMargins MoviePlayer::filterReach(const FilterList& filters) { return filterMargins(filters, 1); }

void MoviePlayer::filterPicture(QImage& picture, const FilterList& filters) { applyFilters(picture, filters, 1); }

EditField* MoviePlayer::createTextField(SpriteInstance& parent, const QString& name, int depth, const QRectF& bounds)
{
    if (!spendWork())
        return nullptr;
    removeChild(parent, depth);
    auto field = std::make_shared<EditField>(QRectF(QPointF(), bounds.size()), movie_->fonts(), movie_->version());
    DisplayObject& object = parent.objects[depth];
    object.name = name;
    object.matrix.tx = bounds.x();
    object.matrix.ty = bounds.y();
    placeField(parent, depth, field);
    ++version_;
    return field.get();
}

// A field's copy is a new field in the original's place: its transform and
// colour, and whether it takes input; nothing of its text.
EditField* MoviePlayer::duplicateTextField(EditField& field, const QString& name, int depth)
{
    auto parent = field.parent.lock();
    if (!parent || field.removed || !spendWork())
        return nullptr;
    const auto it = parent->objects.find(field.depth);
    if (it == parent->objects.end() || it->second.field.get() != &field)
        return nullptr;
    const DisplayObject original = it->second;
    removeChild(*parent, depth);
    auto twin = std::make_shared<EditField>(QRectF(), movie_->fonts(), movie_->version());
    twin->editable = field.editable;
    DisplayObject& object = parent->objects[depth];
    object.name = name;
    object.matrix = original.matrix;
    object.colorTransform = original.colorTransform;
    placeField(*parent, depth, twin);
    ++version_;
    return twin.get();
}

void MoviePlayer::removeTextField(EditField& field)
{
    if (auto parent = field.parent.lock(); parent && !field.removed)
        removeChild(*parent, field.depth);
}

} // namespace movie
