#include "movie/play/MoviePlayer.h"

#include "movie/Interruption.h"
#include "movie/Limits.h"
#include "movie/avm1/Clock.h"
#include "movie/draw/EditField.h"
#include "movie/draw/MovieRenderer.h"

#include <QPainter>
#include <algorithm>

namespace movie {

namespace {

// Timeline depths lie below this one; scripts place from here on.
constexpr int kScriptDepths = 16384;
// The share of a step's work kept for the movie's own timeline.
constexpr int kRootReserve = limits::kMaxWorkPerStep / 10;

bool isSprite(const DisplayObject& o) { return o.character && o.character->kind == Character::Kind::Sprite; }

// A placement as a goto gathers it: the changes of every frame passed,
// merged per depth, with where it was made and in which order.
struct GotoPlace {
    PlaceCommand place;
    int frame = 0;
    int index = 0;
};

void merge(GotoPlace& into, const GotoPlace& next)
{
    PlaceCommand& p = into.place;
    const PlaceCommand& n = next.place;
    if (n.hasCharacter) {
        p.move = n.move;
        p.hasCharacter = true;
        p.characterId = n.characterId;
        into.frame = next.frame;
    }
    if (n.hasMatrix)
        p.hasMatrix = true, p.matrix = n.matrix;
    if (n.hasColorTransform)
        p.hasColorTransform = true, p.colorTransform = n.colorTransform;
    if (n.hasRatio)
        p.hasRatio = true, p.ratio = n.ratio;
    if (n.hasBlendMode)
        p.hasBlendMode = true, p.blendMode = n.blendMode;
    if (n.hasVisible)
        p.hasVisible = true, p.visible = n.visible;
    if (n.hasFilters)
        p.hasFilters = true, p.filters = n.filters;
    if (n.hasCacheAsBitmap)
        p.hasCacheAsBitmap = true, p.cacheAsBitmap = n.cacheAsBitmap;
    if (n.hasBackground)
        p.hasBackground = true, p.background = n.background;
    // Name, clip depth and event handlers stay those of the first placement.
}

} // namespace

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie, std::function<void(const QString&)> trace, Clock clock)
    : movie_(std::move(movie)), traceHandler_(std::move(trace)), liveInstances_(std::make_shared<int>(0)),
      clockKind_(clock)
{
    emptyTimeline_.frames.resize(1);
    emptyTimeline_.declaredFrames = emptyTimeline_.shownFrames = 1;
    emptyTimeline_.ended = true;
    container_.kind = Character::Kind::Sprite;
    rewind();
}

MoviePlayer::~MoviePlayer()
{
    // Sprites point at script objects: they go before the runtime.
    root_.reset();
    stage_.objects.clear();
}

void MoviePlayer::rewind()
{
    root_.reset();
    stage_.objects.clear();
    clips_.clear();
    pendingRemovals_.clear();
    initScriptsRun_.clear();
    quit_ = false;
    instanceNames_ = 0;
    clock_ = 0;
    movieSound_ = {};
    avm1::Host& host = *this;
    scripts_ = std::make_unique<avm1::Runtime>(host, movie_->version());
    workLeft_ = limits::kMaxWorkPerStep;
    root_ = newInstance(movie_->timeline(), 0);
    root_->movie = movie_;
    DisplayObject& level0 = stage_.objects[0];
    level0.character = &container_;
    level0.sprite = root_;
    enlist(*root_);
    scripts_->constructClip(*root_, nullptr, false, false);
    runStep();
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
    return instance;
}

void MoviePlayer::enlist(SpriteInstance& clip) { clips_.push_back(clip.weak_from_this()); }

QString MoviePlayer::defaultName() { return QStringLiteral("instance%1").arg(++instanceNames_); }

void MoviePlayer::step()
{
    if (quit_)
        return;
    runStep();
}

