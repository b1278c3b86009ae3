// The movie engine's timelines: the display list frame by frame, looping,
// sprites with timelines of their own, and the frame-script actions.

#include "tests/support/MovieTestKit.h"

using namespace kit;
namespace actions = movie::writer::actions;

#define EXPECT_SHOWN(player, colour) EXPECT_PIXEL(frame(*(player)), 5, 5, colour)

class MoviePlayerTest : public QObject {
    Q_OBJECT

private slots:
    void framesFollowTheDisplayListAndLoop()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        w.removeObject2(2);
        w.showFrame();
        const auto p = play(w.finish());
        QCOMPARE(p->currentFrame(), 1);
        EXPECT_SHOWN(p, kRed);
        p->step();
        QCOMPARE(p->currentFrame(), 2);
        EXPECT_SHOWN(p, kGreen);
        p->step();
        EXPECT_SHOWN(p, kRed);
        p->step(); // back to the first frame
        QCOMPARE(p->currentFrame(), 1);
        EXPECT_SHOWN(p, kRed);
        p->step();
        EXPECT_SHOWN(p, kGreen);
    }

    void removeObjectOfBothKinds()
    {
        SwfWriter w = colourMovie();
        w.placeObject(Blue, 1, Matrix{});
        w.placeObject(Green, 2, Matrix{});
        w.placeObject2(Place::add(3, Red));
        w.showFrame();
        w.removeObject2(3);
        w.showFrame();
        w.removeObject(Green, 2);
        w.showFrame();
        const auto p = play(w.finish());
        EXPECT_SHOWN(p, kRed);
        p->step();
        EXPECT_SHOWN(p, kGreen);
        p->step();
        EXPECT_SHOWN(p, kBlue);
    }

    void moveChangesOnlyWhatItCarries()
    {
        SwfWriter w = colourMovie();
        ColorTransform darker;
        darker.rm = 0.5;
        w.placeObject2(Place::add(1, Red).withMatrix(translate(20 * px, 0)).withColor(darker));
        w.showFrame();
        w.placeObject2(Place::modify(1).withMatrix(Matrix{}));
        w.showFrame();
        SwfWriter::Place swap = Place::modify(1);
        swap.character = Blue; // a move with a character replaces it, keeping the rest
        w.placeObject3(swap);
        w.showFrame();
        const auto p = play(w.finish());
        EXPECT_SHOWN(p, kWhite); // off the stage
        p->step();
        EXPECT_SHOWN(p, QColor(128, 0, 0));
        p->step();
        EXPECT_SHOWN(p, QColor(0, 0, 255));
    }

    void stopHoldsTheFrame()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.doAction(actions::stop());
        w.showFrame();
        w.placeObject2(Place::add(3, Blue));
        w.showFrame();
        const auto p = play(w.finish());
        for (int i = 0; i < 5; ++i)
            p->step();
        QCOMPARE(p->currentFrame(), 2);
        QVERIFY(!p->isPlaying());
        QVERIFY(!p->isAnimating());
        EXPECT_SHOWN(p, kGreen);
        p->play();
        p->step();
        EXPECT_SHOWN(p, kBlue);
    }

    void gotoFrameStopsThere()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(actions::gotoFrame(2));
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        w.placeObject2(Place::add(3, Blue));
        w.showFrame();
        const auto p = play(w.finish());
        QCOMPARE(p->currentFrame(), 3);
        QVERIFY(!p->isPlaying());
        EXPECT_SHOWN(p, kBlue);
    }

    // A goto gathers what every frame it passes changes: a move on the
    // second frame and, on the third, a filter that turns red into blue.
    void gotoKeepsTheChangesOfEveryFramePassed()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(actions::gotoFrame(2));
        w.showFrame();
        w.placeObject2(Place::modify(1).withMatrix(Matrix{}));
        w.showFrame();
        movie::Filter redToBlue;
        redToBlue.kind = movie::Filter::Kind::ColorMatrix;
        redToBlue.matrix = {0, 0, 1, 0, 0, /**/ 0, 1, 0, 0, 0, /**/ 1, 0, 0, 0, 0, /**/ 0, 0, 0, 1, 0};
        Place filtered = Place::modify(1);
        filtered.filters = movie::FilterList{redToBlue};
        w.placeObject3(filtered);
        w.showFrame();
        const auto p = play(w.finish());
        QCOMPARE(p->currentFrame(), 3);
        EXPECT_SHOWN(p, kBlue);
    }

    // gotoAndPlay("loop"): GotoLabel followed by Play; going back rebuilds
    // the display list of that frame.
    void gotoLabelAndPlay()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.frameLabel("Loop");
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        w.placeObject2(Place::add(3, Blue));
        w.doAction(actions::gotoLabel("loop") + actions::play());
        w.showFrame();
        w.showFrame(); // never reached
        const auto p = play(w.finish());
        p->step();
        p->step();
        QCOMPARE(p->currentFrame(), 2);
        QVERIFY(p->isPlaying());
        EXPECT_SHOWN(p, kGreen);
        p->step();
        QCOMPARE(p->currentFrame(), 2);
    }

    // An unknown label neither moves nor stops the timeline.
    void gotoAnUnknownLabelChangesNothing()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(actions::gotoLabel("nowhere"));
        w.showFrame();
        w.showFrame();
        const auto p = play(w.finish());
        QCOMPARE(p->currentFrame(), 1);
        QVERIFY(p->isPlaying());
    }

    void nextAndPreviousFrame()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(actions::nextFrame());
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        const auto p = play(w.finish());
        QCOMPARE(p->currentFrame(), 2);
        QVERIFY(!p->isPlaying());
        EXPECT_SHOWN(p, kGreen);

        SwfWriter back = colourMovie();
        back.placeObject2(Place::add(1, Red));
        back.showFrame();
        back.placeObject2(Place::add(2, Green));
        back.doAction(actions::previousFrame());
        back.showFrame();
        const auto q = play(back.finish());
        q->step();
        QCOMPARE(q->currentFrame(), 1);
        EXPECT_SHOWN(q, kRed);
    }

    // Scripts do far more than steer the timeline; the rest is passed over
    // without disturbing what follows it.
    void otherActionsAreSkipped()
    {
        QByteArray push("\x96\x05\x00\x00"
                        "abc\x00",
                        8);                       // push "abc"
        QByteArray arithmetic("\x0A\x0B\x0C", 3); // add, subtract, multiply
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(push + arithmetic + actions::stop());
        w.showFrame();
        w.showFrame();
        const auto p = play(w.finish());
        p->step();
        QCOMPARE(p->currentFrame(), 1);
    }

    void actionsAimedAtAnotherTimelineAreSkipped()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(actions::setTarget("child") + actions::stop() + actions::setTarget(""));
        w.showFrame();
        w.showFrame();
        const auto p = play(w.finish());
        p->step();
        QCOMPARE(p->currentFrame(), 2);
    }

    void scriptsThatNeverSettleAreCutOff()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(actions::gotoFrame(1) + actions::play());
        w.showFrame();
        w.doAction(actions::gotoFrame(0) + actions::play());
        w.showFrame();
        const auto p = play(w.finish());
        p->step();
        QVERIFY(p->currentFrame() >= 1);
    }

    void spriteRunsItsOwnTimeline()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10));
        w.showFrame(); // the movie itself has a single frame
        const auto p = play(w.finish());
        QVERIFY(p->isAnimating());
        EXPECT_SHOWN(p, kRed);
        p->step();
        EXPECT_SHOWN(p, kGreen);
        p->step();
        EXPECT_SHOWN(p, kRed);
    }

    void spriteStopsOnItsOwnScript()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.doAction(actions::stop());
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10));
        w.showFrame();
        const auto p = play(w.finish());
        for (int i = 0; i < 4; ++i)
            p->step();
        EXPECT_SHOWN(p, kGreen);
        QVERIFY(!p->isAnimating());
    }

    // Matrices and colour transforms of nested sprites combine.
    void nestedSpritesCombinePlacement()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red).withMatrix(scale(0.5, 1)));
        w.showFrame();
        w.endSprite();
        w.beginSprite(11);
        ColorTransform addGreen;
        addGreen.ga = 255;
        w.placeObject2(Place::add(1, 10).withColor(addGreen));
        w.showFrame();
        w.endSprite();
        ColorTransform halfRed;
        halfRed.rm = 0.5;
        w.placeObject2(Place::add(1, 11).withMatrix(translate(5 * px, 0)).withColor(halfRed));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 2, 5, kWhite);
        EXPECT_PIXEL(img, 7, 5, QColor(128, 255, 0));
    }

    // A sprite placed in the first frame keeps running when the movie loops
    // back to that frame: it is not placed afresh.
    void spriteKeepsRunningWhenTheMovieLoops()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.removeObject2(1);
        w.placeObject2(Place::add(1, Green));
        w.showFrame();
        w.removeObject2(1);
        w.placeObject2(Place::add(1, Blue));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10));
        w.showFrame();
        w.showFrame();
        const auto p = play(w.finish());
        p->step();
        p->step();
        QCOMPARE(p->currentFrame(), 1);
        EXPECT_SHOWN(p, kBlue);
    }

    void selfPlacingSpriteIsBounded()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.placeObject2(Place::add(2, 10));
        w.placeObject2(Place::add(3, 10));
        w.showFrame();
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10));
        w.showFrame();
        const auto p = play(w.finish());
        p->step();
        EXPECT_SHOWN(p, kRed);
    }

    // The player tells when a step changed nothing to draw, so the control
    // repaints only when the picture changes.
    void versionChangesOnlyWithTheDisplay()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.showFrame();
        w.placeObject2(Place::modify(1).withMatrix(translate(px, 0)));
        w.showFrame();
        const auto p = play(w.finish());
        p->step(); // frame 2: no change
        const quint64 before = p->version();
        p->step(); // frame 3: moved
        QVERIFY(p->version() != before);
        const quint64 moved = p->version();
        QCOMPARE(p->currentFrame(), 3);
        p->stop();
        p->step();
        QCOMPARE(p->version(), moved);
    }

    // Sprites that place sprites within them and drop them again multiply
    // the work of a frame at every level without ever holding many live
    // instances. The player does a bounded share of it and shows what it
    // got: the root's own square, placed first, is there on every step.
    void spritesMadeAndDroppedAgainStayWithinTheWorkBound()
    {
        SwfWriter w = colourMovie();
        constexpr quint16 kFirstSprite = 10;
        constexpr quint16 kLastSprite = kFirstSprite + 31;
        for (quint16 id = kLastSprite; id >= kFirstSprite; --id) {
            const quint16 inner = id == kLastSprite ? quint16(Green) : quint16(id + 1);
            w.beginSprite(id);
            for (int copy = 0; copy < 3; ++copy) {
                w.placeObject2(Place::add(1, inner));
                w.removeObject2(1);
            }
            w.placeObject2(Place::add(1, inner));
            w.showFrame();
            w.removeObject2(1);
            w.showFrame();
            w.endSprite();
        }
        w.placeObject2(Place::add(1, Red));
        w.placeObject2(Place::add(2, kFirstSprite).withMatrix(translate(20 * px, 0))); // off the stage
        w.showFrame();
        w.placeObject2(Place::add(3, Blue).withMatrix(translate(5 * px, 0)));
        w.showFrame();
        const auto p = play(w.finish());
        EXPECT_SHOWN(p, kRed);
        p->step(); // the second frame still plays
        QCOMPARE(p->currentFrame(), 2);
        EXPECT_PIXEL(frame(*p), 2, 5, kRed);
        EXPECT_PIXEL(frame(*p), 7, 5, kBlue);
        p->step(); // and the first again
        QCOMPARE(p->currentFrame(), 1);
        EXPECT_SHOWN(p, kRed);
    }
};

QTEST_GUILESS_MAIN(MoviePlayerTest)
#include "tst_movieplayer.moc"
