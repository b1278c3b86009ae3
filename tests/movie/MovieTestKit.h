#pragma once

#include "movie/MoviePlayer.h"
#include "movie/writer/SwfWriter.h"

#include <QColor>
#include <QImage>
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