void MoviePlayer::runStep()
{
    soundCues_.clear();
    workLeft_ = limits::kMaxWorkPerStep;
    scripts_->beginStep();
    removePending();
    // Clips made during the step wait for the next one: only those there
    // now take their turn.
    std::vector<std::shared_ptr<SpriteInstance>> turn;
    for (const auto& weak : clips_)
        if (auto clip = weak.lock(); clip && !clip->removed)
            turn.push_back(std::move(clip));
    std::reverse(turn.begin(), turn.end());
    // Files asked for in earlier steps arrive now; clips they make wait
    // for the next step, as new clips do.
    scripts_->runLoads();
    // The movie's own timeline, the oldest, comes last: a share of the
    // work is kept for it, so that it goes on whatever its sprites cost.
    workLeft_ -= kRootReserve;
    for (const auto& clip : turn) {
        if (clip == root_)
            workLeft_ = std::max(workLeft_, 0) + kRootReserve;
        if (!clip->removed && spendWork())
            runFrame(*clip);
    }
    std::erase_if(clips_, [](const std::weak_ptr<SpriteInstance>& c) {
        auto clip = c.lock();
        return !clip || clip->removed;
    });
    scripts_->runQueue();
    if (clockKind_ == Clock::Frames)
        runClock(clock_ + framePeriod());
    scripts_->syncFieldVariables();
    scripts_->collectIfDue();
}

double MoviePlayer::framePeriod() const { return 1000.0 / std::clamp(movie_->frameRate(), 1.0, 120.0); }

void MoviePlayer::advanceClock(double ms)
{
    if (quit_ || !(ms > 0))
        return;
    runClock(clock_ + ms);
    scripts_->syncFieldVariables();
    scripts_->collectIfDue();
}

bool MoviePlayer::waitsOnClock() const { return avm1::waitsOnClock(*scripts_); }

void MoviePlayer::runClock(double ms)
{
    clock_ = ms;
    scripts_->setTime(clock_);
    // What falls due runs with a budget of its own.
    scripts_->beginStep();
    workLeft_ = limits::kMaxWorkPerStep;
    avm1::runDueTimers(*scripts_);
    avm1::finishSounds(*scripts_);
}

void MoviePlayer::placeField(SpriteInstance& parent, int depth, std::shared_ptr<EditField> field)
{
    DisplayObject& object = parent.objects[depth];
    field->parent = parent.weak_from_this();
    field->depth = depth;
    object.field = field;
    // A bound field sets its variable, or shows it, from the start.
    if (!field->variable.isEmpty())
        scripts_->fieldObject(*field);
}

void MoviePlayer::runFrame(SpriteInstance& clip)
{
    if (!clip.loaded) {
        clip.loaded = true;
        scripts_->dispatchEvent(clip, ClipAction::Load, "onLoad");
    } else {
        scripts_->dispatchEvent(clip, ClipAction::EnterFrame, "onEnterFrame");
    }
    if (clip.playing)
        advance(clip);
}

void MoviePlayer::advance(SpriteInstance& clip)
{
    const Timeline& t = *clip.timeline;
    const int shown = std::max(t.shownFrames, 1);
    if (clip.frame + 1 < shown) {
        applyFrame(clip, clip.frame + 1);
    } else if (shown > 1 && t.ended) {
        gotoFrame(clip, 0); // the end loops to the start
    } else {
        // A single frame, or a timeline cut off before its end, stops; tags
        // after its last frame still run once.
        clip.playing = false;
        if (clip.frame + 1 < t.frameCount())
            applyFrame(clip, clip.frame + 1);
    }
}

void MoviePlayer::runInitScripts(const Frame& frame, SpriteInstance& instance)
{
    for (const auto& [sprite, code] : frame.initScripts)
        if (initScriptsRun_.insert(&code).second)
            scripts_->runInitCode(movieRoot(instance), code);
}

SpriteInstance& MoviePlayer::movieRoot(SpriteInstance& clip)
{
    SpriteInstance* at = &clip;
    for (int guard = 0; guard <= limits::kMaxNesting; ++guard) {
        auto parent = at->parent.lock();
        if (!parent || parent->movie != clip.movie)
            break;
        at = parent.get();
    }
    return *at;
}

