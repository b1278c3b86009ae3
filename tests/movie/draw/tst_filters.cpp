// Filters of placed objects: what each kind draws around, inside and
// instead of the object, at the stage's scale, and lists that are damaged
// or ask for more than a player allows.

#include "tests/support/MovieTestKit.h"

#include "movie/draw/Filters.h"
#include "movie/format/SwfReader.h"

using namespace kit;
using movie::Filter;

namespace {

// A red 40 x 40 square at (30, 30) of a white 100 x 100 stage, with filters.
QImage filteredSquare(const movie::FilterList& filters, const QSize& view = QSize(100, 100))
{
    SwfWriter w = stage(kWhite);
    w.defineShape(1, rectangle(QRect(30, 30, 40, 40), Fill::solid(kRed)));
    Place p = Place::add(1, 1);
    p.filters = filters;
    w.placeObject3(p);
    w.showFrame();
    return play(w.finish())->renderImage(view);
}

Filter glow(bool inner = false, bool knockout = false, bool composite = true)
{
    Filter f;
    f.kind = Filter::Kind::Glow;
    f.color = kBlue;
    f.blurX = f.blurY = 10;
    f.strength = 2;
    f.inner = inner;
    f.knockout = knockout;
    f.compositeSource = composite;
    return f;
}

bool bluish(const QColor& c) { return c.blue() > c.red() + 40 && c.blue() > c.green() + 40; }

} // namespace

class FiltersTest : public QObject {
    Q_OBJECT

private slots:
    // Sampled two pixels outside the square's left edge, one inside it and
    // in its middle.
    void eachKindDrawsWhereItShould_data()
    {
        QTest::addColumn<movie::FilterList>("filters");
        QTest::addColumn<QString>("outside"); // "white", "blue", "dark"
        QTest::addColumn<QString>("edge");    // "red", "blue", "white"
        QTest::addColumn<QString>("middle");

        QTest::addRow("glow") << movie::FilterList{glow()} << "blue"
                              << "red"
                              << "red";
        QTest::addRow("glow, knockout") << movie::FilterList{glow(false, true)} << "blue"
                                        << "white"
                                        << "white";
        QTest::addRow("inner glow") << movie::FilterList{glow(true)} << "white"
                                    << "blue"
                                    << "red";
        QTest::addRow("inner glow, knockout") << movie::FilterList{glow(true, true)} << "white"
                                              << "blue"
                                              << "white";
        // Without the object, an outer glow covers its place too.
        QTest::addRow("glow without the object") << movie::FilterList{glow(false, false, false)} << "blue"
                                                 << "blue"
                                                 << "blue";
        Filter shadow;
        shadow.kind = Filter::Kind::DropShadow;
        shadow.color = Qt::black;
        shadow.distance = 10;
        shadow.angle = M_PI; // cast to the left
        QTest::addRow("shadow to the left") << movie::FilterList{shadow} << "dark"
                                            << "red"
                                            << "red";
        Filter swap;
        swap.kind = Filter::Kind::ColorMatrix;
        swap.matrix = {0, 1, 0, 0, 0, /**/ 1, 0, 0, 0, 0, /**/ 0, 0, 1, 0, 0, /**/ 0, 0, 0, 1, 0};
        QTest::addRow("colour matrix: red and green swapped") << movie::FilterList{swap} << "white"
                                                              << "green"
                                                              << "green";
        Filter identity;
        identity.kind = Filter::Kind::Convolution;
        identity.columns = identity.rows = 3;
        identity.kernel = {0, 0, 0, 0, 1, 0, 0, 0, 0};
        QTest::addRow("convolution: identity kernel") << movie::FilterList{identity} << "white"
                                                      << "red"
                                                      << "red";
    }
    void eachKindDrawsWhereItShould()
    {
        QFETCH(movie::FilterList, filters);
        QFETCH(QString, outside);
        QFETCH(QString, edge);
        QFETCH(QString, middle);
        const QImage img = filteredSquare(filters);
        auto check = [&](int x, int y, const QString& expected) {
            const QColor c = img.pixelColor(x, y);
            const bool ok = expected == "blue" ? bluish(c)
                : expected == "dark"           ? c.lightness() < 100
                : expected == "red"            ? near(c, kRed, 40)
                : expected == "green"          ? near(c, kGreen, 40)
                                               : near(c, kWhite, 20);
            if (!ok)
                QFAIL(
                    qPrintable(QStringLiteral("(%1,%2) is %3, expected %4").arg(x).arg(y).arg(describe(c), expected)));
        };
        check(28, 50, outside);
        check(31, 50, edge);
        check(50, 50, middle);
        check(95, 5, "white"); // far away nothing
    }

    // A bevel lights the edges facing away from its angle and darkens the others.
    void bevelLightsOneSideAndShadesTheOther()
    {
        Filter bevel;
        bevel.kind = Filter::Kind::Bevel;
        bevel.highlight = kWhite;
        bevel.color = Qt::black;
        bevel.blurX = bevel.blurY = 2;
        bevel.distance = 4;
        bevel.angle = M_PI / 4;
        bevel.inner = true;
        const QImage img = filteredSquare({bevel});
        QVERIFY2(img.pixelColor(32, 32).lightness() > 180, qPrintable(describe(img.pixelColor(32, 32))));
        QVERIFY2(img.pixelColor(67, 67).lightness() < 60, qPrintable(describe(img.pixelColor(67, 67))));
        EXPECT_PIXEL(img, 50, 50, kRed);
    }

    // Blurs are in stage pixels: the stage drawn twice as large blurs twice as wide.
    void blurScalesWithTheStage()
    {
        Filter blur;
        blur.kind = Filter::Kind::Blur;
        blur.blurX = blur.blurY = 8;
        auto softPixels = [](const QImage& img, int y) {
            int n = 0;
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                n += c.green() > 20 && c.green() < 235;
            }
            return n;
        };
        const int once = softPixels(filteredSquare({blur}), 50);
        const int twice = softPixels(filteredSquare({blur}, QSize(200, 200)), 100);
        QVERIFY2(once >= 8 && std::abs(twice - 2 * once) <= 4,
                 qPrintable(QStringLiteral("%1, %2").arg(once).arg(twice)));
    }

    // What a file asks for is held to what players allow; an unknown filter
    // ends the list.
    void listsAreBounded()
    {
        Filter huge = glow();
        huge.blurX = 1e6;
        huge.passes = 31;
        Filter kernel;
        kernel.kind = Filter::Kind::Convolution;
        kernel.columns = kernel.rows = 40;
        kernel.kernel.assign(1600, 1.0f);
        QByteArray bytes = SwfWriter::encodeFilters({huge, kernel});
        bytes[0] = 3;
        bytes.append('\x09'); // an unknown kind
        bytes.append(QByteArray(8, '\x7f'));
        movie::SwfReader r(bytes);
        const movie::FilterList read = movie::readFilters(r);
        QCOMPARE(read.size(), size_t(2));
        QVERIFY(read[0].blurX <= 255 && read[0].passes <= 15);
        QVERIFY(read[1].kernel.empty()); // larger than allowed: not drawn
        QVERIFY(movie::filterMargins(read, 1).left() <= 1024);

        const QByteArray cut = SwfWriter::encodeFilters({glow(), glow()}).chopped(5);
        movie::SwfReader s(cut);
        QCOMPARE(movie::readFilters(s).size(), size_t(1));
    }
};

QTEST_MAIN(FiltersTest)
#include "tst_filters.moc"
