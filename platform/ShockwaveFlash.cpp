#include "platform/ShockwaveFlash.h"

#include "base/EditorError.h"
#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"
#include "platform/MovieAudio.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// How often the scripts' timers are looked at between frames.
constexpr int kScriptClockMs = 10;

} // namespace

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    clock_.setTimerType(Qt::PreciseTimer);
    connect(&clock_, &QTimer::timeout, this, &TShockwaveFlash::tick);
    scriptClock_.setTimerType(Qt::PreciseTimer);
    scriptClock_.setInterval(kScriptClockMs);
    connect(&scriptClock_, &QTimer::timeout, this, &TShockwaveFlash::scriptTick);
}

TShockwaveFlash::~TShockwaveFlash() = default;

TShockwaveFlash::Seen TShockwaveFlash::seen(const movie::MoviePlayer& player)
{
    return {player.currentFrame(), player.isAnimating(), player.version(), player.waitsOnClock(), player.warnings()};
}

bool TShockwaveFlash::hiddenOnPurpose() const { return isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide); }

QSize TShockwaveFlash::frameSize() const { return (QSizeF(size()) * devicePixelRatioF()).toSize().expandedTo({1, 1}); }

void TShockwaveFlash::setMovie(const QString& path)
{
    clock_.stop();
    scriptClock_.stop();
    resumeOnShow_ = playWhenLoaded_ = loading_ = false;
    if (audio_)
        audio_->silence();
    // A job of the movie before ends soon; the movie is let go on the
    // engine's thread too, as a large one takes a while to free.
    engine_.cancel();
    if (player_)
        engine_.run([player = std::exchange(player_, nullptr),
                     movie = std::exchange(movie_, nullptr)]() mutable -> EngineThread::Done {
            player.reset();
            movie.reset();
            return {};
        });
    frame_ = QImage();
    seen_ = Seen{};
    warningsLogged_ = 0;
    drawnVersion_ = 0;
    moviePath_ = path;
    if (!hiddenOnPurpose())
        load();
    update();
}

void TShockwaveFlash::load()
{
    if (!QFileInfo::exists(moviePath_))
        return;
    loading_ = true;
    engine_.run([this, path = moviePath_, size = frameSize()]() -> EngineThread::Done {
        std::shared_ptr<const movie::Movie> movie;
        try {
            // The same file, named in messages with single separators
            // (the menu's own path has a doubled one).
            movie = movie::Movie::load(QDir::toNativeSeparators(QDir::cleanPath(path)));
        } catch (const movie::MovieError& e) {
            return [this, text = e.text()] {
                loading_ = false;
                update();
                throw EditorError(text);
            };
        }
        // Runs the first frame's scripts; their timers follow the wall clock.
        auto player = std::make_shared<movie::MoviePlayer>(movie, nullptr, movie::MoviePlayer::Clock::Own);
        player->setFolder(QFileInfo(path).absolutePath()); // the files its scripts load
        const QImage frame = player->renderImage(size);
        return [this, movie, player, frame, state = seen(*player)] {
            loading_ = false;
            movie_ = movie;
            player_ = player;
            showFrame(frame, state);
            if (std::exchange(playWhenLoaded_, false))
                Play();
        };
    });
}

void TShockwaveFlash::Play()
{
    // Hidden on purpose (not merely never shown): wait until it shows.
    if (hiddenOnPurpose()) {
        resumeOnShow_ = true;
        if (player_)
            engine_.whenIdle([player = player_] { player->play(); });
        return;
    }
    if (!player_) {
        if (!loading_)
            load(); // not read yet, or its reading was stopped
        playWhenLoaded_ = loading_;
        return;
    }
    engine_.whenIdle([player = player_] { player->play(); });
    startPlaying();
}

void TShockwaveFlash::startPlaying()
{
    scriptTime_.start();
    scriptTimeTaken_ = 0;
    startClock();
    if (seen_.waitsOnClock)
        scriptClock_.start();
    if (movie_->sounds().hasSound()) {
        // The sound starts from where the player stands: once no job has it.
        engine_.whenIdle([this, player = player_] {
            if (player != player_ || !clock_.isActive())
                return;
            if (!audio_)
                audio_ = std::make_unique<MovieAudio>();
            audio_->start(movie_, *player_);
            startClock();
        });
    }
}

double TShockwaveFlash::takeScriptTime()
{
    const qint64 now = scriptTime_.elapsed();
    return double(now - std::exchange(scriptTimeTaken_, now));
}

void TShockwaveFlash::scriptTick()
{
    if (!player_ || !clock_.isActive()) {
        scriptClock_.stop();
        return;
    }
    if (engine_.busy())
        return; // the time is taken by the next job
    engine_.run([this, player = player_, ms = takeScriptTime(), size = frameSize(),
                 drawn = drawnVersion_]() -> EngineThread::Done {
        player->advanceClock(ms);
        const Seen state = seen(*player);
        QImage frame;
        if (state.version != drawn)
            frame = player->renderImage(size);
        return [this, frame, state] {
            if (audio_ && audio_->isRunning())
                audio_->follow(*player_);
            showFrame(frame, state);
            if (!state.waitsOnClock)
                scriptClock_.stop();
        };
    });
}

