#pragma once

#include <QString>

class TForm1;
class TfrmSize;

// The editor's own settings, "Options.ini" in the program folder: where the
// two windows stood, the grid's state and colour and the path of the sound
// imported last (section [Pelmora]), and the language file (section [Main],
// key LangFile, only ever read). The one place that reads and writes it.
namespace EditorSettings {

// The settings file of the running editor.
QString path();

// Applies the file to the live windows, in this order: the grid colour,
// the options window's place, the canvas window's place, the grid state
// (a change runs the grid check box's click behaviour at once), then the
// language file. A missing file or key keeps what the windows hold. An
// invalid grid colour, or an error of the grid behaviour, ends the reading
// at that step with an EditorError.
void read(const QString& path, TForm1& form1, TfrmSize& frmSize);

// Writes GridColor, OptionsX, OptionsY, MainX, MainY and Grid, in this
// order, as one replacement of the file; other keys stay. Throws "Unable to
// write to <path>", leaving the file as it was.
void write(const QString& path, const TForm1& form1, const TfrmSize& frmSize);

// The full path of the sound file picked last in either import; at first
// the data folder's music.wav.
QString lastMusicPath(const QString& path);
// Writes it at once. Throws "Unable to write to <path>".
void setLastMusicPath(const QString& path, const QString& picked);

} // namespace EditorSettings
