// Draws the message box that the editor is expected to show, with the same
// toolkit, fonts and display, and writes it to a PNG file. The end-to-end
// suite compares it with a screenshot of the editor's own box, which is how
// it reads the box's text: the X server offers no other way to get it.
//
//   e2e_expected_box OUT.png critical|none TEXT
#include "platform/WindowFont.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setFont(windowFont()); // as the editor sets it
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OUT.png critical|none TEXT\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const bool critical = qstrcmp(argv[2], "critical") == 0;
    QMessageBox box(critical ? QMessageBox::Critical : QMessageBox::NoIcon, QStringLiteral("expected"),
                    QString::fromUtf8(argv[3]), QMessageBox::Ok);
    box.show();
    int result = 1;
    // Grab once the box has laid itself out and painted.
    QTimer::singleShot(200, [&] {
        result = box.grab().save(out, "PNG") ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return result;
}
