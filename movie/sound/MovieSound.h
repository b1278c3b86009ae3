#pragma once

#include "movie/play/MoviePlayer.h"
#include "movie/sound/SoundMixer.h"

#include <functional>
#include <memory>
#include <vector>

namespace movie {

class Movie;

// The sound of a playing movie: starts and stops its event sounds and the
// streams of its timelines as the player enters frames, and mixes them.
//
// A stream keeps to its timeline: it plays while the timeline moves on
// frame by frame, starts anew where the timeline jumps, and ends when the
// timeline stops, goes away or reaches a frame without a block. The movie's
// own stream also sets the pace of the frames (samplesPerFrame), so that
// the picture follows the sound when the two disagree.
class MovieSound {
public:
    explicit MovieSound(std::shared_ptr<const Movie> movie);
    ~MovieSound();

    // Takes the player's sound cues since the last call (its last step or
    // rewind) and starts and stops sounds accordingly. A script's
    // stopAllSounds() ends them all; a stream starts again at the next
    // frame of its timeline that carries a block.
    void follow(MoviePlayer& player);
    void stopAll();
    // The next `frames` stereo sample frames at kMixRate.
    void render(float* out, int frames) { mixer_.render(out, frames); }

    // Mixer samples per frame of the movie's timeline.
    double samplesPerFrame() const;
    bool isSounding() const { return mixer_.playingCount() > 0; }
    const Movie& movie() const { return *movie_; }
    const QStringList& warnings() const { return mixer_.warnings(); }

private:
    struct Stream;
    // A sound playing under a clip's sound transform (or the movie's only).
    struct Owned {
        SoundMixer::VoiceId voice = 0;
        std::weak_ptr<const SpriteInstance> owner;
        bool movieOwned = false;
        bool byScript = false; // a Sound object's, which ends with its clip
        quint16 soundId = 0;
    };
    void startOrStop(const SoundStart& start, const std::shared_ptr<const SpriteInstance>& instance);
    void followScript(const MoviePlayer::SoundCue& cue);
    void followStream(const std::shared_ptr<const SpriteInstance>& instance, int from, int to);
    // Gives every playing sound the volume and balance of its clip and the
    // clips it stands in, and of the whole movie.
    void applyTransforms(const SoundTransform& movie);

    std::shared_ptr<const Movie> movie_;
    SoundMixer mixer_;
    std::vector<Stream> streams_;
    std::vector<Owned> owned_;
};

// Plays `frames` frames of the player's movie from where it stands (its
// current frame first, then a step a frame) and hands the sound to `sink`,
// frame by frame: stereo floats at kMixRate, `count` sample frames at a time.
void renderMovieSound(MoviePlayer& player, MovieSound& sound, int frames,
                      const std::function<void(const float* samples, int count)>& sink);

} // namespace movie
