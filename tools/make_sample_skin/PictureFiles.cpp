#include "PictureFiles.h"

#include <QDataStream>
#include <QSaveFile>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

bool writeBitmap24(const QImage& image, const QString& path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const quint32 stride = (quint32(rgb.width()) * 3 + 3) & ~3u;
    const quint32 pixelBytes = stride * quint32(rgb.height());
    const quint32 offset = 14 + 40;

    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint8('B') << quint8('M') << quint32(offset + pixelBytes) << quint32(0) << offset;
    s << quint32(40) << qint32(rgb.width()) << qint32(rgb.height()) << quint16(1) << quint16(24) << quint32(0)
      << pixelBytes << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            s << quint8(line[3 * x + 2]) << quint8(line[3 * x + 1]) << quint8(line[3 * x]);
        for (quint32 pad = quint32(rgb.width()) * 3; pad < stride; ++pad)
            s << quint8(0);
    }
    return writeFile(path, bytes);
}

bool writeJpeg(const QImage& image, const QString& path, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors); // errors here are programming faults: libjpeg exits
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full-resolution colour keeps the thin letters of the captions clean.
    for (int i = 0; i < info.num_components; ++i)
        info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);

    const QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return writeFile(path, bytes);
}
