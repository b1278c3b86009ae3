// Title scripts that draw: what the drawing API, BitmapData, filters and
// scroll rectangles put on the stage, against the same pictures made by
// tags, and against the player's documented generator.

#include "tests/support/MovieTestKit.h"

#include "movie/writer/ActionWriter.h"

#include <numbers>

using namespace kit;
using movie::writer::ActionWriter;
using A = ActionWriter;

namespace {

// Script pieces the writer has no single call for.
A& pushArray(A& a, const QList<A::Operand>& items)
{
    QList<A::Operand> reversed(items.crbegin(), items.crend());
    reversed.append(A::num(items.size()));
    return a.push(reversed).op(0x42);
}

A& pushObject(A& a, const QList<std::pair<QByteArray, double>>& fields)
{
    for (const auto& [name, value] : fields)
        a.push({A::str(name), A::num(value)});
    return a.push({A::num(fields.size())}).op(0x43);
}

// target.method(...) with its `count` arguments already pushed, last first;
// the result dropped.
A& invoke(A& a, const QByteArray& target, const QByteArray& method, int count)
{
    return a.push({A::num(count)}).getVariable(target).push({A::str(method)}).op(0x52).op(0x17);
}

// new flash.<package>.<cls>(args...), left on the stack.
A& newFlashObject(A& a, const QByteArray& package, const QByteArray& cls, const QList<A::Operand>& args)
{
    QList<A::Operand> reversed(args.crbegin(), args.crend());
    reversed.append(A::num(args.size()));
    return a.push(reversed).getVariable("flash").push({A::str(package)}).op(0x4E).push({A::str(cls)}).op(0x53);
}

// A clip "plate" at depth 1 of the stage, the script's drawing target.
A& makePlate(A& a) { return a.callMethod("_root", "createEmptyMovieClip", {A::str("plate"), A::num(1)}).op(0x17); }

// The picture of bmd = new BitmapData(20, 20, false, 0) after `change`,
// attached to the stage.
QImage bitmapFrame(const std::function<void(A&)>& change)
{
    SwfWriter w = stage(kWhite, 20, 20);
    A a;
    a.push({A::str("bmd")});
    newFlashObject(a, "display", "BitmapData", {A::num(20), A::num(20), A::boolean(false), A::num(0)});
    a.op(0x1D);
    change(a);
    a.push({A::num(1)}).getVariable("bmd");
    a.push({A::num(2)}).getVariable("_root").push({A::str("attachBitmap")}).op(0x52).op(0x17);
    w.doAction(a.bytes());
    w.showFrame();
    return firstFrame(w);
}

} // namespace

class DrawingScriptsTest : public QObject {
    Q_OBJECT

private slots:
    // A plate with a half-transparent linear gradient, drawn by a script
    // and by a shape tag: the same pixels.
    void gradientPlateByScriptMatchesTheShapeTag()
    {
        // Numbers a file's 16.16 fixed point holds exactly.
        const Matrix gradient = [] {
            Matrix m = scale(0.0625, 0.046875, 50 * px, 40 * px);
            m.b = 0.0078125;
            return m;
        }();
        const QColor halfBlue(0, 0, 255, 127);

        SwfWriter byTag = stage(kWhite);
        ShapeSpec plate;
        plate.fills.push_back(Fill::gradient(Fill::Kind::Linear, gradient, {{0, kRed}, {255, halfBlue}}));
        plate.rect(QRect(10 * px, 10 * px, 80 * px, 60 * px), 1);
        byTag.defineShape(1, plate);
        byTag.placeObject2(Place::add(1, 1));
        byTag.showFrame();

        SwfWriter byScript = stage(kWhite);
        A a;
        makePlate(a);
        pushObject(a,
                   {{"a", gradient.a},
                    {"b", gradient.b},
                    {"c", gradient.c},
                    {"d", gradient.d},
                    {"tx", gradient.tx / px},
                    {"ty", gradient.ty / px}});
        pushArray(a, {A::num(0), A::num(255)});
        pushArray(a, {A::num(100), A::num(50)});
        pushArray(a, {A::num(0xFF0000), A::num(0x0000FF)});
        a.push({A::str("linear")});
        invoke(a, "plate", "beginGradientFill", 5);
        a.callMethod("plate", "moveTo", {A::num(10), A::num(10)}).op(0x17);
        for (const auto& [x, y] : {std::pair{90, 10}, {90, 70}, {10, 70}, {10, 10}})
            a.callMethod("plate", "lineTo", {A::num(x), A::num(y)}).op(0x17);
        a.callMethod("plate", "endFill").op(0x17);
        byScript.doAction(a.bytes());
        byScript.showFrame();

        const QImage expected = firstFrame(byTag);
        const QImage drawn = firstFrame(byScript);
        QVERIFY(expected.pixelColor(50, 40) != kWhite); // the tag's plate is there
        QCOMPARE(drawn, expected);
    }

