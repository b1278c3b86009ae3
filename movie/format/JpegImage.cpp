// JPEG pictures of movies decoded with libjpeg. libjpeg reports errors
// through a callback that must not return; it jumps back with longjmp to the
// one C-style function below, which keeps no C++ object with a destructor
// alive across the jump.

#include "movie/format/JpegImage.h"

#include "movie/Interruption.h"
#include "movie/Limits.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

namespace movie {

namespace {

struct ErrorManager {
    jpeg_error_mgr base; // first, so libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
};

extern "C" void failMovieJpeg(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// Warnings (a picture cut short is padded by libjpeg) are let through: a
// damaged picture in a movie shows what could be read.
extern "C" void ignoreMovieJpegMessage(j_common_ptr, int) {}

// Every scan of a progressive picture is a pass over all its blocks: a
// picture of endless scans is refused after the limit, as libjpeg-turbo
// advises for pictures from anywhere. Decoding also ends when the thread
// doing it is asked to stop (the preview stopped, the movie let go).
extern "C" void limitMovieJpegWork(j_common_ptr info)
{
    const auto* picture = reinterpret_cast<j_decompress_ptr>(info);
    if (picture->input_scan_number > limits::kMaxJpegScans || interruptionRequested())
        ERREXIT(info, JERR_BAD_PROGRESSION);
}

enum Outcome { Decoded = 0, Failed = 1, TooLarge = 2, NoMemory = 3 };

// Decodes into *image. Only plain C data and the image, made before the
// scanlines are read and not touched by the jump, live in this frame.
int decode(const unsigned char* data, unsigned long size, qint64 maxPixels, int maxSide, QImage* image, unsigned* width,
           unsigned* height)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = failMovieJpeg;
    errors.base.emit_message = ignoreMovieJpegMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return Failed;
    }
    jpeg_create_decompress(&info);
    // Beyond this the decoder would need a backing store, which it has not:
    // it fails instead of taking more memory.
    info.mem->max_memory_to_use = limits::kMaxJpegDecoderBytes;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = limitMovieJpegWork;
    info.progress = &progress;
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    *width = info.image_width;
    *height = info.image_height;
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > JDIMENSION(maxSide)
        || info.image_height > JDIMENSION(maxSide) || qint64(info.image_width) * info.image_height > maxPixels) {
        jpeg_destroy_decompress(&info);
        return TooLarge;
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&info);
        return Failed;
    }
#ifdef JCS_EXTENSIONS
    // Straight into the picture's own byte order.
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
#else
    info.out_color_space = JCS_RGB;
#endif
    jpeg_start_decompress(&info);
    if (image->width() != int(info.output_width) || image->height() != int(info.output_height)) {
        jpeg_destroy_decompress(&info);
        return NoMemory;
    }
    JSAMPARRAY rgbRow = info.output_components == 3
        ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width * 3, 1)
        : nullptr;
    while (info.output_scanline < info.output_height) {
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(int(info.output_scanline)));
        if (rgbRow) {
            jpeg_read_scanlines(&info, rgbRow, 1);
            const JSAMPLE* src = rgbRow[0];
            for (JDIMENSION x = 0; x < info.output_width; ++x, src += 3)
                line[x] = qRgb(src[0], src[1], src[2]);
        } else {
            auto row = reinterpret_cast<JSAMPROW>(line);
            jpeg_read_scanlines(&info, &row, 1);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return Decoded;
}

// Reads only the frame header's size, to make the picture before decoding.
bool peekSize(const QByteArray& data, int& width, int& height)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (d[i] != 0xFF) {
            ++i;
            continue;
        }
        const uchar m = d[i + 1];
        if (m == 0xFF) {
            ++i;
            continue;
        }
        if (m == 0xD8 || m == 0xD9 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
            continue;
        }
        const int length = (d[i + 2] << 8) | d[i + 3];
        const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (frame && i + 9 <= n) {
            height = (d[i + 5] << 8) | d[i + 6];
            width = (d[i + 7] << 8) | d[i + 8];
            return true;
        }
        if (m == 0xDA)
            return false;
        i += 2 + length;
    }
    return false;
}

} // namespace

QByteArray cleanJpegStream(const QByteArray& data)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    QByteArray out;
    out.reserve(n);
    out.append("\xFF\xD8", 2);
    qsizetype i = 0;
    while (i + 1 < n) {
        if (d[i] != 0xFF) {
            out.append(data.mid(i)); // not a marker: leave the rest to libjpeg
            return out;
        }
        const uchar m = d[i + 1];
        if (m == 0xFF) {
            ++i; // fill byte
        } else if (m == 0xD8 || m == 0xD9) {
            i += 2; // start and end markers before the picture's scan
        } else if (m == 0xDA) {
            out.append(data.mid(i)); // the scan runs to the end
            return out;
        } else if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            out.append(data.mid(i, 2));
            i += 2;
        } else {
            if (i + 3 >= n)
                break;
            const qsizetype length = (qsizetype(d[i + 2]) << 8) | d[i + 3];
            out.append(data.mid(i, 2 + length));
            i += 2 + length;
        }
    }
    return out;
}

QImage decodeJpegImage(const QByteArray& data, qint64 maxPixels, int maxSide, QString& error)
{
    int w = 0, h = 0;
    if (!peekSize(data, w, h) || w <= 0 || h <= 0) {
        error = QStringLiteral("its JPEG data cannot be read");
        return {};
    }
    if (w > maxSide || h > maxSide || qint64(w) * h > maxPixels) {
        error = QStringLiteral("its picture of %1 x %2 pixels is larger than this movie allows").arg(w).arg(h);
        return {};
    }
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) {
        error = QStringLiteral("there is not enough memory for its picture");
        return {};
    }
    unsigned width = 0, height = 0;
    const int outcome = decode(reinterpret_cast<const unsigned char*>(data.constData()),
                               static_cast<unsigned long>(data.size()), maxPixels, maxSide, &image, &width, &height);
    switch (outcome) {
    case Decoded:
        return image;
    case TooLarge:
        error = QStringLiteral("its picture of %1 x %2 pixels is larger than this movie allows").arg(width).arg(height);
        return {};
    default:
        error = QStringLiteral("its JPEG data cannot be decoded");
        return {};
    }
}

} // namespace movie
