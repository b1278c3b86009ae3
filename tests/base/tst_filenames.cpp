// Names found as Windows finds them: in any letter case.
#include "base/FileNames.h"
#include "base/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileNames : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString file(const QString& name) const { return QDir::toNativeSeparators(dir_.filePath(name)); }
    void put(const QString& name) const
    {
        QFile out(file(name));
        QVERIFY(out.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir_.path()).mkpath("Data/Sounds"));
        put("Data/patchup.jpg");
        put("Data/МУЗЫКА.WAV");
        put("Data/skin.ini");
        put("Data/SKIN.INI");
        QVERIFY(QFile::link(file("gone.bmp"), file("Data/Welcome.BMP")));
    }

    void spellsANameAsItsFolderDoes_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("found");
        QTest::newRow("another case") << "Data/PatchUp.JPG"
                                      << "Data/patchup.jpg";
        QTest::newRow("Cyrillic") << "Data/Музыка.wav"
                                  << "Data/МУЗЫКА.WAV";
        QTest::newRow("a folder") << "Data/sounds"
                                  << "Data/Sounds";
        QTest::newRow("the exact name first") << "Data/SKIN.INI"
                                              << "Data/SKIN.INI";
        QTest::newRow("a link whose file is gone") << "Data/welcome.bmp"
                                                   << "Data/Welcome.BMP";
        QTest::newRow("none") << "Data/BackGround.bmp"
                              << "Data/BackGround.bmp";
        QTest::newRow("another name") << "Data/patchup.jpeg"
                                      << "Data/patchup.jpeg";
    }
    void spellsANameAsItsFolderDoes()
    {
        QFETCH(QString, asked);
        QFETCH(QString, found);
        QCOMPARE(FileNames::asFound(file(asked)), file(found));
    }

    void theProgramFolderFindsEachName()
    {
        ProgramFolder::setPathForTesting(dir_.path());
        QCOMPARE(ProgramFolder::file("\\data\\PatchUp.JPG"), file("Data/patchup.jpg"));
        QCOMPARE(ProgramFolder::file("\\data\\sounds\\missing.wav"), file("Data/Sounds/missing.wav"));
        QCOMPARE(ProgramFolder::file("\\Support\\Russian.lng"), file("Support/Russian.lng"));
        ProgramFolder::setPathForTesting({});
    }
};

QTEST_MAIN(TestFileNames)
#include "tst_filenames.moc"
