#pragma once

#include "movie/DisplayList.h"
#include "movie/LayerCache.h"

#include <QImage>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

namespace movie {

// Plays a movie: keeps the display lists of its timelines, steps them frame
// by frame, runs their frame scripts and draws the current frame.
class MoviePlayer {
public:
    explicit MoviePlayer(std::shared_ptr<const Movie> movie);
    ~MoviePlayer();

    const Movie& movie() const { return *movie_; }

    // Back to the first frame, with its scripts run, playing.
    void rewind();
    // One tick of the frame clock: every playing timeline moves on a frame
    // (the movie's own loops at its end), then the scripts of the frames
    // entered run.
    void step();
    void play() { root_->playing = true; }
    void stop() { root_->playing = false; }
    bool isPlaying() const { return root_->playing; }
    // Whether a further step could change the picture.
    bool isAnimating() const;
    int currentFrame() const { return root_->frame + 1; }
    // Changes whenever the display lists change.
    quint64 version() const { return version_; }

    // A timeline's entry into a frame that starts sounds or carries a stream.
    struct FrameEntry {
        std::weak_ptr<const SpriteInstance> instance;
        int from = -1; // the frame it left; -1 for none
        int to = 0;
    };
    // Such entries of the last step() or rewind(), in order; taking them
    // empties the list, and each step starts a new one.
    std::vector<FrameEntry> takeEnteredFrames() { return std::exchange(entered_, {}); }

    // Draws the frame into `viewport`: the whole stage fitted, keeping its
    // aspect ratio, centred, the rest in the background colour.
    void render(QPainter& painter, const QRect& viewport) const;
    QImage renderImage(const QSize& size) const;
    // Low quality draws edges without smoothing, as players do at that
    // setting; the default is high quality.
    void setAntialiased(bool on) { antialiased_ = on; }

private:
    std::shared_ptr<SpriteInstance> newInstance(const Timeline& timeline, int nesting);
    void gotoFrame(SpriteInstance& instance, int frame);
    void applyFrame(SpriteInstance& instance, int frame, std::map<int, DisplayObject>* previous);
    void place(SpriteInstance& instance, const PlaceCommand& p, std::map<int, DisplayObject>* previous);
    void setCharacter(SpriteInstance& instance, DisplayObject& object, quint16 id,
                      std::shared_ptr<SpriteInstance> reuse);
    void advance(SpriteInstance& instance);
    void runScripts();
    void runActions(SpriteInstance& instance, const ActionList& actions);
    // Takes one unit of this step's work; false once the step has used
    // limits::kMaxWorkPerStep, and from then on the step does nothing more.
    bool spendWork();

    struct QueuedScript {
        std::weak_ptr<SpriteInstance> instance;
        const ActionList* actions;
    };

    std::shared_ptr<const Movie> movie_;
    std::shared_ptr<SpriteInstance> root_;
    std::deque<QueuedScript> scripts_;
    std::vector<FrameEntry> entered_;
    quint64 step_ = 0;
    quint64 version_ = 0;
    int workLeft_ = 0;
    std::shared_ptr<int> liveInstances_;
    bool antialiased_ = true;
    mutable LayerCache layers_; // pictures of filtered and blended objects, kept between frames
};

} // namespace movie
