// How much one step of a drag costs on the full sample canvas: the move
// handler's two position changes, each with the canvas's auto-size and a
// repaint request. For scale, the same run times a bare QWidget::move of a
// widget of the same size. Run: QT_QPA_PLATFORM=offscreen ./bench_drag
#include "app/Editor.h"
#include "base/Application.h"
#include "canvas/TImage.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

constexpr int kSteps = 20000;

// Nanoseconds per call of step(i), after a warm-up.
template <typename Step>
double nanosecondsPerStep(Step step)
{
    for (int i = 0; i < 1000; ++i)
        step(i);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kSteps; ++i)
        step(i);
    return double(timer.nsecsElapsed()) / kSteps;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ScriptedDialogs dialogs;
    Application::setDialogs(&dialogs);
    TempProgramFolder folder;
    folder.copySampleSkin();

    Editor editor;
    TForm1& form = editor.Form1;
    editor.show();
    QApplication::processEvents();
    if (!dialogs.errors.isEmpty()) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(dialogs.errors.join('\n')));
        return 1;
    }

    // A drag in progress on the exit button, grabbed at its corner: each
    // step moves it one pixel right and down, then back.
    form.Dragging = true;
    form.GrabX = 0;
    form.GrabY = 0;
    const double dragStep = nanosecondsPerStep([&](int i) {
        const int offset = (i % 2 == 0) ? 1 : -1;
        form.imgExitMouseMove(offset, offset);
    });

    QWidget parent;
    parent.resize(form.size());
    QWidget child(&parent);
    child.setGeometry(form.imgExit->geometry());
    parent.show();
    QApplication::processEvents();
    const QPoint start = child.pos();
    const double bareMove =
        nanosecondsPerStep([&](int i) { child.move(start + ((i % 2 == 0) ? QPoint(1, 1) : QPoint(0, 0))); });

    std::printf("one drag step on the sample canvas: %8.0f ns\n", dragStep);
    std::printf("bare QWidget::move (the floor):     %8.0f ns\n", bareMove);
    std::printf("ratio:                              %8.1f\n", dragStep / bareMove);
    Application::setDialogs(nullptr);
    return 0;
}
