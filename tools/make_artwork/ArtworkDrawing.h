#pragma once

#include <QImage>

// The options window's pictures, drawn in premultiplied ARGB: each function
// draws the picture of the same name in options/OptionsArtwork.h, which says
// what it shows and its size. make_artwork draws them once, when the editor
// is built.
namespace ArtworkDrawing {

QImage playIcon();
QImage stopIcon();
QImage houseIcon();
QImage aboutBanner();
QImage aboutEmblem();
QImage aboutWordmark();

} // namespace ArtworkDrawing
