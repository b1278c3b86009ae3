#include "movie/MoviePlayer.h"

#include "movie/Limits.h"
#include "movie/MovieRenderer.h"

#include <QPainter>
#include <algorithm>

namespace movie {

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie)
    : movie_(std::move(movie)), liveInstances_(std::make_shared<int>(0))
{
    rewind();
}

MoviePlayer::~MoviePlayer() = default;

void MoviePlayer::rewind()
{
    scripts_.clear();
    entered_.clear();
    root_.reset();
    workLeft_ = limits::kMaxWorkPerStep;
    root_ = newInstance(movie_->timeline(), 0);
    gotoFrame(*root_, 0);
    runScripts();
    ++version_;
}

std::shared_ptr<SpriteInstance> MoviePlayer::newInstance(const Timeline& timeline, int nesting)
{
    // The root is always made: a player has a timeline to show.
    if (nesting > 0 && (nesting > limits::kMaxNesting || *liveInstances_ >= limits::kMaxInstances || !spendWork()))
        return nullptr;
    ++*liveInstances_;
    std::weak_ptr<int> counter = liveInstances_;
    auto deleter = [counter](SpriteInstance* s) {
        if (auto c = counter.lock())
            --*c;
        delete s;
    };
    std::shared_ptr<SpriteInstance> instance(new SpriteInstance, deleter);
    instance->timeline = &timeline;
    instance->nesting = nesting;
    instance->bornAtStep = step_;
    return instance;
}

void MoviePlayer::gotoFrame(SpriteInstance& instance, int frame)
{
    const int count = instance.timeline->frameCount();
    if (count == 0)
        return;
    frame = std::clamp(frame, 0, count - 1);
    if (frame == instance.frame)
        return;
    if (frame > instance.frame) {
        for (int f = instance.frame + 1; f <= frame; ++f) {
            if (!spendWork()) {
                frame = f - 1; // out of work: the sprite stays where it got to
                break;
            }
            applyFrame(instance, f, nullptr);
        }
        if (frame == instance.frame)
            return;
    } else {
        // Going back rebuilds the display list from the first frame; sprites
        // that stand again where they stood keep running.
        std::map<int, DisplayObject> previous;
        previous.swap(instance.objects);
        for (int f = 0; f <= frame && spendWork(); ++f)
            applyFrame(instance, f, &previous);
        ++version_;
    }
    const Frame& entered = instance.timeline->frames[static_cast<size_t>(frame)];
    if (instance.timeline->stream || !entered.sounds.empty())
        entered_.push_back({instance.weak_from_this(), instance.frame, frame});
    instance.frame = frame;
    for (const ActionList& script : instance.timeline->frames[static_cast<size_t>(frame)].scripts)
        scripts_.push_back({instance.weak_from_this(), &script});
}

void MoviePlayer::applyFrame(SpriteInstance& instance, int frame, std::map<int, DisplayObject>* previous)
{
    const Frame& f = instance.timeline->frames[static_cast<size_t>(frame)];
    for (const FrameCommand& c : f.commands) {
        if (!spendWork())
            break;
        if (c.kind == FrameCommand::Kind::Remove)
            instance.objects.erase(c.place.depth);
        else
            place(instance, c.place, previous);
    }
    if (!f.commands.empty())
        ++version_;
}

void MoviePlayer::place(SpriteInstance& instance, const PlaceCommand& p, std::map<int, DisplayObject>* previous)
{
    auto it = instance.objects.find(p.depth);
    const bool exists = it != instance.objects.end();
    if (!p.hasCharacter && !(p.move && exists))
        return; // nothing to move at that depth
    if (!p.move || !exists) {
        DisplayObject fresh;
        std::shared_ptr<SpriteInstance> reuse;
        if (previous) {
            auto old = previous->find(p.depth);
            if (old != previous->end() && old->second.characterId == p.characterId)
                reuse = old->second.sprite;
        }
        DisplayObject& object = instance.objects[p.depth] = std::move(fresh);
        setCharacter(instance, object, p.characterId, std::move(reuse));
        it = instance.objects.find(p.depth);
    } else if (p.hasCharacter && it->second.characterId != p.characterId) {
        setCharacter(instance, it->second, p.characterId, nullptr);
    }
    DisplayObject& object = it->second;
    if (p.hasMatrix)
        object.matrix = p.matrix;
    if (p.hasColorTransform)
        object.colorTransform = p.colorTransform;
    if (p.hasRatio)
        object.ratio = p.ratio;
    if (p.hasClipDepth)
        object.clipDepth = p.clipDepth;
    if (p.hasBlendMode)
        object.blendMode = p.blendMode;
    if (p.hasVisible)
        object.visible = p.visible;
    if (p.hasFilters)
        object.filters = p.filters;
    if (p.hasCacheAsBitmap)
        object.cacheAsBitmap = p.cacheAsBitmap;
    if (p.hasBackground)
        object.background = p.background;
}

