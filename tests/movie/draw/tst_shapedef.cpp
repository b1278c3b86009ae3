// The movie engine's drawing: fills, lines, gradients, placement matrices,
// colour transforms and clip-depth masks, on movies written case by case.

#include "tests/support/MovieTestKit.h"

using namespace kit;

namespace {

const QColor kBackground(0, 0, 255);

// A 100 x 100 stage with a blue background and `shape` as character 1 at depth 1.
QImage drawOne(const ShapeSpec& shape, int version = 3, const Matrix& at = Matrix{},
               std::optional<ColorTransform> cx = std::nullopt)
{
    SwfWriter w = stage(kBackground);
    w.defineShape(1, shape, version);
    return drawPlaced(w, 1, at, cx);
}

ShapeSpec redSquare(int version)
{
    ShapeSpec s;
    s.fills.push_back(Fill::solid(version >= 3 ? QColor(255, 0, 0, 255) : kRed));
    s.rect(QRect(20 * px, 20 * px, 60 * px, 60 * px), 1);
    return s;
}

} // namespace

class ShapeDefTest : public QObject {
    Q_OBJECT

private slots:
    void solidFillInEveryShapeVersion_data()
    {
        QTest::addColumn<int>("version");
        for (int v = 1; v <= 4; ++v)
            QTest::addRow("DefineShape%d", v) << v;
    }
    void solidFillInEveryShapeVersion()
    {
        QFETCH(int, version);
        const QImage img = drawOne(redSquare(version), version);
        QCOMPARE(img.size(), QSize(100, 100));
        EXPECT_PIXEL(img, 50, 50, kRed);
        EXPECT_PIXEL(img, 21, 21, kRed);
        EXPECT_PIXEL(img, 10, 10, kBackground);
        EXPECT_PIXEL(img, 90, 50, kBackground);
    }

