// Shape tweens, buttons, masks made of strokes, PlaceObject3's filters,
// blend modes and visibility, the LZMA container, and the corpus files of
// these features.

#include "tests/support/MovieTestKit.h"

#include "movie/MovieError.h"

#include <QDir>

using namespace kit;

namespace {

// A red square at 10..30 growing into a blue one at 40..90, drawn at `ratio`.
QImage morphAt(quint16 ratio, int version)
{
    SwfWriter w = stage(kGrey);
    w.defineMorphShape(1, rectangle(QRect(10, 10, 20, 20), Fill::solid(kRed)),
                       rectangle(QRect(40, 40, 50, 50), Fill::solid(kBlue)), version);
    w.placeObject2(Place::add(1, 1).withRatio(ratio));
    w.showFrame();
    return firstFrame(w);
}

} // namespace

class MorphShapeTest : public QObject {
    Q_OBJECT

private slots:
    void morphShapeFollowsTheRatio_data()
    {
        QTest::addColumn<int>("version");
        QTest::addRow("DefineMorphShape") << 1;
        QTest::addRow("DefineMorphShape2") << 2;
    }
    void morphShapeFollowsTheRatio()
    {
        QFETCH(int, version);
        QImage img = morphAt(0, version);
        EXPECT_PIXEL(img, 20, 20, kRed);
        EXPECT_PIXEL(img, 50, 50, kGrey);
        img = morphAt(65535, version);
        EXPECT_PIXEL(img, 20, 20, kGrey);
        EXPECT_PIXEL(img, 85, 85, kBlue);
        // Halfway: 25..60, half red and half blue.
        img = morphAt(32768, version);
        EXPECT_PIXEL(img, 27, 27, QColor(127, 0, 128));
        EXPECT_PIXEL(img, 57, 57, QColor(127, 0, 128));
        EXPECT_PIXEL(img, 22, 22, kGrey);
        EXPECT_PIXEL(img, 63, 63, kGrey);
    }

    // Morph shapes read their edges on their own: a curve with distinct x
    // and y deltas bulges to the top right at both ends of the tween.
    void morphCurveDeltasKeepTheirAxes()
    {
        ShapeSpec shape;
        shape.fills.push_back(Fill::solid(kRed));
        shape.style(0, 1, 0, QPoint(20 * px, 20 * px));
        shape.curveTo(80 * px, 20 * px, 80 * px, 80 * px);
        shape.lineTo(20 * px, 20 * px);
        for (const quint16 ratio : {quint16(0), quint16(65535)}) {
            SwfWriter w = stage(kGrey);
            w.defineMorphShape(1, shape, shape, 2);
            w.placeObject2(Place::add(1, 1).withRatio(ratio));
            w.showFrame();
            const QImage img = firstFrame(w);
            EXPECT_PIXEL(img, 60, 35, kRed);
            EXPECT_PIXEL(img, 35, 60, kGrey);
        }
    }

    // Placed again with a new ratio, the shape changes from frame to frame.
    void ratioChangesByFrame()
    {
        SwfWriter w = stage(kGrey);
        w.defineMorphShape(1, rectangle(QRect(10, 10, 20, 20), Fill::solid(kRed)),
                           rectangle(QRect(60, 60, 20, 20), Fill::solid(kRed)));
        w.placeObject2(Place::add(1, 1));
        w.showFrame();
        w.placeObject2(Place::modify(1).withRatio(65535));
        w.showFrame();
        const auto p = play(w.finish());
        EXPECT_PIXEL(frame(*p), 20, 20, kRed);
        p->step();
        const QImage img = frame(*p);
        EXPECT_PIXEL(img, 20, 20, kGrey);
        EXPECT_PIXEL(img, 70, 70, kRed);
    }

