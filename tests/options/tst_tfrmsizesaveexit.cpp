// The Save command: the dialog, the backup of the file it replaces, the
// skin file and the kConfirmation.
#include "base/FileWrites.h"
#include "canvas/TImage.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/support/EditorFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString key(const QString& path, const QString& name)
{
    return IniFile::readString(path, QStringLiteral("Main"), name, QStringLiteral("<missing>"));
}

const QString kConfirmation = QStringLiteral("Данные были удачно сохранены в файл ");

} // namespace

class TestTfrmSizeSaveExit : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;
    Editor* editor = nullptr;

    void save() { editor->frmSize.LbSpeedButton1->click(); }
    QString skinPath;

    void choose(const QString& path) { fixture->dialogs.saveAnswers.enqueue(Dialogs::FileChoice{path, 0}); }
    void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void expectConfirmations(const QStringList& paths)
    {
        QCOMPARE(fixture->dialogs.errors, QStringList());
        QCOMPARE(fixture->dialogs.messages.size(), paths.size());
        for (int i = 0; i < paths.size(); ++i) {
            QCOMPARE(fixture->dialogs.messages[i].caption, QStringLiteral("Сообщение..."));
            QCOMPARE(fixture->dialogs.messages[i].text, kConfirmation + paths[i]);
        }
    }

