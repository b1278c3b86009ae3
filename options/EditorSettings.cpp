#include "options/EditorSettings.h"

#include "base/ProgramFolder.h"
#include "canvas/TForm1.h"
#include "options/ColourSwatch.h"
#include "options/SoundFiles.h"
#include "options/TfrmSize.h"
#include "platform/TCheckBox.h"
#include "platform/WindowPlacement.h"
#include "settings/ColourText.h"
#include "settings/IniFile.h"
#include "settings/IniValues.h"
#include "settings/LanguageFile.h"

#include <optional>

namespace {

const QString kSection = QStringLiteral("Pelmora");

// An integer key only when the file holds a valid one. A window is moved
// only for a stored place: moving it to its own position would still pin a
// hidden window there instead of where the window system puts new windows.
std::optional<int> storedInteger(const IniFile::Snapshot& file, const QString& key)
{
    return IniValues::parseInteger(file.readString(kSection, key, QString()));
}

} // namespace

namespace EditorSettings {

QString path() { return ProgramFolder::file(QStringLiteral("\\Options.ini")); }

void read(const QString& path, TForm1& form1, TfrmSize& frmSize)
{
    const IniFile::Snapshot file(path); // read once for all its keys
    frmSize.lblSetka->setColor(readColour(file, kSection, QStringLiteral("GridColor"), frmSize.lblSetka->color()));

    const std::optional<int> optionsX = storedInteger(file, QStringLiteral("OptionsX"));
    const std::optional<int> optionsY = storedInteger(file, QStringLiteral("OptionsY"));
    if (optionsX || optionsY) {
        const QPoint stored(WindowPlacement::bounded(optionsX.value_or(frmSize.x())),
                            WindowPlacement::bounded(optionsY.value_or(frmSize.y())));
        frmSize.move(WindowPlacement::seenPlace(QRect(stored, frmSize.frameGeometry().size())));
    }

    const std::optional<int> mainX = storedInteger(file, QStringLiteral("MainX"));
    const std::optional<int> mainY = storedInteger(file, QStringLiteral("MainY"));
    if (mainX)
        form1.setLeft(*mainX);
    if (mainY)
        form1.setTop(*mainY);
    // A place off every screen (a monitor that is gone) is not shown there;
    // the file keeps it until Exit writes the place the window has then.
    if (mainX || mainY) {
        const QPoint seen = WindowPlacement::seenPlace(form1.frameGeometry());
        form1.setLeft(seen.x());
        form1.setTop(seen.y());
    }

    frmSize.chkSetka->setState(
        IniValues::readBool(file, kSection, QStringLiteral("Grid"), frmSize.chkSetka->isChecked()));

    const QString languageFile =
        file.readString(QStringLiteral("Main"), QStringLiteral("LangFile"), QStringLiteral("Russian.lng"));
    // A refused or missing language file leaves the form's texts; nothing
    // is reported.
    if (const auto texts = LanguageFile::read(ProgramFolder::file(QStringLiteral("\\Support\\") + languageFile)))
        frmSize.applyLanguage(*texts);
}

void write(const QString& path, const TForm1& form1, const TfrmSize& frmSize)
{
    IniFile::Batch file(path);
    writeColour(file, kSection, QStringLiteral("GridColor"), frmSize.lblSetka->color());
    IniValues::writeInteger(file, kSection, QStringLiteral("OptionsX"), frmSize.x());
    IniValues::writeInteger(file, kSection, QStringLiteral("OptionsY"), frmSize.y());
    IniValues::writeInteger(file, kSection, QStringLiteral("MainX"), form1.left());
    IniValues::writeInteger(file, kSection, QStringLiteral("MainY"), form1.top());
    IniValues::writeBool(file, kSection, QStringLiteral("Grid"), frmSize.chkSetka->isChecked());
    file.save();
}

QString lastMusicPath(const QString& path)
{
    return IniFile::readString(path, kSection, QStringLiteral("LastMusPath"),
                               SoundFiles::path(SoundFiles::music(), QStringLiteral(".wav")));
}

void setLastMusicPath(const QString& path, const QString& picked)
{
    IniFile::writeString(path, kSection, QStringLiteral("LastMusPath"), picked);
}

} // namespace EditorSettings
