#include "canvas/Grid.h"

#include "base/ProgramFolder.h"
#include "canvas/TImage.h"

#include <QImage>

#include <algorithm>

namespace Grid {

void paintLines(QImage& picture, const QColor& colour)
{
    if (picture.isNull())
        return;
    // The pixels of each 1-pixel line are set directly, row by row: the
    // canvas's pictures are opaque 32-bit ones already (PictureDecoder.h).
    if (picture.format() != QImage::Format_RGB32)
        picture.convertTo(QImage::Format_RGB32);
    const QRgb pixel = colour.rgb();
    const int width = picture.width();
    const int height = picture.height();
    const int lastRowLine = height / kSpacing * kSpacing;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        if (y % kSpacing == 0 && y < lastRowLine)
            std::fill(row, row + width, pixel);
        else
            for (int x = 0; x + kSpacing <= width; x += kSpacing)
                row[x] = pixel;
    }
}

QImage& preparePen(TImage& background) { return background.drawingSurface(); }

void draw(TImage& background, TColor colour)
{
    paintLines(preparePen(background), displayColour(colour));
    background.update();
}

void remove(TImage& background)
{
    background.loadFromFile(ProgramFolder::file(QStringLiteral("\\data\\BackGround.bmp")));
}

} // namespace Grid