void MoviePlayer::applyFrame(SpriteInstance& instance, int frame)
{
    const Frame& f = instance.timeline->frames[static_cast<size_t>(frame)];
    noteEntry(instance, instance.frame, frame);
    instance.frame = frame;
    runInitScripts(f, instance);
    for (const FrameCommand& c : f.commands) {
        if (!spendWork())
            break;
        switch (c.kind) {
        case FrameCommand::Kind::Place:
            place(instance, c.place);
            break;
        case FrameCommand::Kind::Remove:
            removeChild(instance, c.place.depth);
            break;
        case FrameCommand::Kind::Script:
            scripts_->queueCode(instance, f.scripts[static_cast<size_t>(c.script)]);
            break;
        }
    }
    if (!f.commands.empty())
        ++version_;
}

void MoviePlayer::place(SpriteInstance& instance, const PlaceCommand& p)
{
    const auto it = instance.objects.find(p.depth);
    const bool exists = it != instance.objects.end();
    if (!p.move) {
        // A depth in use is not taken over; the player says so in its log.
        if (p.hasCharacter && !exists)
            instantiate(instance, p);
        else if (p.hasCharacter)
            trace(QStringLiteral("Warning: Failed to place object at depth %1.").arg(p.depth));
        return;
    }
    if (!exists)
        return; // nothing to move at that depth
    DisplayObject& object = it->second;
    if (p.hasCharacter && p.characterId != object.characterId && !object.sprite && !object.field) {
        // A shape changes its drawing in place; other objects keep theirs.
        const Character* c = instance.movie->character(p.characterId);
        if (c && c->kind != Character::Kind::Sprite && c->kind != Character::Kind::EditText && object.character
            && object.character->kind != Character::Kind::Sprite) {
            object.characterId = p.characterId;
            object.character = c;
        }
    }
    applyPlace(object, p);
}

