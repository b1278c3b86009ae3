// Scripts in title movies written case by case: timelines steered by
// frame scripts, by clips and by tellTarget, and scripts that never end.

#include "tests/support/MovieTestKit.h"

#include "movie/writer/ActionWriter.h"

using namespace kit;
using movie::writer::ActionWriter;
using A = ActionWriter;

namespace {

// A player that keeps the movie's traces.
struct Run {
    QStringList traces;
    std::unique_ptr<movie::MoviePlayer> player;

    explicit Run(const QByteArray& bytes)
    {
        player = std::make_unique<movie::MoviePlayer>(movie::Movie::fromBytes(bytes, QStringLiteral("case.swf")),
                                                      [this](const QString& line) { traces << line; });
    }
};

} // namespace

class ScriptsTest : public QObject {
    Q_OBJECT

private slots:
    // count = 0; then a loop of frames 2 and 3 whose end counts up and goes
    // back to "loop" until the count is 3, then stops.
    void titleLoopsOnACounter()
    {
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(A().setVariable("count", A::num(0)).bytes());
        w.showFrame();
        w.frameLabel("loop");
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        w.placeObject2(Place::add(3, Blue));
        w.doAction(A().push({A::str("count")})
                       .getVariable("count")
                       .op(0x50) // increment
                       .op(0x1D)
                       .getVariable("count")
                       .trace()
                       .getVariable("count")
                       .push({A::num(3)})
                       .op(0x48) // less
                       .ifTrue("again")
                       .op(0x07) // stop
                       .jump("end")
                       .label("again")
                       .push({A::str("loop")})
                       .gotoFrame2(true)
                       .label("end")
                       .bytes());
        w.showFrame();
        Run run(w.finish());
        const int expected[] = {2, 2, 2, 3, 3};
        for (int frame : expected) {
            run.player->step();
            QCOMPARE(run.player->currentFrame(), frame);
        }
        QCOMPARE(run.traces, QStringList({"1", "2", "3"}));
        QVERIFY(!run.player->isPlaying());
        EXPECT_PIXEL(frame(*run.player), 5, 5, kBlue);
    }