void TShockwaveFlash::Stop()
{
    clock_.stop();
    scriptClock_.stop();
    resumeOnShow_ = playWhenLoaded_ = false;
    if (loading_) {
        loading_ = false;
        engine_.cancel(); // Play reads the movie again
    } else if (player_) {
        engine_.cancel();
        engine_.whenIdle([player = player_] { player->stop(); });
    }
    if (audio_)
        audio_->silence();
}

bool TShockwaveFlash::IsPlaying() const { return (player_ && clock_.isActive()) || (loading_ && playWhenLoaded_); }

bool TShockwaveFlash::IsSounding() const { return audio_ && audio_->isSounding(); }

quint64 TShockwaveFlash::soundBuffersDelivered() const { return audio_ ? audio_->buffersDelivered() : 0; }

int TShockwaveFlash::CurrentFrame() const { return player_ ? seen_.frame : 0; }

void TShockwaveFlash::startClock()
{
    // With sound the frames follow the sound's clock, looked at twice a frame.
    if (audio_ && audio_->isRunning()) {
        clock_.start(std::max(5, static_cast<int>(audio_->frameMilliseconds() / 2)));
        return;
    }
    clock_.start(frameInterval());
}

int TShockwaveFlash::frameInterval() const
{
    const double fps = std::clamp(movie_->frameRate(), 1.0, 120.0);
    return static_cast<int>(std::lround(1000.0 / fps));
}

void TShockwaveFlash::tick()
{
    if (!player_) {
        clock_.stop();
        return;
    }
    // The engine is still at the last frame: this tick is let go. With
    // sound the frames it would have stepped stay due for the next.
    if (engine_.busy())
        return;
    if (audio_ && audio_->isRunning()) {
        step(audio_->takeDueFrames());
    } else {
        step(1);
        // Silenced by another movie's preview: back to this movie's own pace.
        if (clock_.interval() != frameInterval())
            clock_.setInterval(frameInterval());
    }
}

void TShockwaveFlash::step(int steps)
{
    if (steps <= 0)
        return;
    engine_.run([this, player = player_, steps, size = frameSize(), drawn = drawnVersion_, drawnSize = frame_.size(),
                 ms = takeScriptTime()]() -> EngineThread::Done {
        player->advanceClock(ms);
        player->step();
        const Seen state = seen(*player);
        QImage frame;
        if (steps == 1 && (state.version != drawn || size != drawnSize))
            frame = player->renderImage(size);
        return [this, steps, frame, state] {
            // The player is back: the sound takes the frame's cues.
            if (audio_ && audio_->isRunning())
                audio_->follow(*player_);
            showFrame(frame, state);
            if (state.waitsOnClock && clock_.isActive() && !scriptClock_.isActive())
                scriptClock_.start();
            if (steps > 1 && clock_.isActive()) {
                step(steps - 1);
                return;
            }
            // A movie that has come to rest cannot change again until
            // Play; its last sounds play out, then the audio device is let go.
            if (!state.animating && !(audio_ && audio_->isSounding())) {
                clock_.stop();
                if (audio_)
                    audio_->silence();
            }
        };
    });
}

void TShockwaveFlash::redraw()
{
    engine_.run([this, player = player_, size = frameSize()]() -> EngineThread::Done {
        return [this, frame = player->renderImage(size), state = seen(*player)] { showFrame(frame, state); };
    });
}

void TShockwaveFlash::showFrame(const QImage& frame, const Seen& state)
{
    seen_ = state;
    // The control shows no messages of its own: what the limits cut off goes to the log.
    for (; warningsLogged_ < state.warnings.size(); ++warningsLogged_)
        qWarning().noquote() << "The title movie:" << state.warnings.at(warningsLogged_);
    if (frame.isNull())
        return;
    drawnVersion_ = state.version;
    frame_ = frame;
    frame_.setDevicePixelRatio(devicePixelRatioF());
    update();
}

void TShockwaveFlash::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    resumeOnShow_ = resumeOnShow_ || clock_.isActive() || playWhenLoaded_;
    clock_.stop();
    scriptClock_.stop();
    if (audio_)
        audio_->silence();
    // Nothing of a hidden movie is wanted now: a reading starts again on showing.
    if (loading_ || engine_.busy())
        engine_.cancel();
    loading_ = playWhenLoaded_ = false;
}

void TShockwaveFlash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!player_ && !loading_)
        load();
    if (resumeOnShow_ && player_)
        startPlaying();
    else if (resumeOnShow_)
        playWhenLoaded_ = loading_;
    resumeOnShow_ = false;
}

void TShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (frame_.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    // A frame of another size (the control was resized) is shown scaled
    // until the engine draws it anew.
    painter.drawImage(rect(), frame_);
    if (player_ && frame_.size() != frameSize() && !engine_.busy())
        redraw();
}
