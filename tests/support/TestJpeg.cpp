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

QByteArray jpegScanBomb(int width, int height, int scans)
{
    QByteArray jpeg("\xFF\xD8", 2);
    auto segment = [&jpeg](uchar marker, const QByteArray& body) {
        const auto length = body.size() + 2;
        jpeg += char(0xFF);
        jpeg += char(marker);
        jpeg += char(length >> 8);
        jpeg += char(length & 0xFF);
        jpeg += body;
    };
    segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\1')); // one quantisation table of ones
    QByteArray frame("\x08", 1);                               // 8-bit samples
    for (const int v : {height, width}) {
        frame += char(v >> 8);
        frame += char(v & 0xFF);
    }
    frame += QByteArray("\x01\x01\x11\x00", 4); // one component, no subsampling, table 0
    segment(0xC2, frame);
    QByteArray huffman(1, '\0'); // DC table 0: a single code of one bit, for difference category 0
    huffman += char(1) + QByteArray(15, '\0');
    huffman += char(0);
    segment(0xC4, huffman);
    const QByteArray firstDcScan("\x01\x01\x00\x00\x00\x00", 6); // component 1, Ss 0, Se 0, Ah 0, Al 0
    for (int i = 0; i < scans; ++i)
        segment(0xDA, firstDcScan);
    jpeg += QByteArray("\xFF\xD9", 2);
    return jpeg;
}
