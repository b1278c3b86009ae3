#pragma once

#include <QImage>

// The options window's pictures, drawn in premultiplied ARGB. make_artwork
// draws them once, when the editor is built.
namespace ArtworkDrawing {

// 32 x 32, transparent: a black triangle pointing right, edged in white.
QImage playIcon();
// 32 x 32, transparent: a black square edged in white.
QImage stopIcon();
// 16 x 16, transparent: a small house, beside every node of the tree.
QImage houseIcon();

// The About panel's three logo pictures.
QImage aboutBanner();   // 175 x 47
QImage aboutEmblem();   // 136 x 85
QImage aboutWordmark(); // 135 x 35

} // namespace ArtworkDrawing
