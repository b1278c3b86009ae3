#include "platform/ShockwaveFlash.h"

#include "base/EditorError.h"
#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"
#include "platform/MovieAudio.h"

#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    clock_.setTimerType(Qt::PreciseTimer);
    connect(&clock_, &QTimer::timeout, this, &TShockwaveFlash::tick);
}

TShockwaveFlash::~TShockwaveFlash() = default;

void TShockwaveFlash::setMovie(const QString& path)
{
    clock_.stop();
    resumeOnShow_ = false;
    if (audio_)
        audio_->silence();
    player_.reset();
    movie_.reset();
    frame_ = QImage();
    moviePath_ = path;
    frameVersion_ = ~0ull;
    if (QFileInfo::exists(path)) {
        try {
            movie_ = movie::Movie::load(path);
            player_ = std::make_unique<movie::MoviePlayer>(movie_);
            player_->setFolder(QFileInfo(path).absolutePath()); // the files its scripts load
        } catch (const movie::MovieError& e) {
            update();
            throw EditorError(e.text());
        }
    }
    update();
}

void TShockwaveFlash::Play()
{
    if (!player_)
        return;
    player_->play();
    // Hidden on purpose (not merely never shown): wait until it shows.
    if (isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide))
        resumeOnShow_ = true;
    else
        startPlaying();
}

void TShockwaveFlash::startPlaying()
{
    if (movie_->sounds().hasSound()) {
        if (!audio_)
            audio_ = std::make_unique<MovieAudio>();
        audio_->start(movie_, *player_);
    }
    startClock();
}

void TShockwaveFlash::Stop()
{
    clock_.stop();
    resumeOnShow_ = false;
    if (player_)
        player_->stop();
    if (audio_)
        audio_->silence();
}

bool TShockwaveFlash::IsPlaying() const { return player_ && clock_.isActive(); }

bool TShockwaveFlash::IsSounding() const { return audio_ && audio_->isSounding(); }

quint64 TShockwaveFlash::soundBuffersDelivered() const { return audio_ ? audio_->buffersDelivered() : 0; }

int TShockwaveFlash::CurrentFrame() const { return player_ ? player_->currentFrame() : 0; }

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
    const double fps = std::clamp(player_->movie().frameRate(), 1.0, 120.0);
    return static_cast<int>(std::lround(1000.0 / fps));
}

void TShockwaveFlash::tick()
{
    if (!player_) {
        clock_.stop();
        return;
    }
    if (audio_ && audio_->isRunning()) {
        for (int due = audio_->takeDueFrames(); due > 0; --due) {
            player_->step();
            audio_->follow(*player_);
        }
    } else {
        player_->step();
        // Silenced by another movie's preview: back to this movie's own pace.
        if (clock_.interval() != frameInterval())
            clock_.setInterval(frameInterval());
    }
    if (player_->version() != frameVersion_)
        update();
    // A movie that has come to rest cannot change again until Play; its
    // last sounds play out, then the audio device is let go.
    if (!player_->isAnimating() && !(audio_ && audio_->isSounding())) {
        clock_.stop();
        if (audio_)
            audio_->silence();
    }
}

void TShockwaveFlash::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    resumeOnShow_ = resumeOnShow_ || clock_.isActive();
    clock_.stop();
    if (audio_)
        audio_->silence();
}

void TShockwaveFlash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (resumeOnShow_ && player_)
        startPlaying();
    resumeOnShow_ = false;
}

void TShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!player_) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize size = (QSizeF(this->size()) * ratio).toSize();
    if (frame_.size() != size || frameVersion_ != player_->version()) {
        frame_ = player_->renderImage(size.expandedTo(QSize(1, 1)));
        frame_.setDevicePixelRatio(ratio);
        frameVersion_ = player_->version();
    }
    painter.drawImage(QPoint(0, 0), frame_);
}
