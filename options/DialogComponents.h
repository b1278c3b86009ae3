#pragma once

#include "base/Dialogs.h"

#include <QString>
#include <QStringList>

// The options window's dialog components. Each keeps its settings between
// uses, as a dialog placed on a form does, and shows itself through the
// editor's Dialogs interface (Application::dialogs()).

// The colour dialog: preset Color, Execute, read Color on success.
class TColorDialog {
public:
    TColor Color = Colours::Black;

    // Shows the dialog preset to Color. On confirm Color takes the chosen
    // colour and the result is true; on cancel Color stays.
    bool Execute();
};

// An open or save file dialog.
class TFileDialog {
public:
    enum class Kind { Open, Save };

    TFileDialog(Kind kind, QStringList filter) : Filter(std::move(filter)), kind_(kind) {}

    QString FileName;    // preset name; the chosen path after a confirm
    QStringList Filter;  // entries such as "mp3 File   (*.mp3)"
    int FilterIndex = 0; // selected entry, counted from 0; kept after a confirm

    // Shows the dialog. On confirm FileName and FilterIndex take the user's
    // choice and the result is true; on cancel nothing changes.
    bool Execute();

private:
    Kind kind_;
};
