#pragma once

#include "movie/DisplayList.h"
#include "movie/avm1/Runtime.h"
#include "movie/draw/LayerCache.h"

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
    // `trace` takes the scripts' trace() lines, from the first frame on;
    // without it they go nowhere.
    explicit MoviePlayer(std::shared_ptr<const Movie> movie, std::function<void(const QString&)> trace = {});
    ~MoviePlayer() override;
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    const Movie& movie() const { return *movie_; }

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
    };
    // The cues of the last step() or rewind(), in order; taking them
    // empties the list, and each step starts a new one.
    std::vector<SoundCue> takeSoundCues() { return std::exchange(soundCues_, {}); }

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
    void runInitScripts(const Frame& frame);
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
    SpriteInstance* scriptClip(SpriteInstance& parent, quint16 characterId, const Timeline& timeline,
                               const QString& name, int depth);
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
    DisplayObject rootPlacement_;
    Timeline emptyTimeline_;
    quint64 version_ = 0;
    int workLeft_ = 0;
    int instanceNames_ = 0;
    bool quit_ = false;
    std::shared_ptr<int> liveInstances_;
    bool antialiased_ = true;
    mutable LayerCache layers_; // pictures of filtered and blended objects, kept between frames
};

} // namespace movie
