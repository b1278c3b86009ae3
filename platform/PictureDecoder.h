#pragma once

#include <QImage>
#include <QString>

// Pictures of the canvas elements, read from files of the data folder.
// Each loader returns an opaque picture (QImage::Format_RGB32) or throws
// EditorError with the text the user reads in the error box:
//   "Cannot open file <path>"     the file cannot be opened;
//   "Bitmap image is not valid"   a file read as a bitmap is not one;
//   "JPEG error #<n>"             libjpeg's message code for a bad JPEG.
// Sizes are checked before any pixel memory is taken, so a damaged header
// claiming an enormous picture is refused instead of exhausting memory.

// The largest picture accepted: per side, and in pixels altogether.
constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

// Reads the file as a Windows bitmap, whatever its name or content.
QImage loadBitmapFile(const QString& path);

// Reads the file as a JPEG picture through libjpeg. Grey, RGB, CMYK and YCCK
// pictures all come back as RGB. A picture that libjpeg completes with only
// warnings (a missing end marker, a file cut inside its pixel data) loads as
// libjpeg draws it; only libjpeg's errors are refused.
QImage loadJpegFile(const QString& path);

// Chooses the format by the file's extension, compared without regard to
// case: ".jpg" and ".jpeg" are JPEG, ".bmp" is a bitmap; any other extension
// is refused with "Unknown picture file extension (.ext)".
QImage loadPictureFile(const QString& path);
