// bench_save [FOLDER] [RUNS]
//
// The time of one Save of the sample skin: the click on Save, the backup
// copy and the whole skin file written, up to the confirmation. The program
// folder is a new folder inside FOLDER (default: the system's temporary
// folder), so the figure is that disk's: run it on a USB stick or a network
// share to see theirs. Median, lowest and highest of RUNS saves (default 21),
// and the files replaced and synced to the disk by one Save, counted where
// the editor writes them (strace -f -c -e trace=fsync,fdatasync,rename
// bench_save counts the same from outside).
#include "app/Editor.h"
#include "base/Application.h"
#include "base/FileWrites.h"
#include "platform/TSpeedButton.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        qputenv("TMPDIR", arguments[1].toLocal8Bit());
    const int runs = arguments.size() > 2 ? arguments[2].toInt() : 21;

    ScriptedDialogs dialogs;
    Application::setDialogs(&dialogs);
    TempProgramFolder folder;
    folder.copySampleSkin();
    const QString skin = folder.file(QStringLiteral("\\data\\skin.ini"));
    std::printf("program folder: %s\n", qPrintable(folder.path()));

    Editor editor;
    editor.show();
    QApplication::processEvents();

    QMap<QString, int> replaced;
    int synced = 0;
    FileWrites::setStepHookForTesting([&](FileWrites::Step step, const QString& target) {
        synced += step == FileWrites::Step::Sync ? 1 : 0;
        replaced[target] += step == FileWrites::Step::Rename ? 1 : 0;
        return true;
    });
    std::vector<double> milliseconds;
    for (int run = 0; run < runs; ++run) {
        dialogs.saveAnswers.enqueue(Dialogs::FileChoice{skin, 0});
        QElapsedTimer timer;
        timer.start();
        editor.frmSize.LbSpeedButton1->click();
        milliseconds.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (!dialogs.errors.isEmpty() || dialogs.messages.size() != runs) {
        std::fprintf(stderr, "a Save failed: %s\n", qPrintable(dialogs.errors.join('\n')));
        return 1;
    }
    FileWrites::setStepHookForTesting({});
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("one Save of the sample skin: median %.2f ms (lowest %.2f, highest %.2f, %d runs)\n",
                milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.back(), runs);
    std::printf("per Save: skin.ini replaced %d times, skin.ini.BAK %d times; %d syncs to the disk\n",
                replaced.value(skin) / runs, replaced.value(skin + ".BAK") / runs, synced / runs);
    Application::setDialogs(nullptr);
    return 0;
}
