// The floor of the start-up benchmark: the least a Qt Widgets program does
// to show two windows like the editor's (a borderless 500 x 400 window and
// an always-on-top 426 x 204 tool window), and nothing else. With --text,
// each window shows one line of text as well, which is the least a program
// pays for fonts (for comparison only; the goal is against the bare floor).
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget canvas(nullptr, Qt::Window | Qt::FramelessWindowHint);
    canvas.setWindowTitle(QStringLiteral("floor canvas"));
    canvas.resize(500, 400);
    QWidget options(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    options.setWindowTitle(QStringLiteral("floor options"));
    options.setFixedSize(426, 204);
    if (QApplication::arguments().contains(QStringLiteral("--text"))) {
        new QLabel(QStringLiteral("Floor canvas"), &canvas);
        new QLabel(QStringLiteral("Floor options"), &options);
    }
    canvas.show();
    options.show();
    return QApplication::exec();
}
