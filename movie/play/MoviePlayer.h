#pragma once

#include "movie/DisplayList.h"
#include "movie/avm1/Runtime.h"
#include "movie/draw/LayerCache.h"
#include "movie/play/MovieFolder.h"

#include <QImage>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class QPainter;

namespace movie {

// Plays a movie: keeps the display lists of its timelines, steps them frame
// by frame, runs their scripts and draws the current frame.
class MoviePlayer : private avm1::Host {
public:
    // The clock of the scripts' timers, getTimer() and the lengths of the
    // sounds Sound objects start: each step adds a frame period, so that a
    // run goes the same way however fast it is made; or the player's owner
    // keeps it, moving it on with advanceClock() (a player shown in real
    // time).
    enum class Clock { Frames, Own };

    // `trace` takes the scripts' trace() lines, from the first frame on;
    // without it they go nowhere.
    explicit MoviePlayer(std::shared_ptr<const Movie> movie, std::function<void(const QString&)> trace = {},
                         Clock clock = Clock::Frames);
    ~MoviePlayer() override;
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    const Movie& movie() const { return *movie_; }
    // The folder whose files the movie's scripts may load (loadMovie,
    // XML.load, ...); without one, every load fails.
    void setFolder(const QString& folder) { folder_ = MovieFolder(folder); }
    // What the movie asked for that this player does not provide, the tags
    // it skipped, what it could not show or load, and what the engine's
    // limits left out of it or stopped of its scripts; each once.
    QStringList warnings() const;

    // Back to the first frame, with its scripts run, playing.
    void rewind();
    // One tick of the frame clock: every timeline, newest first, gets its
    // enterFrame event and moves on a frame if it plays (looping at its
    // end), then the scripts and events this queued run.
    void step();
    void play() { root_->playing = true; }
    void stop() { root_->playing = false; }
    bool isPlaying() const { return root_->playing; }
    // Whether a further step could change the picture.
    bool isAnimating() const;
    int currentFrame() const { return root_->frame + 1; }
    // Changes whenever the display lists change.
    quint64 version() const { return version_; }

    // What the movie's sound must follow: a timeline's entry into a frame
    // that starts sounds or carries a stream, or a script's stopAllSounds().
    struct SoundCue {
        std::weak_ptr<const SpriteInstance> instance;
        int from = -1; // the frame it left; -1 for none
        int to = 0;
        bool stopsAllSounds = false; // the script's cue; no timeline
        // A Sound object's start or stop (no timeline) of sound `soundId`
        // (stop: 0 for every sound) under the clip `owner`, or under the
        // whole movie when `movieOwned`.
        enum class Script : quint8 { None, Start, Stop };
        Script script = Script::None;
        quint16 soundId = 0;
        double offset = 0; // seconds into the sound
        int loops = 1;
        std::weak_ptr<const SpriteInstance> owner;
        bool movieOwned = false;
    };
    // The cues of the last step() or rewind(), in order; taking them
    // empties the list, and each step starts a new one.
    std::vector<SoundCue> takeSoundCues() { return std::exchange(soundCues_, {}); }

    // The volume and balance Sound objects without a clip set for the whole movie.
    const SoundTransform& soundTransform() const { return movieSound_; }

    // Moves the clock on and runs what falls due by then.
    void advanceClock(double ms);
    double clockMs() const { return clock_; }
    // Whether a timer or a Sound object's sound waits on the clock.
    bool waitsOnClock() const;

    // Whether a script ended the movie (fscommand "quit"): it then stands still.
    bool hasQuit() const { return quit_; }

    // Draws the frame into `viewport`: the whole stage fitted, keeping its
    // aspect ratio, centred, the rest in the background colour.
    void render(QPainter& painter, const QRect& viewport) const;
    QImage renderImage(const QSize& size) const;
    // Low quality draws edges without smoothing, as players do at that
    // setting; the default is high quality.
    void setAntialiased(bool on) { antialiased_ = on; }

private:
    std::shared_ptr<SpriteInstance> newInstance(const Timeline& timeline, int nesting);
    void runStep();
    // A clip's turn in a step: its load or enterFrame event, then its next frame.
    void runFrame(SpriteInstance& clip);
    void advance(SpriteInstance& clip);
    // Enters `frame` from the one before: its tags in order.
    void applyFrame(SpriteInstance& instance, int frame);
    // DoInitAction blocks, run on the root of the movie `instance` plays.
    void runInitScripts(const Frame& frame, SpriteInstance& instance);
    // The top clip of the movie `clip` plays: a loaded movie's or the player's.
    SpriteInstance& movieRoot(SpriteInstance& clip);
    void place(SpriteInstance& instance, const PlaceCommand& p);
    void applyPlace(DisplayObject& object, const PlaceCommand& p);
    // Notes a timeline's entry into a frame that starts sounds or carries a stream.
    void noteEntry(SpriteInstance& instance, int from, int to);
    // A new object at a free depth, a sprite constructed and run to its first frame.
    DisplayObject* instantiate(SpriteInstance& parent, const PlaceCommand& p);
    void removeChild(SpriteInstance& parent, int depth);
    void unload(SpriteInstance& clip);
    // A sprite removed with unload handlers in it stays, unloaded, until
    // the next step, at a negative depth.
    bool delaysRemoval(SpriteInstance& clip, int nesting = 0);
    void queueRemoval(SpriteInstance& clip);
    void removePending();
    void enlist(SpriteInstance& clip);
    QString defaultName();
    // Takes one unit of this step's work; false once the step has used
    // limits::kMaxWorkPerStep, and from then on the step does nothing more.
    bool spendWork();
    // Sets the clock and runs the timers and sound ends due by then.
    void runClock(double ms);
    double framePeriod() const;

