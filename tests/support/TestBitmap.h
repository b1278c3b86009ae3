#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

// Bitmap files for the tests, laid out field by field so that every header
// form and every damaged field can be produced.
struct TestBitmap {
    int headerSize = 40; // 12 (core), 40 (info), 56, 108 or 124
    qint32 width = 0;
    qint32 height = 0; // negative: rows stored top-down
    int bitCount = 24;
    quint32 compression = 0;
    quint32 coloursUsed = 0;
    QList<quint32> masks; // after a 40-byte header, else inside the header
    QList<QRgb> palette;
    QByteArray pixels;       // stored rows exactly as given
    qint64 pixelOffset = -1; // the offset the header states; the pixels follow the palette

    QByteArray bytes() const;
};
