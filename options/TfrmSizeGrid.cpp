// The options window's grid controls: the check box chkSetka switches the
// alignment grid on the canvas background, the swatch lblSetka colours it.
#include "options/TfrmSize.h"

#include "canvas/Grid.h"
#include "canvas/TForm1.h"
#include "options/ColourSwatch.h"
#include "platform/TCheckBox.h"

void TfrmSize::chkSetkaClick()
{
    if (!chkSetka->isChecked()) {
        // The file's picture replaces the one with the grid.
        Grid::remove(*Form1.imgBckGround);
        return;
    }
    Grid::draw(*Form1.imgBckGround, lblSetka->color());
}

void TfrmSize::lblSetkaClick()
{
    dlgChangeColor.Color = lblSetka->color();
    if (dlgChangeColor.Execute())
        lblSetka->setColor(dlgChangeColor.Color);
    // Confirmed or cancelled, a grid that is on is drawn again; one that is
    // off only gets its pen colour.
    if (chkSetka->isChecked())
        Grid::draw(*Form1.imgBckGround, lblSetka->color());
    else
        Grid::preparePen(*Form1.imgBckGround);
}