    // avm1::Host (MoviePlayerScripting.cpp)
    void trace(const QString& message) override;
    void quit() override;
    void stopSounds() override;
    SpriteInstance* level(int number) override;
    DisplayObject* placement(SpriteInstance& clip) override;
    void displayChanged() override { ++version_; }
    // Also the player's own loop back to the first frame.
    void gotoFrame(SpriteInstance& clip, int frame) override;
    int framesLoaded(SpriteInstance& clip) override;
    int bytesTotal(SpriteInstance& clip) override;
    QString symbolName(SpriteInstance& clip) override;
    SpriteInstance* attachClip(SpriteInstance& parent, const QString& symbol, const QString& name, int depth) override;
    SpriteInstance* createEmptyClip(SpriteInstance& parent, const QString& name, int depth) override;
    SpriteInstance* duplicateClip(SpriteInstance& clip, const QString& name, int depth) override;
    void runFirstFrame(SpriteInstance& clip) override;
    void removeClip(SpriteInstance& clip) override;
    void swapDepths(SpriteInstance& clip, int depth) override;
    // (MoviePlayerObjects.cpp)
    QRectF stageRect() override;
    bool hitTestShape(SpriteInstance& clip, QPointF rootPoint) override;
    quint16 exportedSound(const QString& name, double& durationMs) override;
    void startSound(quint16 id, double offset, int loops, SpriteInstance* owner) override;
    void stopSound(quint16 id, SpriteInstance* owner) override;
    SoundTransform& movieSoundTransform() override { return movieSound_; }
    // (BuiltinsBitmapData glue)
    QImage exportedPicture(const QString& name) override;
    void attachBitmap(SpriteInstance& parent, std::shared_ptr<const BitmapPixels> pixels, int depth,
                      bool smoothing) override;
    void drawClip(SpriteInstance& clip, QImage& target, const QTransform& t, const ColorTransform& cx,
                  bool smoothing) override;
    QMargins filterReach(const FilterList& filters) override;
    void filterPicture(QImage& picture, const FilterList& filters) override;
    SpriteInstance* scriptClip(SpriteInstance& parent, quint16 characterId, const Timeline& timeline,
                               const QString& name, int depth);
    // Files scripts load (MoviePlayerLoading.cpp).
    std::optional<QByteArray> readFile(const QString& url, qsizetype maxBytes, QString& why) override;
    SpriteInstance* loadMovie(const QByteArray& bytes, const QString& url, SpriteInstance* clip, int level,
                              QString& why) override;
    void unloadMovie(SpriteInstance* clip, int level) override;
    // Puts `fresh` in the place of `clip`, or as level `level` when `clip`
    // is null; what stood there is unloaded. False when the clip is gone.
    bool putInPlace(const std::shared_ptr<SpriteInstance>& fresh, SpriteInstance* clip, int level);
    // Text fields scripts make (MoviePlayerScripting.cpp).
    EditField* createTextField(SpriteInstance& parent, const QString& name, int depth, const QRectF& bounds) override;
    EditField* duplicateTextField(EditField& field, const QString& name, int depth) override;
    void removeTextField(EditField& field) override;
    // A live field standing at `depth` of the parent, whose object is there.
    void placeField(SpriteInstance& parent, int depth, std::shared_ptr<EditField> field);

    std::shared_ptr<const Movie> movie_;
    std::shared_ptr<SpriteInstance> root_;
    std::vector<SoundCue> soundCues_;
    std::unique_ptr<avm1::Runtime> scripts_;
    // Every clip in the order it was made; a step visits them newest first.
    std::vector<std::weak_ptr<SpriteInstance>> clips_;
    std::set<const ActionList*> initScriptsRun_;
    std::vector<std::weak_ptr<SpriteInstance>> pendingRemovals_;
    std::function<void(const QString&)> traceHandler_;
    // The levels by number, each placed as a sprite; root_ is level 0.
    SpriteInstance stage_;
    Timeline emptyTimeline_;
    // What script-made and loaded clips are placed as: a sprite.
    Character container_;
    MovieFolder folder_;
    std::vector<std::weak_ptr<const Movie>> loadedMovies_;
    QStringList loadWarnings_;
    quint64 version_ = 0;
    int workLeft_ = 0;
    int instanceNames_ = 0;
    bool quit_ = false;
    std::shared_ptr<int> liveInstances_;
    bool antialiased_ = true;
    SoundTransform movieSound_;
    double clock_ = 0; // ms
    Clock clockKind_;
    mutable LayerCache layers_; // pictures of filtered and blended objects, kept between frames
};

} // namespace movie
