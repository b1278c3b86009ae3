// The editor's entry: the application, the canvas window, the options
// window, then the event loop.
#include "app/Application.h"
#include "canvas/TForm1.h"
#include "options/TfrmSize.h"
#include "platform/QtDialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(Application::title());
    // The canvas is the main window; the options window does not keep the
    // program alive on its own.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    Application::setDialogs(&dialogs);

    TForm1 Form1;
    Application::runBehaviour([&] { Form1.FormCreate(); });

    TfrmSize frmSize(Form1);
    Form1.frmSize = &frmSize;
    Application::runBehaviour([&] { frmSize.FormCreate(); });

    // Showing the canvas runs its first-show behaviour, which reads the
    // skin file and shows the options window.
    Form1.show();
    const int result = QApplication::exec();
    Application::setDialogs(nullptr);
    return result;
}