    // A sprite's second frame stops the timeline it stands on.
    void clipStopsItsParent()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.showFrame();
        w.doAction(A().callMethod("_parent", "stop").op(0x17).bytes());
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, Red));
        w.placeObject2(Place::add(2, 10));
        w.showFrame();
        w.placeObject2(Place::add(3, Green));
        w.showFrame();
        w.placeObject2(Place::add(4, Blue));
        w.showFrame();
        Run run(w.finish());
        for (int i = 0; i < 4; ++i)
            run.player->step();
        QCOMPARE(run.player->currentFrame(), 2);
        QVERIFY(!run.player->isPlaying());
        EXPECT_PIXEL(frame(*run.player), 5, 5, kGreen);
    }

    // A text field has no script object: setting a property through its
    // name must not move the clip that holds it.
    void aTextFieldsNameDoesNotReachItsClip()
    {
        SwfWriter w = colourMovie();
        SwfWriter::EditTextSpec field;
        field.bounds = QRect(0, 0, 200, 200);
        field.text = "Title";
        w.defineEditText(4, field);
        w.placeObject2(Place::add(1, 4).named("caption"));
        w.doAction(A().push({A::str("caption"), A::num(0), A::num(100)})
                       .op(0x23) // setProperty(caption, _x, 100)
                       .push({A::str(""), A::num(0)})
                       .op(0x22) // getProperty(this timeline, _x)
                       .trace()
                       .bytes());
        w.showFrame();
        Run run(w.finish());
        QCOMPARE(run.traces, QStringList{"0"});
    }

    // tellTarget("outer/inner") { gotoAndStop(3); } from the movie's first frame.
    void tellTargetIntoANestedClip()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.showFrame();
        w.placeObject2(Place::add(3, Blue));
        w.showFrame();
        w.endSprite();
        w.beginSprite(11);
        w.placeObject2(Place::add(1, 10).named("inner"));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 11).named("outer"));
        w.doAction(A().setTarget("outer/inner").gotoFrame(2).setTarget("").bytes());
        w.showFrame();
        Run run(w.finish());
        EXPECT_PIXEL(frame(*run.player), 5, 5, kBlue);
        run.player->step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, kBlue); // stopped there
    }

    // A title of one frame that an onEnterFrame handler moves goes on
    // animating: the preview's clock must keep running.
    void enterFrameHandlerKeepsAStillTitleAnimating()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10).named("box").withMatrix(translate(-10 * px, 0)));
        w.doAction(
            A().defineFunction("onEnterFrame", {},
                               A().push({A::str("box._x")}).getVariable("box._x").push({A::num(4)}).op(0x47).op(0x1D))
                .bytes());
        w.showFrame();
        Run run(w.finish());
        QVERIFY(run.player->isAnimating());
        EXPECT_PIXEL(frame(*run.player), 5, 5, kWhite);
        for (int i = 0; i < 3; ++i)
            run.player->step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, kRed); // moved 12 pixels to the right
    }

    // A title fades its logo out with Color.setTransform, a quarter of its
    // alpha each frame; the timeline does not undo it.
    void titleFadesWithColorSetTransform()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Red));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10).named("logo"));
        const A fade = A().push({A::str("alpha")})
                           .getVariable("alpha")
                           .push({A::num(25)})
                           .op(0x0B) // alpha - 25
                           .op(0x1D)
                           .push({A::str("aa")})
                           .getVariable("alpha")
                           .push({A::num(1)})
                           .op(0x43) // {aa: alpha}
                           .push({A::num(1)})
                           .getVariable("colour")
                           .push({A::str("setTransform")})
                           .op(0x52)
                           .op(0x17);
        w.doAction(A().push({A::str("colour")})
                       .getVariable("logo")
                       .push({A::num(1), A::str("Color")})
                       .op(0x40) // new Color(logo)
                       .op(0x1D)
                       .setVariable("alpha", A::num(100))
                       .defineFunction("onEnterFrame", {}, fade)
                       .bytes());
        w.showFrame();
        w.showFrame();
        w.placeObject2(Place::modify(1).withColor(ColorTransform{}));
        w.doAction(A().op(0x07).bytes()); // stop
        w.showFrame();
        Run run(w.finish());
        EXPECT_PIXEL(frame(*run.player), 5, 5, kRed);
        run.player->step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, QColor(255, 64, 64));
        run.player->step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, QColor(255, 128, 128));
        run.player->step();
        run.player->step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, kWhite);
    }

    // setMask: the blue clip shows only where its mask, the left half of
    // the stage, draws; the mask itself is not drawn; setMask(null) takes
    // it away again.
    void scriptMaskCutsTheClip()
    {
        SwfWriter w = colourMovie();
        w.defineShape(4, rectangle(QRect(0, 0, 5, 10), Fill::solid(kGreen)));
        w.beginSprite(10);
        w.placeObject2(Place::add(1, Blue));
        w.showFrame();
        w.endSprite();
        w.beginSprite(11);
        w.placeObject2(Place::add(1, 4));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10).named("picture"));
        w.placeObject2(Place::add(2, 11).named("shape"));
        w.doAction(A().callMethod("picture", "setMask", {A::str("shape")}).trace().bytes());
        w.showFrame();
        w.doAction(A().push({A::null(), A::num(1)})
                       .getVariable("picture")
                       .push({A::str("setMask")})
                       .op(0x52)
                       .trace()
                       .op(0x07)
                       .bytes());
        w.showFrame();
        Run run(w.finish());
        const QImage masked = frame(*run.player);
        EXPECT_PIXEL(masked, 2, 5, kBlue);
        EXPECT_PIXEL(masked, 7, 5, kWhite);
        run.player->step();
        EXPECT_PIXEL(frame(*run.player), 7, 5, kBlue);
        EXPECT_PIXEL(frame(*run.player), 2, 5, kGreen);
        QCOMPARE(run.traces, QStringList({"true", "true"}));
    }

    // Scripts that would run forever or grow without end are cut off at
    // the step's work budget; the movie goes on with its next frame.
    void runawayScriptsAreCutOff_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addRow("endless while") << A().label("top").jump("top").bytes();
        ActionWriter recursion;
        recursion.defineFunction("f", {}, A().push({A::num(0), A::str("f")}).op(0x3D)); // f() calls f()
        recursion.push({A::num(0), A::str("f")}).op(0x3D);
        QTest::addRow("endless recursion") << recursion.bytes();
        QTest::addRow("doubling string") << A().setVariable("s", A::str("ab"))
                                                .label("top")
                                                .push({A::str("s")})
                                                .getVariable("s")
                                                .getVariable("s")
                                                .op(0x47) // add
                                                .op(0x1D)
                                                .jump("top")
                                                .bytes();
        QTest::addRow("growing array") << A().push({A::str("a"), A::num(0), A::str("Array")})
                                              .op(0x40) // new Array()
                                              .op(0x1D)
                                              .label("top")
                                              .callMethod("a", "push", {A::num(1)})
                                              .op(0x17)
                                              .jump("top")
                                              .bytes();
    }
    void runawayScriptsAreCutOff()
    {
        QFETCH(QByteArray, script);
        SwfWriter w = colourMovie();
        w.placeObject2(Place::add(1, Red));
        w.doAction(A().push({A::str("before")}).trace().bytes() + script);
        w.showFrame();
        w.placeObject2(Place::add(2, Green));
        w.doAction(A().push({A::str("frame 2")}).trace().bytes());
        w.showFrame();
        Run run(w.finish());
        run.player->step();
        QCOMPARE(run.player->currentFrame(), 2);
        QCOMPARE(run.traces, QStringList({"before", "frame 2"}));
        EXPECT_PIXEL(frame(*run.player), 5, 5, kGreen);
    }
};

QTEST_GUILESS_MAIN(ScriptsTest)
#include "tst_scripts.moc"
