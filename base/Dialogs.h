#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "base/Colour.h"

// Every modal dialog of the editor goes through this interface: the program
// uses QtDialogs, the tests a scripted stand-in, so no test waits on a window.
class Dialogs {
public:
    // An open or save file dialog as the caller sets it up.
    struct FileRequest {
        QString fileName;    // preset name (a full path opens in its folder)
        QStringList filters; // entries such as "mp3 File   (*.mp3)"
        int filterIndex = 0; // the entry selected when the dialog opens
    };
    // What the user confirmed.
    struct FileChoice {
        QString path;
        int filterIndex = 0; // the entry selected when the user confirmed
    };

    virtual ~Dialogs() = default;

    // The standard error box: error icon, one OK button, the application's
    // title as caption. The text is shown as given (see errorBoxText).
    virtual void showError(const QString& text) = 0;
    // A message box with one OK button and no icon, centred on the screen.
    virtual void showMessage(const QString& caption, const QString& text) = 0;
    // The colour dialog preset to a colour; nothing when cancelled.
    virtual std::optional<TColor> chooseColour(TColor initial) = 0;
    // The open and save dialogs; nothing when cancelled.
    virtual std::optional<FileChoice> openFile(const FileRequest& request) = 0;
    virtual std::optional<FileChoice> saveFile(const FileRequest& request) = 0;
};

// The text the error box shows for an error: a full stop is added unless the
// text is empty or ends in "." or a character that sorts before it.
QString errorBoxText(const QString& errorText);
