#pragma once

#include <QString>

class TForm1;
class TfrmSize;

// The skin file: where every element of the menu stands, the colours of the
// tree and the info box, and the skin's options, in section [Main]. Places
// are measured from the background picture's top-left corner, where the menu
// draws it, wherever the canvas shows the background.
namespace SkinFile {

// Reads the skin file into the live controls, key by key, each applied at
// once. A colour that is not valid stops the reading with an EditorError.
void read(const QString& path, TForm1& form1, TfrmSize& frmSize);

// Writes every key from the live controls, then replaces the file once;
// throws "Unable to write to %s", leaving the file as it was.
void write(const QString& path, const TForm1& form1, const TfrmSize& frmSize);

} // namespace SkinFile
