#pragma once

#include <QString>

// The folder of the running executable, from which every file of the editor
// is found. Paths are written in the editor's own notation with a leading
// backslash ("\\data\\skin.ini") and turned into this platform's form here.
namespace ProgramFolder {

// The program folder, without a trailing separator. Taken from Qt's
// application directory, which resolves PATH look-ups and symbolic links.
QString path();

// Replaces the program folder (tests point it at a temporary folder).
void setPathForTesting(const QString& folder);

// The program folder followed by a relative path such as "\\data\\skin.ini",
// with every backslash replaced by this platform's separator. A name not
// found in the letter case given is spelled as found (see FileNames), as
// Windows would find it.
QString file(const QString& relativeWindowsPath);

// The same conversion for any text in the editor's backslash notation.
QString nativeSeparators(const QString& windowsPath);

} // namespace ProgramFolder