void MoviePlayer::applyPlace(DisplayObject& object, const PlaceCommand& p)
{
    // What scripts moved, the timeline leaves alone.
    if ((object.sprite && object.sprite->transformedByScript) || (object.field && object.field->transformedByScript))
        return;
    if (p.hasMatrix) {
        object.matrix = p.matrix;
        if (object.sprite)
            object.sprite->transformCached = false;
    }
    if (p.hasColorTransform)
        object.colorTransform = p.colorTransform;
    if (p.hasRatio)
        object.ratio = p.ratio;
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

void MoviePlayer::noteEntry(SpriteInstance& instance, int from, int to)
{
    if (instance.movie != movie_)
        return; // a loaded movie plays without its sounds
    const Frame& entered = instance.timeline->frames[static_cast<size_t>(to)];
    if (instance.timeline->stream || !entered.sounds.empty()) {
        SoundCue cue;
        cue.instance = instance.weak_from_this();
        cue.from = from;
        cue.to = to;
        soundCues_.push_back(std::move(cue));
    }
}

DisplayObject* MoviePlayer::instantiate(SpriteInstance& parent, const PlaceCommand& p)
{
    DisplayObject& object = parent.objects[p.depth];
    object.characterId = p.characterId;
    object.character = parent.movie->character(p.characterId);
    // Sprites, buttons and text fields get a name if the file gives none.
    const bool named = object.character
        && (object.character->kind == Character::Kind::Sprite
            || object.character->scriptKind == Character::ScriptKind::TextField);
    object.name = p.name.isEmpty() && named ? defaultName() : p.name;
    if (p.hasClipDepth)
        object.clipDepth = p.clipDepth;
    applyPlace(object, p);
    ++version_;
    if (object.character && object.character->kind == Character::Kind::EditText) {
        placeField(parent, p.depth,
                   std::make_shared<EditField>(*object.character->editText, movie_->fonts(), movie_->version()));
        return &object;
    }
    if (!isSprite(object))
        return &object;
    std::shared_ptr<SpriteInstance> sprite = newInstance(*object.character->sprite, parent.nesting + 1);
    if (!sprite)
        return &object;
    sprite->parent = parent.weak_from_this();
    sprite->movie = parent.movie;
    sprite->depth = p.depth;
    sprite->clipActions = p.clipActions;
    object.sprite = sprite;
    enlist(*sprite);
    scripts_->constructClip(*sprite, nullptr, false, false);
    // A new sprite shows its first frame at once; its next turn is the next step.
    runFrame(*sprite);
    return &object;
}

void MoviePlayer::removeChild(SpriteInstance& parent, int depth)
{
    const auto it = parent.objects.find(depth);
    if (it == parent.objects.end())
        return;
    std::shared_ptr<SpriteInstance> sprite = it->second.sprite;
    if (it->second.field)
        it->second.field->removed = true;
    if (sprite && !sprite->pendingRemoval && delaysRemoval(*sprite)) {
        const int away = -depth - 1;
        if (!parent.objects.count(away)) {
            DisplayObject moved = std::move(it->second);
            parent.objects.erase(it);
            sprite->depth = away;
            parent.objects.emplace(away, std::move(moved));
            queueRemoval(*sprite);
            pendingRemovals_.push_back(sprite);
            return;
        }
    }
    parent.objects.erase(it);
    ++version_;
    if (sprite)
        unload(*sprite);
}

bool MoviePlayer::delaysRemoval(SpriteInstance& clip, int nesting)
{
    if (clip.clipActions)
        for (const ClipAction& action : *clip.clipActions)
            if (action.events & ClipAction::Unload)
                return true;
    if (clip.object && scripts_->hasProperty(clip.object, QStringLiteral("onUnload")))
        return true;
    if (nesting < limits::kMaxNesting)
        for (auto& [depth, child] : clip.objects)
            if (child.sprite && delaysRemoval(*child.sprite, nesting + 1))
                return true;
    return false;
}

void MoviePlayer::queueRemoval(SpriteInstance& clip)
{
    for (auto& [depth, child] : clip.objects)
        if (child.sprite)
            queueRemoval(*child.sprite);
    clip.pendingRemoval = true;
    scripts_->dispatchEvent(clip, ClipAction::Unload, "onUnload");
}

// A sprite leaving the display list: its children first, then itself get
// their unload events (unless they had them when their removal was put
// off), and it counts as removed.
void MoviePlayer::unload(SpriteInstance& clip)
{
    for (auto& [depth, child] : clip.objects)
        if (child.sprite)
            unload(*child.sprite);
    if (!clip.removed && !clip.pendingRemoval)
        scripts_->dispatchEvent(clip, ClipAction::Unload, "onUnload");
    clip.removed = true;
}

void MoviePlayer::removePending()
{
    std::vector<std::weak_ptr<SpriteInstance>> pending;
    pending.swap(pendingRemovals_);
    for (const auto& weak : pending) {
        auto clip = weak.lock();
        auto parent = clip ? clip->parent.lock() : nullptr;
        if (!clip || clip->removed)
            continue;
        if (parent) {
            const auto it = parent->objects.find(clip->depth);
            if (it != parent->objects.end() && it->second.sprite == clip) {
                parent->objects.erase(it);
                ++version_;
            }
        }
        unload(*clip);
    }
}

void MoviePlayer::gotoFrame(SpriteInstance& clip, int frame)
{
    const int count = clip.timeline->frameCount();
    if (count == 0)
        return;
    // A frame past the end shows the last one, but runs none of its scripts.
    const bool reached = frame < count;
    const int target = std::clamp(frame, 0, count - 1);
    if (target == clip.frame)
        return;
    // A goto acts as if the playhead ran there: the changes of every frame
    // passed are gathered per depth and applied once. Going back starts
    // again from the first frame; objects that stand in both keep running.
    const bool rewind = target < clip.frame;
    const int from = rewind ? -1 : clip.frame;
    std::vector<GotoPlace> places;
    int index = 0;
    for (int f = from + 1; f <= target; ++f) {
        const Frame& frame = clip.timeline->frames[static_cast<size_t>(f)];
        runInitScripts(frame, clip);
        for (const FrameCommand& c : frame.commands) {
            if (!spendWork())
                break;
            const int depth = c.place.depth;
            auto at = std::find_if(places.begin(), places.end(),
                                   [depth](const GotoPlace& g) { return g.place.depth == depth; });
            if (c.kind == FrameCommand::Kind::Place) {
                GotoPlace g{c.place, f, ++index};
                if (rewind && !c.place.move && c.place.hasCharacter) {
                    // Placed anew while rewinding: what it does not say is the default.
                    PlaceCommand& p = g.place;
                    p.hasMatrix = p.hasColorTransform = p.hasRatio = p.hasBlendMode = true;
                }
                if (at != places.end())
                    merge(*at, g);
                else
                    places.push_back(g);
            } else if (c.kind == FrameCommand::Kind::Remove) {
                if (at != places.end())
                    places.erase(at);
                if (!rewind)
                    removeChild(clip, depth);
            }
        }
    }
    if (rewind) {
        // Drop what will not stand at the target frame as it stands now.
        std::vector<int> dropped;
        for (auto& [depth, object] : clip.objects) {
            if (depth >= kScriptDepths)
                continue; // placed by scripts: the timeline leaves it alone
            const auto final = std::find_if(places.begin(), places.end(),
                                            [depth = depth](const GotoPlace& g) { return g.place.depth == depth; });
            bool survives = final != places.end() && !(object.sprite && object.sprite->placedByScript);
            if (survives) {
                const PlaceCommand& p = final->place;
                const bool ratioEqual = !p.hasRatio || p.ratio == object.ratio;
                if (object.sprite || object.field) {
                    survives = ratioEqual && (object.sprite || p.characterId == object.characterId);
                } else {
                    survives = ratioEqual && p.hasCharacter && p.characterId == object.characterId
                        && (!p.hasClipDepth || p.clipDepth == object.clipDepth)
                        && (!p.hasMatrix || p.matrix == object.matrix)
                        && (!p.hasColorTransform || p.colorTransform == object.colorTransform);
                }
            }
            if (!survives)
                dropped.push_back(depth);
        }
        for (int depth : dropped)
            removeChild(clip, depth);
    }
    std::sort(places.begin(), places.end(), [](const GotoPlace& a, const GotoPlace& b) { return a.index < b.index; });
    auto run = [&](const GotoPlace& g) {
        if (!spendWork())
            return;
        const PlaceCommand& p = g.place;
        const auto it = clip.objects.find(p.depth);
        if (it != clip.objects.end()) {
            if (rewind || !p.hasCharacter)
                applyPlace(it->second, p);
            else
                place(clip, p);
        } else if (p.hasCharacter) {
            instantiate(clip, p);
        }
    };
    // Objects placed before the target frame come first, then the target
    // frame's own scripts, then what that frame places.
    for (const GotoPlace& g : places)
        if (g.frame < target)
            run(g);
    noteEntry(clip, clip.frame, target);
    clip.frame = target;
    const Frame& f = clip.timeline->frames[static_cast<size_t>(target)];
    for (const FrameCommand& c : f.commands)
        if (c.kind == FrameCommand::Kind::Script && reached)
            scripts_->queueCode(clip, f.scripts[static_cast<size_t>(c.script)]);
    for (const GotoPlace& g : places)
        if (g.frame >= target)
            run(g);
    ++version_;
}

bool MoviePlayer::spendWork()
{
    if (workLeft_ % 1024 == 0 && interruptionRequested())
        workLeft_ = 0; // let go: the rest of the step is not needed
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

bool MoviePlayer::isAnimating() const
{
    if (quit_)
        return false;
    if (scripts_->loadsPending() || waitsOnClock())
        return true; // what arrives or falls due changes the picture
    for (const auto& [number, level] : stage_.objects)
        if (level.sprite && animating(*level.sprite))
            return true;
    // A still timeline moves while scripts run on every frame.
    for (const auto& weak : clips_) {
        const auto clip = weak.lock();
        if (!clip || clip->removed)
            continue;
        if (clip->clipActions)
            for (const ClipAction& action : *clip->clipActions)
                if (action.events & ClipAction::EnterFrame)
                    return true;
        if (clip->object && scripts_->hasProperty(clip->object, QStringLiteral("onEnterFrame")))
            return true;
    }
    return false;
}

void MoviePlayer::render(QPainter& painter, const QRect& viewport) const
{
    renderFrame(painter, *movie_, stage_, viewport, antialiased_, &layers_);
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
