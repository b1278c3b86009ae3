// Pictures kept between frames: of filtered objects and of shapes of many
// edges. A frame drawn from kept pictures shows what drawing it anew shows,
// whatever changed since they were made.
#include "tests/support/MovieTestKit.h"

#include <cmath>
#include <numbers>

using namespace kit;

namespace {

// A wavy ring of `curves` curves around (50, 50) pixels: a shape of many
// edges, in two colours.
ShapeSpec ring(int curves)
{
    ShapeSpec s;
    s.fills = {Fill::solid(QColor(200, 40, 40)), Fill::solid(QColor(40, 40, 200, 160))};
    for (int part = 0; part < 2; ++part) {
        const double radius = (part ? 30 : 40) * px;
        auto point = [&](double turn, double wave) {
            const double a = turn * 2 * std::numbers::pi;
            return QPoint(int(std::lround(50 * px + radius * wave * std::cos(a))),
                          int(std::lround(50 * px + radius * wave * std::sin(a))));
        };
        const QPoint start = point(0, 1);
        s.style(0, part + 1, 0, start);
        for (int i = 0; i < curves; ++i) {
            const QPoint control = point((i + 0.5) / curves, i % 2 ? 1.08 : 0.94);
            const QPoint to = i + 1 == curves ? start : point(double(i + 1) / curves, 1);
            s.curveTo(control.x(), control.y(), to.x(), to.y());
        }
    }
    return s;
}

// The largest difference of a channel between two frames: a few levels
// where edges are smoothed at a 64th of a pixel from where they stand.
int difference(const QImage& a, const QImage& b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max(
                {most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

// Frame `index` of the movie drawn by a player that drew none before.
QImage drawnAnew(const QByteArray& movie, int index)
{
    const auto player = play(movie);
    for (int i = 0; i < index; ++i)
        player->step();
    return frame(*player);
}

} // namespace

class TestLayerCache : public QObject {
    Q_OBJECT

private slots:
    // The ring and a blurred square stand still, then move by whole pixels
    // and by fractions, turn, fade and change their shape: every frame, as
    // a player that draws each frame shows it, is the frame drawn anew.
    void keptPicturesNeverShowAStaleFrame()
    {
        SwfWriter w = stage(kWhite, 120, 120);
        w.defineShape(1, ring(400));
        w.defineShape(2, ring(401));
        w.defineShape(3, rectangle(QRect(10, 10, 30, 30), Fill::solid(kGreen)));
        movie::Filter blur;
        blur.kind = movie::Filter::Kind::Blur;
        blur.blurX = blur.blurY = 6;
        Place filtered = Place::add(2, 3);
        filtered.filters = movie::FilterList{blur};
        w.placeObject2(Place::add(1, 1));
        w.placeObject3(filtered);
        struct Change {
            Matrix at = {};
            ColorTransform cx = {};
            quint16 ring = 1;
        };
        ColorTransform faded;
        faded.am = 0.5;
        Matrix turned = translate(60 * px, 0);
        turned.a = turned.d = std::cos(0.5);
        turned.b = std::sin(0.5);
        turned.c = -turned.b;
        const std::vector<Change> changes{{},
                                          {},
                                          {},
                                          {translate(3 * px, 0)},
                                          {translate(3 * px, 0)},
                                          {translate(3 * px + 7, 13)},
                                          {translate(3 * px + 7, 13)},
                                          {scale(1.1, 1.1)},
                                          {scale(1.1, 1.1)},
                                          {turned},
                                          {{}, faded},
                                          {{}, faded},
                                          {{}, {}, 2},
                                          {{}, {}, 2}};
        for (const Change& c : changes) {
            Place ringPlace = Place::modify(1).withMatrix(c.at).withColor(c.cx);
            if (c.ring != 1) {
                w.removeObject2(1);
                ringPlace = Place::add(1, c.ring).withMatrix(c.at).withColor(c.cx);
            }
            w.placeObject2(ringPlace);
            w.placeObject2(Place::modify(2).withMatrix(c.at));
            w.showFrame();
        }
        const QByteArray movie = w.finish();
        const auto player = play(movie);
        for (int i = 0; i <= int(changes.size()); ++i) {
            const int shown = difference(frame(*player), drawnAnew(movie, i));
            QVERIFY2(shown <= 6, qPrintable(QStringLiteral("frame %1 differs by %2").arg(i).arg(shown)));
            player->step();
        }
    }
};

QTEST_MAIN(TestLayerCache)
#include "tst_layercache.moc"
