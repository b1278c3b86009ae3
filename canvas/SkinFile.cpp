#include "canvas/SkinFile.h"

#include "canvas/ElementGeometry.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/ColourSwatch.h"
#include "options/TfrmSize.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "settings/ColourText.h"
#include "settings/IniValues.h"

#include <algorithm>

namespace {

const QString kMainSection = QStringLiteral("Main");

// The menu draws the background picture at its window's origin, so the
// skin file measures every place from the background's place in the canvas
// (which a layout reaching past its left or top edge moves away from the
// canvas's origin).
QPoint skinOrigin(const TForm1& form1) { return form1.imgBckGround->pos(); }
int skinLeft(const TForm1& form1, const QWidget* element) { return Element::left(element) - skinOrigin(form1).x(); }
int skinTop(const TForm1& form1, const QWidget* element) { return Element::top(element) - skinOrigin(form1).y(); }

// A place from the file, within the limits, in the canvas's coordinates.
int canvasPlace(int skinPlace, int origin)
{
    return origin + std::clamp(skinPlace, -Element::kPlaceLimit, Element::kPlaceLimit);
}

// One skin file's [Main] section, read key by key from the file as it was
// read once. Every read applies its value at once, so a later key sees the
// effect of an earlier one (the background's place among them).
class SkinReader {
public:
    SkinReader(const QString& path, const TForm1& form1) : file_(path), form1_(form1) {}

    int integer(const char* key, int defaultValue) const
    {
        return IniValues::readInteger(file_, kMainSection, QLatin1String(key), defaultValue);
    }
    // Places: the default, like the value, measured from the background.
    void left(const char* key, QWidget* element, int defaultValue) const
    {
        Element::setLeft(element, canvasPlace(integer(key, defaultValue), skinOrigin(form1_).x()));
    }
    void top(const char* key, QWidget* element, int defaultValue) const
    {
        Element::setTop(element, canvasPlace(integer(key, defaultValue), skinOrigin(form1_).y()));
    }
    void width(const char* key, QWidget* element, int defaultValue) const
    {
        Element::setWidth(element, integer(key, defaultValue));
    }
    void height(const char* key, QWidget* element, int defaultValue) const
    {
        Element::setHeight(element, integer(key, defaultValue));
    }
    // A check box takes the key's state, running its click behaviour when
    // the state changes.
    void check(const char* key, TCheckBox* box, bool defaultValue) const
    {
        box->setState(IniValues::readBool(file_, kMainSection, QLatin1String(key), defaultValue));
    }
    // A colour key whose default is the colour the control holds now.
    TColor colour(const char* key, TColor current) const
    {
        return readColour(file_, kMainSection, QLatin1String(key), current);
    }

private:
    IniFile::Snapshot file_;
    const TForm1& form1_;
};

// The keys of [Main], written in turn into the file's text in memory; the
// file itself is replaced once, by save().
class SkinWriter {
public:
    SkinWriter(const QString& path, const TForm1& form1) : file_(path), form1_(form1) {}

    void integer(const char* key, int value)
    {
        IniValues::writeInteger(file_, kMainSection, QLatin1String(key), value);
    }
    // Places, measured from the background.
    void left(const char* key, const QWidget* element) { integer(key, skinLeft(form1_, element)); }
    void top(const char* key, const QWidget* element) { integer(key, skinTop(form1_, element)); }
    void check(const char* key, const TCheckBox* box)
    {
        IniValues::writeBool(file_, kMainSection, QLatin1String(key), box->isChecked());
    }
    void colour(const char* key, TColor colour) { writeColour(file_, kMainSection, QLatin1String(key), colour); }
    void save() const { file_.save(); }

private:
    IniFile::Batch file_;
    const TForm1& form1_;
};

// The nine picture elements whose place the skin keeps as "<name>X" and
// "<name>Y", in the order the reader takes them.
struct PictureKeys {
    const char* x;
    const char* y;
    TImage* TForm1::*element;
};
constexpr PictureKeys pictureKeys[] = {
    {"TitleX", "TitleY", &TForm1::imgWel}, {"ListX", "ListY", &TForm1::imgList},
    {"InfoX", "InfoY", &TForm1::imgInfo},  {"SetupX", "SetupY", &TForm1::imgSetup},
    {"BrowX", "BrowY", &TForm1::imgBrow},  {"ExitX", "ExitY", &TForm1::imgExit},
    {"RusX", "RusY", &TForm1::imgRuss},    {"PatchX", "PatchY", &TForm1::imgPatch},
    {"PicX", "PicY", &TForm1::imgPic},
};

} // namespace

