// The options window's two commands: Save writes the skin file, keeping a
// backup of the file it replaces; Exit stores the editor's own settings and
// ends the program.
#include "options/TfrmSize.h"

#include "base/Application.h"
#include "base/Dialogs.h"
#include "base/FileNames.h"
#include "base/FileWrites.h"
#include "base/ProgramFolder.h"
#include "canvas/SkinFile.h"
#include "options/EditorSettings.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// Keeps the file's present contents in "<path>.BAK" (found in any letter
// case, as Windows finds it). The new backup takes the older one's place
// only once it is complete, so a backup that cannot be made (a full disk)
// leaves the older one as it was, never a part of a file; one that cannot be
// replaced (a folder in its place) stays too. A link of the backup's name is
// replaced, never written through. The result is not checked: the Save goes
// on either way.
void keepBackup(const QString& path)
{
    if (QFileInfo(path).isFile())
        FileWrites::copy(path, FileNames::asFound(path + QStringLiteral(".BAK")));
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
