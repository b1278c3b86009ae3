#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace movie {

// The movie's JPEG data made into one plain stream: stray end/start marker
// pairs that movie writers leave between the tables and the picture (and
// at the very start) are dropped, so libjpeg reads tables and picture as
// one file.
QByteArray cleanJpegStream(const QByteArray& data);

// Decodes a JPEG stream from memory into Format_RGB32. A picture with more
// than `maxPixels` pixels, or a side longer than `maxSide`, is refused
// before any pixel memory is taken. On failure returns a null image and
// says why in `error`.
QImage decodeJpegImage(const QByteArray& data, qint64 maxPixels, int maxSide, QString& error);

} // namespace movie
