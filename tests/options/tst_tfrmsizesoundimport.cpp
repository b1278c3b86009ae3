// The "..." buttons of the Music panel: what the open dialog proposes, the
// remembered pick in Options.ini, and which files of the data folder an
// import makes, replaces or removes, including imports that cannot land.
#include "base/Application.h"
#include "base/Dialogs.h"
#include "base/EditorError.h"
#include "base/ProgramFolder.h"
#include "options/ClickableImage.h"
#include "platform/MediaPlayer.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/support/EditorFixture.h"
#include "tests/support/SoundUiKit.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h> // mkfifo
#endif

using namespace SoundUiKit;

class TestTfrmSizeSoundImport : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fixture_ = std::make_unique<EditorFixture>();
        fixture_->folder.write("\\data\\BackGround.bmp", "");
        QVERIFY(QDir().mkpath(fixture_->folder.file("\\picked")));
        editor_ = &fixture_->start(Editor::Start::Linked);
    }
    void cleanup() { fixture_.reset(); }

    void dialogPresetAndFilterEntryAreRemembered()
    {
        TfrmSize& o = editor_->frmSize;
        // First run, cancelled: proposes the data folder's music.wav with the
        // first filter entry, and nothing is written or shown.
        o.btnButtonMusic->click();
        QCOMPARE(fixture_->dialogs.openRequests.size(), 1);
        const Dialogs::FileRequest first = fixture_->dialogs.openRequests.first();
        QCOMPARE(first.fileName, data("music.wav"));
        QCOMPARE(first.filterIndex, 0);
        QCOMPARE(first.filters, (QStringList{"mp3 File   (*.mp3)", "Wav File  (*.wav)", "All Files    (*.*)"}));
        QVERIFY(!QFileInfo::exists(optionsIni()));
        QVERIFY(fixture_->dialogs.messages.isEmpty());

        // A pick in one import is proposed by both, with its filter entry.
        fixture_->folder.write("\\picked\\clip.wav", "clip");
        fixture_->dialogs.openAnswers.enqueue(Dialogs::FileChoice{picked("clip.wav"), 1});
        o.btnButtonMusic->click();
        QCOMPARE(IniFile::readString(optionsIni(), "Pelmora", "LastMusPath", {}), picked("clip.wav"));
        o.btnBrowMusic->click();
        QCOMPARE(fixture_->dialogs.openRequests.last().fileName, picked("clip.wav"));
        QCOMPARE(fixture_->dialogs.openRequests.last().filterIndex, 1);
        QVERIFY(!QFileInfo::exists(data("music.wav"))); // that one was cancelled
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void mp3ReplacesTheMp3AndRemovesTheWav()
    {
        // The import goes by the extension alone; only the preview at the
        // end needs a real MP3 file.
        const bool playable = writeMp3(picked("new.mp3"));
        if (!playable)
            fixture_->folder.write("\\picked\\new.mp3", "picked sound");
        fixture_->folder.write("\\data\\music.wav", "old wav");
        fixture_->folder.write("\\data\\music.mp3", "old mp3");
        fixture_->folder.write("\\data\\music.tmp", "left over from an earlier import");

        importMusic(picked("new.mp3"));
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(contentOf(data("music.mp3")), contentOf(picked("new.mp3")));
        QVERIFY(!QFileInfo::exists(data("music.wav")));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
        QCOMPARE(fixture_->dialogs.messages.size(), 1);
        QCOMPARE(fixture_->dialogs.messages.first().caption, Application::title());
        QCOMPARE(fixture_->dialogs.messages.first().text, data("music.mp3"));

        if (!playable)
            QSKIP("this libsndfile cannot write MP3 files: the preview is left out");
        TfrmSize& o = editor_->frmSize;
        o.chkMusic->setState(true);
        emit o.imgMusicPlay->clicked();
        QCOMPARE(o.plrMedia->fileName(), data("music.mp3"));
        QVERIFY(o.plrMedia->isOpen());
    }

    void wavLandsBesideTheMp3AndIsPlayed()
    {
        QVERIFY(writeWav(picked("new.wav")));
        fixture_->folder.write("\\data\\buttons.mp3", "old mp3");

        TfrmSize& o = editor_->frmSize;
        fixture_->dialogs.openAnswers.enqueue(Dialogs::FileChoice{picked("new.wav"), 1});
        o.btnButtonMusic->click();
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(contentOf(data("buttons.wav")), contentOf(picked("new.wav")));
        QCOMPARE(contentOf(data("buttons.mp3")), QByteArray("old mp3"));
        QCOMPARE(fixture_->dialogs.messages.last().text, data("buttons.wav"));

        emit o.Image2->clicked();
        QCOMPARE(o.plrMedia->fileName(), data("buttons.wav"));
        QVERIFY(o.plrMedia->isOpen());
    }

    void extensionIsTakenFromTheFileName_data()
    {
        QTest::addColumn<QString>("source"); // under picked/
        QTest::addColumn<QString>("landed"); // under data/
        QTest::newRow("capitals") << "Song.MP3"
                                  << "music.MP3";
        QTest::newRow("no extension") << "song"
                                      << "music";
        QTest::newRow("dot in a folder name") << "some.folder/song"
                                              << "music";
        QTest::newRow("last dot counts") << "song.final.ogg"
                                         << "music.ogg";
    }
    void extensionIsTakenFromTheFileName()
    {
        QFETCH(QString, source);
        QFETCH(QString, landed);
        fixture_->folder.write("\\picked\\" + source, "picked sound");
        fixture_->folder.write("\\data\\music.wav", "old wav");

        importMusic(picked(source));
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(contentOf(data(landed)), QByteArray("picked sound"));
        QCOMPARE(fixture_->dialogs.messages.last().text, data(landed));
        // Only an exact ".mp3" displaces the WAV file.
        QCOMPARE(contentOf(data("music.wav")), QByteArray("old wav"));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
    }

    // A skin from elsewhere may hold the import's names as links to other
    // files: the import replaces the links and writes no file outside.
    void linksAtTheImportsNamesAreReplaced()
    {
        fixture_->folder.write("\\picked\\song.mp3", "picked sound");
        fixture_->folder.write("\\outside\\victim.txt", "not the editor's");
        const QString victim = fixture_->folder.file("\\outside\\victim.txt");
        for (const char* name : {"music.tmp", "music.mp3"})
            QVERIFY(QFile::link(victim, data(name)));

        importMusic(picked("song.mp3"));
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QVERIFY(!QFileInfo(data("music.mp3")).isSymLink());
        QCOMPARE(contentOf(data("music.mp3")), QByteArray("picked sound"));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
        QCOMPARE(contentOf(victim), QByteArray("not the editor's"));
    }

    // Sounds made on Windows in another letter case are found as Windows
    // finds them: replaced, and the WAV file removed, under their own names.
    void soundsInAnotherLetterCase()
    {
        fixture_->folder.write("\\picked\\song.mp3", "picked sound");
        fixture_->folder.write("\\data\\Music.WAV", "old wav");
        fixture_->folder.write("\\data\\MUSIC.MP3", "old mp3");

        importMusic(picked("song.mp3"));
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(QDir(data({})).entryList(QDir::Files, QDir::Name), QStringList({"BackGround.bmp", "MUSIC.MP3"}));
        QCOMPARE(contentOf(data("MUSIC.MP3")), QByteArray("picked sound"));
        QCOMPARE(fixture_->dialogs.messages.last().text, data("MUSIC.MP3"));
    }

    void pickingTheCurrentFileLeavesItAsItWas()
    {
        QVERIFY(writeWav(data("music.wav")));
        const QByteArray before = contentOf(data("music.wav"));
        // Confirms the first-run proposal as it stands.
        importMusic(data("music.wav"));
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(contentOf(data("music.wav")), before);
        QCOMPARE(fixture_->dialogs.messages.last().text, data("music.wav"));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
    }

    // An import that cannot land reports the file it could not make, shows
    // no path message and removes no sound of the data folder; the pick is
    // remembered all the same.
    void importThatCannotLandRemovesNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("extension .tmp") << "song.tmp"
                                        << "music.tmp";
        QTest::newRow("target is a folder") << "song.mp3"
                                            << "music.mp3";
    }
    void importThatCannotLandRemovesNothing()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        fixture_->folder.write("\\picked\\" + source, "picked sound");
        fixture_->folder.write("\\data\\music.wav", "old wav");
        if (QByteArray(QTest::currentDataTag()) == "target is a folder")
            QVERIFY(QDir().mkpath(data("music.mp3")));
        else
            fixture_->folder.write("\\data\\music.mp3", "old mp3");

        importMusic(picked(source));
        QCOMPARE(fixture_->dialogs.errors, QStringList{errorBoxText(ErrorText::cannotCreateFile(data(target)))});
        QVERIFY(fixture_->dialogs.messages.isEmpty());
        QCOMPARE(contentOf(data("music.wav")), QByteArray("old wav"));
        QVERIFY(!QFileInfo(data("music.tmp")).isFile());
        if (QFileInfo(data("music.mp3")).isFile())
            QCOMPARE(contentOf(data("music.mp3")), QByteArray("old mp3"));
        QCOMPARE(IniFile::readString(optionsIni(), "Pelmora", "LastMusPath", {}), picked(source));
    }

    // Only a regular file that can be read is imported. Anything else is
    // named in the error box, remembered all the same, and leaves every
    // file of the data folder as it was; none of it may block the editor.
    void sourceThatCannotBeReadTouchesNothing_data()
    {
        QTest::addColumn<QString>("source"); // under picked/, or a full path
        QTest::newRow("missing file typed in") << "missing.mp3";
        QTest::newRow("folder") << "album.mp3";
#ifdef Q_OS_UNIX
        QTest::newRow("named pipe") << "pipe.mp3";
        if (QFileInfo::exists("/dev/zero"))
            QTest::newRow("device") << "/dev/zero";
        QTest::newRow("unreadable file") << "locked.mp3";
#endif
    }
    void sourceThatCannotBeReadTouchesNothing()
    {
        QFETCH(QString, source);
        if (QDir::isRelativePath(source))
            source = picked(source);
        QVERIFY(QDir().mkpath(picked("album.mp3")));
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(picked("pipe.mp3")).constData(), 0600), 0);
        fixture_->folder.write("\\picked\\locked.mp3", "picked sound");
        QVERIFY(QFile::setPermissions(picked("locked.mp3"), {}));
        if (source == picked("locked.mp3") && QFile(source).open(QIODevice::ReadOnly))
            QSKIP("this user reads files without read permission");
