#include "platform/PictureDecoder.h"

#include "base/EditorError.h"

#include <QFileInfo>

QImage loadPictureFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix();
    if (extension.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0
        || extension.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0)
        return loadJpegFile(path);
    if (extension.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        return loadBitmapFile(path);
    const QString shown = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    throw EditorError(QStringLiteral("Unknown picture file extension (%1)").arg(shown));
}
