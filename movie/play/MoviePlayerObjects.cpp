// What the player does for its scripts' built-in objects: the stage, hit
// tests on what clips draw, and the sounds of Sound objects.

#include "movie/draw/HitTest.h"
#include "movie/play/MoviePlayer.h"

#include <cmath>

namespace movie {

QRectF MoviePlayer::stageRect() { return movie_->stage(); }

bool MoviePlayer::hitTestShape(SpriteInstance& clip, QPointF rootPoint)
{
    auto on = [&](const SpriteInstance& sprite) {
        const QTransform t = transformToRoot(sprite);
        return t.isInvertible() && spriteDrawsAt(sprite, t.inverted().map(rootPoint));
    };
    if (!on(clip))
        return false;
    // A mask that a script gave the clip cuts it here too.
    const auto mask = clip.mask.lock();
    return !mask || mask->removed || on(*mask);
}

quint16 MoviePlayer::exportedSound(const QString& name, double& durationMs)
{
    for (const auto& [exported, id] : movie_->exports()) {
        if (exported.compare(name, Qt::CaseInsensitive) != 0) // whatever the version
            continue;
        const SoundDef* sound = movie_->sounds().sound(id);
        if (!sound)
            return 0;
        const double rate = sound->format.rate > 0 ? sound->format.rate : 44100;
        durationMs = std::floor(sound->sampleCount * 1000.0 / rate);
        return id;
    }
    return 0;
}

void MoviePlayer::startSound(quint16 id, double offset, int loops, SpriteInstance* owner)
{
    SoundCue cue;
    cue.script = SoundCue::Script::Start;
    cue.soundId = id;
    cue.offset = offset;
    cue.loops = loops;
    if (owner)
        cue.owner = owner->weak_from_this();
    cue.movieOwned = owner == nullptr;
    soundCues_.push_back(std::move(cue));
}

void MoviePlayer::stopSound(quint16 id, SpriteInstance* owner)
{
    SoundCue cue;
    cue.script = SoundCue::Script::Stop;
    cue.soundId = id;
    if (owner)
        cue.owner = owner->weak_from_this();
    cue.movieOwned = owner == nullptr;
    soundCues_.push_back(std::move(cue));
}

} // namespace movie
