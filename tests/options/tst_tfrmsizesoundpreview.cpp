// Play and stop of the intro music and the button sound in the Music panel:
// which check box each picture needs, which file plays, and how the shared
// player's state decides what a stop does (dummy audio driver).
#include "base/Dialogs.h"
#include "options/ClickableImage.h"
#include "platform/MediaPlayer.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorFixture.h"
#include "tests/support/SoundUiKit.h"

#include <QTest>

#include <memory>

using namespace SoundUiKit;

namespace {
const QString kNoDevice = errorBoxText(QStringLiteral("No MCI device open"));
} // namespace

class TestTfrmSizeSoundPreview : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fixture_ = std::make_unique<EditorFixture>();
        fixture_->folder.write("\\data\\BackGround.bmp", "");
        editor_ = &fixture_->start(Editor::Start::Linked);
    }
    void cleanup() { fixture_.reset(); }

    void musicPicturesActOnlyWithChkMusic()
    {
        QVERIFY(writeWav(data("music.wav")));
        TfrmSize& o = editor_->frmSize;
        TMediaPlayer& player = *o.plrMedia;

        emit o.imgMusicPlay->clicked();
        QVERIFY(player.fileName().isEmpty());
        QVERIFY(!player.isOpen());

        o.chkMusic->setState(true);
        emit o.imgMusicPlay->clicked();
        QCOMPARE(player.fileName(), data("music.wav"));
        QVERIFY(player.isPlaying());

        // Off again: the stop picture leaves the music playing.
        o.chkMusic->setState(false);
        emit o.imgMusicStop->clicked();
        QVERIFY(player.isPlaying());
        o.chkMusic->setState(true);
        emit o.imgMusicStop->clicked();
        QVERIFY(!player.isOpen());
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void buttonSoundPlaysWithoutItsCheckBoxButStopsOnlyWithIt()
    {
        QVERIFY(writeWav(data("buttons.wav")));
        TfrmSize& o = editor_->frmSize;
        TMediaPlayer& player = *o.plrMedia;
        QVERIFY(!o.chkButtonsMusic->isChecked());

        emit o.Image2->clicked();
        QCOMPARE(player.fileName(), data("buttons.wav"));
        QVERIFY(player.isPlaying());
        emit o.Image1->clicked();
        QVERIFY(player.isPlaying());

        o.chkButtonsMusic->setState(true);
        emit o.Image1->clicked();
        QVERIFY(!player.isOpen());
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void wavIsPreferredOverMp3()
    {
        QVERIFY(writeWav(data("buttons.wav")));
        if (!writeMp3(data("buttons.mp3")))
            QSKIP("this libsndfile cannot write MP3 files");
        TfrmSize& o = editor_->frmSize;
        emit o.Image2->clicked();
        QCOMPARE(o.plrMedia->fileName(), data("buttons.wav"));

        QVERIFY(QFile::remove(data("buttons.wav")));
        emit o.Image2->clicked();
        QCOMPARE(o.plrMedia->fileName(), data("buttons.mp3"));
        QVERIFY(o.plrMedia->isPlaying());

        // Neither file: nothing happens, the player keeps what it had.
        QVERIFY(QFile::remove(data("buttons.mp3")));
        emit o.Image2->clicked();
        QCOMPARE(o.plrMedia->fileName(), data("buttons.mp3"));
        QVERIFY(o.plrMedia->isOpen());
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void buttonSoundEndsTheMusicAndOnlyItsOwnStopActs()
    {
        QVERIFY(writeWav(data("music.wav")));
        QVERIFY(writeWav(data("buttons.wav")));
        TfrmSize& o = editor_->frmSize;
        TMediaPlayer& player = *o.plrMedia;
        o.chkMusic->setState(true);
        o.chkButtonsMusic->setState(true);

        emit o.imgMusicPlay->clicked();
        emit o.Image2->clicked();
        QCOMPARE(player.fileName(), data("buttons.wav"));
        QVERIFY(player.isPlaying());

        emit o.imgMusicStop->clicked(); // not the music's file: nothing
        QVERIFY(player.isPlaying());
        emit o.Image1->clicked();
        QVERIFY(!player.isOpen());
        QVERIFY(fixture_->dialogs.errors.isEmpty());

        // The name still matches, but nothing is open any more.
        emit o.Image1->clicked();
        QCOMPARE(fixture_->dialogs.errors, QStringList{kNoDevice});
        QVERIFY(!player.isOpen());
    }

    void stopDoesNothingUntilTheNameMatchesExactly()
    {
        QVERIFY(writeWav(data("music.wav")));
        TfrmSize& o = editor_->frmSize;
        o.chkMusic->setState(true);
        o.chkButtonsMusic->setState(true);

        emit o.imgMusicStop->clicked(); // before any play: empty name
        emit o.Image1->clicked();
        QVERIFY(fixture_->dialogs.errors.isEmpty());

        // Another spelling of the music's path is not its path.
        const QString otherCase = fixture_->folder.file(QStringLiteral("\\data\\Music.wav"));
        o.plrMedia->setFileName(otherCase);
        emit o.imgMusicStop->clicked();
        QVERIFY(fixture_->dialogs.errors.isEmpty());
        QCOMPARE(o.plrMedia->fileName(), otherCase);
    }

    void damagedFileShowsTheErrorAndLeavesThePlayerClosed()
    {
        writeDamagedWav(data("music.wav"));
        QVERIFY(writeWav(data("buttons.wav")));
        TfrmSize& o = editor_->frmSize;
        TMediaPlayer& player = *o.plrMedia;
        o.chkMusic->setState(true);

        emit o.Image2->clicked(); // something open before
        emit o.imgMusicPlay->clicked();
        QCOMPARE(fixture_->dialogs.errors.size(), 1);
        QVERIFY(!fixture_->dialogs.errors.first().isEmpty());
        QVERIFY(fixture_->dialogs.errors.first() != kNoDevice);
        QVERIFY(!player.isOpen());
        QCOMPARE(player.fileName(), data("music.wav"));

        emit o.imgMusicStop->clicked();
        QCOMPARE(fixture_->dialogs.errors.size(), 2);
        QCOMPARE(fixture_->dialogs.errors.last(), kNoDevice);
    }

private:
    QString data(const char* name) const
    {
        return fixture_->folder.file(QStringLiteral("\\data\\") + QLatin1String(name));
    }

    std::unique_ptr<EditorFixture> fixture_;
    Editor* editor_ = nullptr;
};

QTEST_MAIN(TestTfrmSizeSoundPreview)
#include "tst_tfrmsizesoundpreview.moc"
