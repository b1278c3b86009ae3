// The application shell: its title, the error box text, the one place that
// shows errors, and the program folder.
#include "base/Application.h"
#include "base/EditorError.h"
#include "base/ProgramFolder.h"
#include "tests/support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void titleComesFromTheExecutableName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "skinedit"
                               << "skinedit";
        QTest::newRow("windows name") << "SKINEDIT.EXE"
                                      << "Skinedit";
        QTest::newRow("up to the first dot") << "my.menu.editor.exe"
                                             << "my";
        QTest::newRow("first letter kept") << "sKiNeDiT"
                                           << "skinedit";
        QTest::newRow("capital first letter") << "SkinEdit.exe"
                                              << "Skinedit";
        QTest::newRow("cyrillic") << "РЕДАКТОР.exe"
                                  << "Редактор";
        QTest::newRow("nothing before the dot") << ".hidden"
                                                << "";
    }
    void titleComesFromTheExecutableName()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        QCOMPARE(Application::titleFromExecutableName(fileName), title);
    }

    void errorBoxAddsAFullStopOnlyAfterCharactersBeyondIt_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Cannot open file C:\\a.jpg"
                                << "Cannot open file C:\\a.jpg.";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("digit") << "JPEG error #53"
                               << "JPEG error #53.";
        QTest::newRow("slash sorts after") << "path/"
                                           << "path/.";
        QTest::newRow("blank sorts before") << "trailing "
                                            << "trailing ";
        QTest::newRow("comma sorts before") << "list,"
                                            << "list,";
        QTest::newRow("bracket sorts before") << "(note)"
                                              << "(note)";
        QTest::newRow("quote sorts before") << "'x' is not a valid integer value"
                                            << "'x' is not a valid integer value.";
        QTest::newRow("quote at the end") << "value 'x'"
                                          << "value 'x'";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorBoxAddsAFullStopOnlyAfterCharactersBeyondIt()
    {
        QFETCH(QString, error);
        QFETCH(QString, shown);
        QCOMPARE(errorBoxText(error), shown);
    }

    void runnerShowsTheErrorAndTheProgramGoesOn()
    {
        ScriptedDialogs dialogs;
        Application::setDialogs(&dialogs);
        int stepsDone = 0;
        Application::runBehaviour([&] {
            ++stepsDone;
            throw EditorError(QStringLiteral("Bitmap image is not valid"));
        });
        Application::runBehaviour([&] { ++stepsDone; });
        QCOMPARE(stepsDone, 2);
        QCOMPARE(dialogs.errors, QStringList{QStringLiteral("Bitmap image is not valid.")});
        Application::setDialogs(nullptr);
    }

    void runnerShowsOtherExceptionsToo()
    {
        ScriptedDialogs dialogs;
        Application::setDialogs(&dialogs);
        Application::runBehaviour([] { throw std::bad_alloc(); });
        QCOMPARE(dialogs.errors.size(), 1);
        QVERIFY(!dialogs.errors.first().isEmpty());
        Application::setDialogs(nullptr);
    }

    void programFolderIsTheExecutablesFolderWhateverTheWorkingDirectory()
    {
        const QString before = ProgramFolder::path();
        QCOMPARE(before, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
        QTemporaryDir elsewhere;
        const QString oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        QCOMPARE(ProgramFolder::path(), before);
        QCOMPARE(ProgramFolder::file(QStringLiteral("\\data\\skin.ini")),
                 before + QDir::separator() + "data" + QDir::separator() + "skin.ini");
        QDir::setCurrent(oldCurrent);
    }
};

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
