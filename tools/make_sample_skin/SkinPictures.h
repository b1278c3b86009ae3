#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// The pictures of the sample skin. The background leaves room for every
// element where sample/skin.ini places it: a header band with the title and
// the logo box, two panels for the folder tree and the info box with their tab
// pictures above them, and a strip for the buttons along the bottom.
namespace SkinPictures {

QImage background();                            // 500 x 400
QImage title();                                 // 266 x 65
QImage tab(QSize size, const QString& caption); // the list and info tabs
// A button picture; its corners take the colour of the strip it stands on.
QImage button(QSize size, const QString& caption, QColor face);

// Button faces.
inline const QColor kBlue(58, 116, 196);
inline const QColor kGreen(46, 150, 86);
inline const QColor kRed(186, 58, 52);
inline const QColor kAmber(196, 132, 34);

} // namespace SkinPictures