    // Edges with the fill on their left (fill0) run the other way round; a
    // square drawn anticlockwise with fill0 is filled just the same.
    void fill0EdgesAreTurnedRound()
    {
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.style(1, 0, 0, QPoint(20 * px, 20 * px));
        s.lineTo(20 * px, 80 * px).lineTo(80 * px, 80 * px).lineTo(80 * px, 20 * px).lineTo(20 * px, 20 * px);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 50, 50, kRed);
        EXPECT_PIXEL(img, 10, 50, kBackground);
    }

    // Two regions sharing an edge, written as authoring tools write them: the
    // shared edge once, with fill0 and fill1, the outer edges in pieces out
    // of order. Each region must come out closed and whole.
    void regionsSharingAnEdgeAreAssembledPerFill()
    {
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.fills.push_back(Fill::solid(kGreen));
        // Going clockwise round a region (y down) keeps it on fill1's side.
        // The shared middle edge, top to bottom: clockwise for red, not for green.
        s.style(2, 1, 0, QPoint(50 * px, 10 * px)).lineTo(50 * px, 90 * px);
        // green's outer edges, anticlockwise from the bottom middle
        s.style(2, 0, 0).lineTo(90 * px, 90 * px).lineTo(90 * px, 10 * px);
        s.style(-1, -1, -1, QPoint(90 * px, 10 * px)).lineTo(50 * px, 10 * px);
        // red's outer edges, given from the far corner first
        s.style(0, 1, 0, QPoint(10 * px, 90 * px)).lineTo(10 * px, 10 * px).lineTo(50 * px, 10 * px);
        s.style(-1, -1, -1, QPoint(50 * px, 90 * px)).lineTo(10 * px, 90 * px);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 30, 50, kRed);
        EXPECT_PIXEL(img, 12, 12, kRed);
        EXPECT_PIXEL(img, 70, 50, kGreen);
        EXPECT_PIXEL(img, 88, 88, kGreen);
        EXPECT_PIXEL(img, 5, 50, kBackground);
        EXPECT_PIXEL(img, 95, 50, kBackground);
    }

    void holeInsideARegionStaysOpen()
    {
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.rect(QRect(10 * px, 10 * px, 80 * px, 80 * px), 1);
        // inner square, clockwise again but with the fill on its outside
        s.style(1, 0, 0, QPoint(30 * px, 30 * px));
        s.lineTo(70 * px, 30 * px).lineTo(70 * px, 70 * px).lineTo(30 * px, 70 * px).lineTo(30 * px, 30 * px);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 50, 50, kBackground);
        EXPECT_PIXEL(img, 20, 50, kRed);
        EXPECT_PIXEL(img, 80, 80, kRed);
    }

    // Overlapping loops of one fill: even-odd leaves the overlap empty unless
    // a DefineShape4 asks for the non-zero rule.
    void windingRule_data()
    {
        QTest::addColumn<bool>("nonZero");
        QTest::addRow("even-odd") << false;
        QTest::addRow("non-zero") << true;
    }
    void windingRule()
    {
        QFETCH(bool, nonZero);
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.nonZeroWinding = nonZero;
        s.rect(QRect(10 * px, 10 * px, 50 * px, 50 * px), 1);
        s.rect(QRect(40 * px, 40 * px, 50 * px, 50 * px), 1);
        const QImage img = drawOne(s, 4);
        EXPECT_PIXEL(img, 20, 20, kRed);
        EXPECT_PIXEL(img, 80, 80, kRed);
        EXPECT_PIXEL(img, 50, 50, nonZero ? kRed : kBackground);
    }

    void curvedEdges()
    {
        // A diamond with sides bulging out: quadratic curves through the
        // corners of the square around it.
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.style(0, 1, 0, QPoint(50 * px, 10 * px));
        s.curveTo(90 * px, 10 * px, 90 * px, 50 * px);
        s.curveTo(90 * px, 90 * px, 50 * px, 90 * px);
        s.curveTo(10 * px, 90 * px, 10 * px, 50 * px);
        s.curveTo(10 * px, 10 * px, 50 * px, 10 * px);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 50, 50, kRed);
        EXPECT_PIXEL(img, 75, 25, kRed);        // inside the bulge, outside a straight diamond
        EXPECT_PIXEL(img, 13, 13, kBackground); // the square's corner stays out
    }

    // A curve whose control and anchor deltas differ in x and y: its bulge
    // goes to the top right, as a swap of the axes would not draw it.
    void curveDeltasKeepTheirAxes()
    {
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.style(0, 1, 0, QPoint(20 * px, 20 * px));
        s.curveTo(80 * px, 20 * px, 80 * px, 80 * px);
        s.lineTo(20 * px, 20 * px);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 60, 35, kRed);
        EXPECT_PIXEL(img, 35, 60, kBackground);
    }

    void newStylesStartANewLayerOnTop()
    {
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.rect(QRect(10 * px, 10 * px, 80 * px, 80 * px), 1);
        s.newStyles({Fill::solid(kGreen)}, {});
        s.rect(QRect(30 * px, 30 * px, 40 * px, 40 * px), 1);
        const QImage img = drawOne(s, 2);
        EXPECT_PIXEL(img, 50, 50, kGreen);
        EXPECT_PIXEL(img, 20, 20, kRed);
    }

    void linearGradient()
    {
        ShapeSpec s;
        // the gradient square (32768 twips) squeezed onto x 0..100 px
        Matrix m = scale(100.0 * px / 32768, 1, 50 * px, 50 * px);
        s.fills.push_back(Fill::gradient(Fill::Kind::Linear, m, {{0, kRed}, {255, kGreen}}));
        s.rect(QRect(0, 0, 100 * px, 100 * px), 1);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 1, 50, QColor(253, 2, 0));
        EXPECT_PIXEL(img, 98, 50, QColor(2, 253, 0));
        EXPECT_PIXEL(img, 50, 50, QColor(128, 127, 0));
        EXPECT_PIXEL(img, 50, 5, QColor(128, 127, 0)); // constant along y
    }

    void gradientSpreadModes_data()
    {
        QTest::addColumn<int>("spread");
        QTest::addColumn<QColor>("beyond");
        // Gradient over x 0..50 px; sampled at x 75, a quarter beyond its end.
        QTest::addRow("pad") << 0 << kGreen;
        QTest::addRow("reflect") << 1 << QColor(128, 127, 0);
        QTest::addRow("repeat") << 2 << QColor(128, 127, 0);
        // and at x 60, a fifth beyond: reflected back to 0.8, or repeated from 0.2
    }
    void gradientSpreadModes()
    {
        QFETCH(int, spread);
        QFETCH(QColor, beyond);
        ShapeSpec s;
        Matrix m = scale(50.0 * px / 32768, 1, 25 * px, 0);
        s.fills.push_back(Fill::gradient(Fill::Kind::Linear, m, {{0, kRed}, {255, kGreen}}, spread));
        s.rect(QRect(0, 0, 100 * px, 100 * px), 1);
        const QImage img = drawOne(s, 4);
        EXPECT_PIXEL(img, 75, 50, beyond);
        EXPECT_PIXEL(img, 60, 50, spread == 0 ? kGreen : spread == 1 ? QColor(51, 204, 0) : QColor(204, 51, 0));
    }

    void radialAndFocalGradients()
    {
        Matrix m = scale(40.0 * px / 16384, 40.0 * px / 16384, 50 * px, 50 * px);
        ShapeSpec radial;
        radial.fills.push_back(Fill::gradient(Fill::Kind::Radial, m, {{0, kRed}, {255, kGreen}}));
        radial.rect(QRect(0, 0, 100 * px, 100 * px), 1);
        QImage img = drawOne(radial);
        EXPECT_PIXEL(img, 50, 50, kRed);
        EXPECT_PIXEL(img, 70, 50, QColor(128, 127, 0));
        EXPECT_PIXEL(img, 50, 30, QColor(128, 127, 0));
        EXPECT_PIXEL(img, 95, 95, kGreen);

        ShapeSpec focal = radial;
        focal.fills[0].kind = Fill::Kind::Focal;
        focal.fills[0].focal = 0.5; // the centre colour sits 20 px right of the middle
        img = drawOne(focal, 4);
        QVERIFY2(img.pixelColor(70, 50).red() > 240, "the focal point is not at the first colour");
        QVERIFY(!near(img.pixelColor(50, 50), kRed, 30));
    }

    void gradientStopsAtOneRatioSplitTheColours()
    {
        // Red up to the middle, green from it: a hard edge.
        ShapeSpec s;
        Matrix m = scale(100.0 * px / 32768, 1, 50 * px, 0);
        s.fills.push_back(Fill::gradient(Fill::Kind::Linear, m, {{128, kRed}, {128, kBackground}, {128, kGreen}}));
        s.rect(QRect(0, 0, 100 * px, 100 * px), 1);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 45, 50, kRed);
        EXPECT_PIXEL(img, 55, 50, kGreen);
    }

    // Colours and alpha mix separately: halfway from opaque white to
    // transparent black is a half-transparent grey, not a half-transparent
    // white.
    void translucentGradientMixesWithoutPremultipliedAlpha()
    {
        ShapeSpec s;
        Matrix m = scale(100.0 * px / 32768, 1, 50 * px, 0);
        s.fills.push_back(
            Fill::gradient(Fill::Kind::Linear, m, {{0, QColor(255, 255, 255, 255)}, {255, QColor(0, 0, 0, 0)}}));
        s.rect(QRect(0, 0, 100 * px, 100 * px), 1);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 50, 50, QColor(64, 64, 191)); // grey at half alpha over the blue ground
        EXPECT_PIXEL(img, 1, 50, kWhite);
    }

    // A vertical line 2 pixels wide in a shape drawn four times as wide:
    // its width follows the horizontal scale unless its style says not to.
    void lineScaleModes_data()
    {
        QTest::addColumn<bool>("noHScale");
        QTest::addColumn<bool>("noVScale");
        QTest::addColumn<bool>("wide");
        QTest::addRow("normal") << false << false << true;
        QTest::addRow("vertical only") << true << false << false;
        QTest::addRow("horizontal only") << false << true << true;
        QTest::addRow("none") << true << true << false;
    }
    void lineScaleModes()
    {
        QFETCH(bool, noHScale);
        QFETCH(bool, noVScale);
        QFETCH(bool, wide);
        ShapeSpec s;
        ShapeSpec::Line l;
        l.width = 2 * px;
        l.color = kRed;
        l.cap = 1;
        l.noHScale = noHScale;
        l.noVScale = noVScale;
        s.lines = {l};
        s.style(-1, -1, 1, QPoint(10 * px, 20 * px)).lineTo(10 * px, 80 * px);
        const QImage img = drawOne(s, 4, scale(4, 1));
        EXPECT_PIXEL(img, 40, 50, kRed);
        EXPECT_PIXEL(img, 43, 50, wide ? kRed : kBackground); // 8 pixels wide, or 2
    }

    void lineWidthsAndHairlines()
    {
        ShapeSpec s;
        ShapeSpec::Line thick;
        thick.width = 10 * px;
        thick.color = kRed;
        ShapeSpec::Line hair;
        hair.width = 0;
        hair.color = kGreen;
        s.lines = {thick, hair};
        s.style(-1, -1, 1, QPoint(20 * px, 30 * px)).lineTo(80 * px, 30 * px);
        s.style(-1, -1, 2, QPoint(20 * px, 70 * px)).lineTo(80 * px, 70 * px);
        const QImage img = drawOne(s);
        EXPECT_PIXEL(img, 50, 30, kRed);
        EXPECT_PIXEL(img, 50, 27, kRed);
        EXPECT_PIXEL(img, 50, 22, kBackground);
        // a zero width draws a one-pixel line at any scale
        QVERIFY2(!near(img.pixelColor(50, 70), kBackground) || !near(img.pixelColor(50, 69), kBackground),
                 "the hairline is missing");
        EXPECT_PIXEL(img, 50, 66, kBackground);
    }

    void lineCaps_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<bool>("pastTheEnd");
        QTest::addRow("round") << 0 << true;
        QTest::addRow("none") << 1 << false;
        QTest::addRow("square") << 2 << true;
    }
    void lineCaps()
    {
        QFETCH(int, cap);
        QFETCH(bool, pastTheEnd);
        ShapeSpec s;
        ShapeSpec::Line l;
        l.width = 20 * px;
        l.color = kRed;
        l.cap = cap;
        s.lines = {l};
        s.style(-1, -1, 1, QPoint(30 * px, 50 * px)).lineTo(70 * px, 50 * px);
        const QImage img = drawOne(s, 4);
        EXPECT_PIXEL(img, 50, 50, kRed);
        EXPECT_PIXEL(img, 75, 50, pastTheEnd ? kRed : kBackground);
        // the square cap fills the corner the round one leaves
        EXPECT_PIXEL(img, 78, 42, cap == 2 ? kRed : kBackground);
    }

    void lineJoins_data()
    {
        QTest::addColumn<int>("join");
        QTest::addRow("round") << 0;
        QTest::addRow("bevel") << 1;
        QTest::addRow("miter") << 2;
    }
    void lineJoins()
    {
        QFETCH(int, join);
        ShapeSpec s;
        ShapeSpec::Line l;
        l.width = 20 * px;
        l.color = kRed;
        l.join = join;
        l.cap = 1;
        s.lines = {l};
        s.style(-1, -1, 1, QPoint(20 * px, 50 * px)).lineTo(50 * px, 50 * px).lineTo(50 * px, 90 * px);
        const QImage img = drawOne(s, 4);
        // the outer corner of the join, at (58, 42)
        EXPECT_PIXEL(img, 58, 42, join == 2 ? kRed : kBackground);
        EXPECT_PIXEL(img, 53, 47, kRed);
    }

    void lineWithAGradientFill()
    {
        ShapeSpec s;
        ShapeSpec::Line l;
        l.width = 20 * px;
        Matrix m = scale(100.0 * px / 32768, 1, 50 * px, 0);
        l.fill = Fill::gradient(Fill::Kind::Linear, m, {{0, kRed}, {255, kGreen}});
        s.lines = {l};
        s.style(-1, -1, 1, QPoint(10 * px, 50 * px)).lineTo(90 * px, 50 * px);
        const QImage img = drawOne(s, 4);
        EXPECT_PIXEL(img, 12, 50, QColor(223, 32, 0));
        EXPECT_PIXEL(img, 88, 50, QColor(32, 223, 0));
    }

    void placementMatrices()
    {
        // A 10 x 10 px square at the origin, scaled 3 times and moved.
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.rect(QRect(0, 0, 10 * px, 10 * px), 1);
        QImage img = drawOne(s, 3, scale(3, 3, 40 * px, 20 * px));
        EXPECT_PIXEL(img, 45, 25, kRed);
        EXPECT_PIXEL(img, 68, 48, kRed);
        EXPECT_PIXEL(img, 72, 25, kBackground);
        EXPECT_PIXEL(img, 38, 25, kBackground);

        // A quarter turn clockwise: the square's x axis points down.
        Matrix turn;
        turn.a = 0;
        turn.b = 1;
        turn.c = -1;
        turn.d = 0;
        turn.tx = 50 * px;
        turn.ty = 50 * px;
        ShapeSpec bar;
        bar.fills.push_back(Fill::solid(kRed));
        bar.rect(QRect(0, 0, 40 * px, 5 * px), 1);
        img = drawOne(bar, 3, turn);
        EXPECT_PIXEL(img, 47, 80, kRed);
        EXPECT_PIXEL(img, 70, 52, kBackground);
    }

    void colourTransforms()
    {
        ColorTransform half;
        half.rm = 0.5;
        half.ga = 100;
        QImage img = drawOne(redSquare(3), 3, Matrix{}, half);
        EXPECT_PIXEL(img, 50, 50, QColor(128, 100, 0));

        ColorTransform fade;
        fade.am = 0.5;
        img = drawOne(redSquare(3), 3, Matrix{}, fade);
        EXPECT_PIXEL(img, 50, 50, QColor(128, 0, 128)); // half red over blue

        ColorTransform invisible;
        invisible.am = 0;
        img = drawOne(redSquare(3), 3, Matrix{}, invisible);
        EXPECT_PIXEL(img, 50, 50, kBackground);
    }

    void colourTransformOfPlaceObject1AndOfGradients()
    {
        SwfWriter w = stage(kBackground);
        ShapeSpec s;
        Matrix m = scale(100.0 * px / 32768, 1, 50 * px, 0);
        s.fills.push_back(Fill::gradient(Fill::Kind::Linear, m, {{0, QColor(200, 0, 0)}, {255, QColor(0, 0, 0)}}));
        s.rect(QRect(0, 0, 100 * px, 100 * px), 1);
        w.defineShape(1, s, 1);
        ColorTransform cx;
        cx.rm = 0.5;
        cx.ga = 255;
        w.placeObject(1, 1, Matrix{}, cx);
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 1, 50, QColor(99, 255, 0));
        EXPECT_PIXEL(img, 98, 50, QColor(1, 255, 0));
    }

    // A mask at depth 1 with clip depth 3 shows depths 2 and 3 only inside
    // it; depth 4 is not masked.
    void clipDepthMasks()
    {
        SwfWriter w = stage(kBackground);
        ShapeSpec mask;
        mask.fills.push_back(Fill::solid(Qt::black));
        mask.rect(QRect(0, 0, 50 * px, 100 * px), 1);
        ShapeSpec full;
        full.fills.push_back(Fill::solid(kRed));
        full.rect(QRect(0, 0, 100 * px, 50 * px), 1);
        ShapeSpec bottom;
        bottom.fills.push_back(Fill::solid(kGreen));
        bottom.rect(QRect(0, 50 * px, 100 * px, 50 * px), 1);
        w.defineShape(1, mask);
        w.defineShape(2, full);
        w.defineShape(3, bottom);
        w.placeObject2(Place::add(1, 1).withMatrix({}).withClipDepth(3));
        w.placeObject2(Place::add(2, 2).withMatrix({}));
        w.placeObject2(Place::add(4, 3).withMatrix({}));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 25, 25, kRed);
        EXPECT_PIXEL(img, 75, 25, kBackground); // masked off; the mask itself is not drawn
        EXPECT_PIXEL(img, 25, 75, kGreen);
        EXPECT_PIXEL(img, 75, 75, kGreen);
    }

    // ShowAll: a square stage in a wide picture is fitted to its height and
    // centred; the bands beside it take the background colour.
    void showAllFitsTheStage()
    {
        SwfWriter w = stage(kBackground);
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.rect(QRect(-50 * px, 0, 200 * px, 100 * px), 1); // wider than the stage
        w.defineShape(1, s);
        w.placeObject2(Place::add(1, 1).withMatrix({}));
        w.showFrame();
        const auto p = play(w.finish());
        const QImage img = p->renderImage(QSize(300, 50));
        EXPECT_PIXEL(img, 150, 25, kRed);
        EXPECT_PIXEL(img, 126, 25, kRed);
        EXPECT_PIXEL(img, 123, 25, kBackground);
        EXPECT_PIXEL(img, 177, 25, kBackground);
    }
};

QTEST_GUILESS_MAIN(ShapeDefTest)
#include "tst_shapedef.moc"
