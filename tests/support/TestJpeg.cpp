#include "tests/support/TestJpeg.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

QByteArray encodeTestJpeg(const QImage& image, JpegKind kind, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Rgb ? 3 : 4;
    info.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::Rgb ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);

    std::vector<JSAMPLE> row(size_t(image.width()) * 4);
    while (info.next_scanline < info.image_height) {
        const uchar* src = rgb.constScanLine(int(info.next_scanline));
        for (int x = 0; x < image.width(); ++x) {
            const uchar r = src[3 * x], g = src[3 * x + 1], b = src[3 * x + 2];
            switch (kind) {
            case JpegKind::Grey:
                row[size_t(x)] = JSAMPLE(qGray(r, g, b));
                break;
            case JpegKind::Rgb:
                row[3 * size_t(x)] = r;
                row[3 * size_t(x) + 1] = g;
                row[3 * size_t(x) + 2] = b;
                break;
            case JpegKind::AdobeCmyk: // no black ink; inks stored inverted
                row[4 * size_t(x)] = r;
                row[4 * size_t(x) + 1] = g;
                row[4 * size_t(x) + 2] = b;
                row[4 * size_t(x) + 3] = 255;
                break;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    // Baseline (C0) or progressive (C2) frame header: length, precision, height, width.
    for (qsizetype i = 0; i + 8 < jpeg.size(); ++i) {
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    qFatal("no frame header");
}
