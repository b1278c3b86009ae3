#pragma once

#include "platform/AudioOutput.h"

#include <QElapsedTimer>
#include <atomic>
#include <memory>

namespace movie {
class Movie;
class MoviePlayer;
class MovieSound;
} // namespace movie

// The sound of the title movie in the preview: the movie's mix played on an
// audio device, and the clock that paces the frames by what the device has
// taken, so the picture keeps to the sound. Only one movie sounds at a time:
// starting one silences the other.
//
// It never fails a preview: without the sound library or an audio device
// the movie plays in silence, its frames paced by the wall clock.
class MovieAudio {
public:
    MovieAudio();
    ~MovieAudio();
    MovieAudio(const MovieAudio&) = delete;
    MovieAudio& operator=(const MovieAudio&) = delete;

    // Starts the sound of `movie`, which `player` plays, from the player's
    // current frame (opening the device on first use), and the clock.
    void start(const std::shared_ptr<const movie::Movie>& movie, movie::MoviePlayer& player);
    // Passes the frames the player entered in its last step to the mix.
    void follow(movie::MoviePlayer& player);
    // Ends every sound of the movie, lets the device go and stops the clock.
    void silence();
    bool isRunning() const { return running_; }
    // Frames the timeline is due to step now: the clock's time in frames of
    // the movie, less the frames already taken.
    int takeDueFrames();
    // The length of a frame by the movie's sound, in milliseconds.
    double frameMilliseconds() const { return perFrame_ * 1000.0 / kRate; }

    // Whether the device is playing and anything of the movie sounds.
    bool isSounding() const;
    // Buffers of mixed sound handed to the device so far.
    quint64 buffersDelivered() const { return buffers_.load(); }

private:
    static constexpr int kRate = 44100;
    void render(float* out, int frames);

    AudioOutput output_;
    std::unique_ptr<movie::MovieSound> sound_; // changed only under the output's lock
    bool running_ = false;
    double perFrame_ = kRate / 12.0; // mixer samples a frame
    qint64 framesTaken_ = 0;
    QElapsedTimer wallClock_;
    std::atomic<qint64> samplesRendered_{0};
    std::atomic<quint64> buffers_{0};
};
