// The Save command: the dialog, the backup of the file it replaces, the
// skin file and the confirmation.
#include "app/Application.h"
#include "canvas/TForm1.h"
#include "options/TfrmSize.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/support/EditorWindows.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// Both windows created as the program creates them, not shown.
struct Editor : EditorWindows {
    void save() { frmSize.LbSpeedButton1->click(); }
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString key(const QString& path, const QString& name)
{
    return IniFile::readString(path, QStringLiteral("Main"), name, QStringLiteral("<missing>"));
}

const QString confirmation = QStringLiteral("Данные были удачно сохранены в файл ");

} // namespace

class TestSaveExit : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<Editor> editor;
    QString skinPath;

    void choose(const QString& path) { dialogs->saveAnswers.enqueue(Dialogs::FileChoice{path, 0}); }
    void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void expectConfirmations(const QStringList& paths)
    {
        QCOMPARE(dialogs->errors, QStringList());
        QCOMPARE(dialogs->messages.size(), paths.size());
        for (int i = 0; i < paths.size(); ++i) {
            QCOMPARE(dialogs->messages[i].caption, QStringLiteral("Сообщение..."));
            QCOMPARE(dialogs->messages[i].text, confirmation + paths[i]);
        }
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempProgramFolder>();
        dialogs = std::make_unique<ScriptedDialogs>();
        Application::setDialogs(dialogs.get());
        folder->writeAllPictures();
        editor = std::make_unique<Editor>();
        QCOMPARE(dialogs->errors, QStringList());
        skinPath = folder->file("\\data\\skin.ini");
    }
    void cleanup()
    {
        editor.reset();
        Application::setDialogs(nullptr);
        dialogs.reset();
        folder.reset();
    }

    void theFirstSaveCreatesTheSkinFileWithoutBackup()
    {
        choose(skinPath);
        editor->save();
        QCOMPARE(dialogs->saveRequests.size(), 1);
        QCOMPARE(dialogs->saveRequests[0].fileName, skinPath);
        QCOMPARE(dialogs->saveRequests[0].filters, QStringList{"All Files    (*.*)"});
        QCOMPARE(key(skinPath, "ButInfoX"), QString::number(editor->form1.btnInfo->x()));
        QVERIFY(!QFile::exists(skinPath + ".BAK"));
        expectConfirmations({skinPath});
        // The grid and the editor's own settings never reach a file here.
        QVERIFY(!QFile::exists(folder->file("\\Options.ini")));
    }

    void aSaveOverAFileReplacesItsOldBackup()
    {
        const QByteArray before = "[Main]\r\nButInfoX=5\r\nMine=kept\r\n";
        write(skinPath, before);
        write(skinPath + ".BAK", "an older backup");
        choose(skinPath);
        editor->save();
        QCOMPARE(contents(skinPath + ".BAK"), before);
        QCOMPARE(key(skinPath, "ButInfoX"), QString::number(editor->form1.btnInfo->x()));
        QCOMPARE(key(skinPath, "Mine"), QStringLiteral("kept"));
        expectConfirmations({skinPath});
    }

    void aNewFileLeavesAnUnrelatedBackupAlone()
    {
        const QString target = folder->file("\\data\\myskin.ini");
        write(target + ".BAK", "not ours");
        choose(target);
        editor->save();
        QCOMPARE(contents(target + ".BAK"), QByteArray("not ours"));
        QCOMPARE(key(target, "ButInfoX"), QString::number(editor->form1.btnInfo->x()));
        expectConfirmations({target});
    }

    void aBackupThatCannotBeDeletedStaysAndTheSaveGoesOn()
    {
        write(skinPath, "[Main]\r\nButInfoX=5\r\n");
        // A non-empty folder in the backup's place cannot be deleted.
        QVERIFY(QDir().mkpath(skinPath + ".BAK"));
        write(skinPath + ".BAK" + QDir::separator() + "old.ini", "old");
        choose(skinPath);
        editor->save();
        QCOMPARE(contents(skinPath + ".BAK" + QDir::separator() + "old.ini"), QByteArray("old"));
        QCOMPARE(key(skinPath, "ButInfoX"), QString::number(editor->form1.btnInfo->x()));
        expectConfirmations({skinPath});
    }

    void anotherFolderThenTheDefaultIsProposedAgain()
    {
        QTemporaryDir other;
        const QString target = QDir::toNativeSeparators(other.filePath("myskin.ini"));
        const QByteArray before = "[Main]\r\nButInfoX=1\r\n";
        write(target, before);
        choose(target);
        editor->save();
        QCOMPARE(contents(target + ".BAK"), before);
        QCOMPARE(key(target, "ButInfoX"), QString::number(editor->form1.btnInfo->x()));
        expectConfirmations({target});

        editor->save(); // cancelled
        QCOMPARE(dialogs->saveRequests.size(), 2);
        QCOMPARE(dialogs->saveRequests[1].fileName, skinPath);
    }

    void savingTwiceLeavesTheBackupEqualToTheFile()
    {
        choose(skinPath);
        choose(skinPath);
        editor->save();
        const QByteArray first = contents(skinPath);
        editor->save();
        QCOMPARE(contents(skinPath), first);
        QCOMPARE(contents(skinPath + ".BAK"), first);
        expectConfirmations({skinPath, skinPath});
    }

    void anUnwritableTargetIsReportedWithoutConfirmation()
    {
        const QString inMissingFolder = folder->file("\\nowhere\\skin.ini");
        const QString aFolder = folder->file("\\data\\folder.ini");
        QVERIFY(QDir().mkpath(aFolder));
        choose(inMissingFolder);
        choose(aFolder);
        editor->save();
        editor->save();
        QCOMPARE(dialogs->errors,
                 QStringList({"Unable to write to " + inMissingFolder + ".", "Unable to write to " + aFolder + "."}));
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(!QFile::exists(aFolder + ".BAK"));
    }

    void aCancelledDialogTouchesNothing()
    {
        write(skinPath, "[Main]\r\nButInfoX=5\r\n");
        editor->frmSize.svDlgFile.FileName = QStringLiteral("elsewhere.ini");
        editor->save();
        QCOMPARE(dialogs->saveRequests.size(), 1);
        QCOMPARE(editor->frmSize.svDlgFile.FileName, skinPath);
        QCOMPARE(contents(skinPath), QByteArray("[Main]\r\nButInfoX=5\r\n"));
        QVERIFY(!QFile::exists(skinPath + ".BAK"));
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(dialogs->errors.isEmpty());
    }
};

QTEST_MAIN(TestSaveExit)
#include "tst_tfrmsizesaveexit.moc"