#endif
        for (const char* name : {"music.wav", "music.mp3", "music.tmp"})
            fixture_->folder.write(QStringLiteral("\\data\\") + name, name);
        const auto dataFiles = [this] {
            QMap<QString, QByteArray> files;
            for (const QString& name : QDir(data({})).entryList(QDir::Files))
                files.insert(name, contentOf(data(name)));
            return files;
        };
        const QMap<QString, QByteArray> before = dataFiles();

        importMusic(source);
        QCOMPARE(fixture_->dialogs.errors, QStringList{errorBoxText(ErrorText::cannotOpenFile(source))});
        QVERIFY(fixture_->dialogs.messages.isEmpty());
        QCOMPARE(IniFile::readString(optionsIni(), "Pelmora", "LastMusPath", {}), source);
        QCOMPARE(dataFiles(), before);
    }

    // The data folder's own music.tmp, picked as the music, stays as it is.
    void theIntermediateFileItselfIsKept()
    {
        fixture_->folder.write("\\data\\music.tmp", "user's sound");
        importMusic(data("music.tmp"));
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(contentOf(data("music.tmp")), QByteArray("user's sound"));
        QCOMPARE(fixture_->dialogs.messages.last().text, data("music.tmp"));
    }

    void unwritableSettingsEndTheImportBeforeCopying()
    {
        fixture_->folder.write("\\picked\\song.mp3", "picked sound");
        fixture_->folder.write("\\data\\music.wav", "old wav");
        // A folder where Options.ini should be: no write can replace it.
        QVERIFY(QDir().mkpath(optionsIni()));

        importMusic(picked("song.mp3"));
        QCOMPARE(fixture_->dialogs.errors, QStringList{errorBoxText(ErrorText::unableToWrite(optionsIni()))});
        QVERIFY(fixture_->dialogs.messages.isEmpty());
        QVERIFY(!QFileInfo::exists(data("music.mp3")));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
        QCOMPARE(contentOf(data("music.wav")), QByteArray("old wav"));
    }

private:
    QString data(const QString& name) const { return fixture_->folder.file("\\data\\" + name); }
    QString picked(const QString& name) const { return fixture_->folder.file("\\picked\\" + name); }
    QString optionsIni() const { return ProgramFolder::file("\\Options.ini"); }

    // The intro music's "..." button, the dialog confirmed with this path.
    void importMusic(const QString& path)
    {
        fixture_->dialogs.openAnswers.enqueue(Dialogs::FileChoice{QDir::toNativeSeparators(path), 0});
        editor_->frmSize.btnBrowMusic->click();
    }

    std::unique_ptr<EditorFixture> fixture_;
    Editor* editor_ = nullptr;
};

QTEST_MAIN(TestTfrmSizeSoundImport)
#include "tst_tfrmsizesoundimport.moc"
