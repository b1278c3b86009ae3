#pragma once

#include "base/Colour.h"

#include <QColor>

class QImage;
class TImage;

// The alignment grid: lines 10 pixels apart painted into the pixels of the
// canvas background's picture, so it lies under every element. It is never
// saved: removing it reloads the background picture from its file.
namespace Grid {

constexpr int kSpacing = 10;

// Paints the lines with a 1-pixel solid pen: W div 10 vertical lines at
// x = 0, 10, ... over the full height, H div 10 horizontal lines at
// y = 0, 10, ... over the full width. A last partial cell gets no line.
void paintLines(QImage& picture, const QColor& colour);

// Sets the pen colour of the background's drawing surface. A background
// without a picture gets a blank white one of its current size here.
QImage& preparePen(TImage& background);

// Draws the grid in `colour` over the background's current picture and
// repaints it.
void draw(TImage& background, TColor colour);

// Reloads "\data\BackGround.bmp" into the background, which shows the file's
// current content and size. Throws as the picture loader does.
void remove(TImage& background);

} // namespace Grid
