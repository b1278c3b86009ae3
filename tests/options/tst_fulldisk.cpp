// Every file the options window's commands write, on a file system that is
// really full: the error is shown, no file changes and no temporary file
// stays; once there is room again, the same command lands whole.
#include "base/Dialogs.h"
#include "base/EditorError.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/support/EditorFixture.h"
#include "tests/support/FullDisk.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTest>

#include <memory>

namespace {

enum class Command { Save, Exit, ImportMusic };

// Every file and folder under `folder`, with the bytes of each file.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == FullDisk::fillerName())
            continue;
        QFile file(path);
        files.insert(path, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<folder>"));
    }
    return files;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A skin file of more than one page, so that a write can be cut off.
const QByteArray kSkinHead = "; " + QByteArray(6000, '-') + "\r\n[Main]\r\n";
const QByteArray kOldSkin = kSkinHead + "SetupX=1\r\nLoopMusic=1\r\n";

const QByteArray kOldOptions = "[Main]\r\nLangFile=Russian.lng\r\n[Pelmora]\r\nGrid=1\r\n";

} // namespace

Q_DECLARE_METATYPE(Command)

class TestFullDisk : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture_;
    std::unique_ptr<FullDisk> disk_;
    Editor* editor_ = nullptr;

    QString file(const QString& relative) const { return fixture_->folder.file(relative); }

    void run(Command command)
    {
        TfrmSize& o = editor_->frmSize;
        switch (command) {
        case Command::Save:
            fixture_->dialogs.saveAnswers.enqueue(Dialogs::FileChoice{file("\\data\\skin.ini"), 0});
            o.LbSpeedButton1->click();
            break;
        case Command::Exit:
            o.SpeedButton1->click();
            break;
        case Command::ImportMusic:
            fixture_->dialogs.openAnswers.enqueue(Dialogs::FileChoice{file("\\picked\\song.mp3"), 0});
            o.btnBrowMusic->click();
            break;
        }
    }

    void expectLanded(Command command) const
    {
        switch (command) {
        case Command::Save:
            QCOMPARE(contentOf(file("\\data\\skin.ini.BAK")), kOldSkin);
            QVERIFY(contentOf(file("\\data\\skin.ini")).startsWith(kSkinHead));
            QCOMPARE(IniFile::readString(file("\\data\\skin.ini"), "Main", "LoopMusic", {}), QStringLiteral("1"));
            for (const char* key : {"ButInfoX", "LogoVisible", "DirFontColor", "PicX", "DMy", "DirColor"})
                QVERIFY2(IniFile::readString(file("\\data\\skin.ini"), "Main", key, "<missing>") != "<missing>", key);
            QCOMPARE(fixture_->dialogs.messages.size(), 1);
            break;
        case Command::Exit:
            QVERIFY(contentOf(file("\\Options.ini")).startsWith("[Main]\r\nLangFile=Russian.lng\r\n[Pelmora]\r\n"));
            for (const char* key : {"GridColor", "OptionsX", "OptionsY", "MainX", "MainY"})
                QVERIFY2(IniFile::readString(file("\\Options.ini"), "Pelmora", key, "<missing>") != "<missing>", key);
            break;
        case Command::ImportMusic:
            QCOMPARE(contentOf(file("\\data\\music.mp3")), contentOf(file("\\picked\\song.mp3")));
            QVERIFY(!QFile::exists(file("\\data\\music.wav")));
            QCOMPARE(fixture_->dialogs.messages.size(), 1);
            break;
        }
    }

private slots:
    void initTestCase()
    {
        QTemporaryDir probe;
        const FullDisk disk(probe.path());
        if (disk.method().isEmpty())
            QSKIP("no way to fill a file system here: cannot mount a tmpfs nor lower the file-size limit");
        qInfo("full disk: %s", qPrintable(disk.method()));
    }

    void init()
    {
        fixture_ = std::make_unique<EditorFixture>();
        disk_ = std::make_unique<FullDisk>(fixture_->folder.path());
        fixture_->folder.write("\\data\\BackGround.bmp", "");
        fixture_->folder.write("\\data\\skin.ini", kOldSkin);
        fixture_->folder.write("\\data\\skin.ini.BAK", "an older backup");
        fixture_->folder.write("\\data\\music.wav", "old wav");
        fixture_->folder.write("\\picked\\song.mp3", QByteArray(64 * 1024, 's'));
        fixture_->folder.write("\\Options.ini", kOldOptions);
        editor_ = &fixture_->start(Editor::Start::Linked);
    }
    void cleanup()
    {
        disk_.reset();
        fixture_.reset();
    }

    void failsWithoutATraceAndLandsOnRetry_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<qint64>("room");   // bytes left on the disk
        QTest::addColumn<QString>("kept");  // the folder that stays byte for byte as it was
        QTest::addColumn<QString>("error"); // the error, %1 standing for the file
        QTest::addColumn<QString>("failed");
        const QString unable = ErrorText::unableToWrite("%1");
        QTest::newRow("replacing the skin file") << Command::Save << qint64(0) << "" << unable << "\\data\\skin.ini";
        QTest::newRow("the backup copy, cut off after a page")
            << Command::Save << qint64(4096) << "" << unable << "\\data\\skin.ini";
        QTest::newRow("Exit's settings file") << Command::Exit << qint64(0) << "" << unable << "\\Options.ini";
        QTest::newRow("adding a key: the import's LastMusPath")
            << Command::ImportMusic << qint64(0) << "" << unable << "\\Options.ini";
        // Options.ini, less than a page, takes the pick; the sound does not fit.
        QTest::newRow("the import's copy") << Command::ImportMusic << qint64(4096) << "\\data"
                                           << ErrorText::cannotCreateFile("%1") << "\\data\\music.mp3";
    }
    void failsWithoutATraceAndLandsOnRetry()
    {
        QFETCH(Command, command);
        QFETCH(qint64, room);
        QFETCH(QString, kept);
        QFETCH(QString, error);
        QFETCH(QString, failed);
        const QMap<QString, QByteArray> before = filesUnder(file(kept));

        disk_->fill(room);
        run(command);
        disk_->release();
        QCOMPARE(fixture_->dialogs.errors, QStringList{errorBoxText(error.arg(file(failed)))});
        QCOMPARE(filesUnder(file(kept)), before);
        QVERIFY(fixture_->dialogs.messages.isEmpty());

        run(command);
        QCOMPARE(fixture_->dialogs.errors.size(), 1);
        expectLanded(command);
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
