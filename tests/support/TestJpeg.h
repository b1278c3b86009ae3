#pragma once

#include <QByteArray>
#include <QImage>

// JPEG files for the tests, written with libjpeg's own compressor.
enum class JpegKind {
    Rgb,
    Grey,
    AdobeCmyk, // four inverted inks with an Adobe marker, as CMYK files are written in practice
};

QByteArray encodeTestJpeg(const QImage& image, JpegKind kind, int quality = 95);

// The same file with the size in its frame header replaced.
QByteArray withJpegSize(QByteArray jpeg, int width, int height);

// A progressive grey picture of `width` x `height` that repeats its first
// DC scan `scans` times, each without data: tiny, yet every scan makes a
// decoder visit every block of the picture again.
QByteArray jpegScanBomb(int width, int height, int scans);
