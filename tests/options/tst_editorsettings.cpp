// The editor's own settings: what Options.ini does to the two windows while
// the options window is created, and what Exit writes back.
#include "base/Application.h"
#include "base/FileReads.h"
#include "canvas/TImage.h"
#include "options/ColourSwatch.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/support/EditorFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

const QColor kGridGrey(102, 102, 102);

QColor backgroundAt(const Editor& editor, int x, int y)
{
    return editor.Form1.imgBckGround->picture().pixelColor(x, y);
}

QStringList russianNames()
{
    return {"О программе", "Настройки", "Заголовок", "Музыка", "Цветовые параметры", "Разное"};
}

// Runs the event loop for one action and gives the code the loop ended
// with: the action's, or 7 when the action left the loop running, which is
// then ended by the next event. No clock: a slow machine changes nothing.
int runEventLoopWith(const std::function<void()>& action)
{
    QObject context; // takes a fallback that did not run with it
    QTimer::singleShot(0, &context, [&context, action] {
        action();
        QTimer::singleShot(0, &context, [] { QCoreApplication::exit(7); });
    });
    return QApplication::exec();
}

} // namespace

class TestEditorSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;

    void installLanguageFile(const QString& name)
    {
        QFile source(QStringLiteral(SKINEDIT_LANGUAGE_DIR "/") + name);
        QVERIFY(source.open(QIODevice::ReadOnly));
        fixture->folder.write("\\Support\\" + name, source.readAll());
    }
    QByteArray optionsFile() const
    {
        QFile file(fixture->folder.file("\\Options.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        fixture = std::make_unique<EditorFixture>();
        fixture->folder.writeAllPictures();
        installLanguageFile("Russian.lng");
        installLanguageFile("English.lng");
    }
    void cleanup() { fixture.reset(); }

    void firstRunWithoutOptionsFile()
    {
        Editor& editor = fixture->start();
        QCOMPARE(fixture->dialogs.errors, QStringList());
        QCOMPARE(editor.frmSize.lblSetka->color(), 0x00666666u);
        QVERIFY(editor.frmSize.chkSetka->isChecked());
        QCOMPARE(backgroundAt(editor, 0, 5), kGridGrey);
        QCOMPARE(backgroundAt(editor, 5, 5), QColor(Qt::darkBlue));
        // The Russian file is applied: the form's look, and the tree now
        // switches panels.
        QCOMPARE(editor.frmSize.CategoryNames, russianNames());
        QCOMPARE(editor.frmSize.windowTitle(), QStringLiteral("....::::Corvadine::::...."));
        // Both windows stay where new windows go; nothing is written.
        QCOMPARE(editor.Form1.pos(), QPoint(0, 0));
        QVERIFY(!editor.frmSize.testAttribute(Qt::WA_Moved));
        QVERIFY(!QFile::exists(fixture->folder.file("\\Options.ini")));
    }

    void storedPlacesHoldWhenTheWindowsAreShown()
    {
        fixture->folder.write("\\Options.ini",
                              "[Pelmora]\r\nOptionsX=300\r\nOptionsY=250\r\nMainX=0x20\r\nMainY=15\r\n");
        Editor& editor = fixture->start();
        QCOMPARE(editor.Form1.pos(), QPoint(32, 15));
        QCOMPARE(editor.frmSize.pos(), QPoint(300, 250));

        // The canvas's first showing shows the options window too.
        editor.Form1.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor.Form1));
        QVERIFY(QTest::qWaitForWindowExposed(&editor.frmSize));
        QCOMPARE(editor.Form1.pos(), QPoint(32, 15));
        QCOMPARE(editor.frmSize.pos(), QPoint(300, 250));
    }

    // A stored place off every screen (a monitor that is gone) comes up at
    // the nearest place where the window is seen whole; the file keeps the
    // stored place until Exit writes where the windows are then.
    void placesOffEveryScreenComeUpWhereTheWindowIsSeenWhole()
    {
        const QByteArray stored = "[Pelmora]\r\nOptionsX=-5000\r\nOptionsY=100\r\nMainX=2147483647\r\n"
                                  "MainY=0x7FFFFFFF\r\n";
        fixture->folder.write("\\Options.ini", stored);
        Editor& editor = fixture->start();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.width() >= 500 && screen.height() >= 400);
        QCOMPARE(editor.Form1.geometry(), QRect(screen.right() - 499, screen.bottom() - 399, 500, 400));
        QCOMPARE(editor.frmSize.pos(), QPoint(screen.left(), 100));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor.frmSize));
        QCOMPARE(editor.Form1.pos(), QPoint(screen.right() - 499, screen.bottom() - 399));
        QCOMPARE(optionsFile(), stored);

        QCOMPARE(runEventLoopWith([&] { editor.frmSize.SpeedButton1->click(); }), 0);
        QCOMPARE(IniFile::readString(fixture->folder.file("\\Options.ini"), "Pelmora", "MainX", {}),
                 QString::number(screen.right() - 499));
        QCOMPARE(IniFile::readString(fixture->folder.file("\\Options.ini"), "Pelmora", "OptionsX", {}),
                 QString::number(screen.left()));
    }

    // Each settings file is read once at start-up, not once for each key.
    void everySettingsFileIsReadOnceAtStartUp()
    {
        fixture->folder.write("\\Options.ini",
                              "[Pelmora]\r\nGridColor=clRed\r\nOptionsX=300\r\nOptionsY=250\r\n"
                              "MainX=20\r\nMainY=15\r\nGrid=1\r\n[Main]\r\nLangFile=English.lng\r\n");
        fixture->folder.write("\\data\\skin.ini", "[Main]\r\nLogoX=30\r\nDirColor=clMoneyGreen\r\n");
        QMap<QString, int> opened;
        FileReads::setOpenHookForTesting([&](const QString& path) { ++opened[QFileInfo(path).fileName()]; });
        fixture->show();
        FileReads::setOpenHookForTesting({});
        QCOMPARE(fixture->dialogs.errors, QStringList());
        QCOMPARE(fixture->frmSize().SpeedButton1->text(), QStringLiteral("Exit"));
        QCOMPARE(opened.value("Options.ini"), 1);
        QCOMPARE(opened.value("English.lng"), 1);
        QCOMPARE(opened.value("skin.ini"), 1);
    }

    void theLanguageFileNamedIsApplied()
    {
        fixture->folder.write("\\Options.ini", "[Main]\r\nLangFile=English.lng\r\n");
        Editor& editor = fixture->start();
        QCOMPARE(editor.frmSize.SpeedButton1->text(), QStringLiteral("Exit"));
        QCOMPARE(editor.frmSize.CategoryNames[TfrmSize::Colours], QStringLiteral("Colours"));

        fixture->folder.write("\\Options.ini", "[Main]\r\nLangFile=Missing.lng\r\n");
        Editor& withoutFile = fixture->start();
        QCOMPARE(withoutFile.frmSize.SpeedButton1->text(), QStringLiteral("Выход"));
        QCOMPARE(withoutFile.frmSize.CategoryNames, QStringList(6));
        QCOMPARE(fixture->dialogs.errors, QStringList());
    }

    void anInvalidGridColourStopsTheCreationSteps()
    {
        fixture->folder.write("\\Options.ini", "[Pelmora]\r\nGridColor=bogus\r\nMainX=50\r\nGrid=0\r\n");
        Editor& editor = fixture->start();
        QCOMPARE(fixture->dialogs.errors, QStringList{"'bogus' is not a valid integer value."});
        QCOMPARE(editor.frmSize.lblSetka->color(), 0x00666666u);
        QCOMPARE(editor.Form1.pos(), QPoint(0, 0));
        QVERIFY(editor.frmSize.chkSetka->isChecked());
        QCOMPARE(backgroundAt(editor, 0, 5), QColor(Qt::darkBlue)); // no grid
        QCOMPARE(editor.frmSize.CategoryNames, QStringList(6));
    }

    void gridStoredOffReloadsTheBackgroundAndDrawsNoGrid()
    {
        fixture->folder.write("\\Options.ini", "[Pelmora]\r\nGrid=0\r\n");
        Editor& editor = fixture->start(Editor::Start::Linked);
        TForm1& form1 = editor.Form1;
        TfrmSize& frmSize = editor.frmSize;
        Application::runBehaviour([&] { form1.FormCreate(); });
        // The background changes on disk after the canvas loaded it: the
        // reload shows the new file.
        fixture->folder.writePicture("\\data\\BackGround.bmp", 500, 400, Qt::darkGreen);
        Application::runBehaviour([&] { frmSize.FormCreate(); });

        QCOMPARE(fixture->dialogs.errors, QStringList());
        QVERIFY(!frmSize.chkSetka->isChecked());
        const QImage& picture = form1.imgBckGround->picture();
        for (int x = 0; x < picture.width(); ++x)
            QCOMPARE(picture.pixelColor(x, 0), QColor(Qt::darkGreen));
        QCOMPARE(frmSize.CategoryNames, russianNames());
    }

    void aFailedReloadEndsTheReaderBeforeTheLanguage()
    {
        fixture->folder.write("\\Options.ini", "[Pelmora]\r\nGrid=0\r\n");
        Editor& editor = fixture->start(Editor::Start::Linked);
        TForm1& form1 = editor.Form1;
        TfrmSize& frmSize = editor.frmSize;
        Application::runBehaviour([&] { form1.FormCreate(); });
        QVERIFY(QFile::remove(fixture->folder.file("\\data\\BackGround.bmp")));
        Application::runBehaviour([&] { frmSize.FormCreate(); });

        QCOMPARE(fixture->dialogs.errors,
                 QStringList{"Cannot open file " + fixture->folder.file("\\data\\BackGround.bmp") + "."});
        QVERIFY(!frmSize.chkSetka->isChecked());
        QCOMPARE(form1.imgBckGround->picture().pixelColor(0, 5), QColor(Qt::darkBlue));
        QCOMPARE(frmSize.CategoryNames, QStringList(6));
    }

    void exitWritesTheSixKeysAndEndsTheEventLoop()
    {
        fixture->folder.write(
            "\\Options.ini",
            "[Main]\r\nLangFile=Russian.lng\r\n\r\n[Pelmora]\r\nLastMusPath=C:\\sounds\\intro.mp3\r\n");
        Editor& editor = fixture->start();
        editor.frmSize.move(40, 50);
        editor.Form1.setLeft(7);
        editor.Form1.setTop(9);
        editor.frmSize.lblSetka->setColor(0x000000FF);
        editor.frmSize.chkSetka->setState(false);

        QCOMPARE(runEventLoopWith([&] { editor.frmSize.SpeedButton1->click(); }), 0);
        QCOMPARE(fixture->dialogs.errors, QStringList());
        QCOMPARE(optionsFile(),
                 QByteArray("[Main]\r\nLangFile=Russian.lng\r\n\r\n[Pelmora]\r\n"
                            "LastMusPath=C:\\sounds\\intro.mp3\r\n"
                            "GridColor=clRed\r\nOptionsX=40\r\nOptionsY=50\r\n"
                            "MainX=7\r\nMainY=9\r\nGrid=0\r\n"));
    }

    void anUnwritableSettingsFileKeepsTheProgramRunning()
    {
        Editor& editor = fixture->start();
        editor.Form1.setLeft(3);
        QVERIFY(QDir().mkpath(fixture->folder.file("\\Options.ini\\inside")));
        QCOMPARE(runEventLoopWith([&] { editor.frmSize.SpeedButton1->click(); }), 7);
        QCOMPARE(fixture->dialogs.errors,
                 QStringList{"Unable to write to " + fixture->folder.file("\\Options.ini") + "."});

        // Once the file can be written, Exit works.
        QVERIFY(QDir(fixture->folder.file("\\Options.ini")).removeRecursively());
        QCOMPARE(runEventLoopWith([&] { editor.frmSize.SpeedButton1->click(); }), 0);
        QCOMPARE(optionsFile(),
                 QByteArray("[Pelmora]\r\nGridColor=$00666666\r\nOptionsX=" + QByteArray::number(editor.frmSize.x())
                            + "\r\nOptionsY=" + QByteArray::number(editor.frmSize.y())
                            + "\r\nMainX=3\r\nMainY=0\r\nGrid=1\r\n"));
    }
};

QTEST_MAIN(TestEditorSettings)
#include "tst_editorsettings.moc"
