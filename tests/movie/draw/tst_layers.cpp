// Objects drawn on pictures of their own: blend modes over what lies below,
// Alpha and Erase within their group, and sprites with a 9-slice grid.

#include "tests/support/MovieTestKit.h"

#include "movie/format/TagCodes.h"
#include "movie/writer/Records.h"

using namespace kit;

namespace {

const QColor kBelow(100, 150, 200);
const QColor kAbove(200, 100, 50);

// kAbove's square in `mode` over kBelow's stage.
QColor blended(int mode)
{
    SwfWriter w = stage(kBelow);
    w.defineShape(1, rectangle(QRect(20, 20, 60, 60), Fill::solid(kAbove)));
    Place p = Place::add(1, 1);
    p.blendMode = static_cast<quint8>(mode);
    w.placeObject3(p);
    w.showFrame();
    return firstFrame(w).pixelColor(50, 50);
}

QColor perChannel(const std::function<int(int, int)>& f)
{
    return QColor(f(kBelow.red(), kAbove.red()), f(kBelow.green(), kAbove.green()), f(kBelow.blue(), kAbove.blue()));
}

int overlay(int below, int above)
{
    return below < 128 ? 2 * below * above / 255 : 255 - 2 * (255 - below) * (255 - above) / 255;
}

} // namespace

class LayersTest : public QObject {
    Q_OBJECT

private slots:
    void blendModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QColor>("expected");
        QTest::addRow("normal") << 1 << kAbove;
        QTest::addRow("layer") << 2 << kAbove;
        QTest::addRow("multiply") << 3 << perChannel([](int b, int a) { return b * a / 255; });
        QTest::addRow("screen") << 4 << perChannel([](int b, int a) { return 255 - (255 - b) * (255 - a) / 255; });
        QTest::addRow("lighten") << 5 << perChannel([](int b, int a) { return std::max(a, b); });
        QTest::addRow("darken") << 6 << perChannel([](int b, int a) { return std::min(a, b); });
        QTest::addRow("difference") << 7 << perChannel([](int b, int a) { return std::abs(a - b); });
        QTest::addRow("add") << 8 << perChannel([](int b, int a) { return std::min(255, a + b); });
        QTest::addRow("subtract") << 9 << perChannel([](int b, int a) { return std::max(0, b - a); });
        QTest::addRow("invert") << 10 << perChannel([](int b, int) { return 255 - b; });
        // With no group below them, Alpha and Erase change nothing.
        QTest::addRow("alpha on the stage") << 11 << kBelow;
        QTest::addRow("erase on the stage") << 12 << kBelow;
        QTest::addRow("overlay") << 13 << perChannel(overlay);
        QTest::addRow("hardlight") << 14 << perChannel([](int b, int a) { return overlay(a, b); });
    }
    void blendModes()
    {
        QFETCH(int, mode);
        QFETCH(QColor, expected);
        const QColor c = blended(mode);
        if (!near(c, expected, 4))
            QFAIL(qPrintable(QStringLiteral("%1, expected %2").arg(describe(c), describe(expected))));
    }

    // Within a sprite in Layer mode, an Erase child cuts through the
    // sprite's own drawing to the stage as far as it is opaque, and an
    // Alpha child keeps of it only as much as its own alpha; beside them
    // the sprite stays.
    void alphaAndEraseWorkOnTheirGroup_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QColor>("cutter");
        QTest::addColumn<QColor>("expected");
        const QColor stageRed(155, 0, 0);
        QTest::addRow("erase") << 12 << QColor(0, 0, 0) << stageRed;
        QTest::addRow("alpha at half") << 11 << QColor(0, 0, 0, 128)
                                       << QColor((kAbove.red() + stageRed.red()) / 2, kAbove.green() / 2,
                                                 kAbove.blue() / 2);
    }
    void alphaAndEraseWorkOnTheirGroup()
    {
        QFETCH(int, mode);
        QFETCH(QColor, cutter);
        QFETCH(QColor, expected);
        SwfWriter w = stage(QColor(155, 0, 0));
        w.defineShape(1, rectangle(QRect(0, 0, 100, 100), Fill::solid(kAbove)));
        w.defineShape(2, rectangle(QRect(0, 0, 50, 100), Fill::solid(cutter)));
        w.beginSprite(3);
        w.placeObject2(Place::add(1, 1));
        Place cut = Place::add(2, 2);
        cut.blendMode = static_cast<quint8>(mode);
        w.placeObject3(cut);
        w.showFrame();
        w.endSprite();
        Place group = Place::add(1, 3);
        group.blendMode = 2;
        w.placeObject3(group);
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 25, 50, expected);
        EXPECT_PIXEL(img, 75, 50, kAbove);
    }

    // A sprite with a 9-slice grid of 10-pixel borders, drawn three times
    // as wide: its corners and left and right edges stay 10 pixels wide.
    void scalingGridKeepsTheCorners()
    {
        SwfWriter w = stage(kWhite, 200, 60);
        ShapeSpec frame;
        frame.fills = {Fill::solid(kRed), Fill::solid(kGreen)};
        frame.rect(QRect(0, 0, 40 * px, 40 * px), 1);
        frame.rect(QRect(10 * px, 10 * px, 20 * px, 20 * px), 2);
        w.defineShape(1, frame);
        w.beginSprite(2);
        w.placeObject2(Place::add(1, 1));
        w.showFrame();
        w.endSprite();
        movie::writer::BitWriter grid;
        grid.u16(2);
        movie::writer::writeRect(grid, QRect(10 * px, 10 * px, 20 * px, 20 * px));
        w.writeTag(movie::tag::DefineScalingGrid, grid.data());
        w.placeObject2(Place::add(1, 2).withMatrix(scale(3, 1, 10 * px, 10 * px)));
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 15, 30, kRed);    // left border: x 10..20
        EXPECT_PIXEL(img, 25, 30, kGreen);  // the middle starts after 10 pixels, not 30
        EXPECT_PIXEL(img, 115, 30, kGreen); // and stretches to the right border
        EXPECT_PIXEL(img, 125, 30, kRed);   // right border: x 120..130
        EXPECT_PIXEL(img, 135, 30, kWhite);
    }
};

QTEST_MAIN(LayersTest)
#include "tst_layers.moc"