private slots:
    void init()
    {
        fixture = std::make_unique<EditorFixture>();
        fixture->folder.writeAllPictures();
        editor = &fixture->start();
        QCOMPARE(fixture->dialogs.errors, QStringList());
        skinPath = fixture->folder.file("\\data\\skin.ini");
    }
    void cleanup()
    {
        FileWrites::setStepHookForTesting({});
        fixture.reset();
    }

    void theFirstSaveCreatesTheSkinFileWithoutBackup()
    {
        choose(skinPath);
        save();
        QCOMPARE(fixture->dialogs.saveRequests.size(), 1);
        QCOMPARE(fixture->dialogs.saveRequests[0].fileName, skinPath);
        QCOMPARE(fixture->dialogs.saveRequests[0].filters, QStringList{"All Files    (*.*)"});
        QCOMPARE(key(skinPath, "ButInfoX"), QString::number(editor->Form1.btnInfo->x()));
        QVERIFY(!QFile::exists(skinPath + ".BAK"));
        expectConfirmations({skinPath});
        // The grid and the editor's own settings never reach a file here.
        QVERIFY(!QFile::exists(fixture->folder.file("\\Options.ini")));
    }

    void aSaveOverAFileReplacesItsOldBackup()
    {
        const QByteArray before = "[Main]\r\nButInfoX=5\r\nMine=kept\r\n";
        write(skinPath, before);
        write(skinPath + ".BAK", "an older backup");
        choose(skinPath);
        save();
        QCOMPARE(contents(skinPath + ".BAK"), before);
        QCOMPARE(key(skinPath, "ButInfoX"), QString::number(editor->Form1.btnInfo->x()));
        QCOMPARE(key(skinPath, "Mine"), QStringLiteral("kept"));
        expectConfirmations({skinPath});
    }

    void aNewFileLeavesAnUnrelatedBackupAlone()
    {
        const QString target = fixture->folder.file("\\data\\myskin.ini");
        write(target + ".BAK", "not ours");
        choose(target);
        save();
        QCOMPARE(contents(target + ".BAK"), QByteArray("not ours"));
        QCOMPARE(key(target, "ButInfoX"), QString::number(editor->Form1.btnInfo->x()));
        expectConfirmations({target});
    }

    void aBackupThatCannotBeDeletedStaysAndTheSaveGoesOn()
    {
        write(skinPath, "[Main]\r\nButInfoX=5\r\n");
        // A non-empty folder in the backup's place cannot be deleted.
        QVERIFY(QDir().mkpath(skinPath + ".BAK"));
        write(skinPath + ".BAK" + QDir::separator() + "old.ini", "old");
        choose(skinPath);
        save();
        QCOMPARE(contents(skinPath + ".BAK" + QDir::separator() + "old.ini"), QByteArray("old"));
        QCOMPARE(key(skinPath, "ButInfoX"), QString::number(editor->Form1.btnInfo->x()));
        expectConfirmations({skinPath});
    }

    void anotherFolderThenTheDefaultIsProposedAgain()
    {
        QTemporaryDir other;
        const QString target = QDir::toNativeSeparators(other.filePath("myskin.ini"));
        const QByteArray before = "[Main]\r\nButInfoX=1\r\n";
        write(target, before);
        choose(target);
        save();
        QCOMPARE(contents(target + ".BAK"), before);
        QCOMPARE(key(target, "ButInfoX"), QString::number(editor->Form1.btnInfo->x()));
        expectConfirmations({target});

        save(); // cancelled
        QCOMPARE(fixture->dialogs.saveRequests.size(), 2);
        QCOMPARE(fixture->dialogs.saveRequests[1].fileName, skinPath);
    }

    void savingTwiceLeavesTheBackupEqualToTheFile()
    {
        choose(skinPath);
        choose(skinPath);
        save();
        const QByteArray first = contents(skinPath);
        save();
        QCOMPARE(contents(skinPath), first);
        QCOMPARE(contents(skinPath + ".BAK"), first);
        expectConfirmations({skinPath, skinPath});
    }

    void anUnwritableTargetIsReportedWithoutConfirmation()
    {
        const QString inMissingFolder = fixture->folder.file("\\nowhere\\skin.ini");
        const QString aFolder = fixture->folder.file("\\data\\folder.ini");
        QVERIFY(QDir().mkpath(aFolder));
        choose(inMissingFolder);
        choose(aFolder);
        save();
        save();
        QCOMPARE(fixture->dialogs.errors,
                 QStringList({"Unable to write to " + inMissingFolder + ".", "Unable to write to " + aFolder + "."}));
        QVERIFY(fixture->dialogs.messages.isEmpty());
        QVERIFY(!QFile::exists(aFolder + ".BAK"));
    }

    void saveReplacesTheSkinFileOnceAndExitTheSettingsFileOnce()
    {
        QVERIFY(QFile::copy(sampleSkinFolder() + "/skin.ini", skinPath));
        QMap<QString, int> syncs;
        QMap<QString, int> renames;
        FileWrites::setStepHookForTesting([&](FileWrites::Step step, const QString& target) {
            if (step == FileWrites::Step::Sync)
                ++syncs[target];
            if (step == FileWrites::Step::Rename)
                ++renames[target];
            return true;
        });
        choose(skinPath);
        save();
        editor->frmSize.SpeedButton1->click();
        expectConfirmations({skinPath});
        const QString options = fixture->folder.file("\\Options.ini");
        const QMap<QString, int> once = {{skinPath, 1}, {skinPath + ".BAK", 1}, {options, 1}};
        QCOMPARE(renames, once);
        QCOMPARE(syncs, once);
    }

    void aFailedReplacementLeavesTheSkinFileAsItWas()
    {
        QVERIFY(QFile::copy(sampleSkinFolder() + "/skin.ini", skinPath));
        const QByteArray before = contents(skinPath);
        editor->Form1.imgSetup->move(123, 45);
        FileWrites::setStepHookForTesting([&](FileWrites::Step step, const QString& target) {
            return step != FileWrites::Step::Rename || target != skinPath;
        });
        choose(skinPath);
        save();
        QCOMPARE(fixture->dialogs.errors, QStringList{"Unable to write to " + skinPath + "."});
        QVERIFY(fixture->dialogs.messages.isEmpty());
        QCOMPARE(contents(skinPath), before);
        QCOMPARE(contents(skinPath + ".BAK"), before);
        const QStringList left =
            QDir(fixture->folder.file("\\data")).entryList({"skin.ini*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList({"skin.ini", "skin.ini.BAK"}));
    }

    // The skin file the user picked is written through its link; the
    // backup, a name the editor makes up, replaces a link of its name, so a
    // skin from elsewhere cannot make Save overwrite any other file.
    void linksAtTheSkinFileAndItsBackup()
    {
        QTemporaryDir outside;
        const QString real = outside.filePath("real.ini");
        const QString victim = outside.filePath("victim.txt");
        write(real, "[Main]\r\nButInfoX=5\r\n");
        write(victim, "not the editor's");
        QVERIFY(QFile::link(real, skinPath));
        QVERIFY(QFile::link(victim, skinPath + ".BAK"));
        choose(skinPath);
        save();
        expectConfirmations({skinPath});
        QCOMPARE(QFileInfo(skinPath).symLinkTarget(), real);
        QCOMPARE(key(real, "ButInfoX"), QString::number(editor->Form1.btnInfo->x()));
        QVERIFY(!QFileInfo(skinPath + ".BAK").isSymLink());
        QCOMPARE(contents(skinPath + ".BAK"), QByteArray("[Main]\r\nButInfoX=5\r\n"));
        QCOMPARE(contents(victim), QByteArray("not the editor's"));
    }

    // A backup made on Windows in another letter case is the one replaced.
    void theBackupIsFoundInAnyLetterCase()
    {
        write(skinPath, "[Main]\r\nButInfoX=5\r\n");
        write(fixture->folder.file("\\data\\SKIN.INI.bak"), "an older backup");
        choose(skinPath);
        save();
        expectConfirmations({skinPath});
        QCOMPARE(contents(fixture->folder.file("\\data\\SKIN.INI.bak")), QByteArray("[Main]\r\nButInfoX=5\r\n"));
        QVERIFY(!QFileInfo::exists(skinPath + ".BAK"));
    }

    void aPipePickedIsAFileThatCannotBeWritten()
    {
#ifdef Q_OS_UNIX
        const QString pipe = fixture->folder.file("\\data\\pipe.ini");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        choose(pipe);
        save();
        QCOMPARE(fixture->dialogs.errors, QStringList{"Unable to write to " + pipe + "."});
        QVERIFY(fixture->dialogs.messages.isEmpty());
        QVERIFY(!QFileInfo(pipe).isFile());
        QVERIFY(!QFileInfo::exists(pipe + ".BAK"));
#else
        QSKIP("named pipes");
#endif
    }

    void aCancelledDialogTouchesNothing()
    {
        write(skinPath, "[Main]\r\nButInfoX=5\r\n");
        editor->frmSize.svDlgFile.FileName = QStringLiteral("elsewhere.ini");
        save();
        QCOMPARE(fixture->dialogs.saveRequests.size(), 1);
        QCOMPARE(editor->frmSize.svDlgFile.FileName, skinPath);
        QCOMPARE(contents(skinPath), QByteArray("[Main]\r\nButInfoX=5\r\n"));
        QVERIFY(!QFile::exists(skinPath + ".BAK"));
        QVERIFY(fixture->dialogs.messages.isEmpty());
        QVERIFY(fixture->dialogs.errors.isEmpty());
    }
};

QTEST_MAIN(TestTfrmSizeSaveExit)
#include "tst_tfrmsizesaveexit.moc"
