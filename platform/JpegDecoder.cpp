// JPEG pictures decoded with libjpeg. libjpeg reports errors through a
// callback that must not return; it jumps back with longjmp to the one C-style
// function below, which keeps no C++ object alive across the jump (nor does
// the file source, from which an empty file jumps too).

#include "platform/PictureDecoder.h"

#include "base/EditorError.h"
#include "base/FileReads.h"

#include <QFile>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base; // first, so libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
};

extern "C" void failJpeg(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// Warnings and traces go nowhere: libjpeg goes on after a warning (a file
// that ends early is padded with an end marker) and draws what it has, so the
// picture is shown as libjpeg draws it. Only errors end the decoding.
extern "C" void ignoreJpegMessage(j_common_ptr, int) {}

// A progressive picture is decoded scan by scan, each scan a pass over all
// its blocks: one of more scans than any encoder writes is refused, as
// libjpeg-turbo advises for files from anywhere.
constexpr int kMaxJpegScans = 100;
extern "C" void limitJpegScans(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
        ERREXIT(info, JERR_BAD_PROGRESSION);
}

// RGB from CMYK. Files with an Adobe marker (which is how CMYK and YCCK
// pictures are written in practice) store the inks inverted.
void cmykRowToRgb(const JSAMPLE* src, uchar* dst, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, src += 4, dst += 3) {
        int c = src[0], m = src[1], y = src[2], k = src[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[0] = uchar(c * k / 255);
        dst[1] = uchar(m * k / 255);
        dst[2] = uchar(y * k / 255);
    }
}

// The file, handed to libjpeg a block at a time as it asks: the picture's
// size is known, and checked, before most of a file is read, and a file of
// any length takes no more memory than its pixels.
struct FileSource {
    jpeg_source_mgr base; // first, so libjpeg's pointer to it is a pointer to us
    QFile* file;
    JOCTET* block;
    qint64 blockSize;
    bool started;
};

extern "C" void startSource(j_decompress_ptr) {}

extern "C" boolean fillSource(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<FileSource*>(info->src);
    qint64 read = source->file->read(reinterpret_cast<char*>(source->block), source->blockSize);
    if (read <= 0 && !source->started)
        ERREXIT(info, JERR_INPUT_EMPTY);
    source->started = true;
    if (read <= 0) {
        // As libjpeg's own sources do at the file's end: a warning and an end
        // marker, so that a cut file draws what it has.
        WARNMS(info, JWRN_JPEG_EOF);
        source->block[0] = 0xFF;
        source->block[1] = JPEG_EOI;
        read = 2;
    }
    source->base.next_input_byte = source->block;
    source->base.bytes_in_buffer = static_cast<size_t>(read);
    return TRUE;
}

extern "C" void skipSource(j_decompress_ptr info, long count)
{
    jpeg_source_mgr* source = info->src;
    while (count > 0 && static_cast<size_t>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        fillSource(info);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= static_cast<size_t>(count);
    }
}

extern "C" void endSource(j_decompress_ptr) {}

// Decodes into *image (made Format_RGB888 or Format_Grayscale8 here). Returns
// 0, or libjpeg's message code of the failure. Only plain C data lives in this
// frame between setjmp and the last libjpeg call.
int decode(FileSource* source, QImage* image)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = failJpeg;
    errors.base.emit_message = ignoreJpegMessage;
    if (setjmp(errors.jump) != 0) {
        const int code = errors.base.msg_code;
        jpeg_destroy_decompress(&info);
        return code;
    }

    jpeg_create_decompress(&info);
    jpeg_progress_mgr progress{};
    progress.progress_monitor = limitJpegScans;
    info.progress = &progress;
    source->base.init_source = startSource;
    source->base.fill_input_buffer = fillSource;
    source->base.skip_input_data = skipSource;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = endSource;
    source->base.bytes_in_buffer = 0;
    source->base.next_input_byte = nullptr;
    info.src = &source->base;
    jpeg_read_header(&info, TRUE);

    // Refuse absurd sizes before libjpeg or the picture take any memory.
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > JDIMENSION(kMaxPictureSide)
        || info.image_height > JDIMENSION(kMaxPictureSide)
        || qint64(info.image_width) * info.image_height > kMaxPicturePixels) {
        jpeg_destroy_decompress(&info);
        return JERR_IMAGE_TOO_BIG;
    }

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        info.out_color_space = JCS_CMYK;
    else if (info.jpeg_color_space != JCS_GRAYSCALE)
        info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    *image = QImage(int(info.output_width), int(info.output_height),
                    info.out_color_space == JCS_GRAYSCALE ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image->isNull()) {
        jpeg_destroy_decompress(&info);
        return JERR_OUT_OF_MEMORY;
    }
    JSAMPARRAY cmykRow = cmyk
        ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width * 4, 1)
        : nullptr;
    while (info.output_scanline < info.output_height) {
        uchar* line = image->scanLine(int(info.output_scanline));
        if (cmyk) {
            jpeg_read_scanlines(&info, cmykRow, 1);
            cmykRowToRgb(cmykRow[0], line, info.output_width, info.saw_Adobe_marker);
        } else {
            JSAMPROW row = line;
            jpeg_read_scanlines(&info, &row, 1);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

QImage loadJpegFile(const QString& path)
{
    QFile file(path);
    if (!FileReads::open(file))
        throw EditorError(ErrorText::cannotOpenFile(path));

    QByteArray block(64 * 1024, Qt::Uninitialized);
    FileSource source{{}, &file, reinterpret_cast<JOCTET*>(block.data()), block.size(), false};
    QImage image;
    const int code = decode(&source, &image);
    if (code != 0)
        throw EditorError(QStringLiteral("JPEG error #%1").arg(code));
    return image.convertToFormat(QImage::Format_RGB32);
}
