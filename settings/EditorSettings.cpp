#include "settings/EditorSettings.h"

#include "app/ProgramFolder.h"
#include "canvas/TForm1.h"
#include "options/ColourSwatch.h"
#include "options/TfrmSize.h"
#include "platform/TCheckBox.h"
#include "settings/ColourText.h"
#include "settings/IniFile.h"
#include "settings/IniValues.h"
#include "settings/LanguageFile.h"

#include <optional>

namespace {

const QString section = QStringLiteral("Pelmora");

// An integer key only when the file holds a valid one. A window is moved
// only for a stored place: moving it to its own position would still pin a
// hidden window there instead of where the window system puts new windows.
std::optional<int> storedInteger(const QString& path, const QString& key)
{
    return IniValues::parseInteger(IniFile::readString(path, section, key, QString()));
}

} // namespace

namespace EditorSettings {

void read(const QString& path, TForm1& form1, TfrmSize& frmSize)
{
    frmSize.lblSetka->setColor(readColour(path, section, QStringLiteral("GridColor"), frmSize.lblSetka->color()));

    const std::optional<int> optionsX = storedInteger(path, QStringLiteral("OptionsX"));
    const std::optional<int> optionsY = storedInteger(path, QStringLiteral("OptionsY"));
    if (optionsX || optionsY)
        frmSize.move(optionsX.value_or(frmSize.x()), optionsY.value_or(frmSize.y()));

    if (const std::optional<int> mainX = storedInteger(path, QStringLiteral("MainX")))
        form1.setLeft(*mainX);
    if (const std::optional<int> mainY = storedInteger(path, QStringLiteral("MainY")))
        form1.setTop(*mainY);

    frmSize.chkSetka->setState(
        IniValues::readBool(path, section, QStringLiteral("Grid"), frmSize.chkSetka->isChecked()));

    const QString languageFile =
        IniFile::readString(path, QStringLiteral("Main"), QStringLiteral("LangFile"), QStringLiteral("Russian.lng"));
    // A refused or missing language file leaves the form's texts; nothing
    // is reported.
    LanguageFile::apply(ProgramFolder::file(QStringLiteral("\\Support\\") + languageFile), frmSize);
}

void write(const QString& path, const TForm1& form1, const TfrmSize& frmSize)
{
    writeColour(path, section, QStringLiteral("GridColor"), frmSize.lblSetka->color());
    IniValues::writeInteger(path, section, QStringLiteral("OptionsX"), frmSize.x());
    IniValues::writeInteger(path, section, QStringLiteral("OptionsY"), frmSize.y());
    IniValues::writeInteger(path, section, QStringLiteral("MainX"), form1.left());
    IniValues::writeInteger(path, section, QStringLiteral("MainY"), form1.top());
    IniValues::writeBool(path, section, QStringLiteral("Grid"), frmSize.chkSetka->isChecked());
}

} // namespace EditorSettings
