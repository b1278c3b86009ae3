#pragma once

#include <QColor>
#include <QTransform>
#include <algorithm>

namespace movie {

class SwfReader;

// A placement matrix in twips: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    QTransform toTransform() const { return QTransform(a, b, c, d, tx, ty); }
    bool operator==(const Matrix&) const = default;
};

// A colour transform: each channel times its multiplier plus its offset
// (offsets in 0..255 units), alpha included.
struct ColorTransform {
    double rm = 1, gm = 1, bm = 1, am = 1;
    double ra = 0, ga = 0, ba = 0, aa = 0;

    bool isIdentity() const { return *this == ColorTransform{}; }
    bool operator==(const ColorTransform&) const = default;

    QColor apply(const QColor& c) const
    {
        auto ch = [](int v, double m, double add) { return std::clamp(static_cast<int>(v * m + add), 0, 255); };
        return QColor(ch(c.red(), rm, ra), ch(c.green(), gm, ga), ch(c.blue(), bm, ba), ch(c.alpha(), am, aa));
    }

    // This transform applied after `inner`.
    ColorTransform after(const ColorTransform& inner) const
    {
        return {inner.rm * rm,      inner.gm * gm,      inner.bm * bm,      inner.am * am,
                inner.ra * rm + ra, inner.ga * gm + ga, inner.ba * bm + ba, inner.aa * am + aa};
    }
};

QColor readRgb(SwfReader& r);
QColor readRgba(SwfReader& r);
Matrix readMatrix(SwfReader& r);
ColorTransform readColorTransform(SwfReader& r, bool withAlpha);
// A RECT record, in twips.
QRectF readRect(SwfReader& r);

} // namespace movie