namespace SkinFile {

void read(const QString& path, TForm1& form1, TfrmSize& frmSize)
{
    const SkinReader skin(path, form1);

    skin.left("ButInfoX", form1.btnInfo, skinLeft(form1, form1.btnInfo));
    skin.top("ButInfoY", form1.btnInfo, skinTop(form1, form1.btnInfo));

    skin.check("ButMusic", frmSize.chkButtonsMusic, frmSize.chkButtonsMusic->isChecked());
    skin.check("LogoStr", frmSize.chkStreight, frmSize.chkStreight->isChecked());
    skin.check("LogoVisible", frmSize.chkLogoShow, false);
    skin.check("LogoTrans", frmSize.chkTrans, false);
    skin.check("MakeForm", frmSize.chkDoForm, true);

    skin.height("LogoH", form1.imgLogo, 10);
    skin.width("LogoW", form1.imgLogo, 10);
    skin.left("LogoX", form1.imgLogo, 10);
    skin.top("LogoY", form1.imgLogo, 0);

    skin.left("MinX", form1.btnMinimize, 40);
    skin.top("MinY", form1.btnMinimize, 6);

    skin.check("Flash", frmSize.chkFlash, false);
    skin.check("Music", frmSize.chkMusic, false);
    skin.check("LoopMusic", frmSize.chkLoop, false);

    skin.height("FlashH", form1.TmpFlash, Element::height(form1.TmpFlash));
    skin.width("FlashW", form1.TmpFlash, Element::width(form1.TmpFlash));
    skin.left("FlashX", form1.TmpFlash, 0);
    skin.top("FlashY", form1.TmpFlash, 0);

    for (const PictureKeys& keys : pictureKeys) {
        skin.left(keys.x, form1.*keys.element, 0);
        skin.top(keys.y, form1.*keys.element, 0);
    }

    skin.left("LstX", form1.lstDir, 0);
    skin.top("LstY", form1.lstDir, 0);
    skin.width("LstW", form1.lstDir, 0);
    skin.height("LstH", form1.lstDir, 0);
    skin.left("InfX", form1.txtInfo, 0);
    skin.top("InfY", form1.txtInfo, 0);
    skin.width("InfW", form1.txtInfo, 0);
    skin.height("InfH", form1.txtInfo, 0);
    skin.left("DMx", form1.Label1, 0);
    skin.top("DMy", form1.Label1, 0);

    // The tree's font colour and its swatch, both defaulting to the swatch.
    form1.lstDir->setFontColor(skin.colour("DirFontColor", frmSize.lblFontColor->color()));
    frmSize.lblFontColor->setColor(skin.colour("DirFontColor", frmSize.lblFontColor->color()));

    form1.lstDir->setColor(skin.colour("DirColor", form1.lstDir->color()));
    form1.txtInfo->setColor(skin.colour("InfoColor", form1.txtInfo->color()));
}

void write(const QString& path, const TForm1& form1, const TfrmSize& frmSize)
{
    SkinWriter skin(path, form1);

    skin.left("ButInfoX", form1.btnInfo);
    skin.top("ButInfoY", form1.btnInfo);
    skin.check("LogoVisible", frmSize.chkLogoShow);
    skin.check("LogoTrans", frmSize.chkTrans);
    skin.check("LogoStr", frmSize.chkStreight);
    skin.check("MakeForm", frmSize.chkDoForm);
    skin.check("ButMusic", frmSize.chkButtonsMusic);
    skin.colour("DirFontColor", frmSize.lblFontColor->color());
    skin.integer("LogoH", Element::height(form1.imgLogo));
    skin.integer("LogoW", Element::width(form1.imgLogo));
    skin.left("LogoX", form1.imgLogo);
    skin.top("LogoY", form1.imgLogo);
    skin.left("MinX", form1.btnMinimize);
    skin.top("MinY", form1.btnMinimize);
    skin.check("Flash", frmSize.chkFlash);
    skin.check("Music", frmSize.chkMusic);
    skin.integer("FlashH", Element::height(form1.TmpFlash));
    skin.integer("FlashW", Element::width(form1.TmpFlash));
    skin.left("FlashX", form1.TmpFlash);
    skin.top("FlashY", form1.TmpFlash);

    // The menu program's own order: X before Y, except the last two
    // pictures, whose Y comes first.
    for (const PictureKeys& keys : pictureKeys) {
        const TImage* element = form1.*keys.element;
        const bool yFirst = keys.element == &TForm1::imgPatch || keys.element == &TForm1::imgPic;
        if (yFirst)
            skin.top(keys.y, element);
        skin.left(keys.x, element);
        if (!yFirst)
            skin.top(keys.y, element);
    }

    skin.left("LstX", form1.lstDir);
    skin.top("LstY", form1.lstDir);
    skin.integer("LstW", Element::width(form1.lstDir));
    skin.integer("LstH", Element::height(form1.lstDir));
    skin.left("InfX", form1.txtInfo);
    skin.top("InfY", form1.txtInfo);
    skin.integer("InfW", Element::width(form1.txtInfo));
    skin.integer("InfH", Element::height(form1.txtInfo));
    skin.left("DMx", form1.Label1);
    skin.top("DMy", form1.Label1);
    skin.colour("InfoColor", form1.txtInfo->color());
    skin.colour("DirColor", form1.lstDir->color());
    skin.save();
}

} // namespace SkinFile