    // noise() takes its numbers from the minimal standard generator seeded
    // with its seed: the same seed gives the same picture, the first red
    // value is 42 * 16807 mod 2^31 - 1, and another seed another picture.
    void noiseWithASeedGivesTheSamePictureTwice()
    {
        auto noise = [](int seed) {
            return bitmapFrame([seed](A& a) {
                a.callMethod("bmd", "noise", {A::num(seed), A::num(0), A::num(255), A::num(7), A::boolean(false)})
                    .op(0x17);
            });
        };
        const QImage first = noise(42);
        QCOMPARE(noise(42), first);
        QCOMPARE(qRed(first.pixel(0, 0)), int((42 * 16807) % 2147483647 % 256));
        QVERIFY(noise(43) != first);
    }

    // A drop shadow given by a script is drawn as the same shadow placed by
    // the file: angle in degrees, distance and blur alike.
    void filtersSetByScriptDrawLikeFiltersFromTheFile()
    {
        movie::Filter shadow;
        shadow.kind = movie::Filter::Kind::DropShadow;
        shadow.color = QColor(0, 0, 0);
        shadow.blurX = shadow.blurY = 4;
        shadow.distance = 6;
        shadow.angle = std::numbers::pi / 4;
        shadow.strength = 1;
        shadow.passes = 1;

        auto movieWith = [&](bool byScript) {
            SwfWriter w = stage(kWhite);
            w.defineShape(1, rectangle(QRect(20, 20, 40, 40), Fill::solid(kRed)));
            w.beginSprite(2);
            w.placeObject2(Place::add(1, 1));
            w.showFrame();
            w.endSprite();
            Place p = Place::add(1, 2).named("box");
            if (!byScript)
                p.filters = movie::FilterList{shadow};
            w.placeObject3(p);
            if (byScript) {
                A a;
                a.getVariable("box").push({A::str("filters")});
                newFlashObject(
                    a, "filters", "DropShadowFilter",
                    {A::num(6), A::num(45), A::num(0), A::num(1), A::num(4), A::num(4), A::num(1), A::num(1)});
                a.push({A::num(1)}).op(0x42).op(0x4F);
                w.doAction(a.bytes());
            }
            w.showFrame();
            return firstFrame(w);
        };
        const QImage expected = movieWith(false);
        QVERIFY(expected.pixelColor(63, 63) != kWhite); // the file's shadow is there
        QCOMPARE(movieWith(true), expected);
    }

    // A scroll rectangle shows its window of a clip's content at the clip's
    // place, and nothing of the content outside it.
    // hitTest with the shape flag finds what a script drew, not only its
    // box: a triangle's corner is in, the empty half of its box is out.
    void hitTestOnTheShapeFindsWhatAScriptDrew()
    {
        SwfWriter w = stage(kWhite);
        A a;
        makePlate(a);
        a.callMethod("plate", "beginFill", {A::num(0xFF0000)}).op(0x17);
        for (const auto& [x, y] : {std::pair{40, 0}, {0, 40}, {0, 0}})
            a.callMethod("plate", "lineTo", {A::num(x), A::num(y)}).op(0x17);
        a.callMethod("plate", "endFill").op(0x17);
        for (const auto& [x, y, shape] : {std::tuple{5, 5, true}, {35, 35, true}, {35, 35, false}})
            a.callMethod("plate", "hitTest", {A::num(x), A::num(y), A::boolean(shape)}).trace();
        w.doAction(a.bytes());
        w.showFrame();
        QCOMPARE(TracedPlayer(w.finish()).traces, QStringList({"true", "false", "true"}));
    }

    void scrollRectShowsItsWindow()
    {
        SwfWriter w = stage(kWhite);
        w.defineShape(1, rectangle(QRect(0, 0, 50, 50), Fill::solid(kRed)));
        w.defineShape(2, rectangle(QRect(50, 0, 50, 50), Fill::solid(kBlue)));
        w.beginSprite(3);
        w.placeObject2(Place::add(1, 1));
        w.placeObject2(Place::add(2, 2));
        w.showFrame();
        w.endSprite();
        w.placeObject2(Place::add(1, 3).named("strip").withMatrix(translate(10 * px, 10 * px)));
        A a;
        a.getVariable("strip").push({A::str("scrollRect")});
        newFlashObject(a, "geom", "Rectangle", {A::num(40), A::num(0), A::num(30), A::num(20)});
        a.op(0x4F);
        w.doAction(a.bytes());
        w.showFrame();
        const QImage image = firstFrame(w);
        EXPECT_PIXEL(image, 15, 15, kRed);   // content x 45
        EXPECT_PIXEL(image, 35, 15, kBlue);  // content x 65
        EXPECT_PIXEL(image, 45, 15, kWhite); // beyond the window's 30 pixels
        EXPECT_PIXEL(image, 15, 35, kWhite); // below its 20
    }
};

QTEST_MAIN(DrawingScriptsTest)
#include "tst_drawingscripts.moc"
