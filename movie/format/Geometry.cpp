#include "movie/format/Geometry.h"

#include "movie/format/SwfReader.h"

#include <QRectF>

namespace movie {

QColor readRgb(SwfReader& r)
{
    const int red = r.u8();
    const int green = r.u8();
    const int blue = r.u8();
    return QColor(red, green, blue);
}

QColor readRgba(SwfReader& r)
{
    const int red = r.u8();
    const int green = r.u8();
    const int blue = r.u8();
    const int alpha = r.u8();
    return QColor(red, green, blue, alpha);
}

Matrix readMatrix(SwfReader& r)
{
    Matrix m;
    r.align();
    if (r.ub(1)) {
        const int bits = static_cast<int>(r.ub(5));
        m.a = r.fb(bits);
        m.d = r.fb(bits);
    }
    if (r.ub(1)) {
        const int bits = static_cast<int>(r.ub(5));
        m.b = r.fb(bits);
        m.c = r.fb(bits);
    }
    const int bits = static_cast<int>(r.ub(5));
    m.tx = r.sb(bits);
    m.ty = r.sb(bits);
    r.align();
    return m;
}

ColorTransform readColorTransform(SwfReader& r, bool withAlpha)
{
    ColorTransform cx;
    r.align();
    const bool hasAdd = r.ub(1);
    const bool hasMult = r.ub(1);
    const int bits = static_cast<int>(r.ub(4));
    if (hasMult) {
        cx.rm = r.sb(bits) / 256.0;
        cx.gm = r.sb(bits) / 256.0;
        cx.bm = r.sb(bits) / 256.0;
        if (withAlpha)
            cx.am = r.sb(bits) / 256.0;
    }
    if (hasAdd) {
        cx.ra = r.sb(bits);
        cx.ga = r.sb(bits);
        cx.ba = r.sb(bits);
        if (withAlpha)
            cx.aa = r.sb(bits);
    }
    r.align();
    return cx;
}

QRectF readRect(SwfReader& r)
{
    r.align();
    const int bits = static_cast<int>(r.ub(5));
    const double xMin = r.sb(bits);
    const double xMax = r.sb(bits);
    const double yMin = r.sb(bits);
    const double yMax = r.sb(bits);
    r.align();
    return QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax));
}

} // namespace movie
