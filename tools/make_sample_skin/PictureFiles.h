#pragma once

#include <QImage>
#include <QString>

// Writers for the two picture formats of a skin. Both return false when the
// file cannot be written.

// An uncompressed 24-bit bitmap with an info header, rows bottom-up.
bool writeBitmap24(const QImage& image, const QString& path);

// A baseline RGB JPEG written with libjpeg.
bool writeJpeg(const QImage& image, const QString& path, int quality = 92);
