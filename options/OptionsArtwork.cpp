#include "options/OptionsArtwork.h"

#include "options/ArtworkPixels.h"

#include <QImage>

namespace {

QPixmap pixmap(const ArtworkPixels::Picture& picture)
{
    // The table is read where it stands; the pixmap takes its own copy.
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels), picture.width, picture.height,
                       qsizetype(picture.width) * 4, QImage::Format_ARGB32_Premultiplied);
    return QPixmap::fromImage(image);
}

} // namespace

namespace OptionsArtwork {

QPixmap playIcon() { return pixmap(ArtworkPixels::playIcon); }

QPixmap stopIcon() { return pixmap(ArtworkPixels::stopIcon); }

QPixmap houseIcon() { return pixmap(ArtworkPixels::houseIcon); }

QPixmap aboutBanner() { return pixmap(ArtworkPixels::aboutBanner); }

QPixmap aboutEmblem() { return pixmap(ArtworkPixels::aboutEmblem); }

QPixmap aboutWordmark() { return pixmap(ArtworkPixels::aboutWordmark); }

QString versionLine() { return QStringLiteral("версия 1.0"); }

QString purposeLine() { return QStringLiteral("Редактор скинов"); }

} // namespace OptionsArtwork
