#include "movie/sound/MovieSound.h"

#include "movie/play/MoviePlayer.h"

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
}

void MovieSound::startOrStop(const SoundStart& start)
{
    const SoundCatalog& catalog = movie_->sounds();
    const quint16 id = start.className.isEmpty() ? start.soundId : catalog.soundNamed(start.className);
    const SoundDef* sound = catalog.sound(id);
    if (!sound)
        return;
    if (start.info.stop)
        mixer_.stopSound(id);
    else if (!(start.info.noMultiple && mixer_.isPlaying(id)))
        mixer_.startSound(id, *sound, start.info);
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
        const auto instance = cue.instance.lock();
        if (!instance)
            continue;
        const Timeline& timeline = *instance->timeline;
        for (const SoundStart& start : timeline.frames[std::size_t(cue.to)].sounds)
            startOrStop(start);
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
