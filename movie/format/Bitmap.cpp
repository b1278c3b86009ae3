#include "movie/format/Bitmap.h"

#include "movie/format/JpegImage.h"
#include "movie/format/SwfReader.h"
#include "movie/format/TagCodes.h"

#include <QBuffer>
#include <QImageReader>
#include <zlib.h>

namespace movie {

namespace {

QString tooLarge(qint64 w, qint64 h)
{
    return QStringLiteral("its picture of %1 x %2 pixels is larger than this movie allows").arg(w).arg(h);
}

bool fits(qint64 w, qint64 h, const BitmapBudget& budget)
{
    return w > 0 && h > 0 && w <= budget.maxSide && h <= budget.maxSide && w * h <= budget.maxPixels;
}

// Inflates exactly `expected` bytes; fewer means the data is damaged.
QByteArray inflateExactly(SwfReader& r, qsizetype expected)
{
    QByteArray packed = r.rest();
    QByteArray out(expected, '\0');
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return {};
    zs.next_in = reinterpret_cast<Bytef*>(packed.data());
    zs.avail_in = static_cast<uInt>(packed.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    int status = Z_OK;
    while (status == Z_OK && zs.avail_out > 0)
        status = inflate(&zs, Z_NO_FLUSH);
    const qsizetype produced = expected - static_cast<qsizetype>(zs.avail_out);
    inflateEnd(&zs);
    if (produced < expected)
        return {};
    return out;
}

// PNG and GIF payloads of DefineBitsJPEG2/3, through Qt's decoders, with
// the size checked before any pixel is decoded.
BitmapResult readWithQt(const QByteArray& data, const BitmapBudget& budget)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid())
        return {{}, QStringLiteral("its picture cannot be read")};
    if (!fits(size.width(), size.height(), budget))
        return {{}, tooLarge(size.width(), size.height())};
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("its picture cannot be decoded")};
    return {image.convertToFormat(QImage::Format_ARGB32_Premultiplied), {}};
}

bool isPng(const QByteArray& d) { return d.startsWith("\x89PNG"); }
bool isGif(const QByteArray& d) { return d.startsWith("GIF8"); }

// JPEG data, or a PNG or GIF picture in its place. `alpha` (zlib-packed, one
// byte a pixel) applies to JPEG data only.
BitmapResult readJpegLike(const QByteArray& data, SwfReader* alpha, const BitmapBudget& budget)
{
    if (isPng(data) || isGif(data))
        return readWithQt(data, budget);
    BitmapResult result;
    const QImage rgb = decodeJpegImage(cleanJpegStream(data), budget.maxPixels, budget.maxSide, result.error);
    if (rgb.isNull())
        return result;
    if (!alpha || alpha->atEnd()) {
        result.image = rgb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        return result;
    }
    const QByteArray plane = inflateExactly(*alpha, qsizetype(rgb.width()) * rgb.height());
    if (plane.isEmpty()) {
        // A damaged alpha plane leaves the picture opaque.
        result.image = rgb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        return result;
    }
    QImage image(rgb.size(), QImage::Format_ARGB32_Premultiplied);
    const auto* a = reinterpret_cast<const uchar*>(plane.constData());
    for (int y = 0; y < image.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, ++a)
            dst[x] = qPremultiply(qRgba(qRed(src[x]), qGreen(src[x]), qBlue(src[x]), *a));
    }
    result.image = image;
    return result;
}

// DefineBitsLossless and DefineBitsLossless2: a colour-mapped picture
// (format 3, rows padded to 4 bytes), 15-bit (4) or 32-bit (5) pixels, all
// zlib-packed. The second version's colours carry premultiplied alpha.
BitmapResult readLossless(SwfReader& r, bool withAlpha, const BitmapBudget& budget)
{
    const int format = r.u8();
    const int w = r.u16();
    const int h = r.u16();
    const int tableSize = format == 3 ? r.u8() + 1 : 0;
    if (r.overrun())
        return {{}, QStringLiteral("its picture header is cut off")};
    if (format != 3 && format != 4 && format != 5)
        return {{}, QStringLiteral("its picture format %1 is unknown").arg(format)};
    if (!fits(w, h, budget))
        return {{}, tooLarge(w, h)};

    const int colourBytes = withAlpha ? 4 : 3;
    const qsizetype rowBytes = format == 3 ? (qsizetype(w) + 3) / 4 * 4
        : format == 4                      ? (qsizetype(w) * 2 + 3) / 4 * 4
                                           : qsizetype(w) * 4;
    const qsizetype tableBytes = qsizetype(tableSize) * colourBytes;
    const QByteArray data = inflateExactly(r, tableBytes + rowBytes * h);
    if (data.isEmpty())
        return {{}, QStringLiteral("its packed picture data is damaged")};

    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    auto colour = [withAlpha](const uchar* c, bool alphaFirst) -> QRgb {
        if (!withAlpha)
            return alphaFirst ? qRgb(c[1], c[2], c[3]) : qRgb(c[0], c[1], c[2]);
        const int a = alphaFirst ? c[0] : c[3];
        const int red = alphaFirst ? c[1] : c[0], green = alphaFirst ? c[2] : c[1], blue = alphaFirst ? c[3] : c[2];
        // Already premultiplied; a damaged colour brighter than its alpha is held to it.
        return qRgba(std::min(red, a), std::min(green, a), std::min(blue, a), a);
    };
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {{}, QStringLiteral("there is not enough memory for its picture")};
    std::vector<QRgb> table(256, qRgba(0, 0, 0, 0));
    for (int i = 0; i < tableSize; ++i)
        table[static_cast<size_t>(i)] = colour(d + qsizetype(i) * colourBytes, false);
    const uchar* pixels = d + tableBytes;
    for (int y = 0; y < h; ++y) {
        const uchar* row = pixels + rowBytes * y;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (format == 3) {
                dst[x] = table[row[x]];
            } else if (format == 4) {
                const int v = (row[2 * x] << 8) | row[2 * x + 1];
                auto expand = [](int five) { return (five << 3) | (five >> 2); };
                dst[x] = qRgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
            } else {
                dst[x] = colour(row + 4 * x, true);
            }
        }
    }
    return {image, {}};
}

} // namespace

bool isBitmapTag(int code)
{
    return code == tag::DefineBits || code == tag::DefineBitsLossless || code == tag::DefineBitsJPEG2
        || code == tag::DefineBitsJPEG3 || code == tag::DefineBitsLossless2 || code == tag::DefineBitsJPEG4;
}

BitmapResult readBitmap(int code, SwfReader& r, const QByteArray& jpegTables, const BitmapBudget& budget)
{
    switch (code) {
    case tag::DefineBits: {
        return readJpegLike(jpegTables + r.rest(), nullptr, budget);
    }
    case tag::DefineBitsJPEG2: {
        return readJpegLike(r.rest(), nullptr, budget);
    }
    case tag::DefineBitsJPEG3:
    case tag::DefineBitsJPEG4: {
        const qsizetype imageBytes = r.u32();
        if (code == tag::DefineBitsJPEG4)
            r.u16(); // deblocking strength: not applied
        if (r.overrun() || imageBytes > r.remaining())
            return {{}, QStringLiteral("its picture data is cut off")};
        const QByteArray image = r.bytes(imageBytes);
        return readJpegLike(image, &r, budget);
    }
    case tag::DefineBitsLossless:
    case tag::DefineBitsLossless2:
        return readLossless(r, code == tag::DefineBitsLossless2, budget);
    default:
        return {{}, QStringLiteral("it is no picture")};
    }
}

} // namespace movie
