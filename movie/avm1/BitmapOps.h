#pragma once

#include "movie/format/Geometry.h"

#include <QImage>
#include <QRect>
#include <array>
#include <vector>

namespace movie::avm1::pixels {

// The pixel work of BitmapData on premultiplied ARGB pictures, as the
// player does it: colours come in and go out unpremultiplied, rounded as
// the player rounds them.

// 0xAARRGGBB to the premultiplied form kept, and back.
QRgb premultiplied(quint32 argb);
quint32 unpremultiplied(QRgb pixel);
// A colour as a picture keeps it: an opaque one drops the alpha.
QRgb stored(quint32 argb, bool transparent);
// A kept pixel as scripts read it; an opaque picture's as it is kept.
quint32 read(QRgb pixel, bool transparent);

// The pseudo-random numbers of noise and perlinNoise: the minimal standard
// generator (x = x * 16807 mod 2^31 - 1), seeded as the player seeds it.
class SeededRandom {
public:
    explicit SeededRandom(double seed);
    quint32 next();

private:
    quint32 state_;
};

// Channels as BitmapData numbers them.
enum Channel : quint32 { Red = 1, Green = 2, Blue = 4, Alpha = 8 };

void fill(QImage& image, const QRect& area, quint32 argb, bool transparent);
void noise(QImage& image, double seed, int low, int high, quint32 channels, bool gray, bool transparent);
void perlinNoise(QImage& image, double baseX, double baseY, int octaves, double seed, bool stitch, bool fractal,
                 quint32 channels, bool gray, const std::vector<QPointF>& offsets, bool transparent);
// Colours of `area` through a colour transform.
void colorTransform(QImage& image, const QRect& area, const ColorTransform& cx, bool transparent);
// One channel of `source` (its `from` area) into another at `to`.
void copyChannel(QImage& target, const QImage& source, QRect from, QPoint to, quint32 sourceChannel,
                 quint32 targetChannel, bool transparent);
// `source`'s `from` area laid at `to`: replaced, or blended over when
// `blend` (and the target is transparent).
void copyPixels(QImage& target, const QImage& source, QRect from, QPoint to, bool blend, bool transparent);
// Each channel of `source` mixed into the target by its multiplier (0..256).
void merge(QImage& target, const QImage& source, QRect from, QPoint to, const std::array<int, 4>& multipliers,
           bool transparent);
// Channels through 256-entry tables (missing tables leave a channel).
void paletteMap(QImage& target, const QImage& source, QRect from, QPoint to,
                const std::array<std::vector<quint32>, 4>& tables, bool transparent);
// Fills the area of the colour at `at` that touches it; whether anything changed.
bool floodFill(QImage& image, QPoint at, quint32 argb, bool transparent);
// Moves the content by (dx, dy); what moves in from outside keeps its pixels.
void scroll(QImage& image, int dx, int dy);
// The pixels of `source` that pass `test` against the threshold get
// `color` (the others keep theirs, or take the source's when `copySource`);
// the number that passed.
int threshold(QImage& target, const QImage& source, QRect from, QPoint to, const QString& test, quint32 value,
              quint32 color, quint32 mask, bool copySource);
// The smallest rectangle holding every pixel that matches (or, without
// `find`, does not match) `color` under `mask`.
QRect colorBounds(const QImage& image, quint32 mask, quint32 color, bool find, bool transparent);
// Whether any pixel of `area` has more alpha than `alpha`.
bool anyAlpha(const QImage& image, const QRect& area, int alpha);
// Pixels of `from` replaced by `source`'s (or by `fillColor` when the
// source is the target itself) in an order that visits each once over
// calls that pass on the seed returned; `count` more each call.
int pixelDissolve(QImage& target, const QImage& source, QRect from, QPoint to, int seed, int count, quint32 fillColor,
                  bool sameImage, bool transparent);

// The area of `from` that lies within both pictures once placed at `to`:
// `from` and `to` adjusted to it.
bool clipCopy(const QImage& source, const QImage& target, QRect& from, QPoint& to);

} // namespace movie::avm1::pixels
