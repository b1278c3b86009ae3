#include "movie/sound/MovieSound.h"

#include "movie/Limits.h"

#include <algorithm>
#include <cmath>

namespace movie {

namespace {

// A timeline's stream blocks from a frame on, up to the first frame without one.
class StreamBlocks : public CodedPieces {
public:
    StreamBlocks(const Timeline& timeline, int frame) : timeline_(timeline), frame_(frame) {}
    bool next(QByteArray& piece) override
    {
        if (frame_ >= timeline_.frameCount())
            return false;
        piece = timeline_.frames[std::size_t(frame_++)].streamBlock;
        return !piece.isEmpty();
    }

private:
    const Timeline& timeline_;
    int frame_;
};

} // namespace

struct MovieSound::Stream {
    std::weak_ptr<const SpriteInstance> instance;
    SoundMixer::VoiceId voice = 0;
    int frame = -1;    // the frame its timeline stands at
    bool seen = false; // its timeline entered a frame in this step
};

MovieSound::MovieSound(std::shared_ptr<const Movie> movie) : movie_(std::move(movie)) {}

MovieSound::~MovieSound() = default;

double MovieSound::samplesPerFrame() const
{
    const std::optional<SoundStreamHead>& stream = movie_->timeline().stream;
    double perFrame = kMixRate / std::clamp(movie_->frameRate(), 1.0, 120.0);
    if (stream && stream->samplesPerBlock > 0)
        perFrame = stream->samplesPerBlock * (kMixRate / stream->format.rate);
    return std::clamp(perFrame, kMixRate / 120.0, double(kMixRate));
}

void MovieSound::stopAll()
{
    mixer_.stopAll();
    streams_.clear();
    owned_.clear();
}

void MovieSound::startOrStop(const SoundStart& start, const std::shared_ptr<const SpriteInstance>& instance)
{
    const SoundCatalog& catalog = movie_->sounds();
    const quint16 id = start.className.isEmpty() ? start.soundId : catalog.soundNamed(start.className);
    const SoundDef* sound = catalog.sound(id);
    if (!sound)
        return;
    if (start.info.stop) {
        mixer_.stopSound(id);
    } else if (!(start.info.noMultiple && mixer_.isPlaying(id))) {
        if (const SoundMixer::VoiceId voice = mixer_.startSound(id, *sound, start.info))
            owned_.push_back({voice, instance, false, false, id});
    }
}

void MovieSound::followScript(const MoviePlayer::SoundCue& cue)
{
    const auto owner = cue.owner.lock();
    if (!cue.movieOwned && (!owner || owner->removed))
        return;
    if (cue.script == MoviePlayer::SoundCue::Script::Start) {
        const SoundDef* sound = movie_->sounds().sound(cue.soundId);
        if (!sound)
            return;
        SoundInfo info;
        info.inPoint = quint32(std::clamp(cue.offset * kMixRate, 0.0, 4e9));
        info.loops = cue.loops;
        if (const SoundMixer::VoiceId voice = mixer_.startSound(cue.soundId, *sound, info))
            owned_.push_back({voice, cue.owner, cue.movieOwned, true, cue.soundId});
        return;
    }
    // A stop of the whole movie's ends its sounds, or every copy of one;
    // a clip's ends what its Sound objects started.
    if (cue.movieOwned) {
        if (cue.soundId == 0)
            stopAll();
        else
            mixer_.stopSound(cue.soundId);
        return;
    }
    for (const Owned& o : owned_)
        if (o.byScript && o.owner.lock() == owner && (cue.soundId == 0 || o.soundId == cue.soundId))
            mixer_.stop(o.voice);
}

void MovieSound::applyTransforms(const SoundTransform& movie)
{
    // Each level's volume and balance as a matrix from the sound's two
    // channels to the speakers; a clip's applies within its parent's.
    struct Gain {
        double ll = 1, lr = 0, rl = 0, rr = 1;
        Gain then(const SoundTransform& t) const
        {
            const double v = t.volume / 100;
            const double a = t.ll / 100 * v, b = t.lr / 100 * v, c = t.rl / 100 * v, d = t.rr / 100 * v;
            return {a * ll + b * rl, a * lr + b * rr, c * ll + d * rl, c * lr + d * rr};
        }
    };
    auto gainsOf = [&](const SpriteInstance* owner) {
        std::vector<const SpriteInstance*> chain;
        for (const SpriteInstance* at = owner; at && chain.size() <= std::size_t(limits::kMaxNesting) + 1;
             at = at->parent.lock().get())
            chain.push_back(at);
        Gain g;
        for (const SpriteInstance* at : chain)
            g = g.then(at->sound);
        g = g.then(movie);
        return SoundMixer::Gains{float(g.ll), float(g.lr), float(g.rl), float(g.rr)};
    };
    std::erase_if(owned_, [&](const Owned& o) {
        const auto owner = o.owner.lock();
        // A Sound object's sound ends with the clip it belongs to.
        if (o.byScript && !o.movieOwned && (!owner || owner->removed))
            mixer_.stop(o.voice);
        if (!mixer_.isVoicePlaying(o.voice))
            return true;
        mixer_.setGains(o.voice, gainsOf(o.movieOwned ? nullptr : owner.get()));
        return false;
    });
    for (const Stream& stream : streams_)
        if (const auto instance = stream.instance.lock(); instance && stream.voice)
            mixer_.setGains(stream.voice, gainsOf(instance.get()));
}

void MovieSound::followStream(const std::shared_ptr<const SpriteInstance>& instance, int from, int to)
{
    const Timeline& timeline = *instance->timeline;
    auto it =
        std::find_if(streams_.begin(), streams_.end(), [&](const Stream& s) { return s.instance.lock() == instance; });
    if (it == streams_.end()) {
        streams_.push_back(Stream{instance, 0, -1, false});
        it = streams_.end() - 1;
    }
    Stream& stream = *it;
    stream.seen = true;
    // Moving on to the next frame, the stream goes on with the blocks it
    // reads ahead; anything else starts it anew where the timeline stands.
    const bool goesOn = stream.frame >= 0 && from == stream.frame && to == from + 1
        && !timeline.frames[std::size_t(from)].streamBlock.isEmpty();
    stream.frame = to;
    if (goesOn)
        return;
    mixer_.stop(stream.voice);
    stream.voice = 0;
    if (!timeline.frames[std::size_t(to)].streamBlock.isEmpty())
        stream.voice = mixer_.startStream(*timeline.stream, std::make_unique<StreamBlocks>(timeline, to));
}

void MovieSound::follow(MoviePlayer& player)
{
    for (const MoviePlayer::SoundCue& cue : player.takeSoundCues()) {
        if (cue.stopsAllSounds) {
            stopAll();
            continue;
        }
        if (cue.script != MoviePlayer::SoundCue::Script::None) {
            followScript(cue);
            continue;
        }
        const auto instance = cue.instance.lock();
        if (!instance)
            continue;
        const Timeline& timeline = *instance->timeline;
        for (const SoundStart& start : timeline.frames[std::size_t(cue.to)].sounds)
            startOrStop(start, instance);
        if (timeline.stream)
            followStream(instance, cue.from, cue.to);
    }
    // A stream ends with its timeline's run: a timeline that did not move on,
    // was stopped or is gone.
    std::erase_if(streams_, [this](Stream& s) {
        const auto instance = s.instance.lock();
        const bool goesOn = instance && s.seen && instance->playing;
        s.seen = false;
        if (!goesOn)
            mixer_.stop(s.voice);
        return !goesOn;
    });
    applyTransforms(player.soundTransform());
}

void renderMovieSound(MoviePlayer& player, MovieSound& sound, int frames,
                      const std::function<void(const float* samples, int count)>& sink)
{
    const double perFrame = sound.samplesPerFrame();
    std::vector<float> buffer;
    qint64 written = 0;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0)
            player.step();
        sound.follow(player);
        const qint64 end = std::llround((frame + 1) * perFrame);
        const int count = int(end - written);
        buffer.resize(std::size_t(count) * 2);
        sound.render(buffer.data(), count);
        sink(buffer.data(), count);
        written = end;
    }
}

} // namespace movie
