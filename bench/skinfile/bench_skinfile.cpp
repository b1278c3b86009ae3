// bench_skinfile [RUNS]
//
// Start-up with skin files of every size: the time from making both windows
// to the canvas shown with the skin file read (median of RUNS, default 11,
// in processor time of the editor's thread, which other programs on a busy
// machine do not change),
// for the sample skin and for skin files of the largest size read, whose
// lines are as many short keys as fit, or one long line; and a file one byte
// larger, which is refused. Beside each, the skin reader's 48 keys read from
// the file read once, as the editor reads them, and the same keys read the
// way the editor used to, each on its own, reading and parsing the whole
// file again every time.
#include "app/Editor.h"
#include "base/Application.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// The 48 keys the skin reader reads.
const QStringList kKeys = QString("ButInfoX ButInfoY ButMusic LogoStr LogoVisible LogoTrans MakeForm LogoH LogoW LogoX "
                                  "LogoY MinX MinY Flash Music LoopMusic FlashH FlashW FlashX FlashY TitleX TitleY "
                                  "ListX ListY InfoX InfoY SetupX SetupY BrowX BrowY ExitX ExitY RusX RusY PatchX "
                                  "PatchY PicX PicY LstX LstY LstW LstH InfX InfY InfW InfH DMx DMy")
                              .split(' ');

// Milliseconds of processor time this thread has taken.
double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray manyKeys(qint64 size)
{
    QByteArray bytes = "[Main]\r\n";
    for (int i = 0; bytes.size() < size; ++i)
        bytes += "k" + QByteArray::number(i) + "=1\r\n";
    return bytes.left(size);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int runs = QApplication::arguments().size() > 1 ? QApplication::arguments()[1].toInt() : 11;

    ScriptedDialogs dialogs;
    Application::setDialogs(&dialogs);
    TempProgramFolder folder;
    folder.copySampleSkin();
    const QString skin = folder.file(QStringLiteral("\\data\\skin.ini"));
    QFile sample(skin);
    sample.open(QIODevice::ReadOnly);
    const QByteArray sampleBytes = sample.readAll();
    sample.close();

    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"sample skin", sampleBytes},
        {"largest, short keys", manyKeys(IniFile::kMaxFileBytes)},
        {"largest, one line", "[Main]\r\nk=" + QByteArray(IniFile::kMaxFileBytes - 10, 'x')},
        {"one byte too large", manyKeys(IniFile::kMaxFileBytes + 1)},
    };
    std::printf("%-22s %10s %10s %10s\n", "skin file", "start-up", "read once", "key by key");
    for (const auto& file : files) {
        folder.write(QStringLiteral("\\data\\skin.ini"), file.bytes);
        std::vector<double> startUp;
        std::vector<double> once;
        std::vector<double> keyByKey;
        for (int run = 0; run < runs; ++run) {
            double start = threadMilliseconds();
            {
                Editor editor;
                editor.show();
                QApplication::processEvents();
                startUp.push_back(threadMilliseconds() - start);
            }
            start = threadMilliseconds();
            const IniFile::Snapshot snapshot(skin);
            for (const QString& key : kKeys)
                snapshot.readString(QStringLiteral("Main"), key, QString());
            once.push_back(threadMilliseconds() - start);
            start = threadMilliseconds();
            for (const QString& key : kKeys)
                IniFile::readString(skin, QStringLiteral("Main"), key, QString());
            keyByKey.push_back(threadMilliseconds() - start);
        }
        std::printf("%-22s %7.1f ms %7.1f ms %7.0f ms\n", file.name, median(startUp), median(once), median(keyByKey));
    }
    if (!dialogs.errors.isEmpty())
        std::printf("errors: %s\n", qPrintable(dialogs.errors.join(QLatin1Char(' '))));
    Application::setDialogs(nullptr);
    return 0;
}
