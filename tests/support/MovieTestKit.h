#pragma once

#include "movie/play/MoviePlayer.h"
#include "movie/writer/SwfWriter.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QString>
#include <QtTest>
#include <cstdlib>

// Small helpers shared by the movie tests: movies are written case by case
// with the movie writer and checked pixel by pixel on their rendered frames.
namespace kit {

using movie::ColorTransform;
using movie::Matrix;
using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;
using Place = SwfWriter::Place;
using Fill = ShapeSpec::Fill;

constexpr int px = 20; // twips per pixel

inline std::unique_ptr<movie::MoviePlayer> play(const QByteArray& bytes)
{
    return std::make_unique<movie::MoviePlayer>(movie::Movie::fromBytes(bytes, QStringLiteral("case.swf")));
}

inline QImage frame(const movie::MoviePlayer& p) { return p.renderImage(p.movie().stageSizePixels()); }

// A player of a written movie that keeps its trace() lines.
struct TracedPlayer {
    QStringList traces;
    std::unique_ptr<movie::MoviePlayer> player;

    explicit TracedPlayer(const QByteArray& bytes)
    {
        player = std::make_unique<movie::MoviePlayer>(movie::Movie::fromBytes(bytes, QStringLiteral("case.swf")),
                                                      [this](const QString& line) { traces << line; });
    }
};

// The first frame of a written movie.
inline QImage firstFrame(SwfWriter& w) { return frame(*play(w.finish())); }

inline const QColor kRed(255, 0, 0);
inline const QColor kGreen(0, 255, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kWhite(255, 255, 255);
inline const QColor kGrey(128, 128, 128);

// A stage of the given size in pixels, at 12 frames a second, in `background`.
inline SwfWriter stage(const QColor& background, int width = 100, int height = 100)
{
    SwfWriter w(width, height, 12);
    w.setBackground(background);
    return w;
}

// A file of the shared reference material ("swf-corpus/x.swf"); empty when
// the material is not there, and the test then skips.
inline QString sharedFile(const QString& relativePath)
{
    const QString root = qEnvironmentVariable("SKINEDIT_SHARED_DIR");
    return root.isEmpty() ? QString() : root + QLatin1Char('/') + relativePath;
}

// The names of a checked-in list (passing movies, frames that hold): one
// a line, "#" lines are comments. Empty when the file cannot be read.
inline QSet<QString> nameList(const QString& path)
{
    QSet<QString> names;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.isEmpty() && !line.startsWith(u'#'))
                names.insert(line);
        }
    }
    return names;
}

inline Matrix translate(double x, double y)
{
    Matrix m;
    m.tx = x;
    m.ty = y;
    return m;
}

inline Matrix scale(double sx, double sy, double x = 0, double y = 0)
{
    Matrix m = translate(x, y);
    m.a = sx;
    m.d = sy;
    return m;
}

// A rectangle given in pixels, filled with `fill`.
inline ShapeSpec rectangle(const QRect& pixels, const Fill& fill)
{
    ShapeSpec s;
    s.fills.push_back(fill);
    s.rect(QRect(pixels.x() * px, pixels.y() * px, pixels.width() * px, pixels.height() * px), 1);
    return s;
}

// The characters of colourMovie().
enum : quint16 { Red = 1, Green = 2, Blue = 3 };

// A 10 x 10 stage with three full-stage squares defined: red, green, blue.
inline SwfWriter colourMovie()
{
    SwfWriter w = stage(kWhite, 10, 10);
    const QColor colours[] = {kRed, kGreen, kBlue};
    for (quint16 id = Red; id <= Blue; ++id)
        w.defineShape(id, rectangle(QRect(0, 0, 10, 10), Fill::solid(colours[id - 1])));
    return w;
}

// Places character `id` at depth 1, ends the frame and draws the movie.
inline QImage drawPlaced(SwfWriter& w, quint16 id, const Matrix& at = Matrix{},
                         std::optional<ColorTransform> cx = std::nullopt)
{
    Place p = Place::add(1, id).withMatrix(at);
    if (cx)
        p.withColor(*cx);
    w.placeObject2(p);
    w.showFrame();
    return firstFrame(w);
}

// Whether two colours are the same within `tolerance` per channel.
inline bool near(const QColor& a, const QColor& b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

inline QString describe(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace kit

// Checks the pixel at (x, y) of `image` against `colour` within the tolerance.
#define EXPECT_PIXEL(image, x, y, colour)                                                                              \
    do {                                                                                                               \
        const QColor actual_ = (image).pixelColor((x), (y));                                                           \
        if (!kit::near(actual_, (colour)))                                                                             \
            QFAIL(qPrintable(QStringLiteral("pixel (%1,%2) is %3, expected %4")                                        \
                                 .arg(x)                                                                               \
                                 .arg(y)                                                                               \
                                 .arg(kit::describe(actual_), kit::describe(QColor(colour)))));                        \
    } while (false)
