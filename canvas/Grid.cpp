#include "canvas/Grid.h"

#include "base/ProgramFolder.h"
#include "canvas/TImage.h"

#include <QPainter>

namespace Grid {

void paintLines(QImage& picture, const QColor& colour)
{
    if (picture.isNull())
        return;
    const int width = picture.width();
    const int height = picture.height();
    // Whole-pixel rectangles, so exactly the pixels of each 1-pixel line are
    // set, whatever the painter's pen rules are.
    QPainter painter(&picture);
    for (int i = 0; i < width / kSpacing; ++i)
        painter.fillRect(i * kSpacing, 0, 1, height, colour);
    for (int j = 0; j < height / kSpacing; ++j)
        painter.fillRect(0, j * kSpacing, width, 1, colour);
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
