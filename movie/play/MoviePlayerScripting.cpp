// What the player does for its scripts: traces, the clip tree, clips made,
// moved and removed by scripts.

#include "movie/Limits.h"
#include "movie/draw/EditField.h"
#include "movie/play/MoviePlayer.h"

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

void MoviePlayer::stopSounds() { soundCues_.push_back({{}, -1, 0, true}); }

SpriteInstance* MoviePlayer::level(int number) { return number == 0 ? root_.get() : nullptr; }

DisplayObject* MoviePlayer::placement(SpriteInstance& clip)
{
    auto parent = clip.parent.lock();
    if (!parent)
        return &clip == root_.get() ? &rootPlacement_ : nullptr;
    const auto it = parent->objects.find(clip.depth);
    if (it == parent->objects.end() || it->second.sprite.get() != &clip)
        return nullptr;
    return &it->second;
}

int MoviePlayer::framesLoaded(SpriteInstance& clip) { return clip.timeline->frameCount(); }

int MoviePlayer::bytesTotal(SpriteInstance& clip)
{
    return static_cast<int>(&clip == root_.get() ? movie_->fileSize() : clip.timeline->byteSize);
}

QString MoviePlayer::symbolName(SpriteInstance& clip)
{
    const DisplayObject* placed = placement(clip);
    if (!placed)
        return {};
    for (const auto& [name, id] : movie_->exports())
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
    object.character = movie_->character(characterId);
    object.name = name;
    object.sprite = sprite;
    sprite->parent = parent.weak_from_this();
    sprite->depth = depth;
    sprite->placedByScript = true;
    enlist(*sprite);
    ++version_;
    return sprite.get();
}

SpriteInstance* MoviePlayer::attachClip(SpriteInstance& parent, const QString& symbol, const QString& name, int depth)
{
    for (const auto& [exported, id] : movie_->exports()) {
        if (exported.compare(symbol, Qt::CaseInsensitive) != 0) // whatever the version
            continue;
        const Character* c = movie_->character(id);
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
    SpriteInstance* twin = scriptClip(*parent, copy.characterId, *clip.timeline, name, depth);
    if (!twin)
        return nullptr;
    DisplayObject* placed = placement(*twin);
    placed->matrix = copy.matrix;
    placed->colorTransform = copy.colorTransform;
    placed->ratio = copy.ratio;
    placed->blendMode = copy.blendMode;
    placed->visible = copy.visible;
    twin->clipActions = actions;
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
