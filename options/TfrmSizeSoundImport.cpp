// The "..." buttons of the Music panel: bring any file into the data folder
// as the intro music or the button sound, under the sound's base name with
// the picked file's extension, and remember the pick in Options.ini.
#include "options/TfrmSize.h"

#include "base/Application.h"
#include "base/Dialogs.h"
#include "base/EditorError.h"
#include "base/FileReads.h"
#include "base/FileWrites.h"
#include "options/EditorSettings.h"
#include "options/SoundFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// The extension of a picked path: from its last dot to the end, dot
// included and case kept, when that dot lies in the file name itself (after
// the last separator and after a drive colon such as "C:"); else empty.
QString extensionOf(const QString& path)
{
    qsizetype nameStart = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    if (path.size() > 1 && path[1] == QLatin1Char(':') && path[0].isLetter())
        nameStart = std::max<qsizetype>(nameStart, 1);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > nameStart ? path.mid(dot) : QString();
}

// Both paths name one existing file (symbolic links and spelling aside).
bool sameFile(const QString& a, const QString& b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// Only a regular file that opens for reading can be imported: a folder, a
// named pipe or a device would block the editor or copy without end.
bool isReadableFile(const QString& path)
{
    QFile file(path);
    return FileReads::open(file);
}

// Copies source over target, which then holds the whole copy or stays as it
// was; copying a file onto itself leaves it as it is.
bool copyReplacing(const QString& source, const QString& target)
{
    return sameFile(source, target) || FileWrites::copy(source, target);
}

// Lets the user pick a file and makes it the sound `baseName` of the skin.
void importSound(TFileDialog& dialog, const QString& baseName)
{
    const QString settingsFile = EditorSettings::path();
    // One remembered path for both sounds; at first the data folder's music.
    dialog.FileName = EditorSettings::lastMusicPath(settingsFile);
    if (!dialog.Execute())
        return;
    const QString picked = dialog.FileName;
    // Remembered before anything is copied, even if the copy then fails;
    // a settings file that cannot be written ends the import here.
    EditorSettings::setLastMusicPath(settingsFile, picked);
    // A source that cannot be read ends here, before the data folder is touched.
    if (!isReadableFile(picked))
        throw EditorError(ErrorText::cannotOpenFile(picked));

    const QString extension = extensionOf(picked);
    const QString intermediate = SoundFiles::path(baseName, QStringLiteral(".tmp"));
    const QString target = SoundFiles::path(baseName, extension);
    // A pick of the intermediate file itself is the user's file: never delete it.
    const bool pickedIsIntermediate = sameFile(picked, intermediate);

    const bool copied = copyReplacing(picked, intermediate);
    const bool renamed = copied && FileWrites::renameReplacing(intermediate, target);
    if (!pickedIsIntermediate)
        QFile::remove(intermediate); // normally gone already
    // With the extension ".tmp" the new file was the intermediate one and is
    // gone now; nothing else of the data folder may go when it did not land.
    if (!renamed || !SoundFiles::exists(target))
        throw EditorError(ErrorText::cannotCreateFile(target));

    // Otherwise the older WAV file would still be the one the preview plays.
    const QString wav = SoundFiles::path(baseName, QStringLiteral(".wav"));
    if (extension == QLatin1String(".mp3") && SoundFiles::exists(wav))
        QFile::remove(wav);
    Application::dialogs().showMessage(Application::title(), target);
}

} // namespace

void TfrmSize::btnBrowMusicClick() { importSound(dlgOpenMusicFile, SoundFiles::music()); }

void TfrmSize::btnButtonMusicClick() { importSound(dlgOpenMusicFile, SoundFiles::buttons()); }
