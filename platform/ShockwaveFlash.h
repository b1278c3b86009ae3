#pragma once

#include "platform/EngineThread.h"

#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

class MovieAudio;

namespace movie {
class Movie;
class MoviePlayer;
} // namespace movie

// The Flash player control of the canvas window: plays a title movie with
// the editor's own movie engine. Its settings are fixed: window mode,
// quality High (antialiased), scale ShowAll (the whole stage fitted in,
// centred, the rest in the movie's background colour).
//
// The movie is read, stepped and drawn on the engine's own thread
// (EngineThread), so that the editor answers whatever the movie holds; this
// control keeps the frame clock and the sound, and shows the frames the
// engine hands back. Stop, hiding and another movie cancel the engine's work
// under way.
class TShockwaveFlash : public QWidget {
    Q_OBJECT

public:
    explicit TShockwaveFlash(QWidget* parent = nullptr);
    ~TShockwaveFlash() override;

    // The Movie property. Starts reading the file, whose first frame then
    // shows, halted. A missing file leaves an empty player and is no error;
    // a file that is not a movie, or is damaged beyond use, is reported
    // when its reading ends, naming it, in the standard error box. A player
    // hidden on purpose reads its movie once it shows.
    void setMovie(const QString& path);
    const QString& Movie() const { return moviePath_; }

    // Runs the timeline from the current frame at the movie's frame rate,
    // with the movie's sound, once the movie is read; a movie with a stream
    // runs at its sound's pace. A hidden player does not step its movie:
    // hiding it pauses the timeline and silences it, showing it again goes
    // on from there.
    void Play();
    // Halts the timeline where it stands and ends every sound of the movie;
    // a movie still being read is not read further (Play reads it again).
    void Stop();
    // Whether the movie's sound is being played on an audio device.
    bool IsSounding() const;
    // Buffers of the movie's sound handed to the audio device so far.
    quint64 soundBuffersDelivered() const;

    // Playing, or told to play while its movie is being read.
    bool IsPlaying() const;
    bool hasMovie() const { return player_ != nullptr; }
    bool isLoading() const { return loading_; }
    int CurrentFrame() const; // 1-based; 0 without a movie

    QString WMode() const { return QStringLiteral("Window"); }
    QString Quality() const { return QStringLiteral("High"); }
    QString Scale() const { return QStringLiteral("ShowAll"); }
    QString AllowScriptAccess() const { return QStringLiteral("always"); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // What the engine saw of the player at the end of a job.
    struct Seen {
        int frame = 0;
        bool animating = false;
        quint64 version = 0;
        bool waitsOnClock = false; // scripts' timers wait to be called
        QStringList warnings;      // what the engine's limits cut off, so far
    };
    static Seen seen(const movie::MoviePlayer& player);

    bool hiddenOnPurpose() const;
    // Reads moviePath_ on the engine's thread, with its first frame.
    void load();
    void tick();
    // Steps the movie `steps` frames, one job a frame (the sound follows
    // each), and draws the last.
    void step(int steps);
    // Draws the frame again at the control's size, when no job is out.
    void redraw();
    QSize frameSize() const;
    // A frame and what came with it, from the engine.
    void showFrame(const QImage& frame, const Seen& state);
    void startClock();
    // Milliseconds a frame at the movie's own rate.
    int frameInterval() const;
    // The clock, and the movie's sound when it has any.
    void startPlaying();
    // Wall-clock milliseconds since the scripts' clock was last moved on.
    double takeScriptTime();
    // Moves the scripts' clock (their timers, getTimer()) between frames.
    void scriptTick();

    QString moviePath_;
    // The player is lent to the engine's thread while a job is out; only
    // what a job returns and whenIdle() work touch it here.
    std::shared_ptr<const movie::Movie> movie_;
    std::shared_ptr<movie::MoviePlayer> player_;
    std::unique_ptr<MovieAudio> audio_; // made when a movie with sound first plays
    QTimer clock_;
    // The scripts' clock runs on its own, between frames too while timers wait.
    QTimer scriptClock_;
    QElapsedTimer scriptTime_;
    qint64 scriptTimeTaken_ = 0;
    bool loading_ = false;
    bool playWhenLoaded_ = false;
    bool resumeOnShow_ = false; // playing when it was hidden
    QImage frame_;              // the last frame drawn, shown on every paint
    quint64 drawnVersion_ = 0;  // the player's version that frame_ shows
    Seen seen_;
    qsizetype warningsLogged_ = 0;
    EngineThread engine_; // last: it goes first, waiting for its job
};
