#pragma once

#include <QPixmap>
#include <QString>

// The pictures and About texts of the options window. The pictures are the
// editor's own, drawn when it is built (tools/make_artwork), so that
// start-up only copies them.
namespace OptionsArtwork {

// 32 x 32, transparent: a black triangle pointing right, edged in white.
QPixmap playIcon();
// 32 x 32, transparent: a black square edged in white.
QPixmap stopIcon();
// 16 x 16, transparent: a small house, beside every node of the tree.
QPixmap houseIcon();

// The About panel's three logo pictures.
QPixmap aboutBanner();   // 175 x 47
QPixmap aboutEmblem();   // 136 x 85
QPixmap aboutWordmark(); // 135 x 35

// The About panel's two lines.
QString versionLine();
QString purposeLine();

} // namespace OptionsArtwork