void MoviePlayer::setCharacter(SpriteInstance& instance, DisplayObject& object, quint16 id,
                               std::shared_ptr<SpriteInstance> reuse)
{
    object.characterId = id;
    object.character = movie_->character(id);
    object.sprite.reset();
    if (!object.character || object.character->kind != Character::Kind::Sprite)
        return;
    if (reuse) {
        object.sprite = std::move(reuse);
        return;
    }
    // The new sprite shows its first frame now and moves on from the next step.
    object.sprite = newInstance(*object.character->sprite, instance.nesting + 1);
    if (object.sprite)
        gotoFrame(*object.sprite, 0);
}

void MoviePlayer::step()
{
    ++step_;
    workLeft_ = limits::kMaxWorkPerStep;
    entered_.clear();
    advance(*root_);
    runScripts();
}

void MoviePlayer::advance(SpriteInstance& instance)
{
    if (instance.bornAtStep == step_ && &instance != root_.get())
        return;
    const int count = instance.timeline->frameCount();
    if (instance.playing && count > 1)
        gotoFrame(instance, instance.frame + 1 >= count ? 0 : instance.frame + 1);
    std::vector<std::shared_ptr<SpriteInstance>> children;
    for (auto& [depth, object] : instance.objects)
        if (object.sprite)
            children.push_back(object.sprite);
    for (auto& child : children)
        advance(*child);
}

void MoviePlayer::runScripts()
{
    int budget = limits::kMaxScriptsPerTick;
    while (!scripts_.empty() && budget-- > 0) {
        QueuedScript script = scripts_.front();
        scripts_.pop_front();
        if (auto instance = script.instance.lock())
            runActions(*instance, *script.actions);
    }
    scripts_.clear(); // a script loop that never settles is cut off here
}

void MoviePlayer::runActions(SpriteInstance& instance, const ActionList& actions)
{
    for (const Action& a : actions) {
        if (!spendWork())
            return;
        switch (a.kind) {
        case Action::Kind::Play:
            instance.playing = true;
            break;
        case Action::Kind::Stop:
            instance.playing = false;
            break;
        case Action::Kind::GotoFrame:
            // Going to a frame stops there; gotoAndPlay adds a Play after it.
            gotoFrame(instance, a.frame);
            instance.playing = false;
            break;
        case Action::Kind::GotoLabel: {
            const int frame = instance.timeline->findLabel(a.label);
            if (frame >= 0)
                gotoFrame(instance, frame);
            instance.playing = false;
            break;
        }
        case Action::Kind::NextFrame:
            gotoFrame(instance, instance.frame + 1);
            instance.playing = false;
            break;
        case Action::Kind::PreviousFrame:
            gotoFrame(instance, instance.frame - 1);
            instance.playing = false;
            break;
        }
    }
}

bool MoviePlayer::spendWork()
{
    if (workLeft_ <= 0)
        return false;
    --workLeft_;
    return true;
}

namespace {
bool animating(const SpriteInstance& instance)
{
    if (instance.playing && instance.timeline->frameCount() > 1)
        return true;
    for (const auto& [depth, object] : instance.objects)
        if (object.sprite && animating(*object.sprite))
            return true;
    return false;
}
} // namespace

bool MoviePlayer::isAnimating() const { return animating(*root_); }

void MoviePlayer::render(QPainter& painter, const QRect& viewport) const
{
    renderFrame(painter, *movie_, *root_, viewport, antialiased_, &layers_);
}

QImage MoviePlayer::renderImage(const QSize& size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(movie_->background());
    QPainter painter(&image);
    render(painter, image.rect());
    return image;
}

} // namespace movie
