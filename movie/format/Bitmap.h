#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace movie {

class SwfReader;

// How large a decoded picture of a movie may be.
struct BitmapBudget {
    qint64 maxPixels = 0;
    int maxSide = 8192;
};

// A picture of the movie's dictionary, decoded once when the movie is read:
// premultiplied ARGB, or null with the reason in `error`.
struct BitmapResult {
    QImage image;
    QString error;
};

// Reads the body of a bitmap tag after its character id: DefineBits (with
// the movie's JPEGTables), DefineBitsJPEG2/3/4 and DefineBitsLossless/2.
BitmapResult readBitmap(int code, SwfReader& r, const QByteArray& jpegTables, const BitmapBudget& budget);

// Whether `code` is one of the tags readBitmap reads.
bool isBitmapTag(int code);

} // namespace movie
