// The bitmap loader on any file: a picture within the size limits, or the
// error the user reads.
#include "fuzz/FuzzSupport.h"

#include "base/EditorError.h"
#include "platform/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::writeFile(QStringLiteral("fuzz.bmp"), fuzz::bytes(data, size));
    try {
        const QImage image = loadBitmapFile(path);
        if (image.format() != QImage::Format_RGB32 || image.width() > kMaxPictureSide
            || image.height() > kMaxPictureSide || image.isNull())
            fuzz::fail("a picture outside the loader's promise");
    } catch (const EditorError&) {
        // refused with the error box's text
    }
    return 0;
}
