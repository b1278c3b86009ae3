#include "platform/MovieAudio.h"

#include "base/EditorError.h"
#include "movie/play/MoviePlayer.h"
#include "movie/sound/MovieSound.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

namespace {

// Mixed a little at a time, so a started sound is heard within about 12 ms.
constexpr int kBufferFrames = 512;
// A timeline behind its sound catches up this many frames a tick at most.
constexpr int kMaxFramesATick = 8;

MovieAudio* sounding = nullptr; // the movie that sounds now, if any

} // namespace

MovieAudio::MovieAudio() = default;

MovieAudio::~MovieAudio() { silence(); }

void MovieAudio::start(const std::shared_ptr<const movie::Movie>& movie, movie::MoviePlayer& player)
{
    if (sounding && sounding != this)
        sounding->silence();
    sounding = this;
    {
        // Under the lock in case the device is still open from an earlier Play.
        const AudioOutput::Lock lock(output_);
        if (!sound_ || &sound_->movie() != movie.get()) {
            sound_ = std::make_unique<movie::MovieSound>(movie);
        }
        sound_->follow(player);
        perFrame_ = sound_->samplesPerFrame();
        samplesRendered_ = 0;
    }
    framesTaken_ = 0;
    running_ = true;
    // The device is held only while the movie sounds: some audio drivers
    // offer a single device, which the music preview may want next. The mix
    // is ready before it opens, and it is unpaused at once, so that its
    // first buffer already carries the sound.
    if (!output_.isOpen()) {
        try {
            output_.open(kRate, 2, kBufferFrames, [this](float* out, int frames) { render(out, frames); });
        } catch (const EditorError& e) {
            // No sound, but the preview goes on.
            qWarning().noquote() << "The title movie plays without sound:" << e.text();
        }
    }
    output_.pause(false);
    wallClock_.start();
}

void MovieAudio::follow(movie::MoviePlayer& player)
{
    if (!sound_)
        return;
    const AudioOutput::Lock lock(output_);
    sound_->follow(player);
}

void MovieAudio::silence()
{
    if (sounding == this)
        sounding = nullptr;
    running_ = false;
    output_.close(); // no mixing after this returns
    if (sound_)
        sound_->stopAll();
}

int MovieAudio::takeDueFrames()
{
    if (!running_)
        return 0;
    const double samples =
        output_.isOpen() ? double(samplesRendered_.load()) : double(wallClock_.nsecsElapsed()) * kRate / 1e9;
    const auto due = int(std::clamp<qint64>(qint64(samples / perFrame_) - framesTaken_, 0, kMaxFramesATick));
    framesTaken_ += due;
    return due;
}

bool MovieAudio::isSounding() const
{
    if (!running_ || !output_.isOpen() || !sound_)
        return false;
    const AudioOutput::Lock lock(output_);
    return sound_->isSounding();
}

void MovieAudio::render(float* out, int frames)
{
    // Runs on the audio thread, under the output's lock.
    if (sound_)
        sound_->render(out, frames);
    else
        std::fill(out, out + 2 * frames, 0.0f);
    samplesRendered_ += frames;
    ++buffers_;
}
