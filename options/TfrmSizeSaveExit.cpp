// The options window's two commands: Save writes the skin file, keeping a
// backup of the file it replaces; Exit stores the editor's own settings and
// ends the program.
#include "options/TfrmSize.h"

#include "base/Application.h"
#include "base/Dialogs.h"
#include "base/ProgramFolder.h"
#include "canvas/SkinFile.h"
#include "options/EditorSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

// Keeps the file's present contents in "<path>.BAK", replacing an older
// backup. Neither step is checked: a backup that cannot be removed or made
// does not stop the Save.
void keepBackup(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return;
    const QString backup = path + QStringLiteral(".BAK");
    if (QFileInfo::exists(backup))
        QFile::remove(backup);
    // Never overwrites: a backup that could not be removed stays as it is.
    QFile::copy(path, backup);
}

} // namespace

void TfrmSize::LbSpeedButton1Click()
{
    // Proposed every time, whatever was chosen before.
    svDlgFile.FileName = ProgramFolder::file(QStringLiteral("\\data\\skin.ini"));
    if (!svDlgFile.Execute())
        return;
    const QString target = svDlgFile.FileName;
    keepBackup(target);
    SkinFile::write(target, Form1, *this);
    Application::dialogs().showMessage(QStringLiteral("Сообщение..."),
                                       QStringLiteral("Данные были удачно сохранены в файл ") + target);
}

void TfrmSize::SpeedButton1Click()
{
    EditorSettings::write(EditorSettings::path(), Form1, *this);
    // The event loop ends once this click is handled, with the windows as
    // they stand (quit() would first ask them to close).
    QCoreApplication::exit(0);
}
