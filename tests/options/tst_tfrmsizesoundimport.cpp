// The "..." buttons of the Music panel: what the open dialog proposes, the
// remembered pick in Options.ini, and which files of the data folder an
// import makes, replaces or removes, including imports that cannot land.
#include "app/Application.h"
#include "app/EditorError.h"
#include "app/ProgramFolder.h"
#include "options/ClickableImage.h"
#include "platform/Dialogs.h"
#include "platform/MediaPlayer.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/options/SoundUiKit.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace SoundUiKit;

class SoundImportTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dialogs_ = std::make_unique<ScriptedDialogs>();
        Application::setDialogs(dialogs_.get());
        folder_ = std::make_unique<TempProgramFolder>();
        folder_->write("\\data\\BackGround.bmp", "");
        QVERIFY(QDir().mkpath(folder_->file("\\picked")));
        editor_ = std::make_unique<Editor>();
    }
    void cleanup()
    {
        editor_.reset();
        folder_.reset();
        Application::setDialogs(nullptr);
    }

    void dialogPresetAndFilterEntryAreRemembered()
    {
        TfrmSize& o = editor_->frmSize;
        // First run, cancelled: proposes the data folder's music.wav with the
        // first filter entry, and nothing is written or shown.
        o.btnButtonMusic->click();
        QCOMPARE(dialogs_->openRequests.size(), 1);
        const Dialogs::FileRequest first = dialogs_->openRequests.first();
        QCOMPARE(first.fileName, data("music.wav"));
        QCOMPARE(first.filterIndex, 0);
        QCOMPARE(first.filters, (QStringList{"mp3 File   (*.mp3)", "Wav File  (*.wav)", "All Files    (*.*)"}));
        QVERIFY(!QFileInfo::exists(optionsIni()));
        QVERIFY(dialogs_->messages.isEmpty());

        // A pick in one import is proposed by both, with its filter entry.
        folder_->write("\\picked\\clip.wav", "clip");
        dialogs_->openAnswers.enqueue(Dialogs::FileChoice{picked("clip.wav"), 1});
        o.btnButtonMusic->click();
        QCOMPARE(IniFile::readString(optionsIni(), "Pelmora", "LastMusPath", {}), picked("clip.wav"));
        o.btnBrowMusic->click();
        QCOMPARE(dialogs_->openRequests.last().fileName, picked("clip.wav"));
        QCOMPARE(dialogs_->openRequests.last().filterIndex, 1);
        QVERIFY(!QFileInfo::exists(data("music.wav"))); // that one was cancelled
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void mp3ReplacesTheMp3AndRemovesTheWav()
    {
        if (!writeMp3(picked("new.mp3")))
            QSKIP("this libsndfile cannot write MP3 files");
        folder_->write("\\data\\music.wav", "old wav");
        folder_->write("\\data\\music.mp3", "old mp3");
        folder_->write("\\data\\music.tmp", "left over from an earlier import");

        importMusic(picked("new.mp3"));
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(contentOf(data("music.mp3")), contentOf(picked("new.mp3")));
        QVERIFY(!QFileInfo::exists(data("music.wav")));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages.first().caption, Application::title());
        QCOMPARE(dialogs_->messages.first().text, data("music.mp3"));

        TfrmSize& o = editor_->frmSize;
        o.chkMusic->setState(true);
        emit o.imgMusicPlay->clicked();
        QCOMPARE(o.plrMedia->fileName(), data("music.mp3"));
        QVERIFY(o.plrMedia->isOpen());
    }

    void wavLandsBesideTheMp3AndIsPlayed()
    {
        QVERIFY(writeWav(picked("new.wav")));
        folder_->write("\\data\\buttons.mp3", "old mp3");

        TfrmSize& o = editor_->frmSize;
        dialogs_->openAnswers.enqueue(Dialogs::FileChoice{picked("new.wav"), 1});
        o.btnButtonMusic->click();
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(contentOf(data("buttons.wav")), contentOf(picked("new.wav")));
        QCOMPARE(contentOf(data("buttons.mp3")), QByteArray("old mp3"));
        QCOMPARE(dialogs_->messages.last().text, data("buttons.wav"));

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
        folder_->write("\\picked\\" + source, "picked sound");
        folder_->write("\\data\\music.wav", "old wav");

        importMusic(picked(source));
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(contentOf(data(landed)), QByteArray("picked sound"));
        QCOMPARE(dialogs_->messages.last().text, data(landed));
        // Only an exact ".mp3" displaces the WAV file.
        QCOMPARE(contentOf(data("music.wav")), QByteArray("old wav"));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
    }

    void pickingTheCurrentFileLeavesItAsItWas()
    {
        QVERIFY(writeWav(data("music.wav")));
        const QByteArray before = contentOf(data("music.wav"));
        // Confirms the first-run proposal as it stands.
        importMusic(data("music.wav"));
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(contentOf(data("music.wav")), before);
        QCOMPARE(dialogs_->messages.last().text, data("music.wav"));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
    }

    // An import that cannot land reports the file it could not make, shows
    // no path message and removes no sound of the data folder; the pick is
    // remembered all the same.
    void importThatCannotLandRemovesNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("missing file typed in") << "missing.mp3"
                                               << "music.mp3";
        QTest::newRow("extension .tmp") << "song.tmp"
                                        << "music.tmp";
        QTest::newRow("target is a folder") << "song.mp3"
                                            << "music.mp3";
    }
    void importThatCannotLandRemovesNothing()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        if (source != QLatin1String("missing.mp3"))
            folder_->write("\\picked\\" + source, "picked sound");
        folder_->write("\\data\\music.wav", "old wav");
        if (QByteArray(QTest::currentDataTag()) == "target is a folder")
            QVERIFY(QDir().mkpath(data("music.mp3")));
        else
            folder_->write("\\data\\music.mp3", "old mp3");

        importMusic(picked(source));
        QCOMPARE(dialogs_->errors, QStringList{errorBoxText(ErrorText::cannotCreateFile(data(target)))});
        QVERIFY(dialogs_->messages.isEmpty());
        QCOMPARE(contentOf(data("music.wav")), QByteArray("old wav"));
        QVERIFY(!QFileInfo(data("music.tmp")).isFile());
        if (QFileInfo(data("music.mp3")).isFile())
            QCOMPARE(contentOf(data("music.mp3")), QByteArray("old mp3"));
        QCOMPARE(IniFile::readString(optionsIni(), "Pelmora", "LastMusPath", {}), picked(source));
    }

    void unwritableSettingsEndTheImportBeforeCopying()
    {
        folder_->write("\\picked\\song.mp3", "picked sound");
        folder_->write("\\data\\music.wav", "old wav");
        // A folder where Options.ini should be: no write can replace it.
        QVERIFY(QDir().mkpath(optionsIni()));

        importMusic(picked("song.mp3"));
        QCOMPARE(dialogs_->errors, QStringList{errorBoxText(ErrorText::unableToWrite(optionsIni()))});
        QVERIFY(dialogs_->messages.isEmpty());
        QVERIFY(!QFileInfo::exists(data("music.mp3")));
        QVERIFY(!QFileInfo::exists(data("music.tmp")));
        QCOMPARE(contentOf(data("music.wav")), QByteArray("old wav"));
    }

private:
    QString data(const QString& name) const { return folder_->file("\\data\\" + name); }
    QString picked(const QString& name) const { return folder_->file("\\picked\\" + name); }
    QString optionsIni() const { return ProgramFolder::file("\\Options.ini"); }

    // The intro music's "..." button, the dialog confirmed with this path.
    void importMusic(const QString& path)
    {
        dialogs_->openAnswers.enqueue(Dialogs::FileChoice{QDir::toNativeSeparators(path), 0});
        editor_->frmSize.btnBrowMusic->click();
    }

    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<Editor> editor_;
};

QTEST_MAIN(SoundImportTest)
#include "tst_tfrmsizesoundimport.moc"
