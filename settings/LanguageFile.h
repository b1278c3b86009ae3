#pragma once

#include <QString>

class TfrmSize;

// A language file of the folder Support: the options window's caption,
// category names and the texts of its buttons, labels and check boxes.
// Section [Main] must say Program=Corvadine; section [Pelmora] holds the
// texts under the keys "0" to "27". Files made on Windows in its Russian
// code page read unchanged (see IniEncoding).
namespace LanguageFile {

// The name the Program key must hold, compared with regard to case.
inline const QString programName = QStringLiteral("Corvadine");

// Applies the file to the options window: its caption, the six category
// names, a tree rebuilt from them, and every text target; a missing key
// gives the empty text. Returns false, changing nothing, when the file is
// missing or made for another program.
bool apply(const QString& path, TfrmSize& frmSize);

} // namespace LanguageFile
