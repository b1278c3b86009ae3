#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QString>
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
class TShockwaveFlash : public QWidget {
    Q_OBJECT

public:
    explicit TShockwaveFlash(QWidget* parent = nullptr);
    ~TShockwaveFlash() override;

    // The Movie property. Loads the file and shows its first frame, halted.
    // A missing file leaves an empty player and is no error; a file that is
    // not a movie, or is damaged beyond use, throws EditorError naming it.
    void setMovie(const QString& path);
    const QString& Movie() const { return moviePath_; }

    // Runs the timeline from the current frame at the movie's frame rate,
    // with the movie's sound; a movie with a stream runs at its sound's pace.
    // A hidden player does not step its movie: hiding it pauses the
    // timeline and silences it, showing it again goes on from there.
    void Play();
    // Halts the timeline where it stands and ends every sound of the movie.
    void Stop();
    // Whether the movie's sound is being played on an audio device.
    bool IsSounding() const;
    // Buffers of the movie's sound handed to the audio device so far.
    quint64 soundBuffersDelivered() const;

    bool IsPlaying() const;
    bool hasMovie() const { return player_ != nullptr; }
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
    void tick();
    void startClock();
    // Milliseconds a frame at the movie's own rate.
    int frameInterval() const;
    // The clock, and the movie's sound when it has any.
    void startPlaying();
    // Moves the scripts' clock (their timers, getTimer()) to the wall clock's time.
    void runScriptClock();
    void scriptTick();

    QString moviePath_;
    std::shared_ptr<const movie::Movie> movie_;
    std::unique_ptr<movie::MoviePlayer> player_;
    std::unique_ptr<MovieAudio> audio_; // made when a movie with sound first plays
    QTimer clock_;
    // The scripts' clock runs on its own, between frames too while timers wait.
    QTimer scriptClock_;
    QElapsedTimer scriptTime_;
    qint64 scriptTimeTaken_ = 0;
    bool resumeOnShow_ = false;    // playing when it was hidden
    QImage frame_;                 // the last drawn frame, shown on every paint
    quint64 frameVersion_ = ~0ull; // the player's version that frame_ shows
};
