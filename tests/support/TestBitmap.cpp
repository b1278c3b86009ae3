#include "tests/support/TestBitmap.h"

#include <QDataStream>
#include <QIODevice>

QByteArray TestBitmap::bytes() const
{
    const bool core = headerSize == 12;
    const qint64 maskBytes = headerSize == 40 ? masks.size() * 4 : 0;
    const qint64 paletteBytes = palette.size() * (core ? 3 : 4);
    const qint64 natural = 14 + headerSize + maskBytes + paletteBytes;
    const qint64 offset = pixelOffset >= 0 ? pixelOffset : natural;

    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint8('B') << quint8('M') << quint32(natural + pixels.size()) << quint32(0) << quint32(offset);
    s << quint32(headerSize);
    if (core) {
        s << quint16(width) << quint16(height) << quint16(1) << quint16(bitCount);
    } else {
        s << width << height << quint16(1) << quint16(bitCount) << compression << quint32(pixels.size()) << qint32(2835)
          << qint32(2835) << coloursUsed << quint32(0);
        for (int i = 40; i < headerSize; i += 4)
            s << (i < 56 && (i - 40) / 4 < masks.size() ? masks[(i - 40) / 4] : quint32(0));
        if (headerSize == 40)
            for (quint32 m : masks)
                s << m;
    }
    for (QRgb c : palette) {
        s << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c));
        if (!core)
            s << quint8(0);
    }
    while (out.size() < natural)
        s << quint8(0);
    out.append(pixels);
    return out;
}
