// The title movie preview of the Title panel: the play picture lays the
// Flash player over the Flash area and plays the skin's movie, the stop
// picture brings the area back.
#include "options/TfrmSize.h"

#include "base/ProgramFolder.h"
#include "canvas/ElementGeometry.h"
#include "canvas/TForm1.h"
#include "canvas/WindowedControls.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"

#include <QDir>

namespace {

// The program folder with a trailing separator, then "\data\logo.swf": the
// doubled separator is harmless and kept as the menu program builds it. The
// names are spelled as found (see ProgramFolder::file).
QString moviePath()
{
    const QString folder = ProgramFolder::path();
    return folder + QDir::separator() + ProgramFolder::file(QStringLiteral("\\data\\logo.swf")).mid(folder.size());
}

} // namespace

void TfrmSize::imgPlayClick()
{
    if (!chkFlash->isChecked())
        return;
    TShockwaveFlash* player = Form1.FlashPlayer;
    const QWidget* area = Form1.TmpFlash;
    Element::setTop(player, Element::top(area));
    Element::setLeft(player, Element::left(area));
    // The player shows before the area hides: the area may be the leftmost
    // or topmost element, and the canvas must never lose it from its
    // bounding box, or it would shift every other element (and Save with it).
    Element::setVisible(player, true);
    Element::setVisible(Form1.TmpFlash, false);
    Element::setHeight(player, Element::height(area));
    Element::setWidth(player, Element::width(area));
    player->setMovie(moviePath());
    player->Play();
    player->repaint();
}

void TfrmSize::imdStopClick()
{
    if (!chkFlash->isChecked())
        return;
    TShockwaveFlash* player = Form1.FlashPlayer;
    const QWidget* area = Form1.TmpFlash;
    // The area first, for the same reason as in Play.
    Element::setVisible(Form1.TmpFlash, true);
    Element::setVisible(player, false);
    Element::setTop(player, Element::top(area));
    Element::setLeft(player, Element::left(area));
    Element::setHeight(player, Element::height(area));
    Element::setWidth(player, Element::width(area));
    player->setMovie(moviePath());
    player->Stop();
}
