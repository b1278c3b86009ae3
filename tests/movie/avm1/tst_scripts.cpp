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

// The traces of a movie that runs `script` in its one frame.
QStringList tracesOf(SwfWriter w, const ActionWriter& script)
{
    w.doAction(script.bytes());
    w.showFrame();
    Run run(w.finish());
    return run.traces;
}

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

    // ImplementsOp gives a class its interfaces; instanceof and a cast find
    // them, and the interfaces an interface extends, but never for an
    // object of another class.
    void instanceofFindsImplementedInterfaces()
    {
        A script;
        for (const QByteArray name : {"C", "I", "J", "D"})
            script.defineFunction(name, {}, A());
        script.getVariable("I").push({A::num(1)}).getVariable("C").op(0x2C);  // C implements I
        script.getVariable("J").push({A::num(1)}).getVariable("I").op(0x2C);  // I extends J
        script.push({A::str("c"), A::num(0), A::str("C")}).op(0x40).op(0x1D); // c = new C()
        script.push({A::str("d"), A::num(0), A::str("D")}).op(0x40).op(0x1D);
        const QByteArray checks[][2] = {{"c", "I"}, {"c", "J"}, {"c", "D"}, {"d", "I"}};
        for (const auto& [object, cls] : checks)
            script.getVariable(object).getVariable(cls).op(0x54).trace();                    // object instanceof cls
        script.getVariable("J").getVariable("c").op(0x2B).getVariable("c").op(0x66).trace(); // J(c) === c
        QCOMPARE(tracesOf(colourMovie(), script), QStringList({"true", "true", "false", "false", "true"}));
    }

    // nextFrame and prevFrame move one frame and stop, the actions and the
    // clip methods alike; at an end of the timeline the clip only stops.
    void nextAndPrevFrameStopEvenAtTheEnds()
    {
        SwfWriter w = colourMovie();
        w.beginSprite(10);
        w.showFrame();
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10).named("clip"));
        w.doAction(A().callMethod("clip", "prevFrame").op(0x17).bytes());
        w.showFrame();
        w.doAction(A().getVariable("clip._currentframe")
                       .trace()
                       .callMethod("clip", "nextFrame")
                       .op(0x17)
                       .callMethod("clip", "play")
                       .op(0x17)
                       .callMethod("clip", "nextFrame")
                       .op(0x17)
                       .bytes());
        w.showFrame();
        w.doAction(A().getVariable("clip._currentframe").trace().op(0x04).bytes()); // nextFrame on the last frame
        w.showFrame();
        Run run(w.finish());
        for (int i = 0; i < 3; ++i)
            run.player->step();
        QCOMPARE(run.traces, QStringList({"1", "2"}));
        QCOMPARE(run.player->currentFrame(), 3);
        QVERIFY(!run.player->isPlaying());
    }

    // A class registered for an exported symbol reaches the clips attached
    // by that symbol's name, which matches without regard to case in every
    // version, as attachMovie matches it.
    void registeredClassFollowsTheExportName()
    {
        SwfWriter w(10, 10, 12, 7);
        w.beginSprite(10);
        w.showFrame();
        w.endSprite();
        w.writeTag(56, QByteArray::fromHex("01000a00") + "Ball" + '\0'); // ExportAssets: sprite 10 as "Ball"
        A script;
        script.defineFunction("C", {}, A()).getVariable("C").push({A::str("BALL"), A::num(2)});
        script.getVariable("Object").push({A::str("registerClass")}).op(0x52).op(0x17);
        script.callMethod("_root", "attachMovie", {A::str("ball"), A::str("b"), A::num(1)}).op(0x17);
        script.getVariable("b").getVariable("C").op(0x54).trace(); // b instanceof C
        QCOMPARE(tracesOf(w, script), QStringList{"true"});
    }

    // A file of version 4 knows slash paths only: a dot is part of a
    // variable's name, for setting, reading and deleting alike; from
    // version 5 on it parts the path.
    void dotsArePartOfNamesInVersion4_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("4") << 4 << QStringList{"x", "1", "undefined"};
        QTest::addRow("5") << 5 << QStringList{"undefined", "false", "undefined"};
    }
    void dotsArePartOfNamesInVersion4()
    {
        QFETCH(int, version);
        QFETCH(QStringList, expected);
        A script;
        script.setVariable("a.b", A::str("x")).getVariable("a.b").trace();
        script.push({A::str("a.b")}).op(0x3B).trace().getVariable("a.b").trace(); // delete a.b
        QCOMPARE(tracesOf(SwfWriter(10, 10, 12, version), script), expected);
    }

    // Up to version 6 the names of a path fold case, "this" among them;
    // from version 7 on they are exact.
    void pathNamesFoldCaseUpToVersion6_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("6") << 6 << QStringList{"_level0.box", "_level0.box"};
        QTest::addRow("7") << 7 << QStringList{"undefined", "undefined"};
    }
    void pathNamesFoldCaseUpToVersion6()
    {
        QFETCH(int, version);
        QFETCH(QStringList, expected);
        SwfWriter w(10, 10, 12, version);
        w.beginSprite(10);
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 10).named("box"));
        QCOMPARE(tracesOf(w, A().getVariable("THIS.box").trace().getVariable("_ROOT:box").trace()), expected);
    }

    // The array methods are generic: on any object they read and write
    // its length as they do an array's.
    void arrayMethodsKeepTheLengthOfAnyObject()
    {
        A script;
        script
            .push({A::str("o"), A::str("0"), A::str("a"), A::str("1"), A::str("b"), A::str("length"), A::num(2),
                   A::num(3)})
            .op(0x43) // o = {0: "a", 1: "b", length: 2}
            .op(0x1D);
        for (const QByteArray method : {"pop", "shift"}) {
            script.getVariable("o").push({A::num(1)}).getVariable("Array");
            script.push({A::str("prototype")}).op(0x4E).push({A::str(method)}).op(0x4E);
            script.push({A::str("call")}).op(0x52).trace(); // Array.prototype[method].call(o)
            script.getVariable("o.length").trace();
        }
        QCOMPARE(tracesOf(colourMovie(), script), QStringList({"b", "1", "a", "0"}));
    }

    // Object.watch: a watched name's new value goes through the function,
    // which gets the name, the old and new values and its data, and returns
    // what is set; after unwatch a set is plain again.
    void watchedNameTakesWhatTheFunctionReturns()
    {
        A body;
        body.getVariable("prop").trace().getVariable("oldVal").trace();
        body.getVariable("newVal").getVariable("data").op(0x47).op(0x3E); // return newVal + data
        A script;
        script.defineFunction("w", {"prop", "oldVal", "newVal", "data"}, body);
        script.push({A::str("o"), A::str("x"), A::num(1), A::num(1)}).op(0x43).op(0x1D); // o = {x: 1}
        script.push({A::str("!")}).getVariable("w").push({A::str("x"), A::num(3)});
        script.getVariable("o").push({A::str("watch")}).op(0x52).trace(); // o.watch("x", w, "!")
        script.getVariable("o").push({A::str("x"), A::num(2)}).op(0x4F).getVariable("o.x").trace();
        script.callMethod("o", "unwatch", {A::str("x")}).trace();
        script.getVariable("o").push({A::str("x"), A::num(3)}).op(0x4F).getVariable("o.x").trace();
        script.callMethod("o", "unwatch", {A::str("x")}).trace();
        QCOMPARE(tracesOf(colourMovie(), script), QStringList({"true", "x", "1", "2!", "true", "3", "false"}));
    }

    // A primitive is boxed by the class its type's global names when it is
    // used: a script's Number is constructed with the value, and a global
    // that is no class boxes nothing.
    void primitivesAreBoxedByTheGlobalOfTheirType()
    {
        A script;
        A made;
        made.push({A::str("made ")}).getVariable("v").op(0x47).trace();
        script.getVariable("_global").push({A::str("Number")}).defineFunction("", {"v"}, made).op(0x4F);
        script.getVariable("Number").push({A::str("prototype")}).op(0x4E);
        script.push({A::str("kind"), A::str("mine")}).op(0x4F); // Number.prototype.kind = "mine"
        script.push({A::num(42), A::str("kind")}).op(0x4E).trace();
        script.getVariable("_global").push({A::str("Number"), A::num(0)}).op(0x43).op(0x4F); // _global.Number = {}
        script.push({A::num(42), A::str("kind")}).op(0x4E).trace();
        QCOMPARE(tracesOf(colourMovie(), script), QStringList({"made 42", "mine", "undefined"}));
    }

    // A method that gives its object a class and then calls super() runs
    // that class's constructor: here Boolean's, so the object is true.
    void superFollowsAPrototypeGivenBeforeItIsCalled()
    {
        A method;
        method.getVariable("this").push({A::str("__proto__"), A::str("__proto__")});
        method.getVariable("Boolean").push({A::str("prototype")}).op(0x4E);
        method.push({A::str("__constructor__")}).getVariable("Boolean").push({A::num(2)}).op(0x43);
        method.op(0x4F); // this.__proto__ = {__proto__: Boolean.prototype, __constructor__: Boolean}
        method.push({A::boolean(true), A::num(1)}).getVariable("super").push({A::undefined()}).op(0x52).op(0x17);
        method.getVariable("this").trace();
        A script;
        script.push({A::str("T")}).defineFunction("", {}, A()).op(0x1D);
        script.getVariable("T").push({A::str("prototype")}).op(0x4E);
        script.push({A::str("become")}).defineFunction("", {}, method).op(0x4F); // T.prototype.become = ...
        script.push({A::str("t"), A::num(0), A::str("T")}).op(0x40).op(0x1D);
        script.callMethod("t", "become").op(0x17);
        QCOMPARE(tracesOf(colourMovie(), script), QStringList({"true"}));
    }

    // A prototype chain that loops ends as a long one does: instanceof and
    // a method call answer, and the script goes on.
    void loopingPrototypeChainsEnd()
    {
        A script;
        script.push({A::str("a"), A::num(0)}).op(0x43).op(0x1D); // a = {}
        script.push({A::str("b"), A::num(0)}).op(0x43).op(0x1D);
        script.getVariable("a").push({A::str("__proto__")}).getVariable("b").op(0x4F); // a.__proto__ = b
        script.getVariable("b").push({A::str("__proto__")}).getVariable("a").op(0x4F);
        script.getVariable("a").getVariable("Object").op(0x54).trace(); // a instanceof Object
        script.callMethod("a", "missing").trace();
        script.push({A::str("after")}).trace();
        QCOMPARE(tracesOf(colourMovie(), script), QStringList({"false", "undefined", "after"}));
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
