// Made-up titles that would each make the engine grow without end: each is
// cut off at its limit, says so in a warning, and plays on. The titles are
// made a few times past their limits here; bench/hostile plays them at the
// sizes that once took the engine past every budget.

#include "movie/Limits.h"
#include "movie/writer/ActionWriter.h"
#include "tests/support/HostileMovies.h"
#include "tests/support/MovieTestKit.h"

using namespace kit;
namespace limits = movie::limits;

namespace {

// Whether the player noted a warning that starts so.
bool warned(const movie::MoviePlayer& player, const QString& start)
{
    for (const QString& warning : player.warnings())
        if (warning.startsWith(start))
            return true;
    return false;
}

} // namespace

class HostileMoviesTest : public QObject {
    Q_OBJECT

private slots:
    // Each string is within the length limit; their sum is not.
    void scriptsKeepingLongStringsAreStoppedAtTheHeapBudget()
    {
        const auto player = play(hostile::stringHoard());
        QVERIFY(player->warnings().isEmpty());
        for (int i = 0; i < 8; ++i)
            player->step();
        QVERIFY2(
            warned(*player, QStringLiteral("the scripts hold more than %1 MB").arg(limits::kMaxScriptHeapBytes >> 20)),
            qPrintable(player->warnings().join('\n')));
        QVERIFY(player->isAnimating()); // the timeline goes on
    }

    void anEndlessLoopIsStoppedWithAWarning()
    {
        SwfWriter w = stage(kWhite);
        w.doAction(movie::writer::ActionWriter().label("again").jump("again").bytes());
        w.showFrame();
        const auto player = play(w.finish());
        QVERIFY(warned(*player, QStringLiteral("the scripts of a frame did more than")));
    }

    void progressivePicturesAreRefusedPastTheScanLimit()
    {
        const auto endless = play(hostile::jpegScans(3000, 256));
        QCOMPARE(endless->warnings(), QStringList{"picture 1 is not shown: its JPEG data cannot be decoded"});
        const auto atTheLimit = play(hostile::jpegScans(limits::kMaxJpegScans, 256));
        QVERIFY(atTheLimit->warnings().isEmpty());
    }

    void aFrameKeepsItsFirstTagsOnly()
    {
        const auto player = play(hostile::actionFlood(4 * limits::kMaxFrameTags));
        QCOMPARE(player->movie().timeline().frames.front().commands.size(), size_t(limits::kMaxFrameTags));
        QCOMPARE(player->warnings(),
                 QStringList{QStringLiteral("a frame holds more than %1 tags: the rest of its tags are left out")
                                 .arg(limits::kMaxFrameTags)});
    }

    void aMovieKeepsItsFirstTagsOnly()
    {
        SwfWriter w = stage(kWhite);
        for (int i = 0; i < limits::kMaxMovieTags + 10; ++i)
            w.showFrame();
        const auto player = play(w.finish());
        QVERIFY(warned(*player, QStringLiteral("the movie holds more than %1 tags").arg(limits::kMaxMovieTags)));
    }

    void aShapeKeepsItsFirstEdgesOnly()
    {
        const auto player = play(hostile::edgeFlood(2 * limits::kMaxShapeEdges));
        QCOMPARE(player->warnings(),
                 QStringList{QStringLiteral("shape 1 has more than %1 edges: the rest of them "
                                            "are left out")
                                 .arg(limits::kMaxShapeEdges)});
        const movie::ShapeDef& shape = *player->movie().character(1)->shape;
        QCOMPARE(shape.layers.front().fills.front().path.boundingRect().width(),
                 double(limits::kMaxShapeEdges)); // a twip to the right an edge
        QVERIFY(!shape.outline().isEmpty());      // as a mask: rough, never slow
    }

    void aFieldKeepsTheStartOfItsText()
    {
        const auto player = play(hostile::htmlFlood(4 * limits::kMaxFieldText));
        QCOMPARE(player->warnings(),
                 QStringList{QStringLiteral("the text of field 1 is cut to %1 characters").arg(limits::kMaxFieldText)});
    }
};

QTEST_MAIN(HostileMoviesTest)
#include "tst_hostilemovies.moc"