    void morphGradientsAndLines()
    {
        SwfWriter w = stage(kGrey);
        const Matrix across = scale(100.0 * px / 32768, 1, 50 * px, 0);
        ShapeSpec start =
            rectangle(QRect(0, 0, 100, 40), Fill::gradient(Fill::Kind::Linear, across, {{0, kRed}, {255, kRed}}));
        ShapeSpec end =
            rectangle(QRect(0, 0, 100, 40), Fill::gradient(Fill::Kind::Linear, across, {{0, kBlue}, {255, kBlue}}));
        ShapeSpec::Line thin;
        thin.width = 2 * px;
        thin.color = kGreen;
        ShapeSpec::Line thick = thin;
        thick.width = 20 * px;
        start.lines = {thin};
        end.lines = {thick};
        start.style(0, 0, 1, QPoint(0, 70 * px)).lineTo(100 * px, 70 * px);
        end.style(0, 0, 1, QPoint(0, 70 * px)).lineTo(100 * px, 70 * px);
        w.defineMorphShape(1, start, end, 2);
        w.placeObject2(Place::add(1, 1).withRatio(65535));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 50, 20, kBlue);
        EXPECT_PIXEL(img, 50, 62, kGreen); // 10 pixels from the line's middle
        EXPECT_PIXEL(img, 50, 85, kGrey);
    }

    // Only the up state shows, with its own colour transform.
    void buttonShowsItsUpState()
    {
        SwfWriter w = stage(kGrey);
        w.defineShape(1, rectangle(QRect(0, 0, 40, 40), Fill::solid(kRed)));
        ColorTransform toBlue;
        toBlue.rm = 0;
        toBlue.ba = 255;
        SwfWriter::ButtonRecord up{0x01, 1, 1, translate(10 * px, 10 * px), toBlue};
        SwfWriter::ButtonRecord over{0x02 | 0x04 | 0x08, 1, 2, translate(50 * px, 50 * px), std::nullopt};
        w.defineButton(2, {up, over}, 2);
        const QImage img = drawPlaced(w, 2);
        EXPECT_PIXEL(img, 30, 30, kBlue);
        EXPECT_PIXEL(img, 80, 80, kGrey);
    }

    void firstButtonTakesDefineButtonCxform()
    {
        SwfWriter w = stage(kGrey);
        w.defineShape(1, rectangle(QRect(0, 0, 40, 40), Fill::solid(kRed)));
        w.defineButton(2, {SwfWriter::ButtonRecord{0x01 | 0x08, 1, 1, translate(10 * px, 10 * px), std::nullopt}}, 1);
        ColorTransform toGreen;
        toGreen.rm = 0;
        toGreen.ga = 255;
        w.defineButtonCxform(2, toGreen);
        w.placeObject2(Place::add(1, 2).withMatrix(translate(20 * px, 0)));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 50, 30, kGreen);
        EXPECT_PIXEL(img, 20, 30, kGrey);
    }

    // A mask made of a stroke alone lets the content show along the stroke.
    void strokeOnlyMask()
    {
        SwfWriter w = stage(kGrey);
        ShapeSpec line;
        ShapeSpec::Line pen;
        pen.width = 20 * px;
        line.lines = {pen};
        line.style(0, 0, 1, QPoint(0, 50 * px)).lineTo(100 * px, 50 * px);
        w.defineShape(1, line);
        w.defineShape(2, rectangle(QRect(0, 0, 100, 100), Fill::solid(kGreen)));
        w.placeObject2(Place::add(1, 1).withClipDepth(2));
        w.placeObject2(Place::add(2, 2));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 50, 50, kGreen);
        EXPECT_PIXEL(img, 50, 44, kGreen);
        EXPECT_PIXEL(img, 50, 30, kGrey);
        EXPECT_PIXEL(img, 50, 70, kGrey);
    }

    // A morph shape masks as the shape of its ratio.
    void morphShapeMask()
    {
        SwfWriter w = stage(kGrey);
        w.defineMorphShape(1, rectangle(QRect(0, 0, 20, 20), Fill::solid(kRed)),
                           rectangle(QRect(60, 60, 40, 40), Fill::solid(kRed)));
        w.defineShape(2, rectangle(QRect(0, 0, 100, 100), Fill::solid(kGreen)));
        w.placeObject2(Place::add(1, 1).withRatio(65535).withClipDepth(2));
        w.placeObject2(Place::add(2, 2));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 80, 80, kGreen);
        EXPECT_PIXEL(img, 10, 10, kGrey);
    }

    // After a filter list (here a glow of no strength), blend modes and
    // visibility are read and drawn.
    void placeObject3FiltersBlendModesAndVisibility()
    {
        SwfWriter w = stage(kWhite);
        w.defineShape(1, rectangle(QRect(0, 0, 60, 60), Fill::solid(kRed)));
        w.defineShape(2, rectangle(QRect(40, 40, 60, 60), Fill::solid(kGreen)));
        w.defineShape(3, rectangle(QRect(0, 80, 20, 20), Fill::solid(kBlue)));
        w.placeObject3(Place::add(1, 1));
        Place multiply = Place::add(2, 2);
        multiply.blendMode = 3;
        movie::Filter faint;
        faint.kind = movie::Filter::Kind::Glow;
        faint.color = kBlue;
        faint.strength = 0;
        multiply.filters = movie::FilterList{faint};
        w.placeObject3(multiply);
        Place hidden = Place::add(3, 3);
        hidden.visible = false;
        w.placeObject3(hidden);
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 20, 20, kRed);
        EXPECT_PIXEL(img, 50, 50, QColor(0, 0, 0)); // red times green
        EXPECT_PIXEL(img, 80, 80, kGreen);
        EXPECT_PIXEL(img, 10, 90, kWhite);
    }

    void lzmaContainer()
    {
        SwfWriter w(60, 40, 12);
        w.setBackground(kGrey);
        w.defineShape(1, rectangle(QRect(10, 10, 20, 20), Fill::solid(kRed)));
        w.placeObject2(Place::add(1, 1));
        w.showFrame();
        const QByteArray bytes = w.finish(SwfWriter::Compression::Lzma);
        QVERIFY(bytes.startsWith("ZWS"));
        const auto p = play(bytes);
        QVERIFY(p->movie().damage().isEmpty());
        QCOMPARE(p->movie().stageSizePixels(), QSize(60, 40));
        EXPECT_PIXEL(frame(*p), 20, 20, kRed);
        // Cut short, it plays what it holds or is refused; never more.
        for (qsizetype n = 0; n < bytes.size(); n += 3) {
            try {
                QVERIFY(!play(bytes.left(n))->renderImage(QSize(30, 20)).isNull());
            } catch (const movie::MovieError& e) {
                QVERIFY2(e.text().contains("case.swf"), qPrintable(e.text()));
            }
        }
    }

    void malformedLzmaCorpusFilesAreRefusedClearly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("length too large") << "lzma-length-too-large.swf";
        QTest::addRow("malformed length") << "lzma-malformed-length.swf";
    }
    void malformedLzmaCorpusFilesAreRefusedClearly()
    {
        QFETCH(QString, name);
        const QString path = sharedFile(QStringLiteral("swf-corpus/") + name);
        if (path.isEmpty() || !QFile::exists(path))
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        try {
            movie::Movie::load(path);
            QFAIL("the damaged file was taken as a movie");
        } catch (const movie::MovieError& e) {
            QVERIFY2(e.text().contains(name) && e.text().contains("LZMA") && e.text().contains("damaged"),
                     qPrintable(e.text()));
        }
    }

    void corpusLzmaMoviePlays()
    {
        const QString path = sharedFile("swf-corpus/lzma.swf");
        if (path.isEmpty() || !QFile::exists(path))
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        movie::MoviePlayer p(movie::Movie::load(path));
        QVERIFY(p.movie().damage().isEmpty());
        QVERIFY(p.movie().timeline().frameCount() >= 1);
        QVERIFY(!frame(p).isNull());
    }

    // Corpus buttons show their up state where it stands, and corpus
    // tweens change from their first frame to later ones.
    void corpusButtonsAndTweens()
    {
        const QString button = sharedFile("swf-corpus/DefineButton-MX.swf");
        if (button.isEmpty() || !QFile::exists(button))
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        const QColor ground(255, 255, 255);
        for (const char* name : {"DefineButton-MX.swf", "DefineButton2-CS6.swf", "DefineButtonCxformSound-MX.swf"}) {
            movie::MoviePlayer p(movie::Movie::load(sharedFile(QStringLiteral("swf-corpus/") + name)));
            const QImage img = frame(p);
            int coloured = 0;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 120; ++x)
                    coloured += !near(img.pixelColor(x, y), ground, 10);
            QVERIFY2(coloured > 50, name);
        }
        for (const char* name :
             {"DefineMorphShape-MX.swf", "DefineMorphShape2.swf", "DefineMorphShape2-GradientFlags.swf"}) {
            movie::MoviePlayer p(movie::Movie::load(sharedFile(QStringLiteral("swf-corpus/") + name)));
            const QImage first = frame(p);
            for (int i = 0; i < 3; ++i)
                p.step();
            QVERIFY2(frame(p) != first, name);
        }
    }
};

QTEST_GUILESS_MAIN(MorphShapeTest)
#include "tst_morphshape.moc"
