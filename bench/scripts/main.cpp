// Script benchmark and conformance report.
//
// bench_scripts [CONFORMANCE_DIR...]
//
// 1. The cost of a frame of script: a 265 x 65 title whose 24 clips each
//    move, turn and fade in an onEnterFrame handler while the movie's own
//    frame script sums a hundred numbers in a loop, stepped without drawing.
// 2. The conformance sets (SKINEDIT_SHARED_DIR/avm1-conformance and
//    avm1-conformance-2 by default): how many movies give exactly the
//    reference trace log, per category.

#include "movie/play/MoviePlayer.h"
#include "movie/writer/ActionWriter.h"
#include "movie/writer/SwfWriter.h"
#include "tests/support/ConformanceSet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <map>

namespace {

using movie::writer::ActionWriter;
using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;
using A = ActionWriter;

QByteArray scriptedTitle()
{
    constexpr int px = 20;
    SwfWriter w(265, 65, 24);
    ShapeSpec square;
    square.fills.push_back(ShapeSpec::Fill::solid(QColor(200, 120, 40)));
    square.rect(QRect(0, 0, 8 * px, 8 * px), 1);
    w.defineShape(1, square);
    w.beginSprite(2);
    w.placeObject2(SwfWriter::Place::add(1, 1));
    w.showFrame();
    w.endSprite();
    // Each clip: this._x = (this._x + 3) % 265; this._rotation += 5; this._alpha = 50 + this._x % 50
    const ActionWriter move = A().push({A::str("this")})
                                  .getVariable("this")
                                  .push({A::str("_x")})
                                  .getVariable("this")
                                  .push({A::str("_x")})
                                  .op(0x4E)
                                  .push({A::num(3)})
                                  .op(0x47)
                                  .push({A::num(265)})
                                  .op(0x3F)
                                  .op(0x4F)
                                  .op(0x17)
                                  .getVariable("this")
                                  .push({A::str("_rotation")})
                                  .getVariable("this")
                                  .push({A::str("_rotation")})
                                  .op(0x4E)
                                  .push({A::num(5)})
                                  .op(0x47)
                                  .op(0x4F)
                                  .getVariable("this")
                                  .push({A::str("_alpha"), A::num(50)})
                                  .getVariable("this")
                                  .push({A::str("_x")})
                                  .op(0x4E)
                                  .push({A::num(50)})
                                  .op(0x3F)
                                  .op(0x47)
                                  .op(0x4F);
    ActionWriter setup;
    setup.defineFunction("move", {}, move);
    for (int i = 0; i < 24; ++i) {
        const QByteArray name = "clip" + QByteArray::number(i);
        w.placeObject2(SwfWriter::Place::add(quint16(i + 2), 2).named(name));
        setup.getVariable(name).push({A::str("_x"), A::num(i * 11)}).op(0x4F);
        setup.getVariable(name).push({A::str("onEnterFrame")}).getVariable("move").op(0x4F);
    }
    w.doAction(setup.bytes());
    w.showFrame();
    // The movie's second frame sums 1..100 and loops back to it.
    w.doAction(A().setVariable("sum", A::num(0))
                   .setVariable("i", A::num(0))
                   .label("top")
                   .push({A::str("sum")})
                   .getVariable("sum")
                   .getVariable("i")
                   .op(0x47)
                   .op(0x1D)
                   .push({A::str("i")})
                   .getVariable("i")
                   .op(0x50)
                   .op(0x1D)
                   .getVariable("i")
                   .push({A::num(100)})
                   .op(0x48)
                   .ifTrue("top")
                   .bytes());
    w.showFrame();
    w.showFrame();
    return w.finish();
}

void frameCost()
{
    movie::MoviePlayer player(movie::Movie::fromBytes(scriptedTitle(), QStringLiteral("title")));
    constexpr int kFrames = 2000;
    for (int i = 0; i < 50; ++i)
        player.step(); // warm up
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kFrames; ++i)
        player.step();
    const double us = timer.nsecsElapsed() / 1e3 / kFrames;
    std::printf("scripted title (24 clips with onEnterFrame, a 100-step loop): %.1f us per frame of script, "
                "mean of %d frames\n",
                us, kFrames);
}

void conformance(const QString& dir)
{
    const QList<ConformanceCase> cases = conformanceCases(dir);
    if (cases.isEmpty()) {
        std::printf("conformance set %s: not found\n", qPrintable(dir));
        return;
    }
    std::map<QString, std::pair<int, int>> byCategory;
    int passed = 0;
    QElapsedTimer timer;
    timer.start();
    for (const ConformanceCase& c : cases) {
        const bool pass = runConformanceCase(dir, c).passes();
        auto& [categoryPassed, categoryTotal] = byCategory[c.category];
        categoryPassed += pass;
        ++categoryTotal;
        passed += pass;
    }
    std::printf("conformance set %s: %d of %lld movies give the reference trace log (%.1f s)\n",
                qPrintable(QFileInfo(dir).fileName()), passed, static_cast<long long>(cases.size()),
                timer.elapsed() / 1000.0);
    for (const auto& [category, counts] : byCategory)
        std::printf("  %-12s %3d of %3d\n", qPrintable(category), counts.first, counts.second);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString shared = qEnvironmentVariable("SKINEDIT_SHARED_DIR", QStringLiteral(SKINEDIT_SHARED_DIR));
    QStringList dirs;
    for (int i = 1; i < argc; ++i)
        dirs << QString::fromLocal8Bit(argv[i]);
    if (dirs.isEmpty())
        dirs << shared + QStringLiteral("/avm1-conformance") << shared + QStringLiteral("/avm1-conformance-2");
    frameCost();
    for (const QString& dir : dirs)
        conformance(dir);
    return 0;
}
