// The editor's entry: the application, both windows, then the event loop.
#include "app/Editor.h"
#include "base/Application.h"
#include "canvas/TForm1.h"
#include "platform/FontConfiguration.h"
#include "platform/PicturePreloader.h"
#include "platform/QtDialogs.h"
#include "platform/WindowFont.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    FontConfigurationLoader fonts;
    QApplication application(argc, argv);
    // The canvas's pictures are read while the windows are made.
    const PicturePreloader pictures(TForm1::startupPictures());
    QApplication::setApplicationName(Application::title());
    // Every window and dialog in the one face: the toolkit's default face
    // would otherwise be loaded too, for whatever does not set its own.
    // Choosing the face reads the font list, so the configuration first.
    fonts.wait();
    QApplication::setFont(windowFont());
    // The canvas is the main window; the options window does not keep the
    // program alive on its own.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    Application::setDialogs(&dialogs);
    int result = 0;
    {
        Editor editor;
        editor.show();
        result = QApplication::exec();
    }
    Application::setDialogs(nullptr);
    return result;
}
