#pragma once

#include <QString>

class TForm1;
class TfrmSize;

// The editor's own settings, "Options.ini" in the program folder: where the
// two windows stood, the grid's state and colour (section [Pelmora]) and
// the language file (section [Main], key LangFile, only ever read).
namespace EditorSettings {

// Applies the file to the live windows, in this order: the grid colour,
// the options window's place, the canvas window's place, the grid state
// (a change runs the grid check box's click behaviour at once), then the
// language file. A missing file or key keeps what the windows hold. An
// invalid grid colour, or an error of the grid behaviour, ends the reading
// at that step with an EditorError.
void read(const QString& path, TForm1& form1, TfrmSize& frmSize);

// Writes GridColor, OptionsX, OptionsY, MainX, MainY and Grid, in this
// order; other keys stay. Throws "Unable to write to <path>".
void write(const QString& path, const TForm1& form1, const TfrmSize& frmSize);

} // namespace EditorSettings
